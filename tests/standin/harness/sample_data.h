// What tests/standin/sample holds (see its README.md), written out once for the tests that read it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelvar::standin::sample {

// A kind's largest ids: its main table's and its detail table's.
struct Maxima {
    std::int64_t father;
    std::int64_t child;
};

// The maxima of each kind in zrdata_001_2024, in the order of the voucher type table (nothing: one
// of its tables is empty).
inline constexpr std::array<std::optional<Maxima>, 18> kAccountOneMaxima{{
    Maxima{1012, 10036},   // rd: stored counter behind the data
    Maxima{2008, 20020},   // BILLVOUCH: stored counter equal to the data
    Maxima{3010, 30025},   // DISPATCH: stored counter above the data
    Maxima{40006, 70018},  // POMain: ids above 32767, no stored counter
    Maxima{506, 5015},     // SOMain: stored as "SOMAIN"
    Maxima{605, 6012},     // PURBILL
    std::nullopt,          // PURSTID: empty detail table
    Maxima{804, 8010},     // SETTLEVOUCH
    Maxima{903, 9006},     // EXPENSE
    Maxima{13, 106},       // ch
    Maxima{23, 206},       // ju
    Maxima{32, 304},       // ma
    Maxima{1105, 11012},   // PUAPP
    Maxima{1206, 12015},   // PUARRIVAL
    Maxima{1304, 13010},   // QUOMAIN
    Maxima{1403, 14008},   // SALEPAY
    Maxima{1505, 15012},   // tr
    Maxima{12, 6},         // XJ: largest cancel number and count of cancelled bills
}};

// zrsystem..za_identity before any run.
struct StoredCounter {
    std::int64_t account;
    const char* code;
    Maxima maxima;
};
inline constexpr std::array<StoredCounter, 6> kStoredCounters{{
    {1, "rd", {1000, 10000}},
    {1, "BILLVOUCH", {2008, 20020}},
    {1, "DISPATCH", {9000, 90000}},
    {1, "SOMAIN", {500, 5000}},
    {1, "XJ", {2, 2}},
    {2, "rd", {50, 500}},
}};

}  // namespace kelvar::standin::sample

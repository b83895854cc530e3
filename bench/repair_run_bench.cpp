// How long the window is frozen by one press of the update button: a repair run over FreeTDS
// against the stand-in on loopback, with an added delay per request standing in for the network.

#include <benchmark/benchmark.h>

#include <string>

#include "login/connection_template.h"
#include "platform/database_objects.h"
#include "platform/odbc/odbc_database_access.h"
#include "repair/repair_run.h"
#include "standin_process.h"

namespace {

using kelvar::standin::StandinOptions;
using kelvar::standin::StandinProcess;

void RepairRunOverLoopback(benchmark::State& state) {
    const auto latencyMs = static_cast<int>(state.range(0));
    StandinProcess server(StandinOptions().withLatencyMs(latencyMs));
    kelvar::odbc::OdbcDatabaseAccess access;
    kelvar::DatabaseObjects db(access);
    db.con().open(kelvar::fillConnectionTemplate(server.password(),
                                                 "127.0.0.1," + std::to_string(server.port())));

    const auto before = server.sqlTexts().size();
    for (auto _ : state) {
        kelvar::RepairRun run(db, "zrdata_001_2024");
        const auto report = run.run();
        if (report.kinds.size() != 18) {
            state.SkipWithError("the run did not visit all 18 kinds");
            break;
        }
        benchmark::DoNotOptimize(report);
    }
    const auto statements = server.sqlTexts().size() - before;
    state.counters["statements/run"] = benchmark::Counter(
        static_cast<double>(statements) / static_cast<double>(state.iterations()));
}

BENCHMARK(RepairRunOverLoopback)
    ->ArgName("latency_ms")
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void RefreshLoginOverLoopback(benchmark::State& state) {
    StandinProcess server;
    kelvar::odbc::OdbcDatabaseAccess access;
    kelvar::DatabaseObjects db(access);
    const std::string connectionString = kelvar::fillConnectionTemplate(
        server.password(), "127.0.0.1," + std::to_string(server.port()));
    for (auto _ : state) {
        // What a press of the refresh button costs before the list query: close, then log in anew.
        if (db.con().state() == kelvar::Connection::kOpen) {
            db.con().close();
        }
        db.con().open(connectionString);
    }
}

BENCHMARK(RefreshLoginOverLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

#include "catalog.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sqlite_handle.h"

namespace kelvar::standin {
namespace fs = std::filesystem;
namespace {

constexpr std::array<std::string_view, 4> kSystemDatabases = {"master", "model", "msdb", "tempdb"};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// WAL lets one connection read while another writes, which the server's threads do all the time.
void prepareForSharing(const fs::path& path) {
    SqliteDb db = openSqlite(path.string(), false);
    execSqlite(db.get(), "PRAGMA journal_mode=WAL");
}

}  // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kelvar-standin-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
}

Catalog::Catalog(const fs::path& dataDir) {
    if (!fs::is_directory(dataDir)) {
        throw std::runtime_error("not a directory: " + dataDir.string());
    }
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(dataDir)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && (ext == ".sql" || ext == ".sqlite")) {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    for (const auto& source : sources) {
        const std::string name = source.stem().string();
        if (find(name) != nullptr || isSystemDatabase(name)) {
            throw std::runtime_error("database named twice or reserved: " + source.string());
        }
        const fs::path copy = workDir_.path() / (name + ".sqlite");
        try {
            if (source.extension() == ".sqlite") {
                fs::copy_file(source, copy);
            } else {
                SqliteDb db = openSqlite(copy.string(), true);
                // A throwaway copy needs no fsync; with it, building the sample took a second.
                execSqlite(db.get(), "PRAGMA synchronous=OFF");
                execSqlite(db.get(), readFile(source));
            }
            prepareForSharing(copy);
        } catch (const std::exception& e) {
            throw std::runtime_error(source.string() + ": " + e.what());
        }
        databases_.push_back({name, copy});
    }
}

const DatabaseFile* Catalog::find(std::string_view name) const {
    for (const auto& db : databases_) {
        if (equalsIgnoreCase(db.name, name)) {
            return &db;
        }
    }
    return nullptr;
}

bool Catalog::isSystemDatabase(std::string_view name) {
    return std::any_of(kSystemDatabases.begin(), kSystemDatabases.end(),
                       [&](std::string_view s) { return equalsIgnoreCase(s, name); });
}

std::optional<std::string> Catalog::canonicalName(std::string_view name) const {
    for (std::string_view s : kSystemDatabases) {
        if (equalsIgnoreCase(s, name)) {
            return std::string(s);
        }
    }
    if (const DatabaseFile* db = find(name)) {
        return db->name;
    }
    return std::nullopt;
}

std::vector<std::string> Catalog::allNames() const {
    std::vector<std::string> names(kSystemDatabases.begin(), kSystemDatabases.end());
    for (const auto& db : databases_) {
        names.push_back(db.name);
    }
    return names;
}

}  // namespace kelvar::standin

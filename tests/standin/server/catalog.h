// The databases the server offers: working copies, built at start in a fresh temporary folder
// from the data folder, so the data folder itself is never written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvar::standin {

// A directory created by mkdtemp and removed, with its contents, by the destructor.
class TempDir {
  public:
    TempDir();
    TempDir(TempDir&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    TempDir& operator=(TempDir&&) = delete;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

struct DatabaseFile {
    std::string name;            // spelled as the file was
    std::filesystem::path path;  // the working copy
};

class Catalog {
  public:
    // Builds a working copy of each `<name>.sql` (run by SQLite) and `<name>.sqlite` (copied)
    // in `dataDir`. Throws std::runtime_error naming the file that failed.
    explicit Catalog(const std::filesystem::path& dataDir);

    // Case-insensitive, as SQL Server's database names are. System databases are not files and
    // are never found here.
    const DatabaseFile* find(std::string_view name) const;

    // master, model, msdb and tempdb: they exist for USE and sysdatabases, empty.
    static bool isSystemDatabase(std::string_view name);
    // The canonical spelling of an existing database, system or not.
    std::optional<std::string> canonicalName(std::string_view name) const;
    // Every name sysdatabases lists, system databases first.
    std::vector<std::string> allNames() const;

  private:
    TempDir workDir_;
    std::vector<DatabaseFile> databases_;
};

bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kelvar::standin

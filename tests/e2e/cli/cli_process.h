#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvar::e2e {

// What one run of the real kelvar-cli left behind.
struct CliRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs the built kelvar-cli with these arguments, standard input from /dev/null (so it can never
// prompt) and KELVAR_SA_PASSWORD set to the password, or unset when there is none.
[[nodiscard]] CliRun runCli(const std::vector<std::string>& arguments,
                            const std::optional<std::string>& password);

}  // namespace kelvar::e2e

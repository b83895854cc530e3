#pragma once

#include <optional>
#include <string>

namespace kelvar::cli {

// Where the sa password comes from; never the command line.
class PasswordSource {
  public:
    virtual ~PasswordSource() = default;
    // KELVAR_SA_PASSWORD; nothing when it is not set.
    [[nodiscard]] virtual std::optional<std::string> fromEnvironment() = 0;
    // Whether someone can be asked: standard input is a terminal.
    [[nodiscard]] virtual bool canAsk() = 0;
    // Asks with echo off; nothing when the answer could not be read.
    [[nodiscard]] virtual std::optional<std::string> ask() = 0;
};

// The environment and the terminal of this process.
class ConsolePasswordSource final : public PasswordSource {
  public:
    [[nodiscard]] std::optional<std::string> fromEnvironment() override;
    [[nodiscard]] bool canAsk() override;
    [[nodiscard]] std::optional<std::string> ask() override;
};

}  // namespace kelvar::cli

#include "cli/password_source.h"

#include "platform/console.h"

namespace kelvar::cli {

std::optional<std::string> ConsolePasswordSource::fromEnvironment() {
    return console::environmentVariable("KELVAR_SA_PASSWORD");
}

bool ConsolePasswordSource::canAsk() {
    return console::standardInputIsTerminal();
}

std::optional<std::string> ConsolePasswordSource::ask() {
    return console::readHiddenLine("sa 的密码：");
}

}  // namespace kelvar::cli

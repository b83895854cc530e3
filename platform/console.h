#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvar::console {

// What a command-line program needs of its operating system, in UTF-8 throughout. One source file
// per system implements it (console_posix.cpp, console_windows.cpp); CMake picks the one built.

// The program's arguments after its own name. Windows reads its wide command line, since the
// narrow argv there is in the ANSI code page and loses Chinese names.
[[nodiscard]] std::vector<std::string> arguments(int argc, char** argv);

// The variable's value, empty when it is set to nothing; nothing when it is not set.
[[nodiscard]] std::optional<std::string> environmentVariable(std::string_view name);

// True when standard input is a terminal someone can type into.
[[nodiscard]] bool standardInputIsTerminal();

// Shows the prompt on standard error and reads one line from the terminal with echo off; the line
// break is not part of the result. Nothing when the terminal cannot be read.
[[nodiscard]] std::optional<std::string> readHiddenLine(std::string_view prompt);

// For its lifetime, standard output and standard error pass UTF-8 bytes through unchanged, to a
// console as to a pipe or a file. A console's own setting outlives the program, so it is put back.
class Utf8Output {
  public:
    Utf8Output();
    ~Utf8Output();
    Utf8Output(const Utf8Output&) = delete;
    Utf8Output& operator=(const Utf8Output&) = delete;

  private:
    unsigned savedCodePage_ = 0;  // Windows: the console's output code page; 0 when none
};

}  // namespace kelvar::console

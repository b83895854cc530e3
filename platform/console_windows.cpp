// windows.h first: shellapi.h needs its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <iostream>
#include <iterator>
#include <memory>

#include "platform/console.h"

namespace kelvar::console {
namespace {

std::string utf8(const wchar_t* text, int length) {
    if (length == 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
    }
    return out;
}

struct LocalFreeDeleter {
    void operator()(LPWSTR* block) const noexcept { LocalFree(block); }
};

// The console's mode outlives the program, so Ctrl+C or a closed window at the prompt puts it back
// before the default handling ends the program; the handler can reach only what is static.
HANDLE echoInput = nullptr;
DWORD echoSaved = 0;

BOOL WINAPI restoreEcho(DWORD /*event*/) {
    if (echoInput != nullptr) {
        SetConsoleMode(echoInput, echoSaved);
    }
    return FALSE;  // go on with the default handling
}

// Clears the console's echo flag for its lifetime and puts back the mode it found. Lines are
// read whole, and Ctrl+C stays a signal rather than part of the password, whatever mode was
// inherited.
class EchoOff {
  public:
    explicit EchoOff(HANDLE input) : input_(input) {
        if (!GetConsoleMode(input_, &echoSaved)) {
            return;
        }
        echoInput = input_;
        SetConsoleCtrlHandler(restoreEcho, TRUE);
        const DWORD quiet = (echoSaved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                            ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
        active_ = SetConsoleMode(input_, quiet) != 0;
    }
    ~EchoOff() {
        if (echoInput == nullptr) {
            return;
        }
        SetConsoleMode(input_, echoSaved);
        SetConsoleCtrlHandler(restoreEcho, FALSE);
        echoInput = nullptr;
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    [[nodiscard]] bool active() const noexcept { return active_; }

  private:
    HANDLE input_;
    bool active_ = false;
};

}  // namespace

std::vector<std::string> arguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> wideArguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> list;
    if (!wideArguments) {
        return list;
    }
    for (int i = 1; i < count; ++i) {
        const wchar_t* argument = wideArguments.get()[i];
        list.push_back(utf8(argument, static_cast<int>(wcslen(argument))));
    }
    return list;
}

std::optional<std::string> environmentVariable(std::string_view name) {
    const std::wstring wideName = wide(name);
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string();
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
    }
    value.resize(length);
    return utf8(value.data(), static_cast<int>(value.size()));
}

bool standardInputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<std::string> readHiddenLine(std::string_view prompt) {
    std::cerr << prompt << std::flush;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const EchoOff echoOff(input);
    if (!echoOff.active()) {
        return std::nullopt;
    }
    // ReadConsoleW hands out the typed characters as UTF-16, whatever the console's code page.
    std::wstring line;
    wchar_t buffer[256];
    for (;;) {
        DWORD read = 0;
        if (!ReadConsoleW(input, buffer, static_cast<DWORD>(std::size(buffer)), &read, nullptr) ||
            read == 0) {
            return std::nullopt;
        }
        line.append(buffer, read);
        if (const auto end = line.find(L'\n'); end != std::wstring::npos) {
            line.resize(end);
            break;
        }
    }
    if (!line.empty() && line.back() == L'\r') {
        line.pop_back();
    }
    std::cerr << '\n' << std::flush;
    return utf8(line.data(), static_cast<int>(line.size()));
}

Utf8Output::Utf8Output() : savedCodePage_(GetConsoleOutputCP()) {
    // A console shows the bytes as UTF-8; binary mode stops the C runtime translating them (and
    // line feeds) on their way to a pipe or a file.
    if (savedCodePage_ != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

Utf8Output::~Utf8Output() {
    std::cout.flush();
    std::cerr.flush();
    if (savedCodePage_ != 0) {
        SetConsoleOutputCP(savedCodePage_);
    }
}

}  // namespace kelvar::console

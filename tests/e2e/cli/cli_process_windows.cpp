// Runs the built kelvar-cli.exe from a test under Wine: wide calls throughout, so the arguments
// and the password reach it as typed, and its output is read from pipes as the bytes it wrote.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "cli_process.h"

namespace kelvar::e2e {
namespace {

std::wstring wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), size);
    return out;
}

// One argument as CommandLineToArgvW reads it back: quoted, with the backslashes before a quote
// doubled and the quote itself escaped.
std::wstring quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = nullptr;
    }
    [[nodiscard]] HANDLE get() const { return handle_; }
    [[nodiscard]] HANDLE* out() { return &handle_; }

  private:
    HANDLE handle_ = nullptr;
};

// A pipe whose write end the child inherits.
struct Pipe {
    Handle read;
    Handle write;
    Pipe() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(read.out(), write.out(), &inherit, 0) ||
            !SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0)) {
            throw std::runtime_error("CreatePipe failed");
        }
    }
};

std::string readAll(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments,
              const std::optional<std::string>& password) {
    // The password travels in the environment, as a user's script gives it, never on a command
    // line.
    SetEnvironmentVariableW(L"KELVAR_SA_PASSWORD", password ? wide(*password).c_str() : nullptr);
    // Wine shows the host's root directory as drive Z:.
    const std::wstring program = wide("Z:" + std::string(KELVAR_CLI_PATH));
    std::wstring commandLine = quoted(program);
    for (const auto& argument : arguments) {
        commandLine += L" " + quoted(wide(argument));
    }

    Pipe out;
    Pipe err;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    // Standard input from NUL, so the program can never stop at a prompt.
    Handle nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = out.write.get();
    startup.hStdError = err.write.get();
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"KELVAR_SA_PASSWORD", nullptr);
    if (!started) {
        throw std::runtime_error("cannot start " + std::string(KELVAR_CLI_PATH));
    }
    const Handle processHandle(process.hProcess);
    const Handle threadHandle(process.hThread);
    // Only the child may hold the write ends now, so the reads end when it does.
    out.write.reset();
    err.write.reset();

    CliRun run;
    std::thread errors([&] { run.err = readAll(err.read.get()); });
    run.out = readAll(out.read.get());
    errors.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    run.exitStatus = static_cast<int>(status);
    return run;
}

}  // namespace kelvar::e2e

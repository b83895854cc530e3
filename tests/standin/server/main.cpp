// kelvar-standin: a loopback SQL Server stand-in for tests, benchmarks and the demo.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalog.h"
#include "options.h"
#include "query_log.h"
#include "server.h"
#include "tls.h"

using namespace kelvar::standin;

int main(int argc, char** argv) {
    std::string error;
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "kelvar-standin: " << error << '\n' << kUsage;
        return 2;
    }
    // Blocked before any thread starts, so every thread inherits the mask and only sigwait below
    // sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        const Catalog catalog(options->dataDir);
        QueryLog log = options->logPath.empty() ? QueryLog() : QueryLog(options->logPath);
        std::optional<TlsContext> tls;
        if (options->encryption != EncryptionMode::kOff) {
            tls.emplace();
        }
        Server server(listenTcp(options->host, options->port),
                      ServerSettings{&catalog, &log, options->password, options->latency,
                                     options->encryption, tls ? &*tls : nullptr});
        server.start();
        std::cout << "listening on " << options->host << ':' << server.port() << std::endl;
        if (options->exitWithStdin) {
            // Left blocked in read() when the server stops otherwise; the process ends it.
            std::thread([] {
                char byte = 0;
                while (::read(STDIN_FILENO, &byte, 1) > 0) {
                }
                ::kill(::getpid(), SIGTERM);
            }).detach();
        }

        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    } catch (const std::exception& e) {
        std::cerr << "kelvar-standin: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

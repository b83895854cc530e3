// kelvar-standin-launcher: starts and stops stand-ins for test programs that run under Wine.
//
// A Windows program under Wine cannot start or stop a Linux process reliably, so the Windows
// build's harness connects here over loopback instead, and this native program runs each
// kelvar-standin with the native harness. One connection is one server: it stops when the
// connection does. Usage: kelvar-standin-launcher --port-file FILE (the port is written there
// once the launcher listens); SIGTERM or SIGINT ends it and every server it started.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "launcher_protocol.h"
#include "standin_process.h"

namespace kelvar::standin::launcher {
namespace {

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const { return fd_; }

  private:
    int fd_;
};

void sendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR) {
            throw std::runtime_error(std::string("send: ") + std::strerror(errno));
        }
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

FieldReader readerOf(int fd) {
    return FieldReader([fd](char* buffer, std::size_t size) -> std::size_t {
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, size, 0);
            if (n >= 0) {
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR) {
                return 0;  // a reset connection ends like a closed one
            }
        }
    });
}

// Serves one test's server from "start" to "stop" or the end of the connection.
void serve(int fd) {
    FieldReader reader = readerOf(fd);
    StandinOptions options;
    std::optional<Field> field;
    while ((field = reader.next()) && field->name != "start") {
        if (field->name == "data") {
            options.dataDir = field->value;
        } else if (field->name == "password") {
            options.password = field->value;
        } else if (field->name == "arg") {
            options.extraArgs.push_back(field->value);
        } else if (field->name == "sql") {
            const auto newline = field->value.find('\n');
            options.withSql(field->value.substr(0, newline),
                            newline == std::string::npos ? "" : field->value.substr(newline + 1));
        } else {
            sendAll(fd, encode("error", "kelvar-standin-launcher takes no field " + field->name));
            return;
        }
    }
    if (!field) {
        return;
    }
    std::unique_ptr<StandinProcess> server;
    try {
        server = std::make_unique<StandinProcess>(std::move(options));
    } catch (const std::exception& error) {
        sendAll(fd, encode("error", error.what()));
        return;
    }
    sendAll(fd, encode("port", std::to_string(server->port())) +
                    encode("log", server->logPath().string()) +
                    encode("data", server->dataDir().string()));
    while ((field = reader.next())) {
        if (field->name == "stop") {
            sendAll(fd, encode("exit", std::to_string(server->stop())));
        }
    }
}

int listenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error(std::string("cannot listen on loopback: ") + std::strerror(errno));
    }
    port = ntohs(address.sin_port);
    return fd;
}

struct Client {
    std::unique_ptr<Socket> socket;
    std::thread thread;
    std::atomic<bool> finished = false;
};

// Joins the threads of connections that ended, so a long test run does not pile them up.
void reapFinished(std::list<Client>& clients) {
    for (auto it = clients.begin(); it != clients.end();) {
        if (it->finished) {
            it->thread.join();
            it = clients.erase(it);
        } else {
            ++it;
        }
    }
}

int run(const std::filesystem::path& portFile) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::uint16_t port = 0;
    const Socket listener(listenOnLoopback(port));
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    const Socket wakeRead(wake[0]);
    const Socket wakeWrite(wake[1]);
    std::thread signals([&stopSignals, &wakeWrite] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite.get(), "x", 1);
    });

    // Written whole and then renamed, so a reader never sees half a number.
    const auto partial = std::filesystem::path(portFile.string() + ".partial");
    std::ofstream(partial) << port << '\n';
    std::filesystem::rename(partial, portFile);

    std::list<Client> clients;
    for (;;) {
        pollfd fds[2] = {{listener.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if (fds[0].revents == 0) {
            continue;
        }
        const int fd = ::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        reapFinished(clients);
        Client& client = clients.emplace_back();
        client.socket = std::make_unique<Socket>(fd);
        client.thread = std::thread([fd, &finished = client.finished] {
            try {
                serve(fd);
            } catch (const std::exception& error) {
                std::cerr << "kelvar-standin-launcher: " << error.what() << '\n';
            }
            finished = true;
        });
    }
    // Ending every connection ends its server; each thread then returns.
    for (Client& client : clients) {
        ::shutdown(client.socket->get(), SHUT_RDWR);
    }
    for (Client& client : clients) {
        client.thread.join();
    }
    // Wakes the signal thread when the loop ended for another reason.
    pthread_kill(signals.native_handle(), SIGTERM);
    signals.join();
    std::filesystem::remove(portFile);
    return 0;
}

}  // namespace
}  // namespace kelvar::standin::launcher

int main(int argc, char** argv) {
    if (argc != 3 || std::string_view(argv[1]) != "--port-file") {
        std::cerr << "usage: kelvar-standin-launcher --port-file FILE\n";
        return 2;
    }
    try {
        return kelvar::standin::launcher::run(argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "kelvar-standin-launcher: " << error.what() << '\n';
        return 1;
    }
}

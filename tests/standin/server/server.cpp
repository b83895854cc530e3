#include "server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kelvar::standin {

Server::Server(Listener listener, ServerSettings settings)
    : listener_(std::move(listener)), settings_(std::move(settings)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    wakeRead_ = UniqueFd(fds[0]);
    wakeWrite_ = UniqueFd(fds[1]);
}

Server::~Server() {
    stop();
}

void Server::start() {
    acceptor_ = std::thread([this] { acceptLoop(); });
}

void Server::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listener_.fd.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;  // stop() asked
        }
        UniqueFd client(::accept4(listener_.fd.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client.valid()) {
            continue;  // the peer gave up before we got to it, or a transient error
        }
        std::lock_guard lock(mutex_);
        reapFinished();
        Connection& c = connections_.emplace_back();
        try {
            c.session = std::make_unique<Session>(std::move(client), nextSpid_++, settings_);
            c.thread = std::thread([&c] {
                c.session->run();
                c.finished = true;
            });
        } catch (const std::exception&) {
            // Out of threads or memory under a flood of clients: this one is turned away, and
            // the server goes on serving the others.
            connections_.pop_back();
        }
        if (nextSpid_ == 0) {
            nextSpid_ = 51;
        }
    }
}

void Server::reapFinished() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->finished) {
            it->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return;
        }
        stopped_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_.get(), &byte, 1);
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    std::lock_guard lock(mutex_);
    for (auto& c : connections_) {
        c.session->stop();
    }
    for (auto& c : connections_) {
        c.thread.join();
    }
    connections_.clear();
}

}  // namespace kelvar::standin

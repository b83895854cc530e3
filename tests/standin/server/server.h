// The listener: accepts connections and gives each its own Session thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "session.h"
#include "socket.h"

namespace kelvar::standin {

class Server {
  public:
    Server(Listener listener, ServerSettings settings);
    ~Server();  // stops and joins everything still running
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::uint16_t port() const { return listener_.port; }

    // Accepts on a background thread until stop().
    void start();
    // Closes the listener and every open connection, then waits for their threads.
    void stop();

  private:
    struct Connection {
        std::unique_ptr<Session> session;
        std::thread thread;
        std::atomic<bool> finished = false;
    };

    void acceptLoop();
    void reapFinished();

    Listener listener_;
    ServerSettings settings_;
    UniqueFd wakeRead_;
    UniqueFd wakeWrite_;
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<Connection> connections_;
    std::uint16_t nextSpid_ = 51;  // SQL Server numbers user sessions from 51
    bool stopped_ = false;
};

}  // namespace kelvar::standin

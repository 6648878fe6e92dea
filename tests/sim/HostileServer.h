// A server for the host's tests that speaks the frames of server/PROTOCOL.md and misbehaves on
// command. It listens on 127.0.0.1; on a thread of its own, the test's script plays each connection
// in turn, and ends with the connection or when the server is destroyed.
#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "Frame.h"
#include "param/CKParam.h"

namespace sim::test {

// One connection, as the server sees it.
class Peer {
public:
    Peer(asio::io_context& io, asio::ip::tcp::socket socket, const std::atomic<bool>& stop)
        : m_io(io), m_socket(std::move(socket)), m_stop(stop) {}

    // The host's next frame; empty after `timeout`, when the host closed, or when the test ends.
    std::optional<wire::Frame> Next(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // False when the frame could not be written (the host closed, or the test ends).
    bool Send(int id, const CKParam& packet);
    // Waits for the host's login and accepts it with `identity` and a wallet of `coins` and 10 ballots.
    bool AcceptLogin(const std::string& identity = "UserId=1;level=0;family=1", int coins = 100);
    // Answers the host's heartbeats and hands every other frame to `onFrame`, until the connection
    // ends.
    void Serve(const std::function<void(const wire::Frame&)>& onFrame = {});

private:
    asio::io_context& m_io;
    asio::ip::tcp::socket m_socket;
    const std::atomic<bool>& m_stop;
    wire::FrameReader m_reader;
    bool m_closed = false;  // the host closed the connection
};

class HostileServer {
public:
    // `connection` counts the host's connections from 0.
    using Script = std::function<void(Peer& peer, int connection)>;

    explicit HostileServer(Script script);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    unsigned short Port() const { return m_port; }
    int Connections() const { return m_connections; }

private:
    void Serve();

    Script m_script;
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    unsigned short m_port;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

}  // namespace sim::test

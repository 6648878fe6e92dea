// A server on 127.0.0.1 that speaks the frames of server/PROTOCOL.md and misbehaves on command: on
// a thread of its own, the test's script plays each connection in turn, until the host closes it.
#pragma once

#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "Frame.h"
#include "NetMessages.h"

namespace sim::test {

// One connection, as the server sees it.
class Peer {
public:
    explicit Peer(asio::ip::tcp::socket& socket) : m_socket(socket) {}

    // The host's next frame; empty once the host closed.
    std::optional<wire::Frame> Next() {
        wire::Frame frame;
        asio::error_code error;
        while (m_reader.Next(frame) != wire::FrameReader::Status::Ready) {
            const std::span<char> room = m_reader.Prepare(64 * 1024);
            m_reader.Commit(m_socket.read_some(asio::buffer(room.data(), room.size()), error));
            if (error) return std::nullopt;
        }
        return frame;
    }
    bool Send(int id, const CKParam& packet) {
        const std::span<const char> image(packet.GetBufferPtr(),
                                          static_cast<std::size_t>(packet.GetLength()));
        asio::error_code error;
        asio::write(m_socket, asio::buffer(wire::EncodeFrame(id, image)), error);
        return !error;
    }
    // Waits for the host's login and accepts it with `identity`, 100 M coins and 10 ballots.
    bool AcceptLogin(const std::string& identity = "UserId=1;level=0;family=1") {
        const std::optional<wire::Frame> login = Next();
        return login && login->id == wire::kLogin &&
               Send(wire::kLoginResult, wire::MakeLoginAccepted(identity, {100, 10}));
    }
    // Answers heartbeats until the connection ends.
    void Serve() {
        for (std::optional<wire::Frame> frame; (frame = Next());) {
            if (frame->id == wire::kHeartbeat) Send(wire::kHeartbeat, wire::MakeHeartbeat());
        }
    }

private:
    asio::ip::tcp::socket& m_socket;
    wire::FrameReader m_reader;
};

class HostileServer {
public:
    // `connection` counts the host's connections from 0.
    using Script = std::function<void(Peer& peer, int connection)>;

    explicit HostileServer(Script script) : m_script(std::move(script)), m_thread([this] { Serve(); }) {}
    ~HostileServer() {
        m_stop = true;
        asio::ip::tcp::socket wake(m_io);  // ends the wait for a connection
        asio::error_code ignored;
        wake.connect(m_acceptor.local_endpoint(), ignored);
        m_thread.join();
    }
    unsigned short Port() const { return m_acceptor.local_endpoint().port(); }

private:
    void Serve() {
        for (int connection = 0;; ++connection) {
            asio::error_code error;
            asio::ip::tcp::socket socket = m_acceptor.accept(error);
            if (error || m_stop) return;
            Peer peer(socket);
            m_script(peer, connection);
        }
    }

    Script m_script;
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor{m_io, {asio::ip::make_address("127.0.0.1"), 0}};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace sim::test

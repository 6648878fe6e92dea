// A server on 127.0.0.1 that speaks the frames of server/PROTOCOL.md and misbehaves on command: on
// a thread of its own, the test's script plays each connection in turn, until the host closes it.
#pragma once

#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
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
    explicit Peer(boost::asio::ip::tcp::socket& socket) : m_socket(socket) {}

    // The host's next frame; empty once the host closed.
    std::optional<wire::Frame> Next() {
        wire::Frame frame;
        boost::system::error_code error;
        while (m_reader.Next(frame) != wire::FrameReader::Status::Ready) {
            const std::span<char> room = m_reader.Prepare(64 * 1024);
            m_reader.Commit(m_socket.read_some(boost::asio::buffer(room.data(), room.size()), error));
            if (error) return std::nullopt;
        }
        return frame;
    }
    bool Send(int id, const CKParam& packet) {
        const std::span<const char> image(packet.GetBufferPtr(),
                                          static_cast<std::size_t>(packet.GetLength()));
        boost::system::error_code error;
        boost::asio::write(m_socket, boost::asio::buffer(wire::EncodeFrame(id, image)), error);
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
    boost::asio::ip::tcp::socket& m_socket;
    wire::FrameReader m_reader;
};

class HostileServer {
public:
    // `connection` counts the host's connections from 0.
    using Script = std::function<void(Peer& peer, int connection)>;

    explicit HostileServer(Script script) : m_script(std::move(script)), m_thread([this] { Serve(); }) {}
    ~HostileServer() {
        m_stop = true;
        boost::asio::ip::tcp::socket wake(m_io);  // ends the wait for a connection
        boost::system::error_code ignored;
        wake.connect(m_acceptor.local_endpoint(), ignored);
        m_thread.join();
    }
    unsigned short Port() const { return m_acceptor.local_endpoint().port(); }

private:
    void Serve() {
        for (int connection = 0;; ++connection) {
            boost::system::error_code error;
            boost::asio::ip::tcp::socket socket = m_acceptor.accept(error);
            if (error || m_stop) return;
            Peer peer(socket);
            m_script(peer, connection);
        }
    }

    Script m_script;
    boost::asio::io_context m_io;
    boost::asio::ip::tcp::acceptor m_acceptor{m_io, {boost::asio::ip::make_address("127.0.0.1"), 0}};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace sim::test

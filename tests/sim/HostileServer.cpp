#include "HostileServer.h"

#include <asio/write.hpp>

#include "NetMessages.h"

namespace sim::test {

namespace {

using Clock = std::chrono::steady_clock;

// Runs `io` until `done`, the deadline or the end of the test; false (with the operation
// cancelled and its handler run) when `done` did not come.
template <class Cancel>
bool RunUntil(asio::io_context& io, const bool& done, Clock::time_point deadline,
              const std::atomic<bool>& stop, Cancel cancel) {
    while (!done && !stop && Clock::now() < deadline) {
        io.restart();
        io.run_for(std::chrono::milliseconds(20));
    }
    if (done) {
        return true;
    }
    cancel();
    io.restart();
    io.run();
    return false;
}

}  // namespace

std::optional<wire::Frame> Peer::Next(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    wire::Frame frame;
    while (m_reader.Next(frame) != wire::FrameReader::Status::Ready) {
        if (m_closed) {
            return std::nullopt;
        }
        bool done = false;
        asio::error_code error;
        std::size_t got = 0;
        const std::span<char> room = m_reader.Prepare(64 * 1024);
        m_socket.async_read_some(asio::buffer(room.data(), room.size()),
                                 [&](const asio::error_code& e, std::size_t n) {
                                     done = true;
                                     error = e;
                                     got = n;
                                 });
        if (!RunUntil(m_io, done, deadline, m_stop, [this] { m_socket.cancel(); })) {
            return std::nullopt;
        }
        if (error) {
            m_closed = true;
            return std::nullopt;
        }
        m_reader.Commit(got);
    }
    return frame;
}

bool Peer::Send(int id, const CKParam& packet) {
    const std::vector<char> bytes =
        wire::EncodeFrame(id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())});
    bool done = false;
    asio::error_code error;
    asio::async_write(m_socket, asio::buffer(bytes), [&](const asio::error_code& e, std::size_t) {
        done = true;
        error = e;
    });
    return RunUntil(m_io, done, Clock::now() + std::chrono::seconds(10), m_stop,
                    [this] { m_socket.cancel(); }) &&
           !error;
}

bool Peer::AcceptLogin(const std::string& identity, int coins) {
    for (std::optional<wire::Frame> frame; (frame = Next());) {
        if (frame->id == wire::kLogin) {
            return Send(wire::kLoginResult, wire::MakeLoginAccepted(identity, {coins, 10}));
        }
    }
    return false;
}

void Peer::Serve(const std::function<void(const wire::Frame&)>& onFrame) {
    for (std::optional<wire::Frame> frame; (frame = Next(std::chrono::minutes(1)));) {
        if (frame->id == wire::kHeartbeat) {
            Send(wire::kHeartbeat, wire::MakeHeartbeat());
        } else if (onFrame) {
            onFrame(*frame);
        }
    }
}

HostileServer::HostileServer(Script script)
    : m_script(std::move(script)),
      m_acceptor(m_io, {asio::ip::make_address("127.0.0.1"), 0}),
      m_port(m_acceptor.local_endpoint().port()),
      m_thread([this] { Serve(); }) {}

HostileServer::~HostileServer() {
    m_stop = true;
    m_thread.join();
}

void HostileServer::Serve() {
    for (int connection = 0; !m_stop; ++connection) {
        asio::ip::tcp::socket socket(m_io);
        bool done = false;
        asio::error_code error;
        m_acceptor.async_accept(socket, [&](const asio::error_code& e) {
            done = true;
            error = e;
        });
        if (!RunUntil(m_io, done, Clock::time_point::max(), m_stop, [this] { m_acceptor.cancel(); }) ||
            error) {
            return;
        }
        ++m_connections;
        Peer peer(m_io, std::move(socket), m_stop);
        m_script(peer, connection);
    }
}

}  // namespace sim::test

#include "NetworkLink.h"

#include <asio/connect.hpp>
#include <asio/write.hpp>

#include "param/ChamberMessages.h"

namespace sim {

namespace {

constexpr auto kLoginTimeout = std::chrono::seconds(5);
constexpr auto kFirstBackoff = std::chrono::milliseconds(500);
constexpr auto kLongestBackoff = std::chrono::milliseconds(8000);
constexpr auto kHeartbeatPeriod = std::chrono::seconds(15);
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kDisconnected = "与服务器的连接已断开";

}  // namespace

NetworkLink::NetworkLink(const std::string& host, unsigned short port, std::string player, std::string token,
                         Transcript& transcript)
    : m_work(m_io.get_executor()),
      m_endpoint(asio::ip::tcp::resolver(m_io).resolve(host, std::to_string(port)).begin()->endpoint()),
      m_socket(m_io),
      m_retry(m_io),
      m_heartbeat(m_io),
      m_player(std::move(player)),
      m_token(std::move(token)),
      m_transcript(transcript),
      m_backoff(kFirstBackoff) {}

bool NetworkLink::Login(std::string_view name) {
    if (name != m_player) {
        m_transcript.Line(1, "network: only " + m_player + " has a token here");
        return false;
    }
    m_wanted = true;
    m_refusal.clear();
    if (!m_socket.is_open()) {
        Connect();
    }
    const auto deadline = std::chrono::steady_clock::now() + kLoginTimeout;
    while (!m_loggedIn && m_refusal.empty() && std::chrono::steady_clock::now() < deadline) {
        m_io.run_for(std::chrono::milliseconds(10));
    }
    if (!m_loggedIn) {
        // Reconnecting is for a connection that dropped, not for a server that was never reached.
        m_wanted = false;
        m_retry.cancel();
        Drop("no login");
    }
    return m_loggedIn;
}

void NetworkLink::Poll(std::chrono::milliseconds wait) {
    if (wait.count() > 0) {
        m_io.run_for(wait);
    } else {
        m_io.poll();
    }
}

void NetworkLink::Connect() {
    const int connection = ++m_connection;
    m_reader = wire::FrameReader();
    m_writes.clear();
    m_writing = false;
    m_socket.async_connect(m_endpoint, [this, connection](const asio::error_code& error) {
        if (connection != m_connection) {
            return;
        }
        if (error) {
            Drop("cannot connect: " + error.message());
            return;
        }
        asio::error_code ignored;
        m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
        m_transcript.Line(1, "network: connected to " + m_endpoint.address().to_string() + ":" +
                                 std::to_string(m_endpoint.port()));
        Queue(wire::kLogin, wire::MakeLogin({m_player, m_token}));
        Read();
        Heartbeat();
    });
}

void NetworkLink::Read() {
    const std::span<char> room = m_reader.Prepare(kReadChunk);
    m_socket.async_read_some(
        asio::buffer(room.data(), room.size()),
        [this, connection = m_connection](const asio::error_code& error, std::size_t n) {
            if (connection != m_connection) {
                return;
            }
            if (error) {
                Drop(error == asio::error::eof ? "closed by the server" : error.message());
                return;
            }
            m_reader.Commit(n);
            wire::Frame frame;
            wire::FrameReader::Status status;
            while ((status = m_reader.Next(frame)) == wire::FrameReader::Status::Ready) {
                Handle(std::move(frame));
                if (connection != m_connection) {
                    return;
                }
            }
            if (status == wire::FrameReader::Status::Broken) {
                Drop("the server sent a frame out of bounds");
                return;
            }
            Read();
        });
}

void NetworkLink::Handle(wire::Frame frame) {
    CKParam packet;
    const bool isPacket = packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) == 0;
    switch (frame.id) {
        case wire::kLoginResult: {
            const wire::LoginResult result = wire::ReadLoginResult(packet);
            if (!result.ok) {
                m_refusal = result.reason.empty() ? "refused" : result.reason;
                m_transcript.Line(1, "network: login refused: " + m_refusal);
                m_wanted = false;
                Drop("login refused");
                return;
            }
            if (!m_loggedIn) {
                m_transcript.Line(1, "network: logged in as " + m_player);
            }
            m_loggedIn = true;
            m_backoff = kFirstBackoff;
            m_identity = result.identity;
            m_wallet = result.wallet;
            return;
        }
        case wire::kWallet:
            if (const std::optional<wire::Wallet> wallet =
                    isPacket ? wire::ReadWallet(packet) : std::nullopt) {
                m_wallet = wallet;
            }
            return;
        case wire::kHeartbeat:
            return;
        default:
            if (frame.id >= ChamberMsg::kFirstIncoming && frame.id <= ChamberMsg::kLastIncoming) {
                m_inbox.push_back({frame.id, std::move(frame.image), rules::kEveryone});
            }
    }
}

void NetworkLink::Send(int id, std::span<const char> image) {
    if (!m_loggedIn) {
        const CKParam refusal = rules::MakeRefusal(kDisconnected);
        m_inbox.push_back(
            {id + 1, std::vector<char>(refusal.GetBufferPtr(), refusal.GetBufferPtr() + refusal.GetLength()),
             rules::kEveryone});
        return;
    }
    m_writes.push_back(wire::EncodeFrame(id, image));
    WriteNext();
}

void NetworkLink::Queue(int id, const CKParam& packet) {
    m_writes.push_back(
        wire::EncodeFrame(id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())}));
    WriteNext();
}

void NetworkLink::WriteNext() {
    if (m_writing || m_writes.empty()) {
        return;
    }
    m_writing = true;
    asio::async_write(m_socket, asio::buffer(m_writes.front()),
                      [this, connection = m_connection](const asio::error_code& error, std::size_t) {
                          if (connection != m_connection) {
                              return;
                          }
                          m_writing = false;
                          if (error) {
                              Drop(error.message());
                              return;
                          }
                          m_writes.pop_front();
                          WriteNext();
                      });
}

void NetworkLink::Heartbeat() {
    m_heartbeat.expires_after(kHeartbeatPeriod);
    m_heartbeat.async_wait([this, connection = m_connection](const asio::error_code& error) {
        if (error || connection != m_connection) {
            return;
        }
        Queue(wire::kHeartbeat, wire::MakeHeartbeat());
        Heartbeat();
    });
}

void NetworkLink::Drop(const std::string& why) {
    ++m_connection;  // every handler of this connection now does nothing
    asio::error_code ignored;
    m_socket.close(ignored);
    m_heartbeat.cancel();
    m_loggedIn = false;
    if (!m_wanted) {
        return;
    }
    m_transcript.Line(1, "network: " + why + "; again in " + std::to_string(m_backoff.count()) + " ms");
    m_retry.expires_after(m_backoff);
    m_backoff = std::min(2 * m_backoff, kLongestBackoff);
    m_retry.async_wait([this](const asio::error_code& error) {
        if (!error) {
            Connect();
        }
    });
}

}  // namespace sim

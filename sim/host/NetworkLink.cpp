#include "NetworkLink.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>
#include <set>

#include "PacketText.h"
#include "Resolve.h"
#include "param/ChamberMessages.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

// What one poll reads from the server at most, in pieces of kReadChunk: the rest waits in the
// socket, and a server that sends faster than the host handles is held back by TCP itself.
constexpr std::size_t kReadChunk = std::size_t{64} << 10;
constexpr std::size_t kReadPerPoll = std::size_t{128} << 10;
// What the player is told, in the screen's message box.
constexpr const char* kDisconnected = "与服务器的连接已断开";
constexpr const char* kFlooded = "服务器发来的数据过多，连接已断开";
constexpr const char* kRefused = "服务器拒绝登录：";  // and its reason, cut to kLongestReason units
constexpr std::size_t kLongestReason = 64;

std::string UnknownOutcome(int requestId) {
    const char* what = requestId == ChamberMsg::kApply     ? "申请"
                       : requestId == ChamberMsg::kImpeach ? "发起弹劾"
                       : requestId == ChamberMsg::kVote    ? "投票"
                                                           : "禁言";
    return std::string(kDisconnected) + "，" + what + "的结果未知";
}

std::string Text(const boost::asio::ip::tcp::endpoint& endpoint) {
    return cli::ToText({endpoint.address().to_string(), endpoint.port()});
}

long long Milliseconds(Clock::duration duration) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

}  // namespace

NetworkLink::NetworkLink(const std::vector<cli::Endpoint>& servers, std::string player, std::string token,
                         Transcript& transcript, LinkTimes times, GateLimits limits)
    : m_times(times),
      m_work(m_io.get_executor()),
      m_servers(cli::Resolve(servers)),
      m_socket(m_io),
      m_retry(m_io),
      m_heartbeat(m_io),
      m_silence(m_io),
      m_player(std::move(player)),
      m_token(std::move(token)),
      m_transcript(transcript),
      m_gate(limits),
      m_backoff(times.firstBackoff) {}

bool NetworkLink::Login(std::string_view name) {
    if (name != m_player) {
        m_transcript.Line(1, "network: only " + m_player + " has a token here");
        return false;
    }
    m_wanted = true;
    m_refusal.clear();
    if (!m_socket.is_open()) {
        m_retry.cancel();
        Connect();
    }
    // An open screen is sent its job table right after the login result: a scenario's next click
    // finds it.
    const auto deadline = Clock::now() + m_times.login;
    while (!(m_gate.LoggedIn() && (m_postsArrived || !m_watching)) && m_refusal.empty() &&
           Clock::now() < deadline) {
        Poll(std::chrono::milliseconds(10));
    }
    if (!m_gate.LoggedIn()) {
        // Reconnecting is for a connection that dropped, not for a server that was never reached.
        m_wanted = false;
        m_retry.cancel();
        Drop("no login");
    }
    return m_gate.LoggedIn();
}

void NetworkLink::ScreenOpened() {
    if (std::exchange(m_watching, true) || !m_gate.LoggedIn()) {
        return;
    }
    Queue(wire::kInterest, wire::MakeInterest(true));
    AwaitPosts();
}

void NetworkLink::ScreenClosed() {
    if (std::exchange(m_watching, false) && m_gate.LoggedIn()) {
        Queue(wire::kInterest, wire::MakeInterest(false));
    }
}

void NetworkLink::AwaitPosts() {
    const auto deadline = Clock::now() + m_times.login;
    while (m_gate.LoggedIn() && !m_postsArrived && Clock::now() < deadline) {
        Poll(std::chrono::milliseconds(10));
    }
}

void NetworkLink::Poll(std::chrono::milliseconds wait) {
    m_readLeft = kReadPerPoll;
    if (std::exchange(m_readPaused, false)) {
        Read();
    }
    if (wait.count() > 0) {
        m_io.run_for(wait);
    } else {
        m_io.poll();
    }
}

std::optional<rules::Message> NetworkLink::Next() {
    if (!m_refusals.empty()) {
        rules::Message refusal = std::move(m_refusals.front());
        m_refusals.pop_front();
        return refusal;
    }
    return m_gate.Next();
}

void NetworkLink::Connect() {
    const int connection = ++m_connection;
    boost::system::error_code ignored;
    m_socket.close(ignored);
    m_reader = wire::FrameReader();
    m_writes.clear();
    m_writing = false;
    m_readPaused = false;
    // Connecting and logging in are held to the same deadline as a connection's silence.
    m_lastHeard = Clock::now();
    Watch();
    m_socket.async_connect(m_servers.Current(), [this, connection](const boost::system::error_code& error) {
        if (connection != m_connection) {
            return;
        }
        if (error) {
            Drop("cannot connect: " + error.message());
            return;
        }
        boost::system::error_code unused;
        m_socket.set_option(boost::asio::ip::tcp::no_delay(true), unused);
        m_transcript.Line(1, "network: connected to " + Text(m_servers.Current()));
        Queue(wire::kLogin, wire::MakeLogin({m_player, m_token}));
        Read();
        Heartbeat();
    });
}

void NetworkLink::Read() {
    const std::span<char> room = m_reader.Prepare(std::min(kReadChunk, m_readLeft));
    m_socket.async_read_some(
        boost::asio::buffer(room.data(), room.size()),
        [this, connection = m_connection](const boost::system::error_code& error, std::size_t n) {
            if (connection != m_connection) {
                return;
            }
            if (error) {
                Drop(error == boost::asio::error::eof ? "closed by the server" : error.message());
                return;
            }
            m_reader.Commit(n);
            m_readLeft -= std::min(n, m_readLeft);
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
            } else if (m_readLeft == 0) {
                m_readPaused = true;  // the GUI thread has other work: the rest waits for the next poll
            } else {
                Read();
            }
        });
}

void NetworkLink::Handle(wire::Frame frame) {
    m_lastHeard = Clock::now();
    const bool posts = frame.id == ChamberMsg::kJobTableWithClock || frame.id == ChamberMsg::kJobTable;
    switch (m_gate.Receive(std::move(frame))) {
        case ServerGate::Outcome::Passed:
            m_postsArrived = m_postsArrived || posts;
            return;
        case ServerGate::Outcome::LoggedIn:
            m_transcript.Line(1, "network: logged in as " + m_player);
            m_loggedInSince = m_lastHeard;
            m_postsArrived = false;
            if (m_watching) {
                Queue(wire::kInterest, wire::MakeInterest(true));
            }
            return;
        case ServerGate::Outcome::Refused:
            m_refusal = m_gate.Why();
            m_transcript.Line(1,
                              "network: login refused: " + QuotedText(CString::FromUtf8(m_refusal).View()));
            m_notices.push_back(kRefused + CString::FromUtf8(m_refusal).Left(kLongestReason).ToUtf8());
            m_wanted = false;
            Drop("login refused");
            return;
        case ServerGate::Outcome::Flooded:
            m_notices.emplace_back(kFlooded);
            Drop("the server sends more than the host holds: " + m_gate.Why());
            return;
        case ServerGate::Outcome::Broken:
            Drop("the server broke the protocol: " + m_gate.Why());
            return;
    }
}

void NetworkLink::Send(int id, std::span<const char> image) {
    if (!m_gate.LoggedIn()) {
        const CKParam refusal = rules::MakeRefusal(kDisconnected);
        m_refusals.push_back({id + 1, std::vector<char>(refusal.GetBufferPtr(),
                                                        refusal.GetBufferPtr() + refusal.GetLength())});
        return;
    }
    m_gate.Sent(id, image);
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
    boost::asio::async_write(
        m_socket, boost::asio::buffer(m_writes.front()),
        [this, connection = m_connection](const boost::system::error_code& error, std::size_t) {
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
    m_heartbeat.expires_after(m_times.heartbeat);
    m_heartbeat.async_wait([this, connection = m_connection](const boost::system::error_code& error) {
        if (error || connection != m_connection) {
            return;
        }
        Queue(wire::kHeartbeat, wire::MakeHeartbeat());
        Heartbeat();
    });
}

void NetworkLink::Watch() {
    m_silence.expires_at(m_lastHeard + m_times.silence);
    m_silence.async_wait([this, connection = m_connection](const boost::system::error_code& error) {
        if (error || connection != m_connection) {
            return;
        }
        if (Clock::now() - m_lastHeard < m_times.silence) {
            Watch();
            return;
        }
        Drop("the server has been silent for " + std::to_string(Milliseconds(Clock::now() - m_lastHeard)) +
             " ms");
    });
}

void NetworkLink::Drop(const std::string& why) {
    ++m_connection;  // every handler of this connection now does nothing
    boost::system::error_code ignored;
    m_socket.close(ignored);
    m_heartbeat.cancel();
    m_silence.cancel();
    m_readPaused = false;
    // A connection that stayed up a while ends the server's run of drops: back-off starts again.
    if (m_gate.LoggedIn() && Clock::now() - m_loggedInSince >= m_times.stable) {
        m_backoff = m_times.firstBackoff;
    }
    // The results of requests in flight will never come: the player hears that once per kind.
    std::set<int> unknown;
    for (const int id : m_gate.Restart()) {
        if (unknown.insert(id).second) {
            m_notices.push_back(UnknownOutcome(id));
        }
    }
    if (!m_wanted) {
        return;
    }
    // The next try goes to the next address: the one that dropped may have stopped serving.
    const std::string where = m_servers.Size() > 1 ? " at " + Text(m_servers.Next()) : std::string();
    m_transcript.Line(1,
                      "network: " + why + "; again in " + std::to_string(m_backoff.count()) + " ms" + where);
    m_retry.expires_after(m_backoff);
    m_backoff = std::min(2 * m_backoff, m_times.longestBackoff);
    m_retry.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Connect();
        }
    });
}

}  // namespace sim

#include "LoadClient.h"

#include <boost/asio/write.hpp>

#include "NetMessages.h"
#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"

namespace load {

namespace {

constexpr auto kRetry = std::chrono::milliseconds(100);
constexpr auto kHeartbeat = std::chrono::seconds(15);
// Room asked for before each read: an idle player only skips what it is sent.
constexpr std::size_t kWatcherChunk = std::size_t{16} * 1024;
constexpr std::size_t kIdleChunk = std::size_t{2} * 1024;

CKParam Restore(const wire::Frame& frame) {
    CKParam packet;
    packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size()));
    return packet;
}

std::vector<char> Encode(int id, const CKParam& packet) {
    return wire::EncodeFrame(id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())});
}

}  // namespace

LoadClient::LoadClient(boost::asio::io_context& io, LoadRun& run, std::string name, std::string token,
                       std::uint32_t seed, bool watches, boost::asio::ip::address_v4 source)
    : m_servers(run.servers),
      m_socket(io),
      m_retry(io),
      m_heartbeat(io),
      m_pace(io),
      m_run(run),
      m_name(std::move(name)),
      m_token(std::move(token)),
      m_random(seed),
      m_watcher(watches ? run.updates.AddWatcher() : -1),
      m_source(source) {}

void LoadClient::Connect() {
    const int connection = ++m_connection;
    m_reader = wire::FrameReader();
    m_writes.clear();
    m_listed = false;
    const boost::asio::ip::tcp::endpoint server = m_servers.Current();
    if (!m_run.firstConnect) {
        m_run.firstConnect = Clock::now();
    }
    if (server.address().is_v4() && server.address().is_loopback()) {
        // Linux routes all of 127/8 to the loopback device: each address has its own ports and
        // counts as a host of its own to the server.
        boost::system::error_code error;
        m_socket.open(boost::asio::ip::tcp::v4(), error);
        if (!error) {
            m_socket.bind({m_source, 0}, error);
        }
        if (error) {
            Drop();
            return;
        }
    }
    m_socket.async_connect(
        server, [self = shared_from_this(), connection](const boost::system::error_code& error) {
            if (connection != self->m_connection) {
                return;
            }
            if (error) {
                self->Drop();
                return;
            }
            self->m_socket.set_option(boost::asio::ip::tcp::no_delay(true));
            self->Send(Encode(wire::kLogin, wire::MakeLogin({self->m_name, self->m_token})));
            self->Read();
        });
}

void LoadClient::Send(std::vector<char> frame) {
    m_writes.push_back(std::move(frame));
    if (m_writes.size() == 1) {
        WriteNext();
    }
}

void LoadClient::WriteNext() {
    boost::asio::async_write(m_socket, boost::asio::buffer(m_writes.front()),
                             [self = shared_from_this(), connection = m_connection](
                                 const boost::system::error_code& error, std::size_t) {
                                 if (connection != self->m_connection) {
                                     return;
                                 }
                                 if (error) {
                                     self->Drop();
                                     return;
                                 }
                                 self->m_writes.pop_front();
                                 if (!self->m_writes.empty()) {
                                     self->WriteNext();
                                 }
                             });
}

void LoadClient::Read() {
    if (m_watcher < 0 && m_reader.Buffered() == 0 && m_reader.Capacity() > kIdleChunk) {
        m_reader = wire::FrameReader();  // an idle player keeps no room for the largest frame it had
    }
    const std::span<char> room = m_reader.Prepare(m_watcher >= 0 ? kWatcherChunk : kIdleChunk);
    m_socket.async_read_some(boost::asio::buffer(room.data(), room.size()),
                             [self = shared_from_this(), connection = m_connection](
                                 const boost::system::error_code& error, std::size_t n) {
                                 if (connection != self->m_connection) {
                                     return;
                                 }
                                 if (error) {
                                     self->Drop();
                                     return;
                                 }
                                 self->m_reader.Commit(n);
                                 wire::Frame frame;
                                 while (self->m_reader.Next(frame) == wire::FrameReader::Status::Ready) {
                                     self->Handle(frame);
                                     if (connection != self->m_connection) {
                                         return;
                                     }
                                 }
                                 self->Read();
                             });
}

void LoadClient::Handle(const wire::Frame& frame) {
    using namespace ChamberMsg;
    if (frame.id == wire::kLoginResult) {
        if (!m_loggedIn && wire::ReadLoginResult(Restore(frame)).ok) {
            LoggedInNow();
        }
        return;
    }
    if (m_watcher < 0) {
        return;  // an idle player reads what it is sent and looks at none of it
    }
    switch (frame.id) {
        case kJobTableWithClock:
            if (const std::optional<int> clock = ReadClock(Restore(frame))) {
                m_run.serverClock = *clock;
                m_run.clockSeen = Clock::now();
            }
            return;
        case kApplicationList:
        case kApplicationUpdate:
        case kApplicationEntry:
            Arrived(frame.id, Restore(frame));
            return;
        case kVoteResult: {
            if (!m_inFlight) {
                return;
            }
            const VoteResult result = ReadVoteResult(Restore(frame));
            if (result.Succeeded()) {
                const Clock::time_point now = Clock::now();
                ++m_run.answered[{m_inFlight->applyId, m_inFlight->votes}];
                m_run.answeredAt.push_back(now);
                m_run.latencyUs.push_back(static_cast<std::uint32_t>(
                    std::chrono::duration_cast<std::chrono::microseconds>(now - m_inFlight->sent).count()));
                const bool follow = now - m_run.lastFollowed >= kFollowEvery;
                if (follow) {
                    m_run.lastFollowed = now;
                }
                m_run.updates.Answered(m_inFlight->applyId, now, follow);
            } else {
                ++m_run.refused;
                ++m_run.reasons[result.reason.value_or(CString()).ToUtf8()];
            }
            m_inFlight.reset();
            VoteNext();
            return;
        }
        default:
            return;
    }
}

void LoadClient::LoggedInNow() {
    m_loggedIn = true;
    m_lastLogin = Clock::now();
    m_firstLogin = m_firstLogin.value_or(m_lastLogin);
    if (m_watcher >= 0) {
        m_run.updates.SetOnline(m_watcher, true);
        Send(Encode(wire::kInterest, wire::MakeInterest(true)));
    } else {
        Beat();
    }
}

void LoadClient::Arrived(int id, const CKParam& packet) {
    using namespace ChamberMsg;
    const Clock::time_point now = Clock::now();
    if (id == kApplicationList) {
        m_run.applications.clear();
    }
    for (int i = 0; i < ReadEntryCount(packet); ++i) {
        if (const std::optional<UniteApplyJob> entry = ReadApplication(packet, i)) {
            m_run.applications[entry->applyId] = {entry->startTime, entry->endTime};
            m_run.updates.Arrived(m_watcher, entry->applyId,
                                  std::int64_t{entry->agreeVotes} + entry->opposeVotes, now);
        }
    }
    // The lists follow the login: the client starts voting.
    if (id == kApplicationList && m_loggedIn) {
        m_listed = true;
        if (!m_inFlight) {
            m_run.firstVote = m_run.firstVote.value_or(now);
            VoteNext();
        }
    }
}

void LoadClient::VoteNext() {
    const Clock::time_point now = Clock::now();
    if (m_run.votePeriod == Clock::duration::zero() || now >= m_run.stopAt) {
        Vote();
        return;
    }
    if (!m_nextVote) {
        // A random start, so that the clients' votes spread over the period.
        const auto phase =
            std::uniform_int_distribution<Clock::rep>(0, m_run.votePeriod.count() - 1)(m_random);
        m_nextVote = now + Clock::duration(phase);
    }
    if (*m_nextVote <= now) {
        // A vote answered late is followed by the next at once, never by a burst that catches up.
        m_nextVote = std::max(*m_nextVote + m_run.votePeriod, now);
        Vote();
        return;
    }
    m_pace.expires_at(*m_nextVote);
    m_pace.async_wait(
        [self = shared_from_this(), connection = m_connection](const boost::system::error_code& error) {
            if (!error && connection == self->m_connection && !self->m_inFlight) {
                self->VoteNext();
            }
        });
}

void LoadClient::Vote() {
    const std::int64_t now = m_run.ServerNow();
    std::vector<int> open;
    for (const auto& [applyId, window] : m_run.applications) {
        if (window.start < now && window.end > now) {
            open.push_back(applyId);
        }
    }
    if (Clock::now() >= m_run.stopAt || open.empty()) {
        Finish();
        return;
    }
    const int applyId = open[std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(m_random)];
    const int votes = std::bernoulli_distribution(0.5)(m_random) ? 1 : -1;
    m_inFlight = InFlight{applyId, votes, Clock::now()};
    Send(Encode(ChamberMsg::kVote, ChamberMsg::MakeVoteRequest(applyId, votes)));
}

void LoadClient::Beat() {
    m_heartbeat.expires_at(std::min(Clock::now() + kHeartbeat, m_run.stopAt));
    m_heartbeat.async_wait(
        [self = shared_from_this(), connection = m_connection](const boost::system::error_code& error) {
            if (error || connection != self->m_connection) {
                return;
            }
            if (Clock::now() >= self->m_run.stopAt) {
                self->Finish();
                return;
            }
            self->Send(Encode(wire::kHeartbeat, wire::MakeHeartbeat()));
            self->Beat();
        });
}

void LoadClient::Finish() {
    m_done = true;
    boost::system::error_code ignored;
    m_socket.close(ignored);
    ++m_connection;
    if (m_watcher >= 0) {
        m_run.updates.SetOnline(m_watcher, false);
    }
}

void LoadClient::Drop() {
    ++m_connection;
    boost::system::error_code ignored;
    m_socket.close(ignored);
    m_heartbeat.cancel();
    m_pace.cancel();
    m_loggedIn = false;
    if (m_watcher >= 0) {
        m_run.updates.SetOnline(m_watcher, false);
    }
    if (m_inFlight) {
        ++m_run.unknown[{m_inFlight->applyId, m_inFlight->votes}];
        m_inFlight.reset();
    }
    if (Clock::now() >= m_run.stopAt) {
        m_done = true;
        return;
    }
    m_servers.Next();  // the server that dropped may have stopped serving
    m_retry.expires_after(kRetry);
    m_retry.async_wait([self = shared_from_this()](const boost::system::error_code& error) {
        if (!error) {
            self->Connect();
        }
    });
}

}  // namespace load

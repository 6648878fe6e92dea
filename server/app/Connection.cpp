#include "Connection.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

#include "Hall.h"
#include "NetMessages.h"

namespace server {

namespace {

// Reads take what the socket has, up to this much; a longer frame grows the buffer.
constexpr std::size_t kReadChunk = 4096;
// Frames handed to the hall and not yet taken by it, beyond which the socket is not read: a client
// costs the hall's queue no more than this, however fast it sends.
constexpr int kMaxFramesInHall = 256;
// The kernel's send buffer of a connection: with the queue limit, what a client that does not read
// can cost the machine.
constexpr int kSendBuffer = 256 * 1024;

std::string AddressOf(const boost::asio::ip::tcp::socket& socket, bool withPort) {
    boost::system::error_code error;
    const auto endpoint = socket.remote_endpoint(error);
    if (error) {
        return "?";
    }
    return endpoint.address().to_string() + (withPort ? ":" + std::to_string(endpoint.port()) : "");
}

std::string Ms(std::chrono::milliseconds duration) {
    return std::to_string(duration.count()) + " ms";
}

}  // namespace

Connection::Connection(boost::asio::ip::tcp::socket socket, Hall& hall,
                       boost::asio::any_io_executor hallExecutor, const Limits& limits)
    : Peer(AddressOf(socket, true), AddressOf(socket, false)),
      m_socket(std::move(socket)),
      m_deadline(m_socket.get_executor()),
      m_resume(m_socket.get_executor()),
      m_hall(hall),
      m_hallExecutor(std::move(hallExecutor)),
      m_limits(limits),
      m_tokens(limits.burst),
      m_refilled(since),
      m_lastFrame(since) {
    boost::system::error_code ignored;
    m_socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    m_socket.set_option(boost::asio::socket_base::send_buffer_size(kSendBuffer), ignored);
    // Reads happen only once the socket is readable (Read) and must never block their thread.
    m_socket.non_blocking(true, ignored);
}

template <typename Job>
void Connection::OnStrand(Job job) {
    boost::asio::dispatch(m_socket.get_executor(),
                          [self = Self(), job = std::move(job)]() mutable { job(*self); });
}

void Connection::Start() {
    OnStrand([](Connection& self) {
        self.WatchDeadline();
        self.Read();
    });
}

void Connection::LoggedIn() {
    OnStrand([](Connection& self) { self.m_loggedIn = true; });
}

Connection::Clock::time_point Connection::Deadline() const {
    if (!m_loggedIn) {
        return since + std::min(m_limits.idleTimeout, m_limits.loginTimeout);
    }
    return m_lastFrame + m_limits.idleTimeout;
}

void Connection::WatchDeadline() {
    m_deadline.expires_at(Deadline());
    m_deadline.async_wait([self = Self()](const boost::system::error_code& error) {
        if (error || !self->m_open || self->m_finishing) {
            return;
        }
        if (Clock::now() < self->Deadline()) {
            self->WatchDeadline();
        } else if (!self->m_loggedIn) {
            self->End("not logged in within " +
                      Ms(std::min(self->m_limits.idleTimeout, self->m_limits.loginTimeout)));
        } else {
            self->End("no whole frame for " + Ms(self->m_limits.idleTimeout));
        }
    });
}

void Connection::Read() {
    // The socket is waited on without a buffer: between frames, an idle client holds none.
    if (m_reader.Buffered() == 0) {
        m_reader.Release();
    }
    m_socket.async_wait(
        boost::asio::socket_base::wait_read, [self = Self()](boost::system::error_code error) {
            if (!self->m_open || self->m_finishing) {
                return;
            }
            std::size_t n = 0;
            if (!error) {
                const std::span<char> room = self->m_reader.Prepare(kReadChunk);
                n = self->m_socket.read_some(boost::asio::buffer(room.data(), room.size()), error);
            }
            if (error == boost::asio::error::would_block) {
                self->Read();
                return;
            }
            if (error) {
                self->End(error == boost::asio::error::eof ? "closed by the client" : error.message());
                return;
            }
            self->m_reader.Commit(n);
            self->Dispatch();
        });
}

bool Connection::Charge(Clock::time_point now) {
    if (m_limits.framesPerSecond <= 0) {
        return true;
    }
    const double seconds = std::chrono::duration<double>(now - m_refilled).count();
    m_tokens = std::min(m_limits.burst, m_tokens + seconds * m_limits.framesPerSecond) - 1;
    m_refilled = now;
    return m_tokens >= 0;
}

void Connection::Dispatch() {
    // The frames of one pass reach the hall together, in one turn of the game thread, as they came.
    std::vector<wire::Frame> frames;
    const auto handOver = [this, &frames] {
        if (frames.empty()) {
            return;
        }
        const int count = static_cast<int>(frames.size());
        m_framesInHall += count;
        boost::asio::dispatch(m_hallExecutor, [self = Self(), frames = std::move(frames), count]() mutable {
            for (wire::Frame& frame : frames) {
                if (self->m_told) {
                    break;
                }
                self->m_hall.Receive(*self, std::move(frame));
            }
            if (const int before = self->m_framesInHall.fetch_sub(count);
                before > kMaxFramesInHall && before - count <= kMaxFramesInHall) {
                self->OnStrand([](Connection& me) {
                    if (std::exchange(me.m_waitingForHall, false) && me.m_open && !me.m_finishing) {
                        me.Dispatch();
                    }
                });
            }
        });
    };
    wire::Frame frame;
    for (;;) {
        m_reader.SetLimits(m_loggedIn ? wire::kMaxFrameLength : wire::kMaxPreLoginFrame,
                           wire::kMaxClientFrame);
        const wire::FrameReader::Status status = m_reader.Next(frame);
        if (status == wire::FrameReader::Status::NeedMore) {
            break;
        }
        if (status == wire::FrameReader::Status::Broken) {
            handOver();
            End(m_loggedIn ? "frame length out of bounds" : "frame length out of bounds before a login");
            return;
        }
        const Clock::time_point now = Clock::now();
        m_lastFrame = now;
        frames.push_back(std::move(frame));
        if (!Charge(now)) {
            // Over its rate: the frames wait in the buffer and the socket is not read meanwhile.
            handOver();
            const auto wait = std::chrono::duration<double>(-m_tokens / m_limits.framesPerSecond);
            m_resume.expires_after(std::chrono::duration_cast<std::chrono::microseconds>(wait));
            m_resume.async_wait([self = Self()](const boost::system::error_code& error) {
                if (!error && self->m_open && !self->m_finishing) {
                    self->Dispatch();
                }
            });
            return;
        }
    }
    handOver();
    if (m_framesInHall > kMaxFramesInHall) {
        // Read on once the hall has taken what it was handed (the hand-over's job resumes it).
        m_waitingForHall = true;
        return;
    }
    Read();
}

void Connection::Send(SharedFrame frame) {
    if (!m_open) {
        return;
    }
    // Counted at once, so that the queue's limit holds for what is still on its way to the strand,
    // and a client over it is heard no more from this frame on.
    if (const std::size_t queued = m_queuedBytes += frame->size(); queued > m_limits.maxQueuedBytes) {
        Close("does not read what it is sent (" + std::to_string(queued) + " bytes queued)");
        return;
    }
    OnStrand([frame = std::move(frame)](Connection& self) mutable { self.Queue(std::move(frame)); });
}

void Connection::Queue(SharedFrame frame) {
    if (!m_open) {
        return;
    }
    m_queue.push_back(std::move(frame));
    if (!m_writing && m_queue.size() == 1) {
        // Started behind what the hall has sent meanwhile, so that one write carries it.
        boost::asio::post(m_socket.get_executor(), [self = Self()] {
            if (self->m_open && !self->m_writing && !self->m_queue.empty()) {
                self->Write();
            }
        });
    }
}

void Connection::Write() {
    // Everything queued goes in one write; what the hall queues meanwhile waits for the next.
    auto frames = std::make_shared<std::vector<SharedFrame>>(std::exchange(m_queue, {}));
    std::vector<boost::asio::const_buffer> buffers;
    buffers.reserve(frames->size());
    for (const SharedFrame& frame : *frames) {
        buffers.emplace_back(boost::asio::buffer(*frame));
    }
    m_writing = true;
    boost::asio::async_write(
        m_socket, buffers,
        [self = Self(), frames](const boost::system::error_code& error, std::size_t written) {
            self->m_writing = false;
            if (!self->m_open) {
                return;
            }
            if (error) {
                self->End(error.message());
                return;
            }
            self->m_queuedBytes -= written;
            if (!self->m_queue.empty()) {
                self->Write();
            } else if (self->m_finishing) {
                self->End(*self->m_finishing);
            }
        });
}

void Connection::Finish(const std::string& why) {
    m_told = true;
    OnStrand([why](Connection& self) { self.Drain(why); });
}

void Connection::Close(const std::string& why) {
    m_told = true;
    OnStrand([why](Connection& self) { self.End(why); });
}

void Connection::Drain(const std::string& why) {
    if (!m_open || m_finishing) {
        return;
    }
    m_finishing = why;
    m_deadline.cancel();
    m_resume.cancel();
    if (m_queue.empty() && !m_writing) {
        End(why);
    }
}

void Connection::End(const std::string& why) {
    if (!m_open) {
        return;
    }
    m_open = false;
    boost::system::error_code ignored;
    m_deadline.cancel();
    m_resume.cancel();
    m_socket.shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
    boost::asio::dispatch(m_hallExecutor, [self = Self(), why] { self->m_hall.Leave(*self, why); });
}

}  // namespace server

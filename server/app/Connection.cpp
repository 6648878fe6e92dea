#include "Connection.h"

#include <asio/read.hpp>
#include <asio/write.hpp>

#include "Hall.h"
#include "Log.h"

namespace server {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// Frames gathered into one write.
constexpr std::size_t kWriteGather = 64;

std::string PeerOf(const asio::ip::tcp::socket& socket) {
    asio::error_code error;
    const auto endpoint = socket.remote_endpoint(error);
    return error ? std::string("?") : endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

}  // namespace

Connection::Connection(asio::ip::tcp::socket socket, Hall& hall)
    : m_socket(std::move(socket)), m_idle(m_socket.get_executor()), m_hall(hall), m_peer(PeerOf(m_socket)) {
    asio::error_code ignored;
    m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void Connection::Start() {
    ArmIdleTimer();
    Read();
}

void Connection::ArmIdleTimer() {
    m_idle.expires_after(kIdleTimeout);
    m_idle.async_wait([self = shared_from_this()](const asio::error_code& error) {
        if (!error) {
            self->Close("silent for " + std::to_string(kIdleTimeout.count()) + " s");
        }
    });
}

void Connection::Read() {
    const std::span<char> room = m_reader.Prepare(kReadChunk);
    m_socket.async_read_some(asio::buffer(room.data(), room.size()),
                             [self = shared_from_this()](const asio::error_code& error, std::size_t n) {
                                 if (!self->m_open) {
                                     return;
                                 }
                                 if (error) {
                                     self->Close(error == asio::error::eof ? "closed by the client" : error.message());
                                     return;
                                 }
                                 self->m_reader.Commit(n);
                                 self->ArmIdleTimer();
                                 wire::Frame frame;
                                 for (;;) {
                                     const auto status = self->m_reader.Next(frame);
                                     if (status == wire::FrameReader::Status::NeedMore) {
                                         break;
                                     }
                                     if (status == wire::FrameReader::Status::Broken) {
                                         self->Close("frame length out of bounds");
                                         return;
                                     }
                                     self->m_hall.Receive(*self, std::move(frame));
                                     if (!self->m_open) {
                                         return;
                                     }
                                 }
                                 self->Read();
                             });
}

void Connection::Send(SharedFrame frame) {
    if (!m_open) {
        return;
    }
    m_queuedBytes += frame->size();
    m_queue.push_back(std::move(frame));
    if (m_queuedBytes > kMaxQueuedBytes) {
        Close("does not read what it is sent (" + std::to_string(m_queuedBytes) + " bytes queued)");
        return;
    }
    if (!m_writing) {
        Write();
    }
}

void Connection::Write() {
    std::vector<asio::const_buffer> buffers;
    const std::size_t count = std::min(m_queue.size(), kWriteGather);
    buffers.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        buffers.emplace_back(asio::buffer(*m_queue[i]));
    }
    m_writing = true;
    asio::async_write(m_socket, buffers,
                      [self = shared_from_this(), count](const asio::error_code& error, std::size_t) {
                          self->m_writing = false;
                          if (!self->m_open) {
                              return;
                          }
                          if (error) {
                              self->Close(error.message());
                              return;
                          }
                          for (std::size_t i = 0; i < count; ++i) {
                              self->m_queuedBytes -= self->m_queue.front()->size();
                              self->m_queue.pop_front();
                          }
                          if (!self->m_queue.empty()) {
                              self->Write();
                          }
                      });
}

void Connection::Close(const std::string& why) {
    if (!m_open) {
        return;
    }
    m_open = false;
    asio::error_code ignored;
    m_idle.cancel();
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
    m_hall.Leave(*this, why);
}

}  // namespace server

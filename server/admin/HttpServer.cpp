#include "HttpServer.h"

#include <vector>

#include "HttpSession.h"

namespace admin {

namespace {

// An open stream gets a comment this often, so that a reader that is gone is found by the write.
constexpr auto kStreamKeepAlive = std::chrono::seconds(15);
// When accepting fails (no file descriptors left), the next try waits this long.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);

}  // namespace

HttpServer::HttpServer(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint,
                       const Router& router, const HttpLimits& limits)
    : m_acceptor(io, endpoint), m_pause(io), m_keepAlive(io), m_router(router), m_limits(limits) {}

void HttpServer::Accept() {
    m_acceptor.async_accept(
        [this](const boost::system::error_code& error, boost::asio::ip::tcp::socket socket) {
            if (error == boost::asio::error::operation_aborted) {
                return;
            }
            if (error) {
                m_pause.expires_after(kAcceptPause);
                m_pause.async_wait([this](const boost::system::error_code& cancelled) {
                    if (!cancelled) {
                        Accept();
                    }
                });
                return;
            }
            // Beyond the bound a connection is closed unread: the socket goes with this scope.
            if (static_cast<int>(m_sessions.size()) < m_limits.maxConnections) {
                std::make_shared<HttpSession>(std::move(socket), *this)->Start();
            }
            Accept();
        });
}

void HttpServer::Start() {
    Accept();
    KeepStreamsAlive();
}

void HttpServer::KeepStreamsAlive() {
    m_keepAlive.expires_after(kStreamKeepAlive);
    m_keepAlive.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Publish({}, {}, {});
        }
    });
}

void HttpServer::Opened(const std::shared_ptr<HttpSession>& session) {
    m_sessions.emplace(session.get(), session);
}

void HttpServer::Ended(const HttpSession& session) {
    m_sessions.erase(&session);
}

void HttpServer::Publish(const std::string& stream, const std::string& event, const std::string& data) {
    // An empty name is the keep-alive comment to every stream.
    std::string bytes = stream.empty() ? ":" : "event: " + event + "\ndata: ";
    for (const char c : data) {
        bytes += c == '\n' ? std::string("\ndata: ") : std::string(1, c);
    }
    bytes += "\n\n";
    std::vector<std::shared_ptr<HttpSession>> readers;
    for (const auto& [key, session] : m_sessions) {
        if (!session->Stream().empty() && (stream.empty() || session->Stream() == stream)) {
            readers.push_back(session);
        }
    }
    // A push may close a session, which leaves the map: the readers are gathered first.
    for (const std::shared_ptr<HttpSession>& session : readers) {
        session->Push(bytes);
    }
    if (stream.empty()) {
        KeepStreamsAlive();
    }
}

std::set<std::string> HttpServer::StreamOwners(const std::string& stream) const {
    std::set<std::string> owners;
    for (const auto& [key, session] : m_sessions) {
        if (session->Stream() == stream && !stream.empty()) {
            owners.insert(session->StreamOwner());
        }
    }
    return owners;
}

void HttpServer::CloseStreams(const std::string& owner) {
    std::vector<std::shared_ptr<HttpSession>> owned;
    for (const auto& [key, session] : m_sessions) {
        if (!session->Stream().empty() && session->StreamOwner() == owner) {
            owned.push_back(session);
        }
    }
    // Closing a session takes it out of the map: they are gathered first.
    for (const std::shared_ptr<HttpSession>& session : owned) {
        session->Close();
    }
}

}  // namespace admin

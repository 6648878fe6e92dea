// The admin listener: HTTP/1.1 on the game thread's io_context, a session per connection, within
// bounds like the game port's (head and body sizes, a read timeout, an idle keep-alive timeout, a
// number of connections). Requests go to a Router; event streams stay open and get what Publish
// sends them.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

#include "Router.h"

namespace admin {

struct HttpLimits {
    std::size_t maxHeadBytes = 8u << 10;
    std::size_t maxBodyBytes = 64u << 10;
    // A request must arrive whole this long after its connection was made or its first byte may
    // come; a kept-alive connection waits this long for the next request.
    std::chrono::milliseconds readTimeout{10'000};
    std::chrono::milliseconds idleTimeout{30'000};
    // Connections open at once, event streams included; more are closed as soon as accepted.
    int maxConnections = 64;
    // Bytes of events waiting for one stream; a stream whose reader is slower is closed.
    std::size_t maxStreamBytes = 64u << 10;
};

class HttpSession;

class HttpServer {
public:
    // Throws boost::system::system_error when the address cannot be bound.
    HttpServer(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint,
               const Router& router, const HttpLimits& limits);

    boost::asio::ip::tcp::endpoint Endpoint() const { return m_acceptor.local_endpoint(); }
    void Start();
    // Sends an event (a name and its data, a line of it per line) to every open stream of `stream`.
    void Publish(const std::string& stream, const std::string& event, const std::string& data);
    // The owners of the open streams of `stream`.
    std::set<std::string> StreamOwners(const std::string& stream) const;
    // Closes the streams that `owner` owns.
    void CloseStreams(const std::string& owner);

    // The session's side.
    const Router& Routes() const { return m_router; }
    const HttpLimits& Limits() const { return m_limits; }
    void Opened(const std::shared_ptr<HttpSession>& session);
    void Ended(const HttpSession& session);

private:
    void Accept();
    void KeepStreamsAlive();

    boost::asio::ip::tcp::acceptor m_acceptor;
    boost::asio::steady_timer m_pause;
    boost::asio::steady_timer m_keepAlive;
    const Router& m_router;
    const HttpLimits m_limits;
    // Every open session, held here: an event stream waits on nothing between its events.
    std::unordered_map<const HttpSession*, std::shared_ptr<HttpSession>> m_sessions;
};

}  // namespace admin

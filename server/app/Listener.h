// Accepts TCP connections and hands each to the hall. When accepting fails (the process is out of
// file descriptors), it waits before it tries again, longer each time up to a second, and logs the
// failures once per interval. It runs on the game thread; each connection's socket lives on a
// strand of its own of the sockets' context (the game thread's, or that of the threads of the sockets).
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "Hall.h"
#include "Limits.h"
#include "Log.h"

namespace server {

class Listener {
public:
    // Accepts on `io` and gives each connection to `sockets`, on a strand of its own when that is
    // another context (the sockets' threads). Throws boost::system::system_error when the address
    // cannot be bound.
    Listener(boost::asio::io_context& io, boost::asio::io_context& sockets,
             const boost::asio::ip::tcp::endpoint& endpoint, Hall& hall, const Limits& limits);

    boost::asio::ip::tcp::endpoint Endpoint() const { return m_acceptor.local_endpoint(); }
    void Start() { Accept(); }
    void Close();

private:
    void Accept();
    void Failed(const boost::system::error_code& error);

    boost::asio::io_context& m_sockets;
    const bool m_strands;  // the sockets run on threads of their own
    boost::asio::ip::tcp::acceptor m_acceptor;
    boost::asio::steady_timer m_pause;
    std::chrono::milliseconds m_backOff{0};
    LogLimiter m_failures;
    Hall& m_hall;
    const Limits& m_limits;
};

}  // namespace server

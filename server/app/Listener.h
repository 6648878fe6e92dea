// Accepts TCP connections and hands each to the hall.
#pragma once

#include <asio/ip/tcp.hpp>

#include "Hall.h"
#include "Limits.h"

namespace server {

class Listener {
public:
    // Throws asio::system_error when the address cannot be bound.
    Listener(asio::io_context& io, const asio::ip::tcp::endpoint& endpoint, Hall& hall, const Limits& limits);

    asio::ip::tcp::endpoint Endpoint() const { return m_acceptor.local_endpoint(); }
    void Start() { Accept(); }
    void Close();

private:
    void Accept();

    asio::ip::tcp::acceptor m_acceptor;
    Hall& m_hall;
    const Limits& m_limits;
};

}  // namespace server

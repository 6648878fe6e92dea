#include "Listener.h"

#include "Connection.h"
#include "Log.h"

namespace server {

Listener::Listener(asio::io_context& io, const asio::ip::tcp::endpoint& endpoint, Hall& hall,
                   const Limits& limits)
    : m_acceptor(io, endpoint), m_hall(hall), m_limits(limits) {}

void Listener::Close() {
    asio::error_code ignored;
    m_acceptor.close(ignored);
}

void Listener::Accept() {
    m_acceptor.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted || !m_acceptor.is_open()) {
            return;
        }
        if (error) {
            // Out of descriptors and the like: the connection is lost, the listener goes on.
            Log(Level::Warn, "accept failed: " + error.message());
        } else {
            const auto connection = std::make_shared<Connection>(std::move(socket), m_hall, m_limits);
            if (m_hall.Join(connection)) {
                connection->Start();
            }
        }
        Accept();
    });
}

}  // namespace server

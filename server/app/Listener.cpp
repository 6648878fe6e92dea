#include "Listener.h"

#include <boost/asio/strand.hpp>

#include "Connection.h"

namespace server {

namespace {

constexpr auto kFirstPause = std::chrono::milliseconds(10);
constexpr auto kLongestPause = std::chrono::milliseconds(1000);

}  // namespace

Listener::Listener(boost::asio::io_context& io, boost::asio::io_context& sockets,
                   const boost::asio::ip::tcp::endpoint& endpoint, Hall& hall, const Limits& limits)
    : m_sockets(sockets),
      m_strands(&sockets != &io),
      m_acceptor(io, endpoint),
      m_pause(io),
      m_hall(hall),
      m_limits(limits) {}

void Listener::Close() {
    boost::system::error_code ignored;
    m_acceptor.close(ignored);
    m_pause.cancel();
}

void Listener::Accept() {
    // The game's context has one thread: a connection there needs no strand.
    const boost::asio::any_io_executor executor =
        m_strands ? boost::asio::any_io_executor(boost::asio::make_strand(m_sockets))
                  : boost::asio::any_io_executor(m_sockets.get_executor());
    m_acceptor.async_accept(
        executor, [this](const boost::system::error_code& error, boost::asio::ip::tcp::socket socket) {
            if (error == boost::asio::error::operation_aborted || !m_acceptor.is_open()) {
                return;
            }
            if (error) {
                Failed(error);
                return;
            }
            m_backOff = {};
            const auto connection =
                std::make_shared<Connection>(std::move(socket), m_hall, m_hall.Executor(), m_limits);
            if (m_hall.Join(connection)) {
                connection->Start();
            }
            Accept();
        });
}

void Listener::Failed(const boost::system::error_code& error) {
    // Out of descriptors and the like: the connection waits in the kernel's queue, and trying
    // again at once would only fail again.
    m_backOff = std::clamp(2 * m_backOff, std::chrono::milliseconds(kFirstPause), kLongestPause);
    m_failures(Level::Warn, "accept failed: " + error.message() + "; trying again after pauses of up to " +
                                std::to_string(kLongestPause.count()) + " ms");
    m_pause.expires_after(m_backOff);
    m_pause.async_wait([this](const boost::system::error_code& cancelled) {
        if (!cancelled && m_acceptor.is_open()) {
            Accept();
        }
    });
}

}  // namespace server

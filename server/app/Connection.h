// One client's TCP connection: it cuts the incoming bytes into frames for the hall and writes the
// frames the hall sends it, from a bounded queue. A connection that breaks the frame format, stays
// silent too long or does not read what it is sent is closed.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Frame.h"

namespace server {

class Hall;

// A frame's bytes, shared by every connection it goes to.
using SharedFrame = std::shared_ptr<const std::vector<char>>;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    // Closed when nothing arrives for this long (clients send a heartbeat every 15 seconds).
    static constexpr auto kIdleTimeout = std::chrono::seconds(60);
    // Bytes waiting to be written beyond which the client counts as not reading.
    static constexpr std::size_t kMaxQueuedBytes = 8u << 20;

    Connection(asio::ip::tcp::socket socket, Hall& hall);

    void Start();
    void Send(SharedFrame frame);
    // Closes the socket; the hall is told once.
    void Close(const std::string& why);

    const std::string& Peer() const { return m_peer; }
    bool IsOpen() const { return m_open; }
    int playerId = 0;  // 0 until logged in

private:
    void Read();
    void Write();
    void ArmIdleTimer();

    asio::ip::tcp::socket m_socket;
    asio::steady_timer m_idle;
    Hall& m_hall;
    std::string m_peer;
    wire::FrameReader m_reader;
    std::deque<SharedFrame> m_queue;
    std::size_t m_queuedBytes = 0;
    bool m_writing = false;
    bool m_open = true;
};

}  // namespace server

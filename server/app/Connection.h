// One client's TCP connection: it cuts the incoming bytes into frames for the hall, at most as fast
// as its rate limit allows, and writes the frames the hall sends it from a bounded queue. A
// connection that breaks the frame format, sends no whole frame for too long or does not read
// what it is sent is closed.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <deque>

#include "Frame.h"
#include "Limits.h"
#include "Peer.h"

namespace server {

class Hall;

class Connection final : public Peer {
public:
    Connection(asio::ip::tcp::socket socket, Hall& hall, const Limits& limits);

    // Starts reading; the hall must have been told (Hall::Join).
    void Start();
    void Send(SharedFrame frame) override;
    void Close(const std::string& why) override;
    bool IsOpen() const override { return m_open; }

private:
    std::shared_ptr<Connection> Self() { return std::static_pointer_cast<Connection>(shared_from_this()); }
    void Read();
    // Hands the buffered whole frames to the hall while the rate limit allows, then reads on.
    void Dispatch();
    // Charges a frame to the rate limit's bucket; false when the bucket is in debt and the client
    // must wait until it refills.
    bool Charge();
    void Write();
    void ArmIdleTimer();

    asio::ip::tcp::socket m_socket;
    asio::steady_timer m_idle;
    asio::steady_timer m_resume;  // the rate limit's pause
    Hall& m_hall;
    const Limits& m_limits;
    wire::FrameReader m_reader;
    double m_tokens;
    std::chrono::steady_clock::time_point m_refilled;
    std::deque<SharedFrame> m_queue;
    std::size_t m_queuedBytes = 0;
    bool m_writing = false;
    bool m_open = true;
};

}  // namespace server

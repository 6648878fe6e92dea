// One client's TCP connection: it cuts the incoming bytes into frames for the hall, at most as fast
// as its rate limit allows, and writes the frames the hall sends it from a bounded queue. A
// connection that breaks the frame format, does not log in in time, sends no whole frame for too
// long or does not read what it is sent is closed. Until it has logged in, its frames are no
// larger than a login.
//
// Its socket and timers live on the game thread, or on a strand of their own on the threads of the
// sockets (--io-threads): what it hands the hall goes to the hall's executor, and what the hall asks
// of it (Send, Close, Finish, LoggedIn) to its own, each in the order made. On the game thread
// both are carried out at once, without a round through the queue of the game's context.
#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <optional>
#include <vector>

#include "Frame.h"
#include "Limits.h"
#include "Peer.h"

namespace server {

class Hall;

class Connection final : public Peer {
public:
    // `socket`'s executor is the connection's (a strand, unless it is the hall's one thread); `hall`
    // runs on `hallExecutor`.
    Connection(boost::asio::ip::tcp::socket socket, Hall& hall, boost::asio::any_io_executor hallExecutor,
               const Limits& limits);

    // Starts reading; the hall must have been told (Hall::Join).
    void Start();
    void Send(SharedFrame frame) override;
    void Close(const std::string& why) override;
    void Finish(const std::string& why) override;
    void LoggedIn() override;
    bool IsOpen() const override { return m_open; }
    std::size_t QueuedBytes() const override { return m_queuedBytes; }

private:
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<Connection> Self() { return std::static_pointer_cast<Connection>(shared_from_this()); }
    // Runs `job` on the connection's executor (its strand, or at once on the game thread), keeping
    // the connection alive until then.
    template <typename Job>
    void OnStrand(Job job);
    // Send, Close and Finish as the strand carries them out.
    void Queue(SharedFrame frame);
    void End(const std::string& why);
    void Drain(const std::string& why);
    void Read();
    // Hands the buffered whole frames to the hall while the rate limit allows, then reads on.
    void Dispatch();
    // Charges a frame to the rate limit's bucket; false when the bucket is in debt and the client
    // must wait until it refills.
    bool Charge(Clock::time_point now);
    void Write();
    // When the connection is closed unless a frame (or the login) comes first.
    Clock::time_point Deadline() const;
    // Waits for the deadline, which frames move on without touching the timer.
    void WatchDeadline();

    boost::asio::ip::tcp::socket m_socket;
    boost::asio::steady_timer m_deadline;
    boost::asio::steady_timer m_resume;  // the rate limit's pause
    Hall& m_hall;
    boost::asio::any_io_executor m_hallExecutor;
    const Limits& m_limits;
    bool m_loggedIn = false;  // the hall said so (LoggedIn)
    // On the hall's thread: the hall has closed or finished it, and hears none of its frames since.
    bool m_told = false;
    std::atomic<int> m_framesInHall = 0;  // handed to the hall and not yet taken
    bool m_waitingForHall = false;        // not read until the hall has taken most of them
    wire::FrameReader m_reader{wire::kMaxPreLoginFrame};
    double m_tokens;
    Clock::time_point m_refilled;
    Clock::time_point m_lastFrame;
    std::vector<SharedFrame> m_queue;            // not yet in a write
    std::atomic<std::size_t> m_queuedBytes = 0;  // sent by the hall and not yet written
    bool m_writing = false;
    std::atomic<bool> m_open = true;
    std::optional<std::string> m_finishing;  // why, once Finish was called
};

}  // namespace server

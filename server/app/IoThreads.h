// The threads that read and write the game port's sockets (--io-threads): with none, the game
// thread runs the sockets on its own context; with N, they run on a context of their own, which N
// threads run until the server has written its last answers.
#pragma once

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <optional>
#include <thread>
#include <vector>

namespace server {

class IoThreads {
public:
    explicit IoThreads(int count);
    // Stops the threads at once, when Finish or Abandon has not.
    ~IoThreads();
    IoThreads(const IoThreads&) = delete;
    IoThreads& operator=(const IoThreads&) = delete;

    // The context of the sockets: the threads' own, or `game` when there are none.
    boost::asio::io_context& Sockets(boost::asio::io_context& game);
    void Start();
    // Lets the threads end once no socket is left open (every connection closed), and waits for them.
    void Finish();
    // Stops the threads where they stand (sockets still open stay unread), and waits for them.
    void Abandon();

private:
    void Join();

    int m_count;
    boost::asio::io_context m_context;  // unused when there are no threads
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> m_work;
    std::vector<std::thread> m_threads;
};

}  // namespace server

#include "IoThreads.h"

#include <algorithm>

namespace server {

IoThreads::IoThreads(int count) : m_count(count), m_context(std::max(count, 1)) {
    if (count > 0) {
        m_work.emplace(m_context.get_executor());
    }
}

IoThreads::~IoThreads() {
    Abandon();
}

boost::asio::io_context& IoThreads::Sockets(boost::asio::io_context& game) {
    return m_count > 0 ? m_context : game;
}

void IoThreads::Start() {
    for (int i = 0; i < m_count; ++i) {
        m_threads.emplace_back([this] { m_context.run(); });
    }
}

void IoThreads::Finish() {
    m_work.reset();
    Join();
}

void IoThreads::Abandon() {
    m_context.stop();
    Join();
}

void IoThreads::Join() {
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    m_threads.clear();
}

}  // namespace server

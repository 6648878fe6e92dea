#include "StoreWorker.h"

namespace server {

StoreWorker::StoreWorker(store::Store& store, Mode mode) : m_store(store) {
    if (mode == Mode::OwnThread) {
        m_thread = std::thread([this] { Run(); });
    }
}

StoreWorker::~StoreWorker() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void StoreWorker::Post(std::function<void(store::Store&)> job) {
    if (!m_thread.joinable()) {
        job(m_store);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void StoreWorker::Run() {
    for (;;) {
        std::function<void(store::Store&)> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job(m_store);
    }
}

}  // namespace server

#include "StoreWorker.h"

namespace server {

StoreWorker::StoreWorker(store::Store& store) : m_store(store), m_thread([this] { Run(); }) {}

StoreWorker::~StoreWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void StoreWorker::Post(std::function<void(store::Store&)> job) {
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

#include "PasswordChecks.h"

#include <boost/asio/post.hpp>

#include "Operators.h"

namespace server {

PasswordChecks::PasswordChecks() : m_thread([this] { Run(); }) {}

PasswordChecks::~PasswordChecks() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

bool PasswordChecks::Check(boost::asio::any_io_executor executor, std::string password,
                           std::optional<store::Operator> op, std::function<void(bool)> done) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_jobs.size() >= kMaxWaiting) {
            return false;
        }
        m_jobs.push_back({std::move(executor), std::move(password), std::move(op), std::move(done)});
    }
    m_wake.notify_one();
    return true;
}

void PasswordChecks::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        const bool matches = store::PasswordMatches(job.password, store::HashToCheck(job.op));
        boost::asio::post(job.executor, [done = std::move(job.done), matches] { done(matches); });
    }
}

}  // namespace server

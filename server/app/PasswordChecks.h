// Operators' password checks on a thread of their own: an Argon2id hash takes a fraction of a
// second, which neither the game thread nor the store's may spend. Checks run one at a time and at
// most kMaxWaiting wait; more are refused at once, so that a storm of logins costs a bounded queue.
#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "Store.h"

namespace server {

class PasswordChecks {
public:
    static constexpr std::size_t kMaxWaiting = 8;

    PasswordChecks();
    // Finishes the check under way, drops those waiting, then stops the thread.
    ~PasswordChecks();
    PasswordChecks(const PasswordChecks&) = delete;
    PasswordChecks& operator=(const PasswordChecks&) = delete;

    // Compares `password` with the operator's hash (store::HashToCheck) on the checks' thread,
    // then calls `done` with whether it matches on `executor`; false (and `done` is never called)
    // when too many wait.
    bool Check(boost::asio::any_io_executor executor, std::string password, std::optional<store::Operator> op,
               std::function<void(bool)> done);

private:
    struct Job {
        boost::asio::any_io_executor executor;
        std::string password;
        std::optional<store::Operator> op;
        std::function<void(bool)> done;
    };
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace server

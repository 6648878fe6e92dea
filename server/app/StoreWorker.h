// The store's own thread: commits and look-ups run there, one at a time, so that the game's thread
// never waits for the disk. Each job's completion is posted back to the game's executor. A worker
// without a thread runs each job at once on the caller's thread (the fuzzer's deterministic runs).
#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/post.hpp>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>

#include "Log.h"
#include "Store.h"

namespace server {

class StoreWorker {
public:
    enum class Mode { OwnThread, Inline };
    explicit StoreWorker(store::Store& store, Mode mode = Mode::OwnThread);
    // Finishes the jobs queued, then stops the thread.
    ~StoreWorker();
    StoreWorker(const StoreWorker&) = delete;
    StoreWorker& operator=(const StoreWorker&) = delete;

    // Runs `job` on the store's thread.
    void Post(std::function<void(store::Store&)> job);

    // Runs `job` on the store's thread, then `done` with its result on `executor`.
    template <typename Job, typename Done>
    void Call(boost::asio::any_io_executor executor, Job job, Done done) {
        Post([executor, job = std::move(job), done = std::move(done)](store::Store& store) mutable {
            auto result = job(store);
            boost::asio::post(executor, [done = std::move(done), result = std::move(result)]() mutable {
                done(std::move(result));
            });
        });
    }

    // Like Call, for a job that may throw: its failure is logged as "cannot <what>: <error>", and
    // `done` gets `otherwise` instead.
    template <typename Job, typename Done>
    void CallOr(boost::asio::any_io_executor executor, std::string what, Job job,
                std::invoke_result_t<Job&, store::Store&> otherwise, Done done) {
        Call(
            executor,
            [what = std::move(what), job = std::move(job),
             otherwise = std::move(otherwise)](store::Store& store) mutable {
                try {
                    return job(store);
                } catch (const std::exception& error) {
                    Log(Level::Error, "cannot " + what + ": " + error.what());
                    return std::move(otherwise);
                }
            },
            std::move(done));
    }

private:
    void Run();

    store::Store& m_store;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void(store::Store&)>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace server

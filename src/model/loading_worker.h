// One thread beside the main one for the slow steps of loading that need no
// GL (importing a model file, decoding an image), so that the main thread,
// which holds the GL context, keeps the window answering while it waits.
// Jobs run one at a time in the order given, and their results come back to
// the caller that waits for them, so whatever the main thread then does with
// them happens in the same order on every run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

class LoadingWorker {
public:
    LoadingWorker();
    // Finishes the job in hand, drops any still waiting, and joins.
    ~LoadingWorker();
    LoadingWorker(const LoadingWorker&) = delete;
    LoadingWorker& operator=(const LoadingWorker&) = delete;

    // Runs `job` on the worker and returns what it returns (or rethrows what
    // it throws); meanwhile calls `whileWaiting` every `interval`.
    template <class Job>
    auto run(Job job, const std::function<void()>& whileWaiting, std::chrono::milliseconds interval)
        -> decltype(job())
    {
        using Result = decltype(job());
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
        std::future<Result> result = task->get_future();
        post([task] { (*task)(); });
        while (result.wait_for(interval) != std::future_status::ready) {
            if (whileWaiting) {
                whileWaiting();
            }
        }
        return result.get();
    }

private:
    void post(std::function<void()> job);
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    // Last, so that it starts after everything it reads exists.
    std::thread thread_;
};

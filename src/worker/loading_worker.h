// The viewer's side of the loading worker: a separate process that imports
// model files and decodes images, so that a file which crashes the import
// library, or would take the viewer's time or memory, costs one model or
// one texture and never the viewer. One request at a time; the limits each
// request carries are set on the running worker before it reads it, and a
// worker that fails or ends a request near a limit is replaced for the
// next. The worker is started with this object and killed with it.
// Its platform's half is worker_process.h; the program is worker_main.cpp.
#pragma once

#include "loading/loader.h"
#include "worker/worker_process.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// How long a worker is waited for before it is taken for broken rather
// than busy: to say it is ready (it takes milliseconds), and to use any
// processor time at all while a request runs (an import or a decode uses
// it all the time). Tests shorten them.
struct WorkerPatience {
    double startSeconds = 5.0;
    double stallSeconds = 15.0;
};

// A worker that twice failed this way (never ready, or stalled) is broken,
// not given a hostile file (which uses its time, and is stopped by its
// limits): every later request is refused at once, so a start-up with a
// broken worker ends in seconds rather than a wait for each model.
inline constexpr int kBrokenWorkerSigns = 2;

class LoadingWorker {
public:
    // `program` is the worker's file. `whileWaiting` (the window's event
    // poll) runs every kLoadingPollInterval while a request runs; once it
    // returns false the worker is killed at once and every later request
    // comes back cancelled.
    explicit LoadingWorker(std::string program, std::function<bool()> whileWaiting = {},
                           WorkerPatience patience = {});
    ~LoadingWorker();
    LoadingWorker(const LoadingWorker&) = delete;
    LoadingWorker& operator=(const LoadingWorker&) = delete;

    // Runs `request` in the worker (starting one when none is running) and
    // returns its reply; a worker that crashes, passes a limit or answers
    // nonsense gives a reply with a failure. Never throws.
    LoadReply run(const LoadRequest& request);

    // The worker's process id, 0 while none runs (for tests that kill it).
    long processId() const;

private:
    // Starts a worker in place of the one before, if any.
    bool start(std::string& why);
    // The request's exchange with the worker, started if need be.
    LoadReply exchange(const LoadRequest& request);
    std::string stop(const LoadRequest& request, const std::string& otherwise, bool ending = false);
    // Whether the request took more than kNearLimit of a limit, or grew the
    // worker by more than kMostKeptGrowth.
    bool nearLimits(const LoadLimits& limits);
    // whileWaiting_, and false (with `stalled` set) once the worker has
    // used next to no processor time for patience_.stallSeconds.
    std::function<bool()> watchForStall(bool& stalled);

    std::string program_;
    std::function<bool()> whileWaiting_;
    WorkerPatience patience_;
    bool cancelled_ = false;
    // Workers that never became ready, and requests they stalled on.
    int brokenSigns_ = 0;
    OwnedWorkerProcess process_;
    // Its limits are set only once it says it is ready: a limit set while
    // it is still loading its libraries would stop it there.
    bool ready_ = false;
    // What the worker had used when the request in hand began.
    double cpuBefore_ = 0.0;
    std::uint64_t memoryBefore_ = 0;
};

// The desktop's Loader: requests run by a LoadingWorker on `program`.
Loader workerLoader(std::string program, std::function<bool()> whileWaiting);

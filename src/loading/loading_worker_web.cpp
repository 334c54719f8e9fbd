// The loading worker in the browser, where a page can start no process: a
// request runs in the page itself, which the browser's own sandbox
// contains, with its memory counted against the request's limit as the
// worker's is. Processor and wall-clock limits need a process to stop, so
// there they do not hold; a page that takes too long is the browser's to
// stop. (The web build takes this file in place of loading_worker.cpp and
// the platform halves.)
#ifdef __EMSCRIPTEN__

#include "loading/load_runner.h"
#include "loading/loading_worker.h"

#include <utility>

struct WorkerProcess {};

void WorkerProcessEnd::operator()(WorkerProcess* worker) const
{
    delete worker;
}

LoadingWorker::LoadingWorker(std::string program, std::function<bool()> whileWaiting)
    : program_(std::move(program)), whileWaiting_(std::move(whileWaiting))
{
}

LoadingWorker::~LoadingWorker() = default;

long LoadingWorker::processId() const
{
    return 0;
}

LoadReply LoadingWorker::run(const LoadRequest& request)
{
    cancelled_ = cancelled_ || (whileWaiting_ && !whileWaiting_());
    if (cancelled_) {
        LoadReply cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    return runLoadRequest(request);
}

#endif

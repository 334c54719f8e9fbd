// How LoadCache has its requests answered: a Loader, a record of functions
// with two makers. The desktop's runs each request in the loading worker
// process (worker/loading_worker.h); the one below runs it in this process,
// as the browser's page must, having no process to start.
#pragma once

#include "loading/request/load_request.h"

#include <chrono>
#include <functional>

// The longest a loader's `whileWaiting` goes uncalled while a request runs:
// long enough to be nothing next to the work, short enough that moving or
// closing the window never stalls.
inline constexpr std::chrono::milliseconds kLoadingPollInterval{50};

struct Loader {
    // The reply to a request: with a failure when it could not be answered
    // (a crash, a limit, a malformed reply), cancelled, as is every later
    // one, once `whileWaiting` has said stop. Never throws.
    std::function<LoadReply(const LoadRequest&)> run;
};

// Answers each request in this process, which the browser's own sandbox
// contains where this is the page, with its memory counted against the
// request's limit as the worker's is. Processor and wall-clock limits need a
// process to stop, so here they do not hold: a page that takes too long is
// the browser's to stop. `whileWaiting` is asked before each request.
Loader inProcessLoader(std::function<bool()> whileWaiting);

// The work of one request in the calling process: what the worker does for
// each request it takes, and what inProcessLoader runs.
LoadReply runLoadRequest(const LoadRequest& request);

// The failure text of a request that ran out of its `bytes` of memory.
std::string memoryLimitFailure(LoadKind kind, std::uint64_t bytes);
// The reply to such a request.
LoadReply memoryLimitReply(LoadKind kind, std::uint64_t bytes);

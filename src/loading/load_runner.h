// Answers a load request in the calling process: the work the loading worker
// does for each request, and all the browser, which has no process to
// start, can do. The memory limit is counted (memory_count.h); processor
// and wall-clock limits need the worker.
#pragma once

#include "loading/load_request.h"

LoadReply runLoadRequest(const LoadRequest& request);

// The failure text of a request that ran out of its `bytes` of memory.
std::string memoryLimitFailure(LoadKind kind, std::uint64_t bytes);

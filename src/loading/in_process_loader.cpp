#include "loading/loader.h"

#include "loading/request/request_kinds.h"
#include "loading/work/memory_count.h"

#include <utility>

std::string memoryLimitFailure(LoadKind kind, std::uint64_t bytes)
{
    return "needed more than the " + std::to_string(bytes / kMebibyte) + " MiB of memory allowed for " +
           requestKind(kind).name;
}

LoadReply memoryLimitReply(LoadKind kind, std::uint64_t bytes)
{
    LoadReply reply;
    reply.failure = memoryLimitFailure(kind, bytes);
    reply.overMemoryLimit = true;
    return reply;
}

LoadReply runLoadRequest(const LoadRequest& request)
{
    const RequestKind& kind = requestKind(request.kind);
    LoadReply reply;
    beginCountedRequest(request.limits.memoryBytes);
    const auto start = std::chrono::steady_clock::now();
    kind.run(request.path, reply);
    // Whatever the import or decoder made of an allocation it was refused,
    // the reason it failed is the limit.
    if (!kind.answered(reply) && countedRequestRanOut()) {
        reply = memoryLimitReply(request.kind, request.limits.memoryBytes);
    }
    reply.decodeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    beginCountedRequest(0);
    return reply;
}

Loader inProcessLoader(std::function<bool()> whileWaiting)
{
    return {[whileWaiting = std::move(whileWaiting), cancelled = false](const LoadRequest& request) mutable {
        cancelled = cancelled || (whileWaiting && !whileWaiting());
        if (cancelled) {
            LoadReply reply;
            reply.cancelled = true;
            return reply;
        }
        return runLoadRequest(request);
    }};
}

// The loading worker: answers the viewer's load requests one at a time,
// inside a sandbox where the system has one, until the viewer closes its
// channel (worker_transport.h) or dies. It writes nothing anywhere but its
// replies, and its standard streams lead nowhere.
#include "loading/loader.h"
#include "loading/request/reply_format.h"
#include "loading/work/memory_count.h"
#include "worker/worker_protocol.h"
#include "worker/worker_transport.h"

#include <vector>

namespace {

// The reply's memory is the request's too: it lies beside what the
// request still holds until it is sent, and the viewer keeps it (with
// the records and the driver's copy it makes of it). A reply that would
// pass the limit either way is not sent; its request failed for memory.
bool replyFits(const LoadReply& reply, const LoadRequest& request, std::uint64_t held)
{
    const std::uint64_t limit = request.limits.memoryBytes;
    return limit == 0 ||
           (held + replySize(reply, request.kind) <= limit && replyCost(reply, request.kind) <= limit);
}

}  // namespace

int main(int argc, char** argv)
{
    if (const int failed = connectToViewer(argc, argv); failed != 0) {
        return failed;
    }
    static std::vector<char> message(sizeof(RequestMessage) + kMaxRequestPathBytes);
    for (std::size_t size = 0; receiveRequest(message, size);) {
        LoadRequest request;
        if (!parseRequestMessage(message.data(), size, request)) {
            return kWorkerBadStart;
        }
        const std::uint64_t before = countedBytes();
        LoadReply reply = runLoadRequest(request);
        const std::uint64_t after = countedBytes();
        const std::uint64_t held = after > before ? after - before : 0;
        if (!replyFits(reply, request, held)) {
            reply = memoryLimitReply(request.kind, request.limits.memoryBytes);
        }
        // Memory for the reply can still be refused (the address-space or
        // file-size limit): that, too, is the request's memory, said in a
        // reply small enough to go.
        if (!sendReply(reply, request.kind) &&
            !sendReply(memoryLimitReply(request.kind, request.limits.memoryBytes), request.kind)) {
            return kWorkerReplyFailed;
        }
    }
    return 0;
}

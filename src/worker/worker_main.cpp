// The loading worker: answers the viewer's load requests one at a time,
// inside a sandbox where the system has one, until the viewer closes its
// channel (worker_transport.h) or dies. It writes nothing anywhere but its
// replies, and its standard streams lead nowhere.
#include "loading/loader.h"
#include "worker/worker_protocol.h"
#include "worker/worker_transport.h"

#include <vector>

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
        if (!sendReply(runLoadRequest(request), request.kind)) {
            return kWorkerReplyFailed;
        }
    }
    return 0;
}

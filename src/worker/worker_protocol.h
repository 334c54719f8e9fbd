// What passes between the viewer and the loading worker besides the reply
// itself: the request message, the reply's announcement and the exit codes
// the worker ends with. Both sides include this one header.
#pragma once

#include "loading/request/request_kinds.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// The descriptor the worker finds its end of the socket on.
constexpr int kWorkerSocketDescriptor = 3;

// Ahead of the path's bytes in the one message a request is.
struct RequestMessage {
    LoadKind kind;
    std::uint32_t pathBytes;
    std::uint64_t memoryBytes;
};
// Longer paths are refused by the file system anyway.
constexpr std::uint32_t kMaxRequestPathBytes = 1 << 16;

// The one byte the worker sends once it is ready for requests.
constexpr char kWorkerReady = 'R';

// The request in a message of `size` bytes; false when it is not one.
inline bool parseRequestMessage(const char* bytes, std::size_t size, LoadRequest& request)
{
    RequestMessage header{};
    if (size < sizeof(header)) {
        return false;
    }
    std::memcpy(&header, bytes, sizeof(header));
    if (size != sizeof(header) + header.pathBytes || findRequestKind(header.kind) == nullptr) {
        return false;
    }
    request.kind = header.kind;
    request.path.assign(bytes + sizeof(header), header.pathBytes);
    request.limits.memoryBytes = header.memoryBytes;
    return true;
}

// Sent with the reply's memory (as a descriptor, or a handle on Windows).
struct ReplyMessage {
    std::uint64_t size;
    std::uint64_t handle;  // Windows: the reply mapping's handle in the worker
};

// The worker's exit codes, other than 0 (the viewer closed the socket).
enum WorkerExit : int {
    kWorkerBadStart = 70,    // started wrongly (no socket, no parent)
    kWorkerNoSandbox = 71,   // its sandbox could not be set up
    kWorkerReplyFailed = 72, // could not make or send a reply
};

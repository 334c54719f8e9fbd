// The worker program's channel to the viewer: the part of its request loop
// (worker_main.cpp) that each platform writes its own way, in
// worker_transport_linux.cpp (a socket, sealed memory for replies, a
// sandbox) and worker_transport_windows.cpp (a pipe, file mappings).
#pragma once

#include "loading/request/load_request.h"

#include <cstddef>
#include <vector>

// Checks that the viewer started this process as it starts its worker (the
// one argument is the viewer's process id), ties the process's life to the
// viewer's, shuts it in where the system can, and tells the viewer it is
// ready. 0, or the WorkerExit to end with.
int connectToViewer(int argc, char** argv);

// The next request message into `message`, its length in `size` (0 for a
// message longer than `message`, which no request is); false once the
// viewer has closed the channel.
bool receiveRequest(std::vector<char>& message, std::size_t& size);

// Hands `reply` to a `kind` request to the viewer.
bool sendReply(const LoadReply& reply, LoadKind kind);

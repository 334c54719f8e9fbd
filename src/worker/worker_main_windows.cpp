// The loading worker on Windows: answers the viewer's load requests one at
// a time, each a message on the two-way pipe that is its standard input,
// until the viewer closes the pipe or ends; its standard output and error
// lead nowhere. Each reply goes into a file mapping whose handle the viewer
// takes over (worker_protocol.h). Started by the viewer only (its one
// argument is the viewer's process id).
#ifdef _WIN32

#include "loading/load_runner.h"
#include "loading/reply_format.h"
#include "loading/worker_protocol.h"
#include "worker/sandbox.h"

// Nothing here needs user32, whose ReplyMessage() would hide the
// protocol's struct of that name.
#define WIN32_LEAN_AND_MEAN
#define NOUSER
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Hands `reply` back in a new mapping, left open for the viewer to take
// (and close here) with its handle.
bool sendReply(HANDLE pipe, const LoadReply& reply, LoadKind kind)
{
    const std::uint64_t size = replySize(reply, kind);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                        static_cast<DWORD>(size), nullptr);
    if (mapping == nullptr) {
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(size));
    if (view == nullptr) {
        return false;
    }
    writeReply(reply, kind, static_cast<unsigned char*>(view));
    UnmapViewOfFile(view);
    const ReplyMessage message{size, reinterpret_cast<std::uintptr_t>(mapping)};
    DWORD written = 0;
    return WriteFile(pipe, &message, sizeof(message), &written, nullptr) && written == sizeof(message);
}

// Ends the worker with the viewer even where the job that should do it
// could not be set up.
DWORD WINAPI watchViewer(void* viewer)
{
    WaitForSingleObject(static_cast<HANDLE>(viewer), INFINITE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // A crash ends the process with its exception code, with no dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
    HANDLE pipe = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE viewer = argc == 2 ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::atol(argv[1]))) : nullptr;
    if (viewer == nullptr || WaitForSingleObject(viewer, 0) != WAIT_TIMEOUT || GetFileType(pipe) != FILE_TYPE_PIPE) {
        return kWorkerBadStart;
    }
    HANDLE watcher = CreateThread(nullptr, 0, watchViewer, viewer, 0, nullptr);
    if (watcher == nullptr) {
        return kWorkerBadStart;
    }
    CloseHandle(watcher);
    if (!enterSandbox()) {
        return kWorkerNoSandbox;
    }
    DWORD written = 0;
    if (!WriteFile(pipe, &kWorkerReady, 1, &written, nullptr) || written != 1) {
        return kWorkerBadStart;
    }
    static std::vector<char> message(sizeof(RequestMessage) + kMaxRequestPathBytes);
    for (;;) {
        DWORD received = 0;
        // One message a read; a longer one fails with ERROR_MORE_DATA.
        if (!ReadFile(pipe, message.data(), static_cast<DWORD>(message.size()), &received, nullptr)) {
            return GetLastError() == ERROR_MORE_DATA ? kWorkerBadStart : 0;
        }
        LoadRequest request;
        if (!parseRequestMessage(message.data(), received, request)) {
            return kWorkerBadStart;
        }
        if (!sendReply(pipe, runLoadRequest(request), request.kind)) {
            return kWorkerReplyFailed;
        }
    }
}

#endif

// The worker's channel on Windows: the two-way message pipe that is its
// standard input, each reply a file mapping whose handle the viewer takes
// over (worker_protocol.h). Its containment is the job object the viewer
// puts it in, which also stops it starting programs.
#include "loading/request/reply_format.h"
#include "worker/worker_protocol.h"
#include "worker/worker_transport.h"

// Nothing here needs user32, whose ReplyMessage() would hide the
// protocol's struct of that name.
#define WIN32_LEAN_AND_MEAN
#define NOUSER
#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace {

HANDLE viewerPipe = nullptr;

// Ends the worker with the viewer even where the job that should do it
// could not be set up.
DWORD WINAPI watchViewer(void* viewer)
{
    WaitForSingleObject(static_cast<HANDLE>(viewer), INFINITE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

}  // namespace

int connectToViewer(int argc, char** argv)
{
    // A crash ends the process with its exception code, with no dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
    viewerPipe = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE viewer = argc == 2 ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::atol(argv[1]))) : nullptr;
    if (viewer == nullptr || WaitForSingleObject(viewer, 0) != WAIT_TIMEOUT ||
        GetFileType(viewerPipe) != FILE_TYPE_PIPE) {
        return kWorkerBadStart;
    }
    HANDLE watcher = CreateThread(nullptr, 0, watchViewer, viewer, 0, nullptr);
    if (watcher == nullptr) {
        return kWorkerBadStart;
    }
    CloseHandle(watcher);
    DWORD written = 0;
    if (!WriteFile(viewerPipe, &kWorkerReady, 1, &written, nullptr) || written != 1) {
        return kWorkerBadStart;
    }
    return 0;
}

bool receiveRequest(std::vector<char>& message, std::size_t& size)
{
    DWORD received = 0;
    // One message a read; a longer one fails with ERROR_MORE_DATA.
    const bool read = ReadFile(viewerPipe, message.data(), static_cast<DWORD>(message.size()), &received, nullptr);
    size = read ? received : 0;
    return read || GetLastError() == ERROR_MORE_DATA;
}

// Hands `reply` back in a new mapping, left open for the viewer to take
// (and close here) with its handle.
bool sendReply(const LoadReply& reply, LoadKind kind)
{
    const std::uint64_t size = replySize(reply, kind);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                        static_cast<DWORD>(size), nullptr);
    if (mapping == nullptr) {
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(size));
    if (view == nullptr) {
        // The caller sends a small reply instead: this one must not linger.
        CloseHandle(mapping);
        return false;
    }
    writeReply(reply, kind, static_cast<unsigned char*>(view));
    UnmapViewOfFile(view);
    const ReplyMessage message{size, reinterpret_cast<std::uintptr_t>(mapping)};
    DWORD written = 0;
    return WriteFile(viewerPipe, &message, sizeof(message), &written, nullptr) && written == sizeof(message);
}

// The worker on Windows: started suspended into a job object that kills it
// when the viewer's handle to the job closes (the viewer ends, however it
// ends), with a private message-mode pipe, both ways, as its standard input
// and NUL as its standard output and error, so that nothing it prints can
// pass for a reply. Processor and wall-clock limits are kept from here, the
// memory limit by the worker's counted allocations and, where Windows
// enforces it, by the job. The reply comes back as a file mapping the
// worker made, copied out before it is read.
//
// The pipe is named, not anonymous: only an overlapped handle can be waited
// on together with the worker's process and a time-out, which the request
// loop needs. A first-instance, local-only name that the viewer connects to
// at once leaves no one else a way in.

#include "common/system_path.h"
#include "worker/worker_process.h"

// Nothing here needs user32, whose ReplyMessage() would hide the
// protocol's struct of that name.
#define WIN32_LEAN_AND_MEAN
#define NOUSER
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <system_error>
#include <vector>

struct WorkerProcess {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    HANDLE job = nullptr;
    HANDLE pipe = nullptr;    // the viewer's end, overlapped
    HANDLE replied = nullptr; // the event the pipe's reads and writes signal
    DWORD id = 0;
};

namespace {

constexpr double kFileTimeUnitsPerSecond = 1e7;  // FILETIME counts 100 ns
// The exit code the viewer's own kill leaves; never read as the worker's.
constexpr UINT kKilledByViewer = 1;
// How long a worker whose pipe closed is given to end by itself.
constexpr DWORD kEndingGraceMs = 1000;
constexpr DWORD kPipeBufferBytes = sizeof(RequestMessage) + kMaxRequestPathBytes;
// What stops a worker that is not killed at once: its job ends it when the
// viewer's handle closes, a crash ends it without a dialog, and it cannot
// start programs of its own.
constexpr DWORD kJobLimits = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
                             JOB_OBJECT_LIMIT_ACTIVE_PROCESS;

// The C library's text for what the error code stands for, as Linux would
// word it ("No such file or directory"), or else the system's own.
std::string systemMessage(DWORD error)
{
    return std::system_category().default_error_condition(static_cast<int>(error)).message();
}

// The job's limits, with a commit limit for the worker when `memoryBytes`
// is not 0 (Wine accepts it but does not enforce it).
void setJobLimits(HANDLE job, std::uint64_t memoryBytes)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = kJobLimits | (memoryBytes != 0 ? JOB_OBJECT_LIMIT_PROCESS_MEMORY : 0);
    limits.BasicLimitInformation.ActiveProcessLimit = 1;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(memoryBytes);
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
}

// The exceptions a worker most likely ended on, named as a signal would be.
const char* exceptionName(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case STATUS_HEAP_CORRUPTION: return "heap corruption";
    case STATUS_STACK_BUFFER_OVERRUN: return "stack buffer overrun";
    default: return nullptr;
    }
}

std::string endedWorker(DWORD status)
{
    // Exit codes with both top bits set are NTSTATUS errors: an exception
    // ended the process.
    constexpr DWORD kErrorSeverity = 0xC0000000;
    if ((status & kErrorSeverity) == kErrorSeverity) {
        char code[sizeof("0x00000000")];
        std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(status));
        const char* name = exceptionName(status);
        return std::string("the loading worker crashed (exception ") + code + (name ? std::string(", ") + name : "") + ")";
    }
    return workerExitFailure(status);
}

}  // namespace

// Processor seconds the worker has used. Wine counts none for another
// process, but does for its threads, and the worker's work runs on its
// first thread: the larger of the two holds on both.
double workerCpuSeconds(WorkerProcess& worker)
{
    FILETIME created, exited, kernel, user, threadKernel, threadUser;
    const auto total = [](const FILETIME& a, const FILETIME& b) {
        const auto units = [](const FILETIME& time) {
            return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        };
        return static_cast<double>(units(a) + units(b)) / kFileTimeUnitsPerSecond;
    };
    const double process =
        GetProcessTimes(worker.process, &created, &exited, &kernel, &user) ? total(kernel, user) : 0.0;
    const double thread = GetThreadTimes(worker.thread, &created, &exited, &threadKernel, &threadUser)
                              ? total(threadKernel, threadUser)
                              : 0.0;
    return std::max(process, thread);
}

OwnedWorkerProcess startWorkerProcess(const std::string& program, std::string& why)
{
    static std::atomic<unsigned> started{0};
    const std::wstring pipeName = L"\\\\.\\pipe\\vorlune-worker-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(started++);
    OwnedWorkerProcess process(new WorkerProcess);
    process->pipe = CreateNamedPipeW(pipeName.c_str(),
                                     PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                     kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
    if (process->pipe == INVALID_HANDLE_VALUE) {
        why = systemMessage(GetLastError());
        return nullptr;
    }
    // Only the worker's end and NUL are inherited, and only by the worker.
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE workerEnd = CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0,
                                   nullptr);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                             OPEN_EXISTING, 0, nullptr);
    DWORD messages = PIPE_READMODE_MESSAGE;
    process->replied = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    process->job = CreateJobObjectW(nullptr, nullptr);
    HANDLE toInherit[] = {workerEnd, nul};
    SIZE_T attributesSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributesSize);
    std::vector<std::uintptr_t> attributes(attributesSize / sizeof(std::uintptr_t) + 1);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = workerEnd;
    startup.StartupInfo.hStdOutput = nul;
    startup.StartupInfo.hStdError = nul;
    startup.lpAttributeList = list;
    PROCESS_INFORMATION info{};
    // The path cannot hold a quote, so quoting it is enough.
    const std::wstring path = pathFromUtf8(program).native();
    std::wstring commandLine = L"\"" + path + L"\" " + std::to_wstring(GetCurrentProcessId());
    const bool prepared = workerEnd != INVALID_HANDLE_VALUE && nul != INVALID_HANDLE_VALUE && process->replied &&
                          process->job && SetNamedPipeHandleState(workerEnd, &messages, nullptr, nullptr) &&
                          InitializeProcThreadAttributeList(list, 1, 0, &attributesSize) &&
                          UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, toInherit,
                                                    sizeof(toInherit), nullptr, nullptr);
    const bool created = prepared && CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                                    CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                                                    nullptr, nullptr, &startup.StartupInfo, &info);
    const DWORD error = GetLastError();
    if (prepared) {
        DeleteProcThreadAttributeList(list);
    }
    for (HANDLE handle : {workerEnd, nul}) {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    if (!created) {
        for (HANDLE handle : {process->pipe, process->replied, process->job}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
        why = systemMessage(error);
        return nullptr;
    }
    process->process = info.hProcess;
    process->thread = info.hThread;
    process->id = info.dwProcessId;
    setJobLimits(process->job, 0);
    // A viewer already in a job that forbids nesting (Windows 7) cannot put
    // the worker in its own: the worker then still ends with the viewer,
    // watching it itself, and the viewer still keeps its time limits.
    AssignProcessToJobObject(process->job, process->process);
    ResumeThread(info.hThread);
    return process;
}

long workerProcessId(const WorkerProcess& worker)
{
    return static_cast<long>(worker.id);
}

std::string stopWorkerProcess(OwnedWorkerProcess& worker, bool ending, bool& overProcessorTime)
{
    overProcessorTime = false;  // the viewer, not the system, watches it here
    if (!worker) {
        return "";
    }
    DWORD status = 0;
    const bool ended = WaitForSingleObject(worker->process, ending ? kEndingGraceMs : 0) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(worker->process, &status);
    if (!ended) {
        TerminateProcess(worker->process, kKilledByViewer);
        WaitForSingleObject(worker->process, INFINITE);
    }
    for (HANDLE handle : {worker->process, worker->thread, worker->job, worker->pipe, worker->replied}) {
        CloseHandle(handle);
    }
    worker.reset();
    return ended ? endedWorker(status) : "";
}

std::uint64_t workerMemoryBytes(WorkerProcess& worker)
{
    PROCESS_MEMORY_COUNTERS counters{};
    return GetProcessMemoryInfo(worker.process, &counters, sizeof(counters)) ? counters.PagefileUsage : 0;
}

void limitWorkerProcess(WorkerProcess& worker, const LoadLimits& limits, double /*cpuSeconds: watched*/,
                        std::uint64_t memoryBytes)
{
    setJobLimits(worker.job, limits.memoryBytes == 0 ? 0 : memoryBytes + limits.memoryBytes);
}

bool sendToWorker(WorkerProcess& worker, const std::string& message)
{
    // The pipe holds a whole request, so the write never waits on the worker.
    OVERLAPPED io{};
    io.hEvent = worker.replied;
    DWORD written = 0;
    return (WriteFile(worker.pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, &io) ||
            GetLastError() == ERROR_IO_PENDING) &&
           GetOverlappedResult(worker.pipe, &io, &written, TRUE) && written == message.size();
}

// Takes the reply mapping's handle from the worker and copies the reply
// into the viewer's own memory before reading it: unlike Linux's sealed
// memfd, a mapping cannot be frozen, and the worker could still write
// through a view of its own while the viewer checks the bytes. The copy
// costs one pass over the reply: about 2 GB/s under Wine here, fresh pages
// included, where reading in place would only touch the pages (0.03 s, not
// 0.13 s, for 256 MiB): a millisecond or two for the hallway's textures,
// 0.1 s for the largest image allowed, next to seconds of decoding.
const unsigned char* takeWorkerReply(WorkerProcess& process, const ReplyMessage& message,
                                     std::shared_ptr<const void>& owner, std::string& why)
{
    HANDLE mapping = nullptr;
    const auto remote = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(message.handle));
    if (!DuplicateHandle(process.process, remote, GetCurrentProcess(), &mapping, FILE_MAP_READ, FALSE,
                         DUPLICATE_CLOSE_SOURCE)) {
        why = "the loading worker's reply is not memory of the size it gave";
        return nullptr;
    }
    // A view longer than the mapping is refused, so the size is checked too.
    const void* view = message.size == 0 || message.size > SIZE_MAX
                           ? nullptr
                           : MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(message.size));
    const DWORD mapError = GetLastError();
    CloseHandle(mapping);
    if (view == nullptr) {
        why = "the loading worker's reply could not be mapped (" + systemMessage(mapError) + ")";
        return nullptr;
    }
    const std::size_t size = message.size;
    std::shared_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[size]);
    if (copy) {
        std::memcpy(copy.get(), view, size);
    }
    UnmapViewOfFile(view);
    if (!copy) {
        why = "the loading worker's reply of " + std::to_string(size) + " bytes could not be copied";
        return nullptr;
    }
    owner = copy;
    return copy.get();
}

WorkerWait receiveFromWorker(WorkerProcess& worker, void* into, std::size_t size, std::size_t& got,
                             std::chrono::steady_clock::time_point deadline, double cpuLimit,
                             const std::function<bool()>& whileWaiting)
{
    OVERLAPPED io{};
    io.hEvent = worker.replied;
    DWORD read = 0;
    // A read that completes at once signals the event too, so every read
    // ends in the loop.
    DWORD error = ReadFile(worker.pipe, into, static_cast<DWORD>(size), nullptr, &io) ? ERROR_IO_PENDING
                                                                                       : GetLastError();
    WorkerWait outcome = WorkerWait::Ended;
    while (error == ERROR_IO_PENDING) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const HANDLE events[] = {worker.replied, worker.process};
        const DWORD wait = static_cast<DWORD>(std::clamp<long long>(left.count(), 0, kLoadingPollInterval.count()));
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, wait);
        if (woke == WAIT_OBJECT_0) {
            error = GetOverlappedResult(worker.pipe, &io, &read, FALSE) ? 0 : GetLastError();
            break;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            // Ended without a whole message.
        } else if (whileWaiting && !whileWaiting()) {
            outcome = WorkerWait::Cancelled;
        } else if (workerCpuSeconds(worker) > cpuLimit) {
            outcome = WorkerWait::OverProcessorTime;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            outcome = WorkerWait::TimedOut;
        } else {
            continue;
        }
        // The read is given up before its buffer goes.
        CancelIoEx(worker.pipe, &io);
        GetOverlappedResult(worker.pipe, &io, &read, TRUE);
        return outcome;
    }
    if (error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) {
        return WorkerWait::Ended;
    }
    // Any other failure (a message longer than asked for) is one the
    // worker should not have sent.
    got = error == 0 ? read : size + 1;
    return WorkerWait::Received;
}

// The worker on Linux: posix_spawn with a sequenced-packet socket as its
// descriptor 3 and /dev/null for its standard streams, limits set from
// here with prlimit before each request, and the reply passed back as a
// sealed memfd that is mapped, read in place and never copied.
#ifndef _WIN32

#include "loading/loading_worker.h"

#include "loading/reply_format.h"
#include "loading/worker_protocol.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

// Address-space limits cannot hold a sanitizer build, whose shadow memory
// reserves terabytes: there the worker's counted allocations alone limit it.
#if defined(__SANITIZE_ADDRESS__)
#define VORLUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLUNE_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef VORLUNE_ADDRESS_SANITIZER
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

struct LoadingWorker::Process {
    pid_t pid = -1;
    int socket = -1;
    // Its limits are set only once it says it is ready: a limit set while
    // it is still loading its libraries would stop it there.
    bool ready = false;
};

namespace {

// A request that used this share of a limit leaves a worker too close to
// it for the next one, whose limit is set on top of what it holds.
constexpr double kNearLimit = 0.8;
// Starting takes milliseconds; this is for a machine stalled by swapping.
constexpr double kWorkerStartSeconds = 30.0;
// The seals that make the reply unchangeable once the viewer has read it:
// no writes, and no size change that could pull pages from under it.
constexpr int kReplySeals = F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW;

const char* requestName(LoadKind kind)
{
    return kind == LoadKind::Model ? "a model import" : "an image decode";
}

// "30" or "0.5": as short as the limit was given.
std::string seconds(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// Processor seconds the process has used, from its accounting in /proc;
// negative when unknown.
double cpuSecondsUsed(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold anything; the fields follow its end.
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) {
        return -1.0;
    }
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    constexpr int kUserTimeField = 11;  // utime, counted from the state field
    unsigned long long user = 0;
    unsigned long long system = 0;
    for (int i = 0; i <= kUserTimeField && fields >> field; ++i) {
    }
    user = std::strtoull(field.c_str(), nullptr, 10);
    fields >> system;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::uint64_t addressSpaceBytes(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/statm");
    std::uint64_t pages = 0;
    file >> pages;
    return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// Soft limits only: the worker's own hard limits stay, so each request can
// raise the soft ones again.
void setSoftLimit(pid_t pid, int resource, rlim_t value)
{
    rlimit limit{};
    if (prlimit(pid, static_cast<__rlimit_resource>(resource), nullptr, &limit) == 0) {
        limit.rlim_cur = std::min(value, limit.rlim_max);
        prlimit(pid, static_cast<__rlimit_resource>(resource), &limit, nullptr);
    }
}

std::string endedWorker(int status, const LoadRequest& request)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU) {
            return "took more than the " + seconds(request.limits.cpuSeconds) + " s of processor time allowed for " +
                   requestName(request.kind);
        }
        return "the loading worker crashed (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kWorkerNoSandbox) {
        return "the loading worker could not set up its sandbox";
    }
    return "the loading worker ended (status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
}

LoadReply failedReply(std::string why)
{
    LoadReply reply;
    reply.failure = std::move(why);
    return reply;
}

// Kills and reaps the worker; its socket closes with it.
void stop(std::unique_ptr<LoadingWorker::Process>& process, int* status = nullptr)
{
    if (!process) {
        return;
    }
    kill(process->pid, SIGKILL);
    int ended = 0;
    while (waitpid(process->pid, &ended, 0) < 0 && errno == EINTR) {
    }
    if (status != nullptr) {
        *status = ended;
    }
    close(process->socket);
    process.reset();
}

bool requestFailed(const LoadReply& reply, LoadKind kind)
{
    return !reply.failure.empty() || (kind == LoadKind::Model ? !reply.model.imported : !reply.image.pixels);
}

// The reply message and the descriptor it carries; -1 when the worker
// closed the socket (ended) or sent something else.
int receiveReply(int socket, ReplyMessage& message, std::string& why)
{
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{&message, sizeof(message)};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof(control);
    ssize_t received = 0;
    do {
        received = recvmsg(socket, &header, MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    int descriptor = -1;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS && c->cmsg_len == CMSG_LEN(sizeof(int))) {
            std::memcpy(&descriptor, CMSG_DATA(c), sizeof(int));
        }
    }
    if (received > 0 && (received != sizeof(message) || descriptor < 0 || (header.msg_flags & MSG_CTRUNC))) {
        why = "the loading worker sent a malformed message";
        if (descriptor >= 0) {
            close(descriptor);
        }
        return -1;
    }
    return received > 0 ? descriptor : -1;
}

enum class Wait { Readable, Cancelled, TimedOut };

// Waits for the socket to be readable, calling `whileWaiting` every
// kLoadingPollInterval; stops when it says so or at `deadline`.
Wait waitReadable(int socket, std::chrono::steady_clock::time_point deadline,
                  const std::function<bool()>& whileWaiting)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{socket, POLLIN, 0};
        const int wait = static_cast<int>(std::clamp<long long>(left.count(), 0, kLoadingPollInterval.count()));
        if (poll(&ready, 1, wait) > 0) {
            return Wait::Readable;
        }
        if (whileWaiting && !whileWaiting()) {
            return Wait::Cancelled;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Wait::TimedOut;
        }
    }
}

std::chrono::steady_clock::time_point after(double seconds)
{
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

// Maps the sealed reply and reads it.
bool mapReply(int descriptor, const ReplyMessage& message, LoadKind kind, LoadReply& reply, std::string& why)
{
    struct stat file{};
    const int seals = fcntl(descriptor, F_GET_SEALS);
    if (seals < 0 || (seals & kReplySeals) != kReplySeals || fstat(descriptor, &file) != 0 ||
        static_cast<std::uint64_t>(file.st_size) != message.size || message.size == 0) {
        close(descriptor);
        why = "the loading worker's reply is not sealed memory of the size it gave";
        return false;
    }
    void* mapped = mmap(nullptr, message.size, PROT_READ, MAP_SHARED, descriptor, 0);
    close(descriptor);
    if (mapped == MAP_FAILED) {
        why = std::string("the loading worker's reply could not be mapped (") + std::strerror(errno) + ")";
        return false;
    }
    const std::size_t size = message.size;
    const std::shared_ptr<const void> owner(mapped, [size](const void* at) { munmap(const_cast<void*>(at), size); });
    if (!readReply(kind, owner, static_cast<const unsigned char*>(mapped), size, reply, why)) {
        why = "the loading worker's reply is malformed (" + why + ")";
        return false;
    }
    return true;
}

std::unique_ptr<LoadingWorker::Process> startWorker(const std::string& program, std::string& why)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // dup2 onto itself clears close-on-exec too (glibc 2.29 and later).
    posix_spawn_file_actions_adddup2(&actions, ends[1], kWorkerSocketDescriptor);
    const std::string parent = std::to_string(getpid());
    std::vector<char*> arguments = {const_cast<char*>(program.c_str()), const_cast<char*>(parent.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        why = std::strerror(failed);
        return nullptr;
    }
    auto process = std::make_unique<LoadingWorker::Process>();
    process->pid = pid;
    process->socket = ends[0];
    return process;
}

}  // namespace

std::string workerStartFailure(const std::string& program, const std::string& why)
{
    return "the loading worker " + program + " could not start (" + why + ")";
}

LoadingWorker::LoadingWorker(std::string program, std::function<bool()> whileWaiting)
    : program_(std::move(program)), whileWaiting_(std::move(whileWaiting))
{
    // Started now, so that it is ready by the first request.
    std::string ignored;
    process_ = startWorker(program_, ignored);
}

LoadingWorker::~LoadingWorker()
{
    stop(process_);
}

long LoadingWorker::processId() const
{
    return process_ ? process_->pid : 0;
}

LoadReply LoadingWorker::run(const LoadRequest& request)
{
    LoadReply cancelledReply;
    cancelledReply.cancelled = true;
    if (cancelled_) {
        return cancelledReply;
    }
    // A worker stopped on the way is replaced as soon as the reply is
    // out, so that the next request finds one started.
    struct ReplaceStopped {
        std::unique_ptr<Process>& process;
        const std::string& program;
        const bool& cancelled;
        ~ReplaceStopped()
        {
            std::string ignored;
            if (!process && !cancelled) {
                process = startWorker(program, ignored);
            }
        }
    } replaceStopped{process_, program_, cancelled_};
    if (!process_) {
        std::string why;
        process_ = startWorker(program_, why);
        if (!process_) {
            return failedReply(workerStartFailure(program_, why));
        }
    }
    int status = 0;
    if (!process_->ready) {
        const Wait started = waitReadable(process_->socket, after(kWorkerStartSeconds), whileWaiting_);
        char hello = 0;
        if (started == Wait::Cancelled) {
            cancelled_ = true;
            stop(process_);
            return cancelledReply;
        }
        if (started == Wait::TimedOut) {
            stop(process_);
            return failedReply(workerStartFailure(program_, "not ready within " + seconds(kWorkerStartSeconds) + " s"));
        }
        if (recv(process_->socket, &hello, 1, 0) != 1 || hello != kWorkerReady) {
            stop(process_, &status);
            return failedReply(endedWorker(status, request));
        }
        process_->ready = true;
    }
    const pid_t pid = process_->pid;
    const double cpuBefore = std::max(0.0, cpuSecondsUsed(pid));
    setSoftLimit(pid, RLIMIT_CPU, static_cast<rlim_t>(std::ceil(cpuBefore + request.limits.cpuSeconds)));
    const std::uint64_t spaceBefore = addressSpaceBytes(pid);
    if (kLimitAddressSpace && request.limits.memoryBytes != 0) {
        setSoftLimit(pid, RLIMIT_AS, static_cast<rlim_t>(spaceBefore + request.limits.memoryBytes));
    }

    RequestMessage header{request.kind, static_cast<std::uint32_t>(request.path.size()), request.limits.memoryBytes};
    if (request.path.size() > kMaxRequestPathBytes) {
        return failedReply("a path of " + std::to_string(request.path.size()) + " bytes");
    }
    std::string message(reinterpret_cast<const char*>(&header), sizeof(header));
    message += request.path;
    if (send(process_->socket, message.data(), message.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(message.size())) {
        stop(process_, &status);
        return failedReply(endedWorker(status, request));
    }

    switch (waitReadable(process_->socket, after(request.limits.wallSeconds), whileWaiting_)) {
    case Wait::Readable:
        break;
    case Wait::Cancelled:
        cancelled_ = true;
        stop(process_);
        return cancelledReply;
    case Wait::TimedOut:
        stop(process_);
        return failedReply("took longer than the " + seconds(request.limits.wallSeconds) + " s allowed for " +
                           requestName(request.kind));
    }

    ReplyMessage announced{};
    std::string why;
    const int descriptor = receiveReply(process_->socket, announced, why);
    if (descriptor < 0) {
        stop(process_, &status);
        return failedReply(why.empty() ? endedWorker(status, request) : why);
    }
    LoadReply reply;
    if (!mapReply(descriptor, announced, request.kind, reply, why)) {
        stop(process_);
        return failedReply(why);
    }
    const double cpuUsed = cpuSecondsUsed(pid) - cpuBefore;
    const bool nearLimit = cpuUsed > kNearLimit * request.limits.cpuSeconds ||
                           (request.limits.memoryBytes != 0 &&
                            addressSpaceBytes(pid) - std::min(spaceBefore, addressSpaceBytes(pid)) >
                                static_cast<std::uint64_t>(kNearLimit * static_cast<double>(request.limits.memoryBytes)));
    if (nearLimit || requestFailed(reply, request.kind)) {
        stop(process_);
    }
    return reply;
}

#endif

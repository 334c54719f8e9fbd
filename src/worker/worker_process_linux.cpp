// The worker on Linux: posix_spawn with a sequenced-packet socket as its
// descriptor 3 and /dev/null for its standard streams, limits set from
// here with prlimit before each request, and the reply passed back as a
// sealed memfd that is mapped, read in place and never copied.
#include "worker/worker_process.h"

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
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

// Address-space limits cannot hold a sanitizer build, whose shadow memory
// reserves terabytes: there the worker's counted allocations alone limit it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

struct WorkerProcess {
    pid_t pid = -1;
    int socket = -1;
    // The reply file the latest message announced, if it carried one.
    int received = -1;
};

namespace {

// The seals that make the reply unchangeable once the viewer has read it:
// no writes, and no size change that could pull pages from under it.
constexpr int kReplySeals = F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW;
// How long a worker whose socket closed is given to end by itself, and how
// often it is looked at meanwhile.
constexpr std::chrono::milliseconds kEndingGrace{1000};
constexpr std::chrono::milliseconds kEndingPoll{1};
// /proc/<pid>/stat's user time, counted from the state field after the
// name; system time follows it.
constexpr int kUserTimeField = 11;

// Soft limits only: the worker's own hard limits stay, so each request can
// raise the soft ones again.
void setSoftLimit(pid_t pid, __rlimit_resource resource, rlim_t value)
{
    rlimit limit{};
    if (prlimit(pid, resource, nullptr, &limit) == 0) {
        limit.rlim_cur = std::min(value, limit.rlim_max);
        prlimit(pid, resource, &limit, nullptr);
    }
}

void forgetReceived(WorkerProcess& worker)
{
    if (worker.received >= 0) {
        close(worker.received);
        worker.received = -1;
    }
}

// A reply carries one descriptor; a message may carry more (the kernel
// installs every one that fits, a truncated message's too), and each one
// not kept is closed here, or the viewer would run out of them.
constexpr std::size_t kDescriptorsSeen = 4;

// Keeps the one descriptor `header` carried as the reply file when the
// message `announces` a reply and carried exactly one; closes every other.
void keepReplyDescriptor(WorkerProcess& worker, msghdr& header, bool announces)
{
    std::vector<int> carried;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS && c->cmsg_len >= CMSG_LEN(0)) {
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int descriptor = -1;
                std::memcpy(&descriptor, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                carried.push_back(descriptor);
            }
        }
    }
    if (announces && carried.size() == 1) {
        worker.received = carried.front();
        return;
    }
    for (const int descriptor : carried) {
        close(descriptor);
    }
}

}  // namespace

OwnedWorkerProcess startWorkerProcess(const std::string& program, std::string& why)
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
    // Nothing else of the viewer's reaches the worker, close-on-exec or not
    // (a library's descriptor, a test's pipe): its sandbox tells its
    // channel from other sockets by number alone.
    posix_spawn_file_actions_addclosefrom_np(&actions, kWorkerSocketDescriptor + 1);
    const std::string parent = std::to_string(getpid());
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(parent.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        why = std::strerror(failed);
        return nullptr;
    }
    OwnedWorkerProcess worker(new WorkerProcess);
    worker->pid = pid;
    worker->socket = ends[0];
    return worker;
}

long workerProcessId(const WorkerProcess& worker)
{
    return worker.pid;
}

std::string stopWorkerProcess(OwnedWorkerProcess& worker, bool ending, bool& overProcessorTime)
{
    overProcessorTime = false;
    if (!worker) {
        return "";
    }
    // Whether it had ended by itself, before the kill: its socket closes a
    // moment before it can be reaped.
    int status = 0;
    bool ended = waitpid(worker->pid, &status, WNOHANG) == worker->pid;
    for (auto until = std::chrono::steady_clock::now() + kEndingGrace;
         ending && !ended && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(kEndingPoll);
        ended = waitpid(worker->pid, &status, WNOHANG) == worker->pid;
    }
    if (!ended) {
        kill(worker->pid, SIGKILL);
        while (waitpid(worker->pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    forgetReceived(*worker);
    close(worker->socket);
    worker.reset();
    if (!ended) {
        return "";
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        overProcessorTime = signal == SIGXCPU;
        return "the loading worker crashed (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    }
    return workerExitFailure(WEXITSTATUS(status));
}

double workerCpuSeconds(WorkerProcess& worker)
{
    std::ifstream file("/proc/" + std::to_string(worker.pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold anything; the fields follow its end.
    std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 1)));
    std::string field;
    for (int i = 0; i < kUserTimeField && fields >> field; ++i) {
    }
    unsigned long long user = 0;
    unsigned long long system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::uint64_t workerMemoryBytes(WorkerProcess& worker)
{
    std::ifstream file("/proc/" + std::to_string(worker.pid) + "/statm");
    std::uint64_t pages = 0;
    file >> pages;
    return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

void limitWorkerProcess(WorkerProcess& worker, const LoadLimits& limits, double cpuSeconds, std::uint64_t memoryBytes)
{
    // Whole seconds: the limit may run up to a second over.
    setSoftLimit(worker.pid, RLIMIT_CPU, static_cast<rlim_t>(std::ceil(cpuSeconds + limits.cpuSeconds)));
    if (kLimitAddressSpace && limits.memoryBytes != 0) {
        setSoftLimit(worker.pid, RLIMIT_AS, static_cast<rlim_t>(memoryBytes + limits.memoryBytes));
    }
    // A reply file never grows past the request's memory, nor is limited
    // when the request is not (a sanitizer build too: this limits file
    // sizes, not the address space). The worker ignores SIGXFSZ, so that
    // growing one further fails rather than ending it.
    setSoftLimit(worker.pid, RLIMIT_FSIZE,
                 limits.memoryBytes != 0 ? static_cast<rlim_t>(limits.memoryBytes) : RLIM_INFINITY);
}

bool sendToWorker(WorkerProcess& worker, const std::string& message)
{
    return send(worker.socket, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
}

WorkerWait receiveFromWorker(WorkerProcess& worker, void* into, std::size_t size, std::size_t& got,
                             std::chrono::steady_clock::time_point deadline, double /*cpuLimit: the system's*/,
                             const std::function<bool()>& whileWaiting)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{worker.socket, POLLIN, 0};
        const int wait = static_cast<int>(std::clamp<long long>(left.count(), 0, kLoadingPollInterval.count()));
        if (poll(&ready, 1, wait) > 0) {
            break;
        }
        if (whileWaiting && !whileWaiting()) {
            return WorkerWait::Cancelled;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WorkerWait::TimedOut;
        }
    }
    forgetReceived(worker);
    // Room for more descriptors than a reply carries, so that a message with
    // several is seen whole and each closed.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kDescriptorsSeen)] = {};
    iovec part{into, size};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof(control);
    ssize_t received = 0;
    do {
        received = recvmsg(worker.socket, &header, MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    got = received > 0 ? static_cast<std::size_t>(received) : 0;
    // A truncated message is one the worker should not have sent.
    const bool truncated = received > 0 && (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC));
    if (truncated) {
        got = size + 1;
    }
    keepReplyDescriptor(worker, header, !truncated && got == sizeof(ReplyMessage));
    return received > 0 ? WorkerWait::Received : WorkerWait::Ended;
}

const unsigned char* takeWorkerReply(WorkerProcess& worker, const ReplyMessage& message,
                                     std::shared_ptr<const void>& owner, std::string& why)
{
    const int descriptor = worker.received;
    worker.received = -1;
    struct stat file{};
    const int seals = descriptor < 0 ? -1 : fcntl(descriptor, F_GET_SEALS);
    if (seals < 0 || (seals & kReplySeals) != kReplySeals || fstat(descriptor, &file) != 0 ||
        static_cast<std::uint64_t>(file.st_size) != message.size || message.size == 0) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        why = "the loading worker's reply is not sealed memory of the size it gave";
        return nullptr;
    }
    void* mapped = mmap(nullptr, message.size, PROT_READ, MAP_SHARED, descriptor, 0);
    close(descriptor);
    if (mapped == MAP_FAILED) {
        why = std::string("the loading worker's reply could not be mapped (") + std::strerror(errno) + ")";
        return nullptr;
    }
    const std::size_t size = message.size;
    owner.reset(mapped, [size](const void* at) { munmap(const_cast<void*>(at), size); });
    return static_cast<const unsigned char*>(mapped);
}

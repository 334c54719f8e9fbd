// The worker's channel on Linux: the socket the viewer gave it as
// descriptor 3, each reply a sealed memfd sent along a message, and the
// sandbox (sandbox_linux.h) entered before the first request.
#include "loading/request/reply_format.h"
#include "worker/sandbox_linux.h"
#include "worker/worker_protocol.h"
#include "worker/worker_transport.h"

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kTrimAboveBytes = std::size_t{256} << 20;

}  // namespace

// Hands `reply` back as sealed memory: once the viewer has checked it,
// nothing (this process included) can change it under the viewer.
bool sendReply(const LoadReply& reply, LoadKind kind)
{
    const std::size_t size = replySize(reply, kind);
    const int memory = memfd_create("vorlune-reply", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0) {
        return false;
    }
    // Past the request's file-size limit this fails (the signal it would
    // raise is ignored), and the caller sends a small reply instead: the
    // memory file must not outlive a failed attempt.
    void* mapped = ftruncate(memory, static_cast<off_t>(size)) != 0
                       ? MAP_FAILED
                       : mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
    if (mapped == MAP_FAILED) {
        close(memory);
        return false;
    }
    writeReply(reply, kind, static_cast<unsigned char*>(mapped));
    munmap(mapped, size);
    if (fcntl(memory, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        close(memory);
        return false;
    }
    ReplyMessage message{size, 0};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{&message, sizeof(message)};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof(control);
    cmsghdr* rights = CMSG_FIRSTHDR(&header);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(rights), &memory, sizeof(int));
    const bool sent = sendmsg(kWorkerSocketDescriptor, &header, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof(message));
    close(memory);
    return sent;
}

int connectToViewer(int argc, char** argv)
{
    // Never outlives the viewer: killed when it ends, and gone at once if
    // it already has.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc != 2 || getppid() != static_cast<pid_t>(std::atol(argv[1])) ||
        fcntl(kWorkerSocketDescriptor, F_GETFD) < 0) {
        return kWorkerBadStart;
    }
    // Whatever else the viewer (or whoever started it) left open goes, so
    // that the sandbox's rules by descriptor number hold: descriptors above
    // the channel are only ever the worker's own reply files.
    if (close_range(kWorkerSocketDescriptor + 1, ~0U, 0) != 0) {
        // A kernel older than close_range (5.9): one at a time, up to the
        // most this process could have had open.
        const long most = sysconf(_SC_OPEN_MAX);
        for (long descriptor = kWorkerSocketDescriptor + 1; descriptor < most; ++descriptor) {
            close(static_cast<int>(descriptor));
        }
    }
    // Few descriptors are ever open at once (a model file, the files it
    // names, a reply), and a hostile file cannot make the worker hoard more;
    // the hard limit too, so that it stays.
    constexpr rlim_t kMaxDescriptors = 64;
    const rlimit descriptors{kMaxDescriptors, kMaxDescriptors};
    if (setrlimit(RLIMIT_NOFILE, &descriptors) != 0) {
        return kWorkerNoSandbox;
    }
    // The viewer limits each request's file sizes to its memory, so a reply
    // file set larger fails with EFBIG, which the reply code reports as the
    // memory limit; the signal would otherwise end the worker first.
    signal(SIGXFSZ, SIG_IGN);
    if (!enterSandbox()) {
        return kWorkerNoSandbox;
    }
    if (send(kWorkerSocketDescriptor, &kWorkerReady, 1, MSG_NOSIGNAL) != 1) {
        return kWorkerBadStart;
    }
    return 0;
}

bool receiveRequest(std::vector<char>& message, std::size_t& size)
{
    // What a large request freed goes back to the system while the viewer
    // uploads the reply, rather than staying with an idle worker; a small
    // one's stays, or the next import would fault it in again (the import
    // library zeroes a 16 MiB buffer for every file).
    if (mallinfo2().arena > kTrimAboveBytes) {
        malloc_trim(0);
    }
    const ssize_t received = recv(kWorkerSocketDescriptor, message.data(), message.size(), 0);
    size = received > 0 ? static_cast<std::size_t>(received) : 0;
    return received > 0;
}

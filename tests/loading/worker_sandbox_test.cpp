// The Linux loading worker's sandbox, and the descriptors that pass between
// the viewer and the worker: its channel alone one way, one reply the other.
#ifndef _WIN32
#include "loading/load_budget.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"
#include "worker/loading_worker.h"
#include "worker/sandbox_linux.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <filesystem>
#include <set>
#include <thread>

namespace {

constexpr int kRequests = 3;
// For the worker to close its reply file, looked at this often.
constexpr std::chrono::seconds kGenerousDeadline{10};
constexpr std::chrono::milliseconds kPollInterval{1};

std::set<std::string> descriptors(const std::string& process)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + process + "/fd")) {
        names.insert(entry.path().filename());
    }
    return names;
}

// A forked child enters the sandbox with a channel on 3 and another socket
// on 7, and exits with the count of what it was wrongly allowed or refused.
TEST(WorkerSandbox, NoExecutableMemoryAndSocketCallsOnTheChannelAlone)
{
    int channel[2];
    int other[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, channel) | socketpair(AF_UNIX, SOCK_SEQPACKET, 0, other), 0);
    if (const pid_t child = fork(); child == 0) {
        constexpr int kOther = 7;
        constexpr int kOutOfTheWay = 100;  // so that neither lands on the other's place first
        dup2(fcntl(channel[1], F_DUPFD, kOutOfTheWay), kWorkerSocketDescriptor);
        dup2(fcntl(other[1], F_DUPFD, kOutOfTheWay), kOther);
        const long page = sysconf(_SC_PAGESIZE);
        const int anonymous = MAP_PRIVATE | MAP_ANONYMOUS;
        void* data = mmap(nullptr, page, PROT_READ | PROT_WRITE, anonymous, -1, 0);
        const char byte = 'x';
        const int rwx = PROT_READ | PROT_WRITE | PROT_EXEC;
        _exit(!enterSandbox() + (mmap(nullptr, page, rwx, anonymous, -1, 0) != MAP_FAILED) +
              (mprotect(data, page, PROT_READ | PROT_EXEC) == 0) + (send(kOther, &byte, 1, 0) >= 0) +
              (send(kWorkerSocketDescriptor, &byte, 1, 0) != 1));
    } else {
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
}

TEST(WorkerSandbox, TheWorkerGetsOnlyItsChannelAndTheViewerKeepsOnlyOneReplyFile)
{
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);  // without close-on-exec: it would pass to any program started
    TempDir dir;
    dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const LoadRequest triangle{LoadKind::Model, dir.file("triangle.obj"), kModelLimits};
    const std::set<std::string> before = descriptors("self");
    {
        setenv("VORLUNE_STAND_IN", "two-descriptors", 1);  // for each worker it starts in place of one that failed
        LoadingWorker twoAtOnce(VORLUNE_STAND_IN_WORKER);
        for (int request = 0; request < kRequests; ++request) {
            EXPECT_EQ(twoAtOnce.run(triangle).failure,
                      "the loading worker's reply is not sealed memory of the size it gave");
        }
        unsetenv("VORLUNE_STAND_IN");
        LoadingWorker worker(kWorkerProgram);
        ASSERT_EQ(worker.run(triangle).failure, "");  // so it has loaded all it loads
        // Its reply file closes a moment after the reply is sent.
        const std::string id = std::to_string(worker.processId());
        const std::set<std::string> streamsAndChannel{"0", "1", "2", "3"};
        const auto until = std::chrono::steady_clock::now() + kGenerousDeadline;
        while (descriptors(id) != streamsAndChannel && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(kPollInterval);
        }
        EXPECT_EQ(descriptors(id), streamsAndChannel);
    }
    EXPECT_EQ(descriptors("self"), before);
    close(pipe[0]);
    close(pipe[1]);
}

}  // namespace
#endif

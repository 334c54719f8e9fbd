// The loading worker's limits and the reply checks, through small limits
// given in the request (never by exhausting the machine); on Linux, a
// stand-in worker that misbehaves on purpose, and the worker's sandbox.
#include "worker/loading_worker.h"
#include "loading/load_budget.h"
#include "loading/request/reply_fields.h"
#include "loading/request/reply_format.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef VORLUNE_STAND_IN_WORKER
#include "worker/sandbox_linux.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>
#endif

namespace {

LoadReply runWith(const std::string& path, LoadLimits limits)
{
    LoadingWorker worker(kWorkerProgram);
    return worker.run({LoadKind::Model, path, limits});
}

TEST(LoadingWorker, EachLimitStopsItsRequestWithItsOwnLineAndTheNextRequestGetsANewWorker)
{
    TempDir dir;
    dir.write("polygon.obj", bigPolygonObj(100000));
    dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");

    EXPECT_EQ(runWith(dir.file("polygon.obj"), {1.0, kModelLimits.memoryBytes, 120.0}).failure,
              "took more than the 1 s of processor time allowed for a model import");
    EXPECT_EQ(runWith(dir.file("polygon.obj"), {60.0, kModelLimits.memoryBytes, 0.5}).failure,
              "took longer than the 0.5 s allowed for a model import");
    EXPECT_EQ(runWith(dir.file("polygon.obj"), {60.0, 8 * kMebibyte, 120.0}).failure,
              "needed more than the 8 MiB of memory allowed for a model import");

    LoadingWorker worker(kWorkerProgram);
    const long first = worker.processId();
    EXPECT_FALSE(worker.run({LoadKind::Model, dir.file("polygon.obj"), {1.0, 0, 120.0}}).failure.empty());
    const LoadReply next = worker.run({LoadKind::Model, dir.file("triangle.obj"), kModelLimits});
    EXPECT_EQ(next.failure, "");
    ASSERT_TRUE(next.model.imported);
    EXPECT_EQ(next.model.meshes[0].indices.copy(), (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_NE(worker.processId(), first);
}

TEST(LoadingWorker, AWorkerThatCannotStartFailsEachRequestWithOneLine)
{
    LoadingWorker worker("/nonexistent/vorlune-worker");
    EXPECT_EQ(worker.run({LoadKind::Image, "a.png", kImageLimits}).failure,
              "the loading worker /nonexistent/vorlune-worker could not start (No such file or directory)");
}

// A reply the worker could have forged: every count and index is checked
// against what is there before anything reads through it.
TEST(ReplyFormat, RepliesThatPointOutsideThemselvesAreRefused)
{
    LoadReply sent;
    sent.model.imported = true;
    sent.model.directory = "models";
    ConvertedMesh mesh;
    mesh.vertices = std::vector<Vertex>(3, Vertex{});
    mesh.indices = std::vector<unsigned int>{0, 1, 2};
    TextureRequest request;
    request.materialPath = "wall.png";
    request.samplerUniform = "material.diffuse";
    mesh.textures.push_back(request);
    sent.model.meshes.push_back(mesh);
    std::vector<unsigned char> bytes(replySize(sent, LoadKind::Model));
    writeReply(sent, LoadKind::Model, bytes.data());

    const auto read = [](std::vector<unsigned char> copy, std::string& why) {
        auto owner = std::make_shared<std::vector<unsigned char>>(std::move(copy));
        LoadReply reply;
        return readReply(LoadKind::Model, 0, owner, owner->data(), owner->size(), reply, why);
    };
    std::string why;
    ASSERT_TRUE(read(bytes, why)) << why;

    // The index list follows the vertices and its count; its last index
    // names vertex 3 of 3.
    std::vector<unsigned char> badIndex = bytes;
    const unsigned int two = 2;
    const auto at = std::search(badIndex.begin(), badIndex.end(), reinterpret_cast<const unsigned char*>(&two),
                                reinterpret_cast<const unsigned char*>(&two) + sizeof(two));
    ASSERT_NE(at, badIndex.end());
    *at = 3;
    EXPECT_FALSE(read(badIndex, why));
    EXPECT_EQ(why, "index 3 names no vertex of a mesh of 3");

    std::vector<unsigned char> cut(bytes.begin(), bytes.end() - 16);
    EXPECT_FALSE(read(cut, why));
    EXPECT_NE(why.find("runs past the end of the reply"), std::string::npos) << why;

    EXPECT_FALSE(readReply(LoadKind::Image, 0, nullptr, bytes.data(), bytes.size(), sent, why));
    EXPECT_EQ(why, "not a reply to this request");
}

TEST(SceneMemoryBudget, RequestsGetWhatIsLeftUpToTheirLimitAndNothingBelowTheFloor)
{
    SceneMemoryBudget budget(kMemoryMargin + 1024 * kMebibyte);
    std::string why;
    EXPECT_EQ(budget.requestMemory(LoadKind::Model, 3072 * kMebibyte, why), 1024 * kMebibyte);
    EXPECT_EQ(budget.requestMemory(LoadKind::Image, 256 * kMebibyte, why), 256 * kMebibyte);
    budget.keep(1000 * kMebibyte);
    EXPECT_EQ(budget.requestMemory(LoadKind::Model, 3072 * kMebibyte, why), 0u);
    EXPECT_EQ(why, "not loaded: the scene's memory budget has 24 MiB left (of 1536 MiB available at start-up, "
                   "1000 MiB kept, 512 MiB spared for the system), under the 64 MiB a model import needs");
    EXPECT_EQ(SceneMemoryBudget(0).requestMemory(LoadKind::Image, 5, why), 5u);
}

#ifdef VORLUNE_STAND_IN_WORKER
// The stand-in worker behaving as `mode` says: each request's failure line.
std::vector<std::string> standInFailures(const std::string& mode, int requests, WorkerPatience patience = {},
                                         LoadLimits limits = kModelLimits)
{
    setenv("VORLUNE_STAND_IN", mode.c_str(), 1);
    LoadingWorker worker(VORLUNE_STAND_IN_WORKER, {}, patience);
    std::vector<std::string> failures;
    for (int r = 0; r < requests; ++r) {
        failures.push_back(worker.run({LoadKind::Model, "any.obj", limits}).failure);
    }
    unsetenv("VORLUNE_STAND_IN");
    return failures;
}

TEST(LoadingWorker, ABrokenWorkerCostsTwoWaitsThenEveryRequestIsRefusedAtOnce)
{
    const std::string program = VORLUNE_STAND_IN_WORKER;
    const std::string refused =
        "not tried: the loading worker " + program + " has failed 2 times without working (never ready, or stalled)";
    const std::string notReady = "the loading worker " + program + " could not start (not ready within 0.5 s)";
    EXPECT_EQ(standInFailures("silent", 3, {0.5, 0.5}), (std::vector{notReady, notReady, refused}));
    // Given long enough to say it is ready however busy the machine, then
    // doing nothing for half a second.
    const std::string stalled = "the loading worker stalled (no work for 0.5 s on a model import)";
    EXPECT_EQ(standInFailures("mute", 3, {60.0, 0.5}), (std::vector{stalled, stalled, refused}));
}

// A reply of a few bytes that claims what would take the viewer gigabytes
// fails before the viewer makes anything of it.
TEST(LoadingWorker, RepliesThatClaimManyMeshesOrTexturesAreRefusedBeforeTheyAreBuilt)
{
    TempDir dir;
    const auto reply = [&](std::uint64_t meshes, std::uint64_t textures) {
        std::string bytes(std::size_t{8} << 20, '\0');
        ReplyWriter w(reinterpret_cast<unsigned char*>(bytes.data()));
        w.value(std::uint32_t{0x564C5259});  // the header: magic, kind, time, failure, memory flag
        w.value(LoadKind::Model);
        w.value(0.0);
        w.text("");
        w.value(std::uint32_t{0});
        w.value(std::uint32_t{1});  // imported, error, folder, meshes
        w.text("");
        w.text("models");
        w.value(meshes);
        for (std::uint64_t m = 0; m < std::min<std::uint64_t>(meshes, 70000); ++m) {
            w.list(static_cast<const Vertex*>(nullptr), 0);
            w.list(static_cast<const unsigned int*>(nullptr), 0);
            w.value(textures);
        }
        dir.write("reply", bytes.substr(0, w.size()));
        return "reply=" + dir.file("reply");
    };
    const std::string malformed = "the loading worker's reply is malformed (";
    EXPECT_EQ(standInFailures(reply(1000000000, 0), 1)[0],
              malformed + "1000000000 meshes, more than the 65536 one model may have)");
    EXPECT_EQ(standInFailures(reply(1, 1000000), 1)[0],
              malformed + "a mesh with 1000000 textures, more than the 16 one mesh may bind)");
    // Within the caps, but more records than the request's memory allows.
    EXPECT_EQ(standInFailures(reply(60000, 0), 1, {}, {30.0, 64 * kMebibyte, 90.0})[0],
              malformed + "a mesh would take the reply past the 64 MiB allowed for it)");
}
std::size_t openDescriptors(const std::string& process)
{
    const std::filesystem::directory_iterator entries("/proc/" + process + "/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// A forked child enters the worker's sandbox with a channel on 3 and another
// socket on 7, and exits with the count of what it was wrongly allowed or refused.
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

// The worker gets its channel alone; of what a message carries, the viewer
// keeps one reply file and closes the rest.
TEST(WorkerSandbox, TheWorkerGetsOnlyItsChannelAndTheViewerKeepsOnlyOneReplyFile)
{
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);  // without close-on-exec: it would pass to any program started
    TempDir dir;
    dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::size_t before = openDescriptors("self");
    const std::string unsealed = "the loading worker's reply is not sealed memory of the size it gave";
    EXPECT_EQ(standInFailures("two-descriptors", 3), (std::vector{unsealed, unsealed, unsealed}));
    {
        LoadingWorker worker(kWorkerProgram);
        ASSERT_EQ(worker.run({LoadKind::Model, dir.file("triangle.obj"), kModelLimits}).failure, "");
        // 0 to 3 alone, once its reply file closes (a moment after the reply
        // is sent: a generous deadline for that).
        const std::string id = std::to_string(worker.processId());
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             openDescriptors(id) != 4 && std::chrono::steady_clock::now() < until;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(openDescriptors(id), 4u);
    }
    EXPECT_EQ(openDescriptors("self"), before);
    close(pipe[0]);
    close(pipe[1]);
}
#endif

}  // namespace

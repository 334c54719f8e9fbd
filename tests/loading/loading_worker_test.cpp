// The loading worker's limits and the reply checks, through small limits
// given in the request (never by exhausting the machine).
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
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
// The stand-in worker, behaving as `mode` says, for as long as this lives.
class StandInWorker {
public:
    explicit StandInWorker(const std::string& mode, WorkerPatience patience = {})
    {
        setenv("VORLUNE_STAND_IN", mode.c_str(), 1);
        worker.emplace(VORLUNE_STAND_IN_WORKER, std::function<bool()>{}, patience);
    }
    ~StandInWorker() { unsetenv("VORLUNE_STAND_IN"); }
    std::string failure() { return worker->run({LoadKind::Model, "any.obj", kModelLimits}).failure; }

    std::optional<LoadingWorker> worker;
};

TEST(LoadingWorker, ABrokenWorkerCostsTwoWaitsThenEveryRequestIsRefusedAtOnce)
{
    const std::string program = VORLUNE_STAND_IN_WORKER;
    const std::string refused =
        "not tried: the loading worker " + program + " has failed 2 times without working (never ready, or stalled)";
    StandInWorker silent("silent", {0.5, 0.5});
    const std::string notReady = "the loading worker " + program + " could not start (not ready within 0.5 s)";
    EXPECT_EQ(silent.failure(), notReady);
    EXPECT_EQ(silent.failure(), notReady);
    EXPECT_EQ(silent.failure(), refused);

    // Ready (it is given long enough to be, however busy the machine), then
    // silent: what it does for half a second is nothing.
    StandInWorker mute("mute", {60.0, 0.5});
    EXPECT_EQ(mute.failure(), "the loading worker stalled (no work for 0.5 s on a model import)");
    EXPECT_EQ(mute.failure(), "the loading worker stalled (no work for 0.5 s on a model import)");
    EXPECT_EQ(mute.failure(), refused);
    EXPECT_EQ(mute.worker->processId(), 0);
}

// A reply of a few bytes that claims what would take the viewer gigabytes
// fails before the viewer makes anything of it.
TEST(LoadingWorker, RepliesThatClaimManyMeshesOrTexturesAreRefusedBeforeTheyAreBuilt)
{
    TempDir dir;
    const auto write = [&](const std::string& name, std::uint64_t meshes, std::uint64_t textures) {
        ReplyWriter counter(nullptr);
        const auto walk = [&](ReplyWriter& w) {
            w.value(std::uint32_t{0x564C5259});
            w.value(LoadKind::Model);
            w.value(0.0);
            w.text("");
            w.value(std::uint32_t{0});
            w.value(std::uint32_t{1});
            w.text("");
            w.text("models");
            w.value(meshes);
            for (std::uint64_t m = 0; m < std::min<std::uint64_t>(meshes, 70000); ++m) {
                w.list(static_cast<const Vertex*>(nullptr), 0);
                w.list(static_cast<const unsigned int*>(nullptr), 0);
                w.value(textures);
            }
        };
        walk(counter);
        std::string bytes(counter.size(), '\0');
        ReplyWriter writer(reinterpret_cast<unsigned char*>(bytes.data()));
        walk(writer);
        dir.write(name, bytes);
        return "reply=" + dir.file(name);
    };
    StandInWorker billion(write("billion", 1000000000, 0));
    EXPECT_EQ(billion.failure(),
              "the loading worker's reply is malformed (1000000000 meshes, more than the 65536 one model may have)");
    StandInWorker textures(write("textures", 1, 1000000));
    EXPECT_EQ(textures.failure(), "the loading worker's reply is malformed (a mesh with 1000000 textures, more "
                                  "than the 16 one mesh may bind)");
    // Within the caps, but more records than the request's memory allows.
    setenv("VORLUNE_STAND_IN", write("many", 60000, 0).c_str(), 1);
    LoadingWorker worker(VORLUNE_STAND_IN_WORKER);
    EXPECT_EQ(worker.run({LoadKind::Model, "any.obj", {30.0, 64 * kMebibyte, 90.0}}).failure,
              "the loading worker's reply is malformed (a mesh would take the reply past the 64 MiB allowed for it)");
    unsetenv("VORLUNE_STAND_IN");
}
#endif

}  // namespace

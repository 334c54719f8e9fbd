// The loading worker's limits and the reply checks, through small limits
// given in the request (never by exhausting the machine).
#include "worker/loading_worker.h"
#include "loading/load_budget.h"
#include "loading/request/reply_format.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <cstring>
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
    request.materialPath.Set("wall.png");
    request.samplerUniform = "material.diffuse";
    mesh.textures.push_back(request);
    sent.model.meshes.push_back(mesh);
    std::vector<unsigned char> bytes(replySize(sent, LoadKind::Model));
    writeReply(sent, LoadKind::Model, bytes.data());

    const auto read = [](std::vector<unsigned char> copy, std::string& why) {
        auto owner = std::make_shared<std::vector<unsigned char>>(std::move(copy));
        LoadReply reply;
        return readReply(LoadKind::Model, owner, owner->data(), owner->size(), reply, why);
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

    EXPECT_FALSE(readReply(LoadKind::Image, nullptr, bytes.data(), bytes.size(), sent, why));
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

}  // namespace

// The fuzzers' seeds replayed as the fuzzers run them (OBJ files and images
// through the loading worker, replies through the reader) in the ordinary
// test run: every committed seed loads whole, so a seed that stopped loading
// (and with it the fuzzer's start) shows here even where no fuzzer runs.
#include "loading/request/reply_format.h"
#include "support/in_memory_obj_import.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(VORLUNE_SOURCE_DIR) / "fuzz" / "corpus";

std::vector<std::filesystem::path> seeds(const char* target)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus / target)) {
        files.push_back(entry.path());
    }
    return files;
}

class FuzzReplay : public testing::Test {
protected:
    TempDir dir;
    LoadingWorker worker{kWorkerProgram};
};

// If the second part stopped reaching the importer, the fuzzer would go on
// mutating material libraries that nothing reads: it is read under the
// name `mtllib` gives and, for a name outside the input's folder, under the
// reader's fallback name.
TEST_F(FuzzReplay, MaterialLibraryAfterTheSeparatorIsWhatMtllibReads)
{
    for (const char* name : {"anything.mtl", "../elsewhere/library.mtl"}) {
        const std::string input = std::string("mtllib ") + name +
                                  "\nusemtl painted\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                  "\n#mtl\n"
                                  "newmtl painted\nmap_Kd paint.png\nmap_Ks shine.png\n";

        const LoadReply reply =
            hardening::importThroughWorker(worker, dir.file("input"), hardening::splitObjInput(input));

        ASSERT_TRUE(reply.model.imported) << name << ": " << reply.failure << reply.model.error;
        ASSERT_EQ(reply.model.meshes.size(), 1u) << name;
        const std::vector<TextureRequest>& textures = reply.model.meshes[0].textures;
        // The flat normal stands in for the bump map the material lacks.
        ASSERT_EQ(textures.size(), 3u) << name;
        EXPECT_EQ(textures[0].materialPath, "paint.png") << name;
        EXPECT_EQ(textures[1].materialPath, "shine.png") << name;
        EXPECT_TRUE(textures[2].solidColour.has_value()) << name;
        EXPECT_EQ(reply.model.meshes[0].indices.copy(), (std::vector<unsigned int>{0, 1, 2})) << name;
    }
}

TEST_F(FuzzReplay, EveryObjSeedImportsIntoMeshesSafeToDraw)
{
    const std::vector<std::filesystem::path> files = seeds("obj_import");
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        const LoadReply reply =
            hardening::importThroughWorker(worker, dir.file("input"), hardening::splitObjInput(readFile(file)));
        EXPECT_TRUE(reply.model.imported) << file.filename() << ": " << reply.failure << reply.model.error;
        EXPECT_EQ(hardening::modelReplyFault(reply), "") << file.filename();
    }
}

TEST_F(FuzzReplay, EveryImageSeedDecodesToAWholeRgbImage)
{
    const std::vector<std::filesystem::path> files = seeds("image_decode");
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        const LoadReply reply = worker.run({LoadKind::Image, file.string(), kImageLimits});
        EXPECT_TRUE(reply.image.pixels) << file.filename() << ": " << reply.failure << reply.image.failure;
        EXPECT_GT(reply.image.width, 0) << file.filename();
        EXPECT_GT(reply.image.height, 0) << file.filename();
    }
}

// The reply fuzzer's seeds are written by the worker's own reply writer
// (fuzz/reply_read_seeds.cpp): once the layout changes, they are to be
// written again, or the fuzzer starts from bytes the reader refuses.
TEST_F(FuzzReplay, EveryReplySeedIsReadWholeAsTheReplyItIs)
{
    const std::vector<std::filesystem::path> files = seeds("reply_read");
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        const auto bytes = std::make_shared<std::string>(readFile(file));
        int accepted = 0;
        for (const LoadKind kind : {LoadKind::Model, LoadKind::Image}) {
            LoadReply reply;
            std::string why;
            accepted += readReply(kind, 0, bytes, reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(),
                                  reply, why);
        }
        EXPECT_EQ(accepted, 1) << file.filename();
    }
}

}  // namespace

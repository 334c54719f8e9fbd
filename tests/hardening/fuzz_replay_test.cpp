// The fuzzers' inputs replayed through the same paths in the ordinary test
// run: every committed seed, and every input a fuzzer once found a fault
// with, so a fault that was fixed stays fixed even where no fuzzer runs.
#include "support/in_memory_obj_import.h"
#include "model/texture_loader.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <filesystem>
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

void expectSafeToDraw(const hardening::ImportOutcome& outcome, const std::string& name)
{
    for (const ConvertedMesh& mesh : outcome.meshes) {
        EXPECT_EQ(hardening::meshFault(mesh), "") << name;
    }
}

// If the second part stopped reaching the importer, the fuzzer would go on
// mutating material libraries that nothing reads.
TEST(ObjImportReplay, MaterialLibraryAfterTheSeparatorIsWhatMtllibReads)
{
    const std::string input =
        "mtllib anything.mtl\nusemtl painted\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
        "\n#mtl\n"
        "newmtl painted\nmap_Kd paint.png\nmap_Ks shine.png\n";

    const hardening::ImportOutcome outcome =
        hardening::importFromMemory(hardening::splitObjInput(input));

    ASSERT_FALSE(outcome.failed) << outcome.error;
    ASSERT_EQ(outcome.meshes.size(), 1u);
    const std::vector<TextureRequest>& textures = outcome.meshes[0].textures;
    // The flat normal stands in for the bump map the material lacks.
    ASSERT_EQ(textures.size(), 3u);
    EXPECT_STREQ(textures[0].materialPath.C_Str(), "paint.png");
    EXPECT_STREQ(textures[1].materialPath.C_Str(), "shine.png");
    EXPECT_TRUE(textures[2].solidColour.has_value());
    EXPECT_EQ(outcome.meshes[0].indices, (std::vector<unsigned int>{0, 1, 2}));
}

TEST(ObjImportReplay, EverySeedImportsIntoMeshesSafeToDraw)
{
    const std::vector<std::filesystem::path> files = seeds("obj_import");
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        const hardening::ImportOutcome outcome =
            hardening::importFromMemory(hardening::splitObjInput(readFile(file)));
        EXPECT_FALSE(outcome.failed) << file.filename() << ": " << outcome.error;
        EXPECT_FALSE(outcome.meshes.empty()) << file.filename();
        expectSafeToDraw(outcome, file.filename().string());
    }
}

TEST(ImageDecodeReplay, EverySeedDecodesToWholeRgbImages)
{
    const std::vector<std::filesystem::path> files = seeds("image_decode");
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        const std::string bytes = readFile(file);
        const DecodedImage image = decodeRgbImageFromMemory(
            reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_TRUE(image.pixels) << file.filename() << ": " << image.failure;
        EXPECT_GT(image.width, 0) << file.filename();
        EXPECT_GT(image.height, 0) << file.filename();
    }
}

}  // namespace

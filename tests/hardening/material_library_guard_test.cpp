// The screening that material libraries get before the import library reads
// them: statements ahead of the first material become comments, which is
// what keeps a stray texture statement from crashing the reader.
#include "support/in_memory_obj_import.h"
#include "loading/work/material_library_guard.h"
#include "loading/work/model_file_import.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// Every way the reader starts a new line, and an indented statement.
TEST(MaterialLibraryGuard, EveryStatementBeforeTheFirstMaterialBecomesAComment)
{
    const std::string before = "map_Kd a.png\n  bump b.png\r# note\fKd 1 1 1\0map_Ks c.png\n"s;
    const std::string after = "newmtl m\nmap_Kd d.png\n";
    const std::string expected = "#ap_Kd a.png\n  #ump b.png\r# note\f#d 1 1 1\0#ap_Ks c.png\n"s;

    EXPECT_EQ(commentOutStatementsBeforeFirstMaterial(before + after), expected + after);
    EXPECT_EQ(commentOutStatementsBeforeFirstMaterial(before), expected);
}

// Without an extension the import library tries each of its readers on the
// file, and some delete the streams they open instead of closing them: the
// guard once deleted those a second time. The file is valid, and ours.
TEST(MaterialLibraryGuard, AModelWithoutExtensionImportsWhileTheReadersProbeIt)
{
    TempDir dir;
    dir.write("model.mtl", "newmtl m\nKd 1 0 0\n");
    dir.write("model", "mtllib model.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m\nf 1 2 3\n");
    const ImportedModelFile file = importModelFile(dir.file("model"));
    EXPECT_TRUE(file.imported) << file.error;
}

// The reader passes over an indented first line whole but skips the blanks
// that start every later one, and starts a material on "ne" or "Ne",
// whatever follows.
TEST(MaterialLibraryGuard, MaterialsStartWhereTheReaderStartsThem)
{
    const std::string indented = "# exported\n\t newmtl a\n  map_Kd x.png\n";
    const std::string unnamed = "Newmtlx\nmap_Kd x.png\n";

    EXPECT_EQ(commentOutStatementsBeforeFirstMaterial(" newmtl a\nmap_Kd x.png\n"),
              " #ewmtl a\n#ap_Kd x.png\n");
    EXPECT_EQ(commentOutStatementsBeforeFirstMaterial(indented), "# exported\n\t newmtl a\n  map_Kd x.png\n");
    EXPECT_EQ(commentOutStatementsBeforeFirstMaterial(unnamed), unnamed);
}

// Found by the OBJ fuzzer: a texture statement ahead of any `newmtl` made
// the import library write through a material that did not exist yet. The
// worker would contain that crash, but the model would be lost: repaired,
// it loads.
TEST(MaterialLibraryGuard, TextureStatementBeforeAnyMaterialNoLongerCrashesTheImport)
{
    const std::string foundByFuzzer =
        "mtllib hex.mtl\nv 1 0 0\nv 0.5 0.87 0\nv -0.5 0.87 0\nv -1 0" + std::string(14, '\xba') +
        " 0\nv -0.5 -0.87 0\nv 0.5 -0.87 0\nvn 0 0 1\nusemtl hex\ns off\n"
        "f 1//1 2//1 3//1 4//1 52//1 6//1\n"
        "\n#mtl\n"
        "n0.5 0.87 0\nv -0.5 0.87 0\nv -1 0" + std::string(6, '\xba') +
        "ng\nbu\xb1m\x8b hex_bump.png\nmap_Kd ../shared/hex.png\n";
    const std::string reduced = "mtllib a.mtl\nusemtl m\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                "\n#mtl\n"
                                "map_Kd early.png\nnewmtl m\nmap_Kd late.png\n";
    TempDir dir;
    LoadingWorker worker(kWorkerProgram);

    const LoadReply found =
        hardening::importThroughWorker(worker, dir.file("found"), hardening::splitObjInput(foundByFuzzer));
    const LoadReply cut = hardening::importThroughWorker(worker, dir.file("cut"), hardening::splitObjInput(reduced));

    EXPECT_EQ(found.failure, "");
    EXPECT_EQ(hardening::modelReplyFault(found), "");
    ASSERT_TRUE(cut.model.imported) << cut.failure << cut.model.error;
    ASSERT_EQ(cut.model.meshes.size(), 1u);
    // late.png, then the texels that stand in for the maps it lacks.
    ASSERT_EQ(cut.model.meshes[0].textures.size(), 3u);
    EXPECT_EQ(cut.model.meshes[0].textures[0].materialPath, "late.png");
}

}  // namespace

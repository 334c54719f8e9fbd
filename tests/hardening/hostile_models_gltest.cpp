// Hostile model, material and image files through the real model import, in
// the loading worker: a file the importer rejects gives exactly the
// import-error line and a model without meshes, what it accepts converts
// into triangles safe to draw, a file that would take the worker's time or
// memory is stopped by its limits in one line, and images that cannot be
// used become placeholders named in one line each.
#include "heavy_inputs/obj_inputs.h"
#include "hardening/hostile_image_bytes.h"
#include "support/in_memory_obj_import.h"
#include "support/gl_probes.h"
#include "loading/loader.h"
#include "loading/load_budget.h"
#include "loading/work/assimp_import.h"
#include "model/load_cache.h"
#include "model/model.h"
#include "support/captured_output.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"
#include "support/platform_skips.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using probes::readTexels;
using probes::writeSolidPng;

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
const std::vector<unsigned char> kPlaceholder = {255, 0, 255};

std::vector<unsigned char> rgb(unsigned char r, unsigned char g, unsigned char b)
{
    return {r, g, b};
}

class HostileModels : public testing::Test {
protected:
    void SetUp() override
    {
        testGLContext();
        std::filesystem::create_directory(modelDirectory);
    }

    // Writes model/model.obj (and model/model.mtl when given) and imports it
    // the way the scene does, keeping what it printed.
    std::unique_ptr<Model> importObj(const std::string& obj, const std::string& mtl = "")
    {
        dir.write("model/model.obj", obj);
        if (!mtl.empty()) {
            dir.write("model/model.mtl", mtl);
        }
        std::unique_ptr<Model> model;
        printed = captureStdout([&] { model = std::make_unique<Model>(modelPath(), kWorkerProgram); });
        return model;
    }

    std::string modelPath() const { return modelDirectory + "/model.obj"; }

    // What the viewer relies on, whatever a hostile file did to the worker:
    // at most one line, and only meshes safe to draw.
    void expectOneLineAndSafeMeshes(const char* what, const std::unique_ptr<Model>& model)
    {
        EXPECT_LE(std::count(printed.begin(), printed.end(), '\n'), 1) << what << ": " << printed;
        for (const Mesh& mesh : model->meshes) {
            EXPECT_EQ(hardening::meshFault(mesh.vertices.size(), mesh.indices), "") << what;
        }
    }

    TempDir dir;
    const std::string modelDirectory = dir.file("model");
    std::string printed;
};

TEST_F(HostileModels, RejectedObjFilesPrintTheImportErrorAndLeaveNoMeshes)
{
    const std::string outOfRange = "OBJ: vertex index out of range";
    struct Case {
        const char* what;
        std::string obj;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"empty file", "", "OBJ-file is too small."},
        {"face past the vertex list", kTriangle + "f 1 2 9\n", outOfRange},
        {"relative index before the first vertex", kTriangle + "f -7 1 2\n", outOfRange},
        {"index beyond any integer", kTriangle + "f 1 2 99999999999999999999\n", outOfRange},
        {"index zero", kTriangle + "f 0 1 2\n", "OBJ: Invalid face index."},
    };
    for (const Case& broken : cases) {
        const std::unique_ptr<Model> model = importObj(broken.obj);
        EXPECT_EQ(printed, "ERROR::ASSIMP:: " + broken.error + "\n") << broken.what;
        EXPECT_TRUE(model->meshes.empty()) << broken.what;
    }
}

TEST_F(HostileModels, MaterialLibraryThatIsADirectoryFailsTheImportWithItsReason)
{
    VORLUNE_SKIP_ON_WINDOWS("Windows opens no folder as a file, so there the library is missing, as in the next test");
    std::filesystem::create_directory(modelDirectory + "/model.mtl");
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n");

    EXPECT_EQ(printed, "ERROR::ASSIMP:: File read error\n");
    EXPECT_TRUE(model->meshes.empty());
}

TEST_F(HostileModels, MissingMaterialLibraryKeepsTheGeometryWithoutTextures)
{
    const std::unique_ptr<Model> model =
        importObj("mtllib nowhere.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0].indices.copy(), (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_TRUE(model->loadedTextures.empty());
}

// Files that import without error and yield nothing a triangle list can
// draw; UTF-16 without a byte-order mark reads as text without statements.
TEST_F(HostileModels, FilesWithNoTrianglesToDrawSaySoInOneLine)
{
    std::string utf16;
    for (const char c : kTriangle + "f 1 2 3\n") {
        utf16 += std::string{c, '\0'};
    }
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"comments only", "# a model with nothing in it at all\n"},
        {"points only", kTriangle + "p 1 2 3\n"},
        {"lines only", kTriangle + "l 1 2 3\n"},
        {"UTF-16 without a byte-order mark", utf16},
    };
    for (const auto& [what, obj] : cases) {
        const std::unique_ptr<Model> model = importObj(obj);
        EXPECT_EQ(printed, "ERROR::ASSIMP:: " + modelPath() + ": no triangles to draw\n") << what;
        EXPECT_TRUE(model->meshes.empty()) << what;
    }
}

// Files the importer accepts however odd they are: a file cut off inside its
// last face keeps the faces before it (the stub is two corners, a line, which
// never reaches the triangle list); faces may come before their vertices.
TEST_F(HostileModels, OddButReadableObjFilesImportSilentlyIntoWholeTriangles)
{
    struct Case {
        const char* what;
        std::string obj;
        std::size_t corners;
    };
    const std::vector<Case> cases = {
        {"cut off mid-face", kTriangle + "v 1 1 0\nf 1 2 3\nf 2 4", 3},
        {"face before its vertices", "f 1 2 3\n" + kTriangle, 3},
    };
    for (const Case& odd : cases) {
        const std::unique_ptr<Model> model = importObj(odd.obj);
        EXPECT_EQ(printed, "") << odd.what;
        std::size_t corners = 0;
        for (const Mesh& mesh : model->meshes) {
            EXPECT_EQ(hardening::meshFault(mesh.vertices.size(), mesh.indices), "") << odd.what;
            corners += mesh.indices.size();
        }
        EXPECT_EQ(corners, odd.corners) << odd.what;
    }
}

TEST_F(HostileModels, AbsurdElementCountsImportIntoTrianglesSafeToDraw)
{
    // A polygon as large as CAD programs write for a cylinder's cap.
    constexpr int kPolygonCorners = 2048;
    constexpr int kRepeatedFaces = 20000;
    std::string polygon;
    std::string face = "f";
    for (int corner = 0; corner < kPolygonCorners; ++corner) {
        const double angle = 6.283185307179586 * corner / kPolygonCorners;
        polygon += "v " + std::to_string(std::cos(angle)) + " " + std::to_string(std::sin(angle)) +
                   " 0\n";
        face += " " + std::to_string(corner + 1);
    }
    std::string repeated;
    for (int f = 0; f < kRepeatedFaces; ++f) {
        repeated += "f 1 2 3\n";
    }

    for (const std::string& obj : {polygon + face + "\n", kTriangle + repeated}) {
        const std::unique_ptr<Model> model = importObj(obj);
        EXPECT_EQ(printed, "");
        ASSERT_EQ(model->meshes.size(), 1u);
        EXPECT_FALSE(model->meshes[0].indices.empty());
        EXPECT_EQ(hardening::meshFault(model->meshes[0].vertices.size(), model->meshes[0].indices), "");
    }
}

// The model's own path as its library: the reader opens the model a second
// time while reading it, and that read is screened like any library's (it
// used to go through untouched and crash the import library).
TEST_F(HostileModels, ModelThatIsItsOwnMaterialLibraryIsScreenedLikeAnyLibrary)
{
    const std::unique_ptr<Model> model =
        importObj("map_Kd x.png\nmtllib model.obj\n" + kTriangle + "f 1 2 3\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_TRUE(model->loadedTextures.empty());
}

// A model path that is no regular file is missing, as far as import goes; a
// library or image that could block its reader is missing too.
TEST_F(HostileModels, WhatIsNoRegularFileIsTakenAsMissing)
{
    SKIP_WITHOUT_FIFOS();
    const std::string path = modelPath();
    const std::vector<std::function<void()>> makers = {
        [&] { std::filesystem::create_directory(path); },
        [&] { ASSERT_TRUE(makeFifo(path)); },
        [&] { std::filesystem::create_symlink("/dev/zero", path); },
    };
    for (const auto& make : makers) {
        std::filesystem::remove(path);
        make();
        std::unique_ptr<Model> model;
        printed = captureStdout([&] { model = std::make_unique<Model>(path, kWorkerProgram); });
        EXPECT_EQ(printed, "ERROR::ASSIMP:: Unable to open file \"" + path + "\".\n");
        EXPECT_TRUE(model->meshes.empty());
    }
    std::filesystem::remove(path);

    ASSERT_TRUE(makeFifo(modelDirectory + "/fifo.mtl"));
    ASSERT_TRUE(makeFifo(modelDirectory + "/fifo.png"));
    const std::unique_ptr<Model> model =
        importObj("mtllib fifo.mtl\nmtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n",
                  "newmtl m\nmap_Kd fifo.png\n");
    EXPECT_EQ(printed, "ERROR::TEXTURE:: " + modelDirectory + "/fifo.png: not a regular file\n");
    ASSERT_EQ(model->loadedTextures.size(), 1u);
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), kPlaceholder);
}

std::string repeat(const std::string& text, std::uint64_t times)
{
    std::string all;
    for (std::uint64_t i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

// Files that make the import library's reader read past a line or its
// buffer: what comes of them depends on what lies there, so only what the
// viewer relies on is checked. A library read over and over costs its size
// each time, which a few megabytes keep within the limits.
TEST_F(HostileModels, ObjFilesThatMisleadTheReaderLoadOrFailInOneLine)
{
    // A continuation in the reader's first 16 MiB block whose skip to the
    // next newline runs off the block's end.
    const std::size_t block = std::size_t{4096} * 4096;
    std::string acrossBlocks = kTriangle + "#";
    acrossBlocks +=
        std::string(block - 10 - acrossBlocks.size(), ' ') + "\\\r" + std::string(8, 'x') + "\nf 1 2 3\n";
    const std::string triangle = "mtllib model.mtl\nusemtl m0\n" + kTriangle + "f 1 2 3\n";
    struct Case {
        const char* what;
        std::string obj;
        std::string mtl;
    };
    const std::vector<Case> cases = {
        {"corners spelt with leading zeros", kTriangle + "f 1 2 " + std::string(12000, '0') + "3\n", ""},
        {"a face continued over many lines", kTriangle + "f" + repeat(" 1 2 \\\n", 6000) + "\n", ""},
        {"a vertical tab in a face", kTriangle + "f 1 2 \v\n", ""},
        {"a fourth index in a corner", kTriangle + "f 1/1/1/1 2 3\n", ""},
        {"a normal in the texture slot", kTriangle + "vn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n", ""},
        // The reader's atoi saturates at long's largest: past an int where
        // long is 64 bits, within it where it is 32 (Windows).
        {"an index wider than its text", kTriangle + "f 1 2 2147483648\n", ""},
        {"a continuation off the reader's block", acrossBlocks, ""},
        {"one library read over and over", repeat("mtllib model.mtl\n", 2100) + triangle,
         "newmtl m0\n#" + std::string(1 << 20, ' ') + "\n"},
    };
    for (const Case& misleading : cases) {
        std::filesystem::remove(modelDirectory + "/model.mtl");
        expectOneLineAndSafeMeshes(misleading.what, importObj(misleading.obj, misleading.mtl));
    }
}

// Files on which the import library's work or memory grows far faster than
// their size. Nothing predicts that cost any more: the worker's limits stop
// each. With the viewer's own limits most of them import after up to 20 s
// here and the material libraries pass 3 GiB; these small limits stop the
// first four on processor time and the last three on memory within a few
// seconds. Whichever way each ends, the next model still loads.
TEST_F(HostileModels, ObjFilesCostlierThanTheirSizeAreStoppedByTheWorkersLimits)
{
    constexpr double kSmallProcessorSeconds = 2.0;
    constexpr std::uint64_t kSmallMemory = 256 * kMebibyte;
    // Only a stalled worker would reach it.
    constexpr double kGenerousWallSeconds = 60.0;
    constexpr LoadLimits kSmallLimits{kSmallProcessorSeconds, kSmallMemory, kGenerousWallSeconds};
    // Corners without a normal are never joined: each searches its whole
    // slab, a third of the mesh here.
    const auto crowded = [](int faces) {
        return "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n" + repeat("f 1 2 3\n", faces);
    };
    std::string objects;
    std::string switchesToNew;
    std::string materials;
    std::string switches;
    for (int i = 0; i < 120000; ++i) {
        objects += i < 60000 ? "o p" + std::to_string(100000 + i) + "\n" : "";
        switchesToNew += "usemtl m" + std::to_string(i) + "\n";
        materials += "newmtl m" + std::to_string(i) + "\n";
        switches += i < 50000 ? "usemtl m" + std::to_string(i % 2) + "\nf 1 2 3\n" : "";
    }
    const std::string triangle = "mtllib model.mtl\nusemtl m0\n" + kTriangle + "f 1 2 3\n";

    // Through the viewer's own loading, with a memory budget that leaves
    // the import the small limit: one line, naming the file and the budget.
    dir.write("model/model.mtl", materials);
    dir.write("model/model.obj", triangle);
    LoadCache budgeted(kWorkerProgram, {}, kMemoryMargin + kSmallMemory);
    std::unique_ptr<Model> model;
    printed = captureStdout([&] { model = std::make_unique<Model>(modelPath(), budgeted); });
    EXPECT_EQ(printed, "ERROR::ASSIMP:: " + modelPath() +
                           ": not loaded: a model import needed more than the 256 MiB the scene's memory budget had "
                           "left (of 768 MiB available at start-up, 0 MiB kept, 512 MiB spared for the system)\n");
    EXPECT_TRUE(model->meshes.empty());

    struct Case {
        const char* what;
        std::string obj;
        std::string mtl;
    };
    const std::vector<Case> cases = {
        {"a face of 100000 corners", kTriangle + "f" + repeat(" 1", 100000) + "\n", ""},
        {"one crowded mesh", kTriangle + crowded(35000), ""},
        {"two crowded meshes", kTriangle + crowded(30000) + "o second\n" + crowded(30000), ""},
        {"many objects, each looked up among the others", kTriangle + objects + "f 1 2 3\n", ""},
        {"a material for every usemtl statement", kTriangle + switchesToNew + "f 1 2 3\n", ""},
        {"too many materials", triangle, materials},
        {"lookups among many materials", triangle + switches, materials.substr(0, materials.size() / 2)},
    };
    LoadingWorker worker(kWorkerProgram);
    dir.write("plain/model.obj", kTriangle + "f 1 2 3\n");
    for (const Case& costly : cases) {
        const LoadReply reply =
            hardening::importThroughWorker(worker, dir.file("costly"), {costly.obj, costly.mtl}, kSmallLimits);
        EXPECT_EQ(hardening::modelReplyFault(reply), "") << costly.what;
        const LoadReply next = worker.run({LoadKind::Model, dir.file("plain/model.obj"), kModelLimits});
        EXPECT_TRUE(next.model.imported) << costly.what << ": " << next.failure << next.model.error;
    }
}

// Each texture file a model names is a round trip to the worker: past the
// number one model may load, the model is refused before any is decoded.
TEST_F(HostileModels, ModelNamingMoreTextureFilesThanItMayLoadIsRefusedWithTheReason)
{
    std::string textured;
    std::string textures;
    for (std::uint64_t i = 0; i <= kMaxModelTextures; ++i) {
        textured += "usemtl m" + std::to_string(i) + "\nf 1 2 3\n";
        textures += "newmtl m" + std::to_string(i) + "\nmap_Kd " + std::to_string(i) + ".png\n";
    }
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\n" + kTriangle + textured, textures);

    EXPECT_EQ(printed, "ERROR::ASSIMP:: OBJ: its materials name " + std::to_string(kMaxModelTextures + 1) +
                           " texture files, more than the " + std::to_string(kMaxModelTextures) +
                           " this viewer loads for one model\n");
    EXPECT_TRUE(model->meshes.empty());
}

// Files as exporters write them, each just past a limit an earlier import
// screen set (4 MiB, 131,072 corners, a face of 2,048, 256 statements
// that make objects or switch materials, 256 materials, 64 textures, 16
// libraries, crowding counted as if the file were one mesh), and a library
// whose statements are indented: all import in full.
TEST_F(HostileModels, FilesExportersWriteImportInFull)
{
    const std::string in = dir.file("exported");
    const std::vector<WrittenObj> files = {
        writeSphereObj(in + "/sphere", 44000),          writeCadCylinderObj(in + "/cylinder", 2100),
        writeAssemblyObj(in + "/assembly", 129),        writeManyMaterialsObj(in + "/materials", 257),
        writeManyTexturesObj(in + "/textures", 65),     writeLibraryPerObjectObj(in + "/libraries", 17),
        writeGroundAndStatueObj(in + "/statue", 19000), writeIndentedLibraryObj(in + "/indented"),
    };
    std::unique_ptr<Model> model;
    for (const WrittenObj& file : files) {
        printed = captureStdout([&] { model = std::make_unique<Model>(file.path, kWorkerProgram); });
        // The images are named, not written: each missing one says so.
        EXPECT_EQ(printed.find("ERROR::ASSIMP"), std::string::npos) << file.path << printed;
        std::size_t corners = 0;
        for (const Mesh& mesh : model->meshes) {
            corners += mesh.indices.size();
        }
        EXPECT_EQ(corners, 3 * file.triangles) << file.path;
    }
    // The indented library's two materials and their textures are kept.
    ASSERT_EQ(model->loadedTextures.size(), 2u);
    EXPECT_EQ(model->loadedTextures[1].materialPath, "moss.png");
}

// A texture statement ahead of the first material used to crash the import
// library; now it is ignored, and the material after it is read as usual.
TEST_F(HostileModels, TextureStatementBeforeAnyMaterialIsIgnored)
{
    writeSolidPng(modelDirectory + "/late.png", 1, 2, 3);
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n",
                  "map_Kd early.png\n\tbump early_bump.png\nnewmtl m\nmap_Kd late.png\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->meshes.size(), 1u);
    ASSERT_EQ(model->loadedTextures.size(), 1u);
    EXPECT_EQ(model->loadedTextures[0].materialPath, "late.png");
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), rgb(1, 2, 3));
}

// An OBJ material holds one image per slot, so each hostile file gets a
// material of its own and a triangle that uses it.
TEST_F(HostileModels, UnusableImagesBecomeMagentaPlaceholdersNamedInOneLineEach)
{
    constexpr int kHuge = 20000;
    writeSolidPng(modelDirectory + "/whole.png", 1, 2, 3);
    const std::string whole = readFile(modelDirectory + "/whole.png");
    dir.write("model/empty.png", "");
    dir.write("model/cut.png", whole.substr(0, whole.size() / 2));
    dir.write("model/zero.bmp", hardening::bmp(0, 0, 0));
    dir.write("model/huge.bmp", hardening::bmp(kHuge, kHuge, 16));
    std::filesystem::create_directory(modelDirectory + "/folder.png");
    const std::vector<std::string> images = {"empty.png", "cut.png",    "zero.bmp",
                                             "huge.bmp",  "folder.png", "missing.png"};
    std::string obj = "mtllib model.mtl\n" + kTriangle;
    std::string mtl;
    for (std::size_t i = 0; i < images.size(); ++i) {
        // Each image twice, so a line per use would show.
        obj += "o part" + std::to_string(i) + "\nusemtl m" + std::to_string(i) + "\nf 1 2 3\n";
        mtl += "newmtl m" + std::to_string(i) + "\nmap_Kd " + images[i] + "\nmap_Ks ./" + images[i] + "\n";
    }
    // Longer than the importer's path strings hold: it drops the map, and the
    // material's colour stands in.
    obj += "o overlong\nusemtl long\nf 1 2 3\n";
    mtl += "newmtl long\nmap_Kd " + std::string(2000, 'x') + ".png\n";

    const std::unique_ptr<Model> model = importObj(obj, mtl);

    EXPECT_EQ(model->meshes.size(), images.size() + 1);
    ASSERT_EQ(model->loadedTextures.size(), images.size());
    for (const MeshTexture& texture : model->loadedTextures) {
        EXPECT_EQ(readTexels(texture.textureName), kPlaceholder) << texture.materialPath;
    }
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), static_cast<long>(images.size())) << printed;
    for (const std::string& image : images) {
        const std::string line = "ERROR::TEXTURE:: " + modelDirectory + "/" + image + ": ";
        EXPECT_NE(printed.find(line), std::string::npos) << printed;
    }
}

// Paths as exporters write them: Windows separators, another machine's
// absolute path (the file of that name beside the model is read), this
// machine's absolute path, and a relative one leaving the model's folder.
TEST_F(HostileModels, TexturePathsAreReadAsTheirAuthorsMeantThem)
{
    const std::string absolute = dir.file("elsewhere/absolute.png");
    std::filesystem::create_directories(dir.file("elsewhere"));
    writeSolidPng(absolute, 255, 0, 0);
    std::filesystem::create_directories(dir.file("sibling"));
    writeSolidPng(dir.file("sibling/up.png"), 0, 255, 0);
    std::filesystem::create_directories(modelDirectory + "/textures");
    writeSolidPng(modelDirectory + "/textures/wall.png", 7, 8, 9);
    writeSolidPng(modelDirectory + "/beside.png", 4, 5, 6);

    const std::unique_ptr<Model> model = importObj(
        "mtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n",
        "newmtl m\nmap_Kd " + absolute + "\nmap_Ks ..\\sibling\\up.png\nmap_Bump textures\\wall.png\n"
        "map_Ka C:\\Users\\someone\\Desktop\\beside.png\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->loadedTextures.size(), 4u);
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), rgb(255, 0, 0));
    EXPECT_EQ(readTexels(model->loadedTextures[1].textureName), rgb(0, 255, 0));
    EXPECT_EQ(readTexels(model->loadedTextures[2].textureName), rgb(7, 8, 9));
    EXPECT_EQ(readTexels(model->loadedTextures[3].textureName), rgb(4, 5, 6));
}

}  // namespace

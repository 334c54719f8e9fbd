// Hostile model, material and image files through the real model import:
// a file the importer rejects gives exactly the import-error line and a model
// without meshes, what it accepts converts into triangles safe to draw, and
// images that cannot be used become placeholders without a word.
#include "hardening/hostile_image_bytes.h"
#include "hardening/in_memory_obj_import.h"
#include "model/gl_probes.h"
#include "model/model.h"
#include "model/obj_screening.h"
#include "model/scene_import.h"
#include "support/captured_output.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

#include <assimp/Importer.hpp>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
        printed = captureStdout([&] { model = std::make_unique<Model>(modelPath()); });
        return model;
    }

    std::string modelPath() const { return modelDirectory + "/model.obj"; }

    void expectRefused(const char* what, const std::unique_ptr<Model>& model, const std::string& reason)
    {
        EXPECT_EQ(printed.rfind("ERROR::ASSIMP:: OBJ: ", 0), 0u) << what << ": " << printed;
        EXPECT_NE(printed.find(reason), std::string::npos) << what << ": " << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << what;
        EXPECT_TRUE(model->meshes.empty()) << what;
    }

    // The line the viewer must print for a model file the importer rejects.
    std::string importErrorLine() const
    {
        Assimp::Importer reference;
        reference.ReadFile(modelPath(), kImportFlags);
        return std::string("ERROR::ASSIMP:: ") + reference.GetErrorString() + "\n";
    }

    TempDir dir;
    const std::string modelDirectory = dir.file("model");
    std::string printed;
};

TEST_F(HostileModels, RejectedObjFilesPrintTheImportErrorAndLeaveNoMeshes)
{
    struct Case {
        const char* what;
        std::string obj;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"face past the vertex list", kTriangle + "f 1 2 9\n"},
        {"relative index before the first vertex", kTriangle + "f -7 1 2\n"},
        {"index beyond any integer", kTriangle + "f 1 2 99999999999999999999\n"},
        {"index zero", kTriangle + "f 0 1 2\n"},
    };
    for (const Case& broken : cases) {
        const std::unique_ptr<Model> model = importObj(broken.obj);
        const std::string expected = importErrorLine();
        EXPECT_NE(expected, "ERROR::ASSIMP:: \n") << broken.what << ": the importer gave no reason";
        EXPECT_EQ(printed, expected) << broken.what;
        EXPECT_TRUE(model->meshes.empty()) << broken.what;
    }
}

TEST_F(HostileModels, MaterialLibraryThatIsADirectoryFailsTheImportWithItsReason)
{
    std::filesystem::create_directory(modelDirectory + "/model.mtl");
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n");

    EXPECT_EQ(printed, importErrorLine());
    EXPECT_NE(printed, "ERROR::ASSIMP:: \n");
    EXPECT_TRUE(model->meshes.empty());
}

TEST_F(HostileModels, MissingMaterialLibraryKeepsTheGeometryWithoutTextures)
{
    const std::unique_ptr<Model> model =
        importObj("mtllib nowhere.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->meshes.size(), 1u);
    EXPECT_EQ(model->meshes[0].indices, (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_TRUE(model->meshes[0].textures.empty());
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
        {"comments only", "# a model with nothing in it at all\n", 0},
        {"cut off mid-face", kTriangle + "v 1 1 0\nf 1 2 3\nf 2 4", 3},
        {"face before its vertices", "f 1 2 3\n" + kTriangle, 3},
    };
    for (const Case& odd : cases) {
        const std::unique_ptr<Model> model = importObj(odd.obj);
        EXPECT_EQ(printed, "") << odd.what;
        std::size_t corners = 0;
        for (const Mesh& mesh : model->meshes) {
            EXPECT_EQ(hardening::meshFault({mesh.vertices, mesh.indices, {}}), "") << odd.what;
            corners += mesh.indices.size();
        }
        EXPECT_EQ(corners, odd.corners) << odd.what;
    }
}

TEST_F(HostileModels, AbsurdElementCountsImportIntoTrianglesSafeToDraw)
{
    // The largest face the import triangulates.
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
        EXPECT_EQ(hardening::meshFault({model->meshes[0].vertices, model->meshes[0].indices, {}}), "");
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
    const std::string path = modelPath();
    const std::vector<std::function<void()>> makers = {
        [&] { std::filesystem::create_directory(path); },
        [&] { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); },
        [&] { std::filesystem::create_symlink("/dev/zero", path); },
    };
    for (const auto& make : makers) {
        std::filesystem::remove(path);
        make();
        std::unique_ptr<Model> model;
        printed = captureStdout([&] { model = std::make_unique<Model>(path); });
        EXPECT_EQ(printed, "ERROR::ASSIMP:: Unable to open file \"" + path + "\".\n");
        EXPECT_TRUE(model->meshes.empty());
    }
    std::filesystem::remove(path);

    ASSERT_EQ(mkfifo((modelDirectory + "/fifo.mtl").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((modelDirectory + "/fifo.png").c_str(), 0600), 0);
    const std::unique_ptr<Model> model =
        importObj("mtllib fifo.mtl\nmtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n",
                  "newmtl m\nmap_Kd fifo.png\n");
    EXPECT_EQ(printed, "ERROR::TEXTURE:: " + modelDirectory + "/fifo.png: not a regular file\n");
    ASSERT_EQ(model->loadedTextures.size(), 1u);
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), kPlaceholder);
}

// Files on which the import library's work grows faster than their size, or
// that make its reader read past a line, are refused before it starts, with
// the reason. Each is just past its limit.
TEST_F(HostileModels, ObjFilesCostlierThanTheirSizeAreRefusedWithTheReason)
{
    const auto repeat = [](const std::string& text, std::uint64_t times) {
        std::string all;
        for (std::uint64_t i = 0; i < times; ++i) {
            all += text;
        }
        return all;
    };
    const std::string textured = kTriangle + "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";
    const std::uint64_t triangulated = 2048;
    struct Case {
        const char* what;
        std::string obj;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"a face of 100000 corners", kTriangle + "f" + repeat(" 1", 100000) + "\n",
         "a face of 100000 corners"},
        {"corners spelt with leading zeros", kTriangle + "f 1 2 " + std::string(triangulated, '0') + "3\n",
         "a face of " + std::to_string(triangulated + 3)},
        {"a face continued over many lines", kTriangle + "f" + repeat(" 1 2 \\\n", triangulated) + "\n",
         "a face of " + std::to_string(2 * triangulated)},
        {"many polygons", kTriangle + repeat("f" + repeat(" 1 2", 32) + "\n", kMaxTriangulationWork / 4096 + 1),
         "polygons too large to triangulate in time"},
        {"many textured faces on one position", textured + repeat("f 1 2 3\n", 4000),
         "too crowded for tangent generation"},
        {"a vertical tab in a face", kTriangle + "f 1 2 \v\n", "past the end of its line"},
        {"a fourth index in a corner", kTriangle + "f 1/1/1/1 2 3\n", "past the end of its line"},
        {"a normal in the texture slot", kTriangle + "vn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n",
         "past the end of its line"},
        {"too many corners", kTriangle + repeat("f 1 2 3\n", kMaxModelCorners / 3 + 1), "face corners"},
        {"too many objects", kTriangle + repeat("o part\nf 1 2 3\n", kMaxModelParts + 1),
         "object, group and material statements"},
        {"too many libraries", kTriangle + repeat("mtllib none.mtl\n", kMaxMaterialLibraryStatements + 1),
         "material library statements"},
        {"too large a file", kTriangle + "#" + std::string(kMaxModelFileBytes, ' ') + "\n", "a file of"},
    };
    for (const Case& costly : cases) {
        expectRefused(costly.what, importObj(costly.obj), costly.reason);
    }
}

// Material libraries are held to a size and a count of materials for the
// whole import, and a model to a number of texture files.
TEST_F(HostileModels, MaterialLibrariesPastTheirLimitsAreRefusedWithTheReason)
{
    const std::string triangle = "mtllib model.mtl\nusemtl m0\n" + kTriangle + "f 1 2 3\n";
    std::string materials;
    for (std::uint64_t i = 0; i <= kMaxMaterials; ++i) {
        materials += "newmtl m" + std::to_string(i) + "\n";
    }
    std::string textured;
    std::string textures;
    for (std::uint64_t i = 0; i <= kMaxModelTextures; ++i) {
        textured += "usemtl m" + std::to_string(i) + "\nf 1 2 3\n";
        textures += "newmtl m" + std::to_string(i) + "\nmap_Kd " + std::to_string(i) + ".png\n";
    }

    expectRefused("too many materials", importObj(triangle, materials), "materials in its libraries");
    expectRefused("too large a library",
                  importObj(triangle, "newmtl m0\n#" + std::string(kMaxMaterialLibraryBytes, ' ') + "\n"),
                  "material libraries of");
    expectRefused("too many texture files", importObj(triangle + textured, textures), "texture files");
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
    EXPECT_STREQ(model->loadedTextures[0].materialPath.C_Str(), "late.png");
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), rgb(1, 2, 3));
}

// An OBJ material holds one image per slot, so each hostile file gets a
// material of its own and a triangle that uses it. Each says why in a line
// of its own (the reasons are the decoder tests' to check).
TEST_F(HostileModels, UnusableImagesBecomeMagentaPlaceholdersWithALineEach)
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
        obj += "o part" + std::to_string(i) + "\nusemtl m" + std::to_string(i) + "\nf 1 2 3\n";
        mtl += "newmtl m" + std::to_string(i) + "\nmap_Kd " + images[i] + "\n";
    }
    // Longer than the importer's path strings hold: it drops the path.
    obj += "o overlong\nusemtl long\nf 1 2 3\n";
    mtl += "newmtl long\nmap_Kd " + std::string(2000, 'x') + ".png\n";

    const std::unique_ptr<Model> model = importObj(obj, mtl);

    std::istringstream lines(printed);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_LT(count, images.size()) << printed;
        EXPECT_EQ(line.rfind("ERROR::TEXTURE:: " + modelDirectory + "/" + images[count] + ": ", 0), 0u) << line;
    }
    EXPECT_EQ(count, images.size()) << printed;
    EXPECT_EQ(model->meshes.size(), images.size() + 1);
    ASSERT_EQ(model->loadedTextures.size(), images.size());
    for (const MeshTexture& texture : model->loadedTextures) {
        EXPECT_EQ(readTexels(texture.textureName), kPlaceholder) << texture.materialPath.C_Str();
    }
}

// Texture paths are appended to the model's directory unchanged: an absolute
// path is looked for beneath it, and ".." climbs out of it as the file
// system resolves it.
TEST_F(HostileModels, TexturePathsAreJoinedToTheModelDirectoryAsGiven)
{
    const std::string absolute = dir.file("elsewhere/absolute.png");
    std::filesystem::create_directories(dir.file("elsewhere"));
    writeSolidPng(absolute, 255, 0, 0);
    std::filesystem::create_directories(modelDirectory + dir.file("elsewhere"));
    writeSolidPng(modelDirectory + absolute, 0, 0, 255);
    std::filesystem::create_directories(dir.file("sibling"));
    writeSolidPng(dir.file("sibling/up.png"), 0, 255, 0);
    writeSolidPng(modelDirectory + "/beside.png", 7, 8, 9);

    const std::unique_ptr<Model> model = importObj(
        "mtllib model.mtl\nusemtl m\n" + kTriangle + "f 1 2 3\n",
        "newmtl m\nmap_Kd " + absolute + "\nmap_Ks ../sibling/up.png\nmap_Bump beside.png\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->loadedTextures.size(), 3u);
    EXPECT_EQ(readTexels(model->loadedTextures[0].textureName), rgb(0, 0, 255));
    EXPECT_EQ(readTexels(model->loadedTextures[1].textureName), rgb(0, 255, 0));
    EXPECT_EQ(readTexels(model->loadedTextures[2].textureName), rgb(7, 8, 9));
}

}  // namespace

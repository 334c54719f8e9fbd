// Model import end to end: the node walk, the per-model texture cache and its
// keys, texture paths, import failures, and what a draw hands GL.
#include "model/load_cache.h"
#include "model/model.h"
#include "loading/work/assimp_import.h"
#include "support/files.h"
#include "support/gl_probes.h"
#include "support/captured_output.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"
#include "support/uniform_readback.h"
#include "support/platform_skips.h"
#include "support/worker_program.h"

#include <assimp/Importer.hpp>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using probes::readTexels;
using probes::writeSolidPng;

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

std::vector<unsigned char> rgb(unsigned char r, unsigned char g, unsigned char b)
{
    return {r, g, b};
}

class ModelGL : public testing::Test {
protected:
    void SetUp() override { testGLContext(); }
    void TearDown() override
    {
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
    }

    // Writes model.obj (+ model.mtl) and imports it, keeping its output.
    std::unique_ptr<Model> importObj(const std::string& obj, const std::string& mtl = "")
    {
        dir.write("model.obj", obj);
        dir.write("model.mtl", mtl);
        std::unique_ptr<Model> model;
        printed = captureStdout([&] { model = std::make_unique<Model>(dir.file("model.obj"), kWorkerProgram); });
        return model;
    }

    TempDir dir;
    std::string printed;
};

TEST_F(ModelGL, MissingModelFilePrintsTheImportErrorAndStillSetsModelOnDraw)
{
    const std::string path = dir.file("absent.obj");
    Assimp::Importer reference;
    reference.ReadFile(path, kImportFlags);
    const std::string expected =
        std::string("ERROR::ASSIMP:: ") + reference.GetErrorString() + "\n";

    std::unique_ptr<Model> model;
    const std::string output = captureStdout([&] { model = std::make_unique<Model>(path, kWorkerProgram); });

    EXPECT_EQ(output, expected);
    EXPECT_NE(std::string(reference.GetErrorString()), "");
    EXPECT_TRUE(model->meshes.empty());
    EXPECT_EQ(model->directory, "");

    ShaderProgram program = probes::buildAllSamplersProgram(dir);
    glUseProgram(program.program);
    model->place(1.0f, 2.0f, 3.0f, 0.0f);
    model->draw(program);
    EXPECT_EQ(uniformMat4(program.program, "model")[3], glm::vec4(1.0f, 2.0f, 3.0f, 1.0f));
}

TEST_F(ModelGL, RootWithoutMeshesYieldsItsChildrensMeshesDepthFirst)
{
    const std::unique_ptr<Model> model =
        importObj("o first\n" + kTriangle +
                  "f 1 2 3\n"
                  "o second\nv 5 0 0\nv 6 0 0\nv 5 1 0\nf 4 5 6\n");

    EXPECT_EQ(printed, "");
    ASSERT_EQ(model->meshes.size(), 2u);
    EXPECT_EQ(model->meshes[0].vertices[0].position, glm::vec3(0.0f));
    EXPECT_EQ(model->meshes[1].vertices[0].position, glm::vec3(5.0f, 0.0f, 0.0f));
}

TEST_F(ModelGL, SharedImageIsLoadedOnceAndFeedsEverySlotThatNamesIt)
{
    writeSolidPng(dir.file("shared.png"), 40, 50, 60);
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\n" + kTriangle +
                      "o first\nusemtl both\nf 1 2 3\n"
                      "o second\nusemtl colourOnly\nf 3 2 1\n",
                  "newmtl both\nmap_Kd shared.png\nmap_Ks ./shared.png\n"
                  "newmtl colourOnly\nmap_Kd shared.png\n");
    ASSERT_EQ(model->meshes.size(), 2u);
    ASSERT_EQ(model->meshes[0].textures.size(), 3u);
    ASSERT_EQ(model->meshes[1].textures.size(), 3u);

    ASSERT_EQ(model->loadedTextures.size(), 1u);
    const GLuint shared = model->loadedTextures[0].textureName;
    EXPECT_EQ(readTexels(shared), rgb(40, 50, 60));
    EXPECT_EQ(model->meshes[0].textures[0].textureName, shared);
    EXPECT_EQ(model->meshes[0].textures[1].textureName, shared);
    EXPECT_EQ(model->meshes[1].textures[0].textureName, shared);

    // The cache hit for the specular slot must still reach the specular sampler.
    ShaderProgram program = probes::buildAllSamplersProgram(dir);
    glUseProgram(program.program);
    model->meshes[0].draw(program);
    EXPECT_EQ(uniformInt(program.program, "material.diffuse"), 0);
    EXPECT_EQ(uniformInt(program.program, "material.specular"), 1);
}

// Slots without a map are fed the material's own colours and a flat normal,
// so no sampler is left on the texture the previous mesh bound.
TEST_F(ModelGL, SlotsWithoutMapsGetTheMaterialsColoursAndAFlatNormal)
{
    writeSolidPng(dir.file("bump.png"), 1, 2, 3);
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\n" + kTriangle +
                      "o plain\nusemtl plain\nf 1 2 3\no bumpy\nusemtl bumpy\nf 3 2 1\n",
                  "newmtl plain\nKd 1 0.5 0\nKs 0 0 1\nnewmtl bumpy\nKd 0 1 0\nmap_Bump bump.png\n");
    ShaderProgram program = probes::buildAllSamplersProgram(dir);
    glUseProgram(program.program);

    const std::vector<std::vector<std::vector<unsigned char>>> expected = {
        {rgb(255, 128, 0), rgb(0, 0, 255), rgb(128, 128, 255)},
        {rgb(0, 255, 0), rgb(0, 0, 0), rgb(1, 2, 3)},
    };
    for (std::size_t m = 0; m < expected.size(); ++m) {
        model->meshes[m].draw(program);
        const char* samplers[] = {"material.diffuse", "material.specular", "material.normal"};
        for (std::size_t slot = 0; slot < expected[m].size(); ++slot) {
            const GLint unit = uniformInt(program.program, samplers[slot]);
            EXPECT_EQ(unit, static_cast<GLint>(slot));
            EXPECT_EQ(readTexels(model->meshes[m].textures[static_cast<std::size_t>(unit)].textureName),
                      expected[m][slot])
                << "mesh " << m << " " << samplers[slot];
        }
    }
    EXPECT_EQ(model->loadedTextures.size(), 1u);
}

// One start-up reads each file once: a second model of the same file (here
// under another spelling) shares the first one's import, meshes and
// textures, even after the file has changed on disk; an image that two
// files name is one GL texture, and one that fails is reported once.
TEST_F(ModelGL, ModelsOfOneStartUpShareEachFileAndImage)
{
    writeSolidPng(dir.file("tex.png"), 10, 20, 30);
    dir.write("a.obj", "mtllib a.mtl\n" + kTriangle + "usemtl m\nf 1 2 3\n");
    dir.write("a.mtl", "newmtl m\nmap_Kd tex.png\nmap_Ks gone.png\n");
    std::filesystem::create_directory(dir.file("sub"));
    dir.write("sub/b.obj", "mtllib b.mtl\n" + kTriangle + "usemtl m\nf 1 2 3\n");
    dir.write("sub/b.mtl", "newmtl m\nmap_Kd ../tex.png\nmap_Ks ../gone.png\n");

    std::vector<std::unique_ptr<Model>> models;
    printed = captureStdout([&] {
        LoadCache cache(kWorkerProgram);
        models.push_back(std::make_unique<Model>(dir.file("a.obj"), cache));
        dir.write("a.obj", "v 5 5 5\nv 6 5 5\nv 5 6 5\nf 1 2 3\n");
        models.push_back(std::make_unique<Model>(dir.path + "/sub/../a.obj", cache));
        models.push_back(std::make_unique<Model>(dir.file("sub/b.obj"), cache));
    });

    EXPECT_EQ(printed, "ERROR::TEXTURE:: " + dir.path + "/gone.png: no such file\n");
    const Mesh& first = models[0]->meshes.at(0);
    const Mesh& again = models[1]->meshes.at(0);
    EXPECT_EQ(again.vertexArray, first.vertexArray);
    EXPECT_EQ(again.vertices[0].position, glm::vec3(0.0f));
    const Mesh& other = models[2]->meshes.at(0);
    EXPECT_NE(other.vertexArray, first.vertexArray);
    EXPECT_EQ(other.textures[0].textureName, first.textures[0].textureName);
    EXPECT_EQ(other.textures[1].textureName, first.textures[1].textureName);
}

#ifndef _WIN32
// The processes this test program started, from every thread's list.
std::vector<long> childProcesses()
{
    std::vector<long> children;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream list(task.path() / "children");
        for (long child = 0; list >> child;) {
            children.push_back(child);
        }
    }
    return children;
}
#endif

// A worker that dies mid-import, as a crash in the import library would
// kill it, costs that model alone; the worker is started anew for the next,
// and a scene that is over its memory budget refuses what would not fit.
TEST_F(ModelGL, AWorkerKilledMidImportCostsOneModelAndTheNextLoads)
{
    VORLUNE_SKIP_ON_WINDOWS("finds the worker to kill through /proc");
    dir.write("slow.obj", bigPolygonObj(100000));
    dir.write("quick.obj", kTriangle + "f 1 2 3\n");
    bool killed = false;
    std::unique_ptr<Model> slow;
    std::unique_ptr<Model> quick;
    printed = captureStdout([&] {
        LoadCache cache(kWorkerProgram, [&] {
#ifndef _WIN32
            for (const long child : childProcesses()) {
                killed = killed || kill(static_cast<pid_t>(child), SIGKILL) == 0;
            }
#endif
            return true;
        });
        slow = std::make_unique<Model>(dir.file("slow.obj"), cache);
        quick = std::make_unique<Model>(dir.file("quick.obj"), cache);
    });
    ASSERT_TRUE(killed);
    EXPECT_EQ(printed, "ERROR::ASSIMP:: " + dir.file("slow.obj") + ": the loading worker crashed (signal 9, Killed)\n");
    EXPECT_TRUE(slow->meshes.empty());
    ASSERT_EQ(quick->meshes.size(), 1u);
    EXPECT_EQ(quick->meshes[0].indices.size(), 3u);

    printed = captureStdout([&] {
        LoadCache cache(kWorkerProgram, {}, kMemoryMargin + kRequestMemoryFloor / 2);
        quick = std::make_unique<Model>(dir.file("quick.obj"), cache);
    });
    EXPECT_EQ(printed.rfind("ERROR::ASSIMP:: " + dir.file("quick.obj") + ": not loaded: the scene's memory budget has 32 MiB left", 0), 0u)
        << printed;
    EXPECT_TRUE(quick->meshes.empty());
}

// Names differing only in case are two files where the file system keeps
// case apart (Linux) and one where it folds case (Windows, where the second
// write replaces the first); files that differ stay apart either way, though
// Windows' stat gives every file inode 0.
TEST_F(ModelGL, TexturesAreAsManyAsTheFilesTheirPathsLeadTo)
{
    writeSolidPng(dir.file("tex.png"), 255, 0, 0);
    writeSolidPng(dir.file("Tex.png"), 0, 0, 255);
    writeSolidPng(dir.file("other.png"), 0, 255, 0);
    const auto files = std::distance(std::filesystem::directory_iterator(dir.path), {});
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\n" + kTriangle + "usemtl m\nf 1 2 3\n",
                  "newmtl m\nmap_Kd tex.png\nmap_Ks Tex.png\nmap_Bump other.png\n");

    std::vector<std::vector<unsigned char>> expected = {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 255, 0)};
    if (files == 2) {
        expected.erase(expected.begin());
    }
    ASSERT_EQ(model->loadedTextures.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(readTexels(model->loadedTextures[i].textureName), expected[i]) << i;
    }
}

TEST_F(ModelGL, DrawSetsModelAndPutsEachSlotOnItsOwnUnit)
{
    for (const char* name : {"d.png", "s.png", "n.png", "h.png"}) {
        writeSolidPng(dir.file(name), 9, 9, 9);
    }
    const std::unique_ptr<Model> model =
        importObj("mtllib model.mtl\n" + kTriangle + "usemtl m\nf 1 2 3\n",
                  "newmtl m\nmap_Ka h.png\nmap_Bump n.png\nmap_Ks s.png\nmap_Kd d.png\n");
    ShaderProgram program = probes::buildAllSamplersProgram(dir);
    glUseProgram(program.program);
    model->place(4.0f, 5.0f, 6.0f, 0.0f);

    model->draw(program);

    EXPECT_EQ(uniformMat4(program.program, "model"), model->modelMatrix);
    EXPECT_EQ(uniformInt(program.program, "material.diffuse"), 0);
    EXPECT_EQ(uniformInt(program.program, "material.specular"), 1);
    EXPECT_EQ(uniformInt(program.program, "material.normal"), 2);
    EXPECT_EQ(uniformInt(program.program, "material.height"), 3);
    EXPECT_EQ(probes::integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
}

// The directory is then the file name itself, which cannot also be a folder,
// so the image beside the model is not found and the placeholder stands in.
TEST_F(ModelGL, ModelPathWithoutSlashLooksForTexturesUnderTheWholePath)
{
    writeSolidPng(dir.file("tex.png"), 10, 20, 30);
    dir.write("bare.obj", "mtllib bare.mtl\n" + kTriangle + "usemtl m\nf 1 2 3\n");
    dir.write("bare.mtl", "newmtl m\nmap_Kd tex.png\n");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    Model model("bare.obj", kWorkerProgram);
    std::filesystem::current_path(previous);

    EXPECT_EQ(model.directory, "bare.obj");
    ASSERT_EQ(model.meshes.size(), 1u);
    ASSERT_EQ(model.loadedTextures.size(), 1u);
    EXPECT_EQ(readTexels(model.loadedTextures[0].textureName), rgb(255, 0, 255));
}

TEST_F(ModelGL, PlacementTurnsAboutTheVerticalAxisThenMovesAndNeverAccumulates)
{
    const std::unique_ptr<Model> model = importObj(kTriangle + "f 1 2 3\n");
    EXPECT_EQ(model->modelMatrix, glm::mat4(1.0f));

    model->place(0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(model->modelMatrix, glm::mat4(1.0f));

    model->place(1.0f, 2.0f, 3.0f, 90.0f);
    const glm::vec4 plusX = model->modelMatrix * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    constexpr float kTolerance = 1e-6f;
    EXPECT_NEAR(plusX.x, 1.0f, kTolerance);
    EXPECT_NEAR(plusX.y, 2.0f, kTolerance);
    EXPECT_NEAR(plusX.z, 2.0f, kTolerance);

    model->place(1.0f, 2.0f, 3.0f, 90.0f);
    const glm::vec4 again = model->modelMatrix * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(again.x, 1.0f, kTolerance);
    EXPECT_NEAR(again.z, 2.0f, kTolerance);
}

}  // namespace

// Programs built again while the viewer runs, against the real driver: a
// moved dial changes the frame and moving it back gives the frame it had,
// byte for byte; a saved shader file that does not build leaves the last
// program drawing with its error printed once, and the file fixed takes
// effect in a new program while the old one is deleted.
#include "app/scene.h"
#include "app/shader_watch.h"
#include "app/viewer.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/shader_rebuilds.h"
#include "render/program_rebuild.h"
#include "support/captured_output.h"
#include "support/files.h"
#include "support/framebuffer_pixels.h"
#include "support/global_state.h"
#include "support/messages.h"
#include "support/started_viewer.h"
#include "support/temp_dir.h"
#include "support/test_root.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

constexpr double kClockTime = 3.0;
constexpr const char* kBlurFile = "data/shader/BloomHorizontal.fs";
constexpr const char* kLightingFile = "data/shader/pointLightNormal.fs";
const std::string kCompileError = "ERROR::::SHADER-COMPILATION-ERROR";

// Deleted, or flagged for deletion while it is still the current program.
bool deleted(GLuint program)
{
    GLint flagged = GL_FALSE;
    if (glIsProgram(program)) {
        glGetProgramiv(program, GL_DELETE_STATUS, &flagged);
    }
    return !glIsProgram(program) || flagged == GL_TRUE;
}

struct ProgramRebuildTest : testing::Test {
    StartedViewer& viewer = startedViewer();

    void SetUp() override
    {
        resetGlobalState();
        ASSERT_TRUE(composeScene(kWorkerProgram));
    }
    void TearDown() override
    {
        resetAllDials();
        rebuildRequestedPrograms(viewer.programs);
        lastShaderRebuild.reset();
        clearScene();
        resetGlobalState();
    }

    std::vector<GLubyte> frame()
    {
        restartTour();
        renderScriptedFrame(viewer, ScriptedFrame{kClockTime, RenderToggles{}, std::nullopt});
        return readPixels(0, GL_RGBA, 0, 0, frameSize.width, frameSize.height);
    }

    std::string rebuild()
    {
        return captureStdout([this] { rebuildRequestedPrograms(viewer.programs); });
    }
};

TEST_F(ProgramRebuildTest, MovedDialsChangeTheFrameAndMovedBackGiveItByteForByte)
{
    const std::vector<GLubyte> before = frame();
    const GLuint blurBefore = viewer.programs.blurShader.program;

    // One dial sent as a uniform, one in a shader's text.
    ASSERT_TRUE(nudgeDial(kDialGodRayExposure, 10));
    EXPECT_EQ(rebuild(), "") << "a uniform dial needs no program built";
    EXPECT_NE(frame(), before) << "god-ray exposure changed nothing";
    ASSERT_TRUE(nudgeDial(kDialBloomBlurRadius, 6));
    EXPECT_NE(rebuild().find("Rebuilt 1 program from BloomHorizontal.fs"), std::string::npos);
    EXPECT_NE(viewer.programs.blurShader.program, blurBefore);

    EXPECT_EQ(resetAllDials(), 2);
    rebuild();
    EXPECT_TRUE(frame() == before) << "the dials back at their defaults draw another frame";
}

TEST_F(ProgramRebuildTest, BrokenFileKeepsTheLastProgramsAndTheFixedFileTakesEffect)
{
    TempDir dir;  // a copy of the shader folder to save into
    std::filesystem::create_directories(dir.file("data"));
    std::filesystem::copy(testRoot() + "/data/shader", dir.file("data/shader"),
                          std::filesystem::copy_options::recursive);
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    ShaderWatch watch("data/shader");
    const auto save = [&dir](const char* file, const std::string& text) {  // as an editor saves
        dir.write(std::string(file) + ".saving", text);
        std::filesystem::rename(dir.file(std::string(file) + ".saving"), dir.file(file));
    };
    const std::string blur = readFile(kBlurFile);
    const std::string lighting = readFile(kLightingFile);
    const std::vector<GLubyte> before = frame();
    const GLuint blurBefore = viewer.programs.blurShader.program;
    const GLuint lightingBefore = viewer.programs.lightingShader.program;

    // Half-written files: both end mid-statement.
    save(kBlurFile, blur.substr(0, blur.find("fragColour =")) + "fragColour = vec4(");
    save(kLightingFile, lighting.substr(0, lighting.rfind('}')) + "vec3 unfinished = ");
    EXPECT_EQ(watch.lookNow(), 2);
    const std::string printed = rebuild();
    EXPECT_EQ(occurrences(printed, kCompileError), 2u) << printed;
    EXPECT_NE(printed.find("the last good ones go on drawing"), std::string::npos) << printed;
    ASSERT_TRUE(lastShaderRebuild);
    EXPECT_NE(lastShaderRebuild->error.find(kCompileError), std::string::npos);
    EXPECT_EQ(viewer.programs.blurShader.program, blurBefore);
    EXPECT_EQ(viewer.programs.lightingShader.program, lightingBefore);
    EXPECT_TRUE(frame() == before) << "a failed build changed what is drawn";

    // The blur fixed, wider than before; the lighting file as it was.
    std::string wider = blur;
    wider.replace(wider.find("kRadius = 6"), 11, "kRadius = 14");
    save(kBlurFile, wider);
    save(kLightingFile, lighting);
    EXPECT_EQ(watch.lookNow(), 2);
    EXPECT_EQ(occurrences(rebuild(), kCompileError), 0u);
    EXPECT_TRUE(lastShaderRebuild && lastShaderRebuild->error.empty());
    EXPECT_NE(viewer.programs.blurShader.program, blurBefore);
    EXPECT_TRUE(deleted(blurBefore)) << "the replaced program was kept";
    EXPECT_TRUE(deleted(lightingBefore)) << "the replaced program was kept";
    EXPECT_NE(frame(), before) << "the saved blur did not take effect";
    EXPECT_EQ(watch.lookNow(), 0) << "nothing changed since the last look";

    ASSERT_EQ(chdir(testRoot().c_str()), 0);
    requestShaderRebuild(kBlurFile);
    rebuild();
    EXPECT_TRUE(frame() == before) << "the folder's own blur does not draw the frame it did";
}

}  // namespace

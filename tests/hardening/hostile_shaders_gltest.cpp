// Shader files that open but cannot be read, or read but hold nothing, built
// against the real driver: a directory, a FIFO, a device or a file larger
// than any shader is reported like a missing file, an empty file is left to
// the compiler and linker, and nothing throws.
#include "render/shader_program.h"
#include "support/captured_output.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/messages.h"
#include "support/temp_dir.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";
const std::string kFragment = R"(#version 330 core
out vec4 colour;
void main() { colour = vec4(1.0); }
)";
const std::string kGeometry = R"(#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } EndPrimitive(); }
)";
const std::string kReadFailure = "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ\n";
const std::string kErrorBlockStart = "| ERROR::::";

GLint linkStatus(GLuint program)
{
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

class HostileShaders : public testing::Test {
protected:
    void SetUp() override { testGLContext(); }

    // Three sound stage files, whatever an earlier case made of them.
    void writeSoundSources()
    {
        const std::vector<std::pair<std::string, std::string>> sources = {
            {"shader.vs", kVertex}, {"shader.gs", kGeometry}, {"shader.fs", kFragment}};
        for (const auto& [name, source] : sources) {
            std::filesystem::remove_all(dir.file(name));
            dir.write(name, source);
        }
    }

    // Builds a three-stage program from the three files, keeping the output.
    ShaderProgram build()
    {
        const std::string vs = dir.file("shader.vs");
        const std::string gs = dir.file("shader.gs");
        const std::string fs = dir.file("shader.fs");
        ShaderProgram program;
        printed = captureStdout([&] {
            EXPECT_NO_THROW(program = ShaderProgram(ShaderFiles{vs.c_str(), gs.c_str(), fs.c_str()}));
        });
        return program;
    }

    void replaceWithDirectory(const char* name)
    {
        std::filesystem::remove(dir.file(name));
        std::filesystem::create_directory(dir.file(name));
    }

    TempDir dir;
    std::string printed;
};

// Opening a directory succeeds on Linux; only the read fails, and that
// failure must not pass for an empty shader.
TEST_F(HostileShaders, StageFileThatIsADirectoryIsReportedAsUnreadable)
{
    for (const char* name : {"shader.vs", "shader.gs", "shader.fs"}) {
        writeSoundSources();
        replaceWithDirectory(name);

        const ShaderProgram program = build();

        EXPECT_EQ(printed.rfind(kReadFailure, 0), 0u) << name << ":\n" << printed;
        EXPECT_EQ(occurrences(printed, kReadFailure), 1u) << name;
        EXPECT_NE(program.program, 0u) << name;
        EXPECT_EQ(linkStatus(program.program), GL_FALSE) << name;
    }
}

// A FIFO would block the open until something writes to it, /dev/zero would
// be read for as long as memory lasts, and the oversized file would build
// fine if it were read.
TEST_F(HostileShaders, StageFileThatMayNeverEndOrIsTooLargeIsReportedAsUnreadable)
{
    SKIP_WITHOUT_FIFOS();
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases = {
        {"shader.vs", [](const std::string& path) { ASSERT_TRUE(makeFifo(path)); }},
        {"shader.fs", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }},
        {"shader.gs", [this](const std::string&) {
             dir.write("shader.gs", kGeometry + "//" + std::string(std::size_t{1} << 20, ' ') + "\n");
         }},
    };
    for (const auto& [name, make] : cases) {
        writeSoundSources();
        std::filesystem::remove(dir.file(name));
        make(dir.file(name));

        const ShaderProgram program = build();

        EXPECT_EQ(printed.rfind(kReadFailure, 0), 0u) << name << ":\n" << printed;
        EXPECT_EQ(occurrences(printed, kReadFailure), 1u) << name;
        EXPECT_EQ(linkStatus(program.program), GL_FALSE) << name;
    }
}

TEST_F(HostileShaders, EmptyStageFileIsReadAndLeftToTheCompilerAndLinker)
{
    for (const char* name : {"shader.vs", "shader.gs", "shader.fs"}) {
        writeSoundSources();
        dir.write(name, "");

        const ShaderProgram program = build();

        EXPECT_EQ(occurrences(printed, kReadFailure), 0u) << name << ":\n" << printed;
        EXPECT_EQ(printed.rfind(kErrorBlockStart, 0), 0u) << name << ":\n" << printed;
        EXPECT_EQ(linkStatus(program.program), GL_FALSE) << name;
    }
}

}  // namespace

// Shader program building against the real driver: the read-failure line,
// the compile and link error blocks byte for byte, and the log size limit.
#include "render/shader_program.h"
#include "support/captured_output.h"
#include "support/gl_context.h"
#include "support/messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

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
const std::string kRule = "\n| -- --------------------------------------------------- -- |\n";

struct ShaderProgramTest : testing::Test {
    TempDir dir;
    void SetUp() override { testGLContext(); }

    std::string build(const char* vs, const char* gs, const char* fs, ShaderProgram* out = nullptr)
    {
        const std::string v = dir.file(vs);
        const std::string g = gs ? dir.file(gs) : std::string();
        const std::string f = dir.file(fs);
        return captureStdout([&] {
            ShaderProgram program(ShaderFiles{v.c_str(), gs ? g.c_str() : nullptr, f.c_str()});
            if (out != nullptr) {
                *out = program;
            }
        });
    }

    // The driver's own log for a source, as a test would see it.
    static std::string compileLog(GLenum stage, const std::string& source)
    {
        GLuint shader = glCreateShader(stage);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::string log(static_cast<size_t>(length), '\0');
        glGetShaderInfoLog(shader, length, nullptr, log.data());
        glDeleteShader(shader);
        return log.c_str();
    }
};

GLint linkStatus(const ShaderProgram& program)
{
    GLint linked = 0;
    glGetProgramiv(program.program, GL_LINK_STATUS, &linked);
    return linked;
}

TEST_F(ShaderProgramTest, CorrectSourcesBuildSilentlyWithTwoOrThreeStages)
{
    dir.write("a.vs", kVertex);
    dir.write("a.gs", kGeometry);
    dir.write("a.fs", kFragment);
    ShaderProgram twoStages;
    ShaderProgram threeStages;
    EXPECT_EQ(build("a.vs", nullptr, "a.fs", &twoStages), "");
    EXPECT_EQ(build("a.vs", "a.gs", "a.fs", &threeStages), "");
    EXPECT_EQ(linkStatus(twoStages), GL_TRUE);
    EXPECT_EQ(linkStatus(threeStages), GL_TRUE);
    GLint attached = 0;
    glGetProgramiv(twoStages.program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    glGetProgramiv(threeStages.program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 3);
}

TEST_F(ShaderProgramTest, MissingFileOfAnyStagePrintsTheReadFailureLineOnce)
{
    dir.write("a.vs", kVertex);
    dir.write("a.gs", kGeometry);
    dir.write("a.fs", kFragment);
    for (const char* missing : {"vertex", "fragment", "geometry"}) {
        SCOPED_TRACE(missing);
        const std::string out = build(std::string(missing) == "vertex" ? "none.vs" : "a.vs",
                                      std::string(missing) == "geometry" ? "none.gs" : "a.gs",
                                      std::string(missing) == "fragment" ? "none.fs" : "a.fs");
        ASSERT_EQ(out.rfind(kShaderReadFailure, 0), 0u) << out;
        EXPECT_EQ(out.find(kShaderReadFailure, 1), std::string::npos);
    }
}

TEST_F(ShaderProgramTest, MissingGeometryFileKeepsTheOtherTwoStages)
{
    dir.write("a.vs", kVertex);
    dir.write("a.fs", kFragment);
    const std::string out = build("a.vs", "none.gs", "a.fs");
    ASSERT_EQ(out.rfind(kShaderReadFailure, 0), 0u);
    // Vertex and fragment compiled from their files: no block names them.
    EXPECT_EQ(out.find("of type: VERTEX|"), std::string::npos);
    EXPECT_EQ(out.find("of type: FRAGMENT|"), std::string::npos);
}

TEST_F(ShaderProgramTest, MissingFragmentFileEmptiesTheVertexTextToo)
{
    dir.write("a.vs", kVertex);
    const std::string out = build("a.vs", nullptr, "none.fs");
    ASSERT_EQ(out.rfind(kShaderReadFailure, 0), 0u);
    // An empty vertex text fails to compile on this driver; its block shows
    // the vertex file was not used.
    const std::string emptyLog = compileLog(GL_VERTEX_SHADER, "");
    if (!emptyLog.empty()) {
        EXPECT_NE(out.find("| ERROR::::SHADER-COMPILATION-ERROR of type: VERTEX|\n" + emptyLog + kRule),
                  std::string::npos)
            << out;
    }
}

TEST_F(ShaderProgramTest, CompileErrorBlockMatchesByteForByteAndLinkBlockFollows)
{
    const std::string broken = "#version 330 core\nvoid main() { gl_Position = vec4(oops); }\n";
    dir.write("bad.vs", broken);
    dir.write("a.fs", kFragment);
    ShaderProgram program;
    const std::string out = build("bad.vs", nullptr, "a.fs", &program);

    const std::string vertexBlock =
        "| ERROR::::SHADER-COMPILATION-ERROR of type: VERTEX|\n" + compileLog(GL_VERTEX_SHADER, broken) + kRule;
    ASSERT_EQ(out.rfind(vertexBlock, 0), 0u) << out;

    GLint length = 0;
    glGetProgramiv(program.program, GL_INFO_LOG_LENGTH, &length);
    std::string linkLog(static_cast<size_t>(length), '\0');
    glGetProgramInfoLog(program.program, length, nullptr, linkLog.data());
    EXPECT_EQ(linkStatus(program), GL_FALSE);
    EXPECT_EQ(out.substr(vertexBlock.size()),
              "| ERROR::::PROGRAM-LINKING-ERROR of type: PROGRAM|\n" + std::string(linkLog.c_str()) + kRule);
}

TEST_F(ShaderProgramTest, LinkErrorAloneGivesOnlyTheProgramBlock)
{
    dir.write("a.vs", kVertex);
    // Compiles on its own, but a stage without main cannot be linked.
    dir.write("needs.fs", "#version 330 core\nout vec4 c;\nvoid shade() { c = vec4(1.0); }\n");
    ShaderProgram program;
    const std::string out = build("a.vs", nullptr, "needs.fs", &program);
    EXPECT_EQ(linkStatus(program), GL_FALSE);
    EXPECT_EQ(out.rfind("| ERROR::::PROGRAM-LINKING-ERROR of type: PROGRAM|\n", 0), 0u) << out;
    EXPECT_EQ(out.find("SHADER-COMPILATION-ERROR"), std::string::npos);
}

TEST_F(ShaderProgramTest, InfoLogLongerThanTheBufferIsCutTo1023Characters)
{
    std::string broken = "#version 330 core\nvoid main() {\n";
    for (int i = 0; i < 80; ++i) {
        broken += "  undeclared_" + std::to_string(i) + " = 1.0;\n";
    }
    broken += "}\n";
    const std::string fullLog = compileLog(GL_VERTEX_SHADER, broken);
    ASSERT_GT(fullLog.size(), 1023u);

    dir.write("long.vs", broken);
    dir.write("a.fs", kFragment);
    const std::string out = build("long.vs", nullptr, "a.fs");
    const std::string heading = "| ERROR::::SHADER-COMPILATION-ERROR of type: VERTEX|\n";
    ASSERT_EQ(out.rfind(heading + fullLog.substr(0, 1023) + kRule, 0), 0u);
}

}  // namespace

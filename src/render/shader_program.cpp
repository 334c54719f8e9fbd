#include "render/shader_program.h"

#include <sys/stat.h>

#include <array>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// The driver's info log is fetched into a buffer of this size; a longer log is
// cut to what fits with its terminating NUL.
constexpr GLsizei kInfoLogSize = 1024;

// Far above any real shader (the largest here is a few kilobytes); a longer
// file is taken as unreadable rather than read for as long as it goes on.
constexpr std::size_t kMaxShaderFileBytes = std::size_t{1} << 20;
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// Opens a stage file, which must be a regular file: opening a FIFO blocks
// until something writes to it, and a device such as /dev/zero never ends.
// Anything else fails as a missing file does, through the stream's
// exception mask.
void openStageFile(std::ifstream& file, const char* path)
{
    struct stat info {};
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.setstate(std::ios::failbit);
    }
    file.open(path);
}

// Copies a whole source file into `text`, up to kMaxShaderFileBytes.
// Streaming a file's buffer into a string stream turns a read error into a
// quiet failbit on the string stream, so a file that opens but cannot be
// read would pass for an empty shader. Peeking first reads through the file
// stream, whose exception mask turns that error into the read failure.
void copyWholeFile(std::ifstream& file, std::stringstream& text)
{
    file.peek();
    std::array<char, kReadChunkBytes> chunk;
    std::size_t total = 0;
    for (std::streamsize got = 0; (got = file.rdbuf()->sgetn(chunk.data(), chunk.size())) > 0;) {
        total += static_cast<std::size_t>(got);
        if (total > kMaxShaderFileBytes) {
            file.setstate(std::ios::failbit);
        }
        text.write(chunk.data(), got);
    }
}

GLuint compileStage(GLenum stage, const std::string& source, const char* kind)
{
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    reportBuildErrors(shader, kind);
    return shader;
}

}  // namespace

ShaderProgram::ShaderProgram(const char* vertexPath, const char* geometryPath,
                             const char* fragmentPath)
{
    std::string vertexCode;
    std::string fragmentCode;
    std::string geometryCode;
    std::ifstream vertexFile;
    std::ifstream fragmentFile;
    std::ifstream geometryFile;
    vertexFile.exceptions(std::ifstream::failbit | std::ifstream::badbit);
    fragmentFile.exceptions(std::ifstream::failbit | std::ifstream::badbit);
    geometryFile.exceptions(std::ifstream::failbit | std::ifstream::badbit);

    // Both main texts are taken only after both files were read, so a missing
    // fragment file leaves the vertex text empty as well.
    try {
        openStageFile(vertexFile, vertexPath);
        openStageFile(fragmentFile, fragmentPath);
        std::stringstream vertexStream;
        std::stringstream fragmentStream;
        copyWholeFile(vertexFile, vertexStream);
        copyWholeFile(fragmentFile, fragmentStream);
        vertexFile.close();
        fragmentFile.close();
        vertexCode = vertexStream.str();
        fragmentCode = fragmentStream.str();
        if (geometryPath != nullptr) {
            openStageFile(geometryFile, geometryPath);
            std::stringstream geometryStream;
            copyWholeFile(geometryFile, geometryStream);
            geometryFile.close();
            geometryCode = geometryStream.str();
        }
    } catch (const std::exception&) {
        std::cout << "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ" << std::endl;
    }

    GLuint vertex = compileStage(GL_VERTEX_SHADER, vertexCode, "VERTEX");
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, fragmentCode, "FRAGMENT");
    GLuint geometry = 0;
    if (geometryPath != nullptr) {
        geometry = compileStage(GL_GEOMETRY_SHADER, geometryCode, "GEOMETRY");
    }

    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    if (geometryPath != nullptr) {
        glAttachShader(program, geometry);
    }
    glLinkProgram(program);
    reportBuildErrors(program, "PROGRAM");

    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (geometryPath != nullptr) {
        glDeleteShader(geometry);
    }
}

void reportBuildErrors(GLuint object, std::string kind)
{
    GLint success = 0;
    GLchar infoLog[kInfoLogSize] = {};
    const char* heading = nullptr;
    if (kind != "PROGRAM") {
        glGetShaderiv(object, GL_COMPILE_STATUS, &success);
        if (success) {
            return;
        }
        glGetShaderInfoLog(object, kInfoLogSize, nullptr, infoLog);
        heading = "| ERROR::::SHADER-COMPILATION-ERROR of type: ";
    } else {
        glGetProgramiv(object, GL_LINK_STATUS, &success);
        if (success) {
            return;
        }
        glGetProgramInfoLog(object, kInfoLogSize, nullptr, infoLog);
        heading = "| ERROR::::PROGRAM-LINKING-ERROR of type: ";
    }
    std::cout << heading << kind << "|\n"
              << infoLog << "\n| -- --------------------------------------------------- -- |"
              << std::endl;
}

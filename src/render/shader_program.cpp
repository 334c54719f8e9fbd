#include "render/shader_program.h"

#include "common/dials.h"
#include "common/regular_file.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <sstream>

namespace {

// The driver's info log is fetched into a buffer of this size; a longer log is
// cut to what fits with its terminating NUL.
constexpr GLsizei kInfoLogSize = 1024;

// Far above any real shader (the largest here is a few kilobytes); a longer
// file is taken as unreadable rather than read for as long as it goes on.
constexpr std::size_t kMaxShaderFileBytes = std::size_t{1} << 20;

std::string lastFailure;

void reportReadFailure()
{
    constexpr const char* kReadFailure = "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ";
    std::cout << kReadFailure << std::endl;
    if (lastFailure.empty()) {
        lastFailure = kReadFailure;
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

bool readsAnyOf(const ShaderFiles& files, const std::vector<std::string>& changed)
{
    return std::any_of(changed.begin(), changed.end(), [&files](const std::string& file) {
        return (files.vertex != nullptr && file == files.vertex) ||
               (files.geometry != nullptr && file == files.geometry) ||
               (files.fragment != nullptr && file == files.fragment);
    });
}

ShaderSources readShaderSources(const ShaderFiles& files)
{
    ShaderSources sources;
    sources.hasGeometry = files.geometry != nullptr;
    // Both main texts are taken only after both files were read, so a missing
    // fragment file leaves the vertex text empty as well.
    const std::optional<std::string> vertex = readRegularFile(files.vertex, kMaxShaderFileBytes);
    const std::optional<std::string> fragment =
        vertex ? readRegularFile(files.fragment, kMaxShaderFileBytes) : std::nullopt;
    if (!vertex || !fragment) {
        reportReadFailure();
        return sources;
    }
    // A moved dial's value goes into the text here, so every program built
    // from the file has it; at their defaults the text is the file's.
    sources.vertex = withDialValues(*vertex, files.vertex);
    sources.fragment = withDialValues(*fragment, files.fragment);
    if (files.geometry != nullptr) {
        const std::optional<std::string> geometry = readRegularFile(files.geometry, kMaxShaderFileBytes);
        if (!geometry) {
            reportReadFailure();
            return sources;
        }
        sources.geometry = withDialValues(*geometry, files.geometry);
    }
    return sources;
}

std::string withDefinitions(const std::string& source, const std::string& definitions)
{
    // Definitions may only follow the #version directive, which must come
    // first; a text without one (an empty file, say) is compiled as it stands
    // so its errors read as they would from the file alone.
    const std::size_t version = source.find("#version");
    if (definitions.empty() || version == std::string::npos) {
        return source;
    }
    const std::size_t lineEnd = source.find('\n', version);
    if (lineEnd == std::string::npos) {
        return source + "\n" + definitions;
    }
    const auto linesBefore = std::count(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(lineEnd), '\n');
    // "#line N" numbers the line after it N, so errors keep the file's lines.
    return source.substr(0, lineEnd + 1) + definitions + "#line " + std::to_string(linesBefore + 2) + "\n"
         + source.substr(lineEnd + 1);
}

ShaderProgram::ShaderProgram(const ShaderFiles& files) : ShaderProgram(readShaderSources(files))
{
}

ShaderProgram::ShaderProgram(const ShaderSources& sources, const std::string& definitions)
{
    GLuint vertex = compileStage(GL_VERTEX_SHADER, withDefinitions(sources.vertex, definitions), "VERTEX");
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, withDefinitions(sources.fragment, definitions), "FRAGMENT");
    GLuint geometry = 0;
    if (sources.hasGeometry) {
        geometry = compileStage(GL_GEOMETRY_SHADER, withDefinitions(sources.geometry, definitions), "GEOMETRY");
    }

    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    if (sources.hasGeometry) {
        glAttachShader(program, geometry);
    }
    glLinkProgram(program);
    linkSucceeded = reportBuildErrors(program, "PROGRAM");

    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (sources.hasGeometry) {
        glDeleteShader(geometry);
    }
}

bool replaceWhenBuilt(ShaderProgram& kept, const ShaderProgram& fresh)
{
    if (!fresh.linked()) {
        glDeleteProgram(fresh.program);
        return false;
    }
    glDeleteProgram(kept.program);
    kept = fresh;
    return true;
}

const std::string& lastShaderBuildFailure()
{
    return lastFailure;
}

void forgetShaderBuildFailure()
{
    lastFailure.clear();
}

bool reportBuildErrors(GLuint object, std::string kind)
{
    GLint success = 0;
    GLchar infoLog[kInfoLogSize] = {};
    const char* heading = nullptr;
    if (kind != "PROGRAM") {
        glGetShaderiv(object, GL_COMPILE_STATUS, &success);
        if (success) {
            return true;
        }
        glGetShaderInfoLog(object, kInfoLogSize, nullptr, infoLog);
        heading = "| ERROR::::SHADER-COMPILATION-ERROR of type: ";
    } else {
        glGetProgramiv(object, GL_LINK_STATUS, &success);
        if (success) {
            return true;
        }
        glGetProgramInfoLog(object, kInfoLogSize, nullptr, infoLog);
        heading = "| ERROR::::PROGRAM-LINKING-ERROR of type: ";
    }
    std::ostringstream block;
    block << heading << kind << "|\n" << infoLog << "\n| -- --------------------------------------------------- -- |";
    std::cout << block.str() << std::endl;
    if (lastFailure.empty()) {
        lastFailure = block.str();
    }
    return false;
}

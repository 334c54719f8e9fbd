// A linked GL program built from a vertex, an optional geometry and a fragment
// file. Building never stops the viewer: read, compile and link failures are
// printed in a fixed layout and the program object exists whatever happened.
#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// The texts of a program's stages, read once so that several variants of
// one program can be built from them without reading (or reporting) twice.
struct ShaderSources {
    std::string vertex;
    std::string geometry;
    std::string fragment;
    bool hasGeometry = false;
};

// A program's stage files; the geometry stage may be null.
struct ShaderFiles {
    const char* vertex = nullptr;
    const char* geometry = nullptr;
    const char* fragment = nullptr;
};

// Whether a program of `files` reads one of `changed` (paths as the
// passes name them).
bool readsAnyOf(const ShaderFiles& files, const std::vector<std::string>& changed);

// Reads the stage files, with the moved dials' values in place
// (common/dials.h); a failed read prints the read-failure line once and
// leaves the texts it could not take empty.
ShaderSources readShaderSources(const ShaderFiles& files);

// Puts `definitions` (whole lines such as "#define SHADOWS 1\n") right after
// the #version line, where the preprocessor allows them, and restores the
// file's own line numbers after them so compile errors still point into it.
std::string withDefinitions(const std::string& source, const std::string& definitions);

struct ShaderProgram {
    GLuint program = 0;
    // Whether the link succeeded, noted when it was built so that no frame
    // has to ask GL.
    bool linkSucceeded = false;

    ShaderProgram() = default;
    explicit ShaderProgram(const ShaderFiles& files);
    // Builds from texts already read, each stage compiled with `definitions`.
    explicit ShaderProgram(const ShaderSources& sources, const std::string& definitions = "");

    // Whether the program linked: a pass whose program did not draws nothing.
    bool linked() const { return linkSucceeded; }
};

// A program built again while the viewer runs: when `fresh` linked it takes
// `kept`'s place and the old program is deleted, else `fresh` is deleted and
// `kept` goes on drawing. Returns whether it linked.
bool replaceWhenBuilt(ShaderProgram& kept, const ShaderProgram& fresh);

// Prints the compile (kind "VERTEX", "FRAGMENT", "GEOMETRY") or link
// ("PROGRAM") error block for `object` when its status says it failed, and
// returns whether it succeeded.
bool reportBuildErrors(GLuint object, std::string kind);

// What the first failed read or build since the last forgetting printed, as
// printed (a failed compile is followed by its link's failure; the compile
// says why): a program built again while the viewer runs shows it in the
// overlay.
const std::string& lastShaderBuildFailure();
void forgetShaderBuildFailure();

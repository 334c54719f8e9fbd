// Shader files whose programs must be built again while the viewer runs (a
// moved dial, a saved file), and what the last such build gave. The keys,
// the page and the file watcher ask; the frame loop builds, once a frame,
// before it draws; the overlay shows the outcome.
#pragma once

#include <optional>
#include <string>
#include <vector>

// `file` as the passes name it ("data/shader/BloomShader.fs").
void requestShaderRebuild(const std::string& file);
// The files asked for since the last call, each once, in the order asked.
std::vector<std::string> takeShaderRebuildRequests();

struct ShaderRebuildOutcome {
    std::vector<std::string> files;
    int programs = 0;  // programs built (and, with no error, now drawing)
    double milliseconds = 0.0;
    // The first error's block as printed, empty when every program built;
    // the programs from before go on drawing meanwhile.
    std::string error;
};

extern std::optional<ShaderRebuildOutcome> lastShaderRebuild;

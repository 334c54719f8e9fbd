#include "common/shader_rebuilds.h"

#include <algorithm>

namespace {

std::vector<std::string> requested;

}  // namespace

std::optional<ShaderRebuildOutcome> lastShaderRebuild;

void requestShaderRebuild(const std::string& file)
{
    if (std::find(requested.begin(), requested.end(), file) == requested.end()) {
        requested.push_back(file);
    }
}

std::vector<std::string> takeShaderRebuildRequests()
{
    std::vector<std::string> files;
    files.swap(requested);
    return files;
}

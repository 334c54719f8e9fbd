// The judgements model import makes about a file and its path, apart from
// the model itself so they can be checked without a GL context.
#include "model/scene_import.h"

bool importFailed(const aiScene* scene)
{
    return scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
           scene->mRootNode == nullptr;
}

std::string modelDirectory(const std::string& path)
{
    const std::size_t lastSlash = path.find_last_of('/');
    if (lastSlash == std::string::npos) {
        return path;
    }
    return path.substr(0, lastSlash);
}

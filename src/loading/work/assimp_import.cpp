// The judgements model import makes about a file and its path, apart from
// the model itself so they can be checked without a GL context.
#include "loading/work/assimp_import.h"

#include "loading/work/material_library_guard.h"
#include "loading/work/mesh_conversion.h"

#include <assimp/config.h>

#include <set>

bool importFailed(const aiScene* scene)
{
    return scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
           scene->mRootNode == nullptr;
}

void configureImporter(Assimp::Importer& importer)
{
    importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, kSmoothingAngleDegrees);
}

std::string sceneRefusal(const aiScene& scene)
{
    std::set<const aiMaterial*> materials;
    for (unsigned int m = 0; scene.mMeshes != nullptr && m < scene.mNumMeshes; ++m) {
        if (scene.mMeshes[m] != nullptr) {
            materials.insert(meshMaterial(*scene.mMeshes[m], scene));
        }
    }
    // Keyed as the texture cache keys them before it looks for the file:
    // every byte of the path.
    std::set<std::string> paths;
    for (const aiMaterial* material : materials) {
        for (const TextureSlot& slot : kTextureSlots) {
            for (const TextureRequest& request : materialTextureRequests(material, slot.type, slot.samplerUniform)) {
                paths.insert(request.materialPath);
            }
        }
    }
    if (paths.size() > kMaxModelTextures) {
        return "OBJ: its materials name " + std::to_string(paths.size()) +
               " texture files, more than the " + std::to_string(kMaxModelTextures) +
               " this viewer loads for one model";
    }
    return std::string();
}

const aiScene* importModelScene(Assimp::Importer& importer, const std::string& path,
                                Assimp::IOSystem* files, std::string& error)
{
    importer.SetIOHandler(new MaterialLibraryGuard(files, path));
    configureImporter(importer);
    const aiScene* scene = importer.ReadFile(path, kImportFlags);
    if (importFailed(scene)) {
        error = importer.GetErrorString();
        return nullptr;
    }
    error = sceneRefusal(*scene);
    return error.empty() ? scene : nullptr;
}

std::string modelDirectory(const std::string& path)
{
    const std::size_t lastSlash = path.find_last_of('/');
    if (lastSlash == std::string::npos) {
        return path;
    }
    return path.substr(0, lastSlash);
}

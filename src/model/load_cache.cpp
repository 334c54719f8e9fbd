// The start-up's loads: worker steps waited for with the window's events
// polled, uploads in the order the models ask for them.
#include "model/load_cache.h"

#include "common/startup_profile.h"
#include "common/system_path.h"
#include "model/model_file_import.h"
#include "model/texture_loader.h"
#include "model/texture_paths.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

namespace {

constexpr int kSolidSize = 1;

DecodedImage solidImage(const Texel& colour)
{
    DecodedImage image;
    image.width = kSolidSize;
    image.height = kSolidSize;
    image.pixels.reset(static_cast<unsigned char*>(std::malloc(colour.size())));
    if (image.pixels) {
        std::memcpy(image.pixels.get(), colour.data(), colour.size());
    }
    return image;
}

}  // namespace

LoadCache::LoadCache(std::function<bool()> keepLoading) : keepLoading_(std::move(keepLoading)) {}

LoadCache::FileKey LoadCache::fileKey(const std::string& path)
{
    if (const std::optional<FileIdentity> identity = fileIdentity(path)) {
        return *identity;
    }
    // "a.png" and "./a.png" are one missing file, reported once.
    return utf8FromPath(pathFromUtf8(path).lexically_normal());
}

void LoadCache::pollIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (keepLoading_ && now - lastPoll_ >= kLoadingPollInterval) {
        stopped_ = stopped_ || !keepLoading_();
        lastPoll_ = std::chrono::steady_clock::now();
    }
}

const LoadedModel& LoadCache::model(const std::string& path)
{
    const FileKey key = fileKey(path);
    if (const auto known = models_.find(key); known != models_.end()) {
        return known->second;
    }
    if (stopped_) {
        return nothing_;
    }
    ImportedModelFile file =
        worker_.run([path] { return importModelFile(path); }, [this] { pollIfDue(); }, kLoadingPollInterval);
    pollIfDue();
    if (stopped_) {
        return nothing_;
    }

    LoadedModel loaded;
    std::set<GLuint> fileTexturesSeen;
    loaded.imported = file.imported;
    loaded.error = std::move(file.error);
    loaded.directory = std::move(file.directory);
    for (ConvertedMesh& mesh : file.meshes) {
        std::vector<MeshTexture> textures;
        for (const TextureRequest& request : mesh.textures) {
            if (stopped_) {
                // Half a model is never kept: nothing will draw it.
                return nothing_;
            }
            textures.push_back(texture(request, loaded.directory));
            if (!request.solidColour && fileTexturesSeen.insert(textures.back().textureName).second) {
                loaded.fileTextures.push_back(textures.back());
            }
        }
        loaded.meshes.emplace_back(std::move(mesh.vertices), std::move(mesh.indices), std::move(textures),
                                   [this] { pollIfDue(); });
        pollIfDue();
    }
    return models_.emplace(key, std::move(loaded)).first->second;
}

MeshTexture LoadCache::texture(const TextureRequest& request, const std::string& directory)
{
    MeshTexture texture;
    texture.samplerUniform = request.samplerUniform;
    texture.materialPath = request.materialPath;
    texture.textureName = request.solidColour ? solidTexture(*request.solidColour)
                                              : imageTexture(resolveTexturePath(request.materialPath.C_Str(), directory));
    return texture;
}

GLuint LoadCache::imageTexture(const std::string& path)
{
    if (const auto known = imagesByPath_.find(path); known != imagesByPath_.end()) {
        return known->second;
    }
    const FileKey key = fileKey(path);
    if (const auto known = images_.find(key); known != images_.end()) {
        return imagesByPath_.emplace(path, known->second).first->second;
    }
    const DecodedImage image = worker_.run(
        [path] {
            const StartupTimer timer(&StartupProfile::textureDecodeMs);
            return decodeRgbImage(path);
        },
        [this] { pollIfDue(); }, kLoadingPollInterval);
    pollIfDue();
    const GLuint name = uploadTexture2DReporting(path, image, [this] { pollIfDue(); });
    pollIfDue();
    imagesByPath_.emplace(path, name);
    return images_.emplace(key, name).first->second;
}

GLuint LoadCache::solidTexture(const Texel& colour)
{
    if (const auto known = solids_.find(colour); known != solids_.end()) {
        return known->second;
    }
    return solids_.emplace(colour, uploadTexture2D(solidImage(colour))).first->second;
}

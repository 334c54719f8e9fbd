// The start-up's loads: requests to the loading worker, waited for with the
// window's events polled, and uploads in the order the models ask for them.
#include "model/load_cache.h"

#include "common/startup_profile.h"
#include "common/system_path.h"
#include "loading/request/request_kinds.h"
#include "loading/work/model_file_import.h"
#include "model/texture_loader.h"
#include "model/texture_paths.h"
#ifndef __EMSCRIPTEN__
#include "worker/loading_worker.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

namespace {

constexpr int kSolidSize = 1;

// `width` x `height` texels, `colours` first, the rest black.
DecodedImage colourImage(const std::vector<Texel>& colours, int width, int height)
{
    auto texels = std::make_shared<std::vector<Texel>>(static_cast<std::size_t>(width) * height, Texel{});
    std::copy(colours.begin(), colours.end(), texels->begin());
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.pixels = std::shared_ptr<const unsigned char>(texels, texels->front().data());
    return image;
}

}  // namespace

LoadCache::LoadCache(std::string workerProgram, std::function<bool()> keepLoading, std::uint64_t availableMemory)
    : keepLoading_(std::move(keepLoading)),
      budget_(availableMemory),
      loader_(startLoader(std::move(workerProgram)))
{
}

// The desktop's requests run in the loading worker; a page can start no
// process, so there they run in the page.
Loader LoadCache::startLoader([[maybe_unused]] std::string workerProgram)
{
    auto whileWaiting = [this] {
        pollIfDue();
        return !stopped_;
    };
#ifdef __EMSCRIPTEN__
    return inProcessLoader(whileWaiting);
#else
    return workerLoader(std::move(workerProgram), whileWaiting);
#endif
}

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
    std::string refusal;
    LoadLimits limits = requestKind(LoadKind::Model).limits;
    limits.memoryBytes = budget_.requestMemory(LoadKind::Model, limits.memoryBytes, refusal);
    LoadReply reply;
    if (limits.memoryBytes != 0) {
        reply = loader_.run({LoadKind::Model, path, limits});
    }
    pollIfDue();
    if (stopped_ || reply.cancelled) {
        return nothing_;
    }
    ImportedModelFile& file = reply.model;
    if (limits.memoryBytes == 0 || !reply.failure.empty()) {
        file = ImportedModelFile{};
        file.error = path + ": " + (limits.memoryBytes == 0 ? refusal
                                    : reply.overMemoryLimit
                                        ? budget_.shortOfMemory(LoadKind::Model, limits.memoryBytes)
                                        : reply.failure);
    }
    imageSecondsLeft_ = kModelImageSeconds;

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
            if (textureSource(request) == TextureSource::File &&
                fileTexturesSeen.insert(textures.back().textureName).second) {
                loaded.fileTextures.push_back(textures.back());
            }
        }
        budget_.keep(keptMeshCost(mesh));
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
    switch (textureSource(request)) {
    case TextureSource::Colour:
        texture.textureName = solidTexture(*request.solidColour);
        break;
    case TextureSource::Atlas:
        texture.textureName = atlasTexture(request.atlas);
        break;
    case TextureSource::File:
        texture.textureName = imageTexture(resolveTexturePath(request.materialPath, directory));
        break;
    }
    return texture;
}

GLuint LoadCache::atlasTexture(const std::vector<Texel>& colours)
{
    // The row past the last colour is left black: no vertex points there.
    const ColourAtlasSize size = colourAtlasSize(colours.size());
    budget_.keep(keptAtlasBytes(colours.size()));
    const auto make = [colours, size] { return uploadTexture2D(colourImage(colours, size.width, size.height)); };
    return remembered(make(), make);
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
    const DecodedImage image = decodeImage(path);
    pollIfDue();
    if (stopped_) {
        // Nothing will draw with it.
        return 0;
    }
    budget_.keep(keptTextureBytes(image.width, image.height));
    // Made again from the file: its failure, if any, was reported once.
    const GLuint name = remembered(uploadTexture2DReporting(path, image, [this] { pollIfDue(); }), [this, path] {
        return uploadTexture2D(loader_.run({LoadKind::Image, path, requestKind(LoadKind::Image).limits}).image);
    });
    pollIfDue();
    imagesByPath_.emplace(path, name);
    return images_.emplace(key, name).first->second;
}

DecodedImage LoadCache::decodeImage(const std::string& path)
{
    DecodedImage image;
    constexpr double kLeastImageSeconds = 1.0;
    if (imageSecondsLeft_ < kLeastImageSeconds) {
        image.failure = "not decoded: its model's images have taken the " +
                        std::to_string(static_cast<int>(kModelImageSeconds)) + " s they may";
        return image;
    }
    LoadLimits limits = requestKind(LoadKind::Image).limits;
    limits.memoryBytes = budget_.requestMemory(LoadKind::Image, limits.memoryBytes, image.failure);
    if (limits.memoryBytes == 0) {
        return image;
    }
    limits.cpuSeconds = std::min(limits.cpuSeconds, imageSecondsLeft_);
    limits.wallSeconds = std::min(limits.wallSeconds, imageSecondsLeft_);
    const auto start = std::chrono::steady_clock::now();
    LoadReply reply = loader_.run({LoadKind::Image, path, limits});
    imageSecondsLeft_ -= std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (startupProfile != nullptr) {
        startupProfile->textureDecodeMs += reply.decodeMs;
    }
    if (!reply.failure.empty()) {
        reply.image = DecodedImage{};
        reply.image.failure =
            reply.overMemoryLimit ? budget_.shortOfMemory(LoadKind::Image, limits.memoryBytes) : reply.failure;
    }
    return std::move(reply.image);
}

GLuint LoadCache::solidTexture(const Texel& colour)
{
    if (const auto known = solids_.find(colour); known != solids_.end()) {
        return known->second;
    }
    budget_.keep(keptTextureBytes(kSolidSize, kSolidSize));
    const auto make = [colour] { return uploadTexture2D(colourImage({colour}, kSolidSize, kSolidSize)); };
    return solids_.emplace(colour, remembered(make(), make)).first->second;
}

GLuint LoadCache::remembered(GLuint name, std::function<GLuint()> remake)
{
    textureRemakes_.emplace(name, std::move(remake));
    return name;
}

void LoadCache::remakeGLObjects()
{
    std::map<GLuint, std::function<GLuint()>> remade;
    std::map<GLuint, GLuint> renamed;
    for (auto& [name, remake] : textureRemakes_) {
        const GLuint made = remake();
        renamed.emplace(name, made);
        remade.emplace(made, std::move(remake));
    }
    textureRemakes_ = std::move(remade);
    const auto rename = [&renamed](GLuint& name) {
        if (const auto found = renamed.find(name); found != renamed.end()) {
            name = found->second;
        }
    };
    for (auto& [key, name] : images_) {
        rename(name);
    }
    for (auto& [path, name] : imagesByPath_) {
        rename(name);
    }
    for (auto& [colour, name] : solids_) {
        rename(name);
    }
    for (auto& [key, loaded] : models_) {
        for (MeshTexture& texture : loaded.fileTextures) {
            rename(texture.textureName);
        }
        for (Mesh& mesh : loaded.meshes) {
            for (MeshTexture& texture : mesh.textures) {
                rename(texture.textureName);
            }
            mesh.upload();
        }
    }
}

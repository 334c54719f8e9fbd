// Everything one start-up loads, loaded once: each model file is imported
// once and each image file decoded and uploaded once, whatever model or
// spelling names it, so the eight pipes draw from one import, one set of
// meshes (the same GL buffers) and one set of GL textures. Files are told
// apart by identity, not by the text of their paths. Importing and decoding
// run in the loading worker process, within the scene's memory budget;
// every GL call is made here, on the caller's thread, in the order the
// models ask, so start-up's calls repeat exactly. What it lets a scene's
// loading take is in loading/load_budget.h; its loader is the desktop's
// worker process or, in the browser, the page itself (loading/loader.h).
#pragma once

#include "common/file_identity.h"
#include "loading/load_budget.h"
#include "loading/loader.h"
#include "loading/work/mesh_conversion.h"
#include "model/mesh.h"
#include "model/mesh_texture.h"

#include <GL/glew.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

// What every model made from one file shares.
struct LoadedModel {
    bool imported = false;
    // The import-error line's text, when the file was not imported.
    std::string error;
    std::string directory;
    std::vector<Mesh> meshes;
    // The image-file textures its meshes bind, each once, in first-use order.
    std::vector<MeshTexture> fileTextures;
};

class LoadCache {
public:
    // `workerProgram` is the loading worker's file. `keepLoading` (the
    // window's event poll) runs every kLoadingPollInterval while the worker
    // works, and between uploads; once it returns false the cache stops:
    // the worker is killed, and from then on models come back empty.
    // `availableMemory` is the scene's memory budget (availableMemoryBytes
    // unless a test gives less). Needs a current GL context; the cache must
    // not outlive it.
    explicit LoadCache(std::string workerProgram, std::function<bool()> keepLoading = {},
                       std::uint64_t availableMemory = availableMemoryBytes());

    // The model file at `path`, imported and uploaded on first use.
    const LoadedModel& model(const std::string& path);

    // Whether `keepLoading` has said stop.
    bool stopped() const { return stopped_; }

    // Makes every GL object the cache has made again, on new names, for a
    // context that lost them: the meshes from the lists they keep, image
    // textures decoded again from their files (the pixels are not kept),
    // colour textures from their colours. The old names are dropped, not
    // deleted: they belong to a context that is gone. Models made before
    // take the new names again from model().
    void remakeGLObjects();

private:
    // The texture `request` names for a model in `directory`: an image file
    // (a placeholder, with one line saying why, when it cannot be used), a
    // single texel of the material's colour, or an atlas of such texels.
    MeshTexture texture(const TextureRequest& request, const std::string& directory);

    // A file's identity, or its path where it has none (a missing file),
    // so a failure is still reported once.
    using FileKey = std::variant<FileIdentity, std::string>;
    static FileKey fileKey(const std::string& path);

    Loader startLoader(std::string workerProgram);
    GLuint imageTexture(const std::string& path);
    DecodedImage decodeImage(const std::string& path);
    GLuint solidTexture(const Texel& colour);
    // A colour atlas (mesh_conversion.h) as one texture, made for each mesh
    // that binds one.
    GLuint atlasTexture(const std::vector<Texel>& colours);
    void pollIfDue();
    // Keeps how the texture `name` was made, and hands the name back.
    GLuint remembered(GLuint name, std::function<GLuint()> remake);

    std::function<bool()> keepLoading_;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point lastPoll_ = std::chrono::steady_clock::now();
    // What a stopped cache hands out.
    const LoadedModel nothing_;
    std::map<FileKey, LoadedModel> models_;
    std::map<FileKey, GLuint> images_;
    // The same by path text, so a path many meshes name is looked up on
    // disk once.
    std::map<std::string, GLuint> imagesByPath_;
    std::map<Texel, GLuint> solids_;
    // How each texture was made, by its name: what remakeGLObjects runs.
    std::map<GLuint, std::function<GLuint()>> textureRemakes_;
    SceneMemoryBudget budget_;
    // What is left of kModelImageSeconds for the model being loaded.
    double imageSecondsLeft_ = kModelImageSeconds;
    // Last, so that it goes first: a worker is killed before the rest goes.
    Loader loader_;
};

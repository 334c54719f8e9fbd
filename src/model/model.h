// A model file turned into drawable meshes at construction, and a model
// matrix that placement rebuilds. Models made from one file in one start-up
// share its import, meshes and textures through a LoadCache; each keeps its
// own placement. Drawing sets "model" and draws every mesh under the
// caller's current program.
#pragma once

#include "model/mesh.h"
#include "model/mesh_texture.h"
#include "render/shader_program.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

class LoadCache;
struct LoadedModel;

class Model {
public:
    // The image-file textures this model's meshes bind, each once, in the
    // order they were first used.
    std::vector<MeshTexture> loadedTextures;
    // In the order the depth-first node walk meets them.
    std::vector<Mesh> meshes;
    std::string directory;
    glm::mat4 modelMatrix = glm::mat4(1.0f);

    // Never fails: a file that cannot be imported is reported on standard
    // output (by every model made from it) and leaves a model without
    // meshes. A GL context must be current.
    Model(const std::string& path, LoadCache& cache);
    // With a cache (and a loading worker, `workerProgram`) of its own,
    // shared with no other model.
    Model(const std::string& path, const std::string& workerProgram);

    void importScene(const std::string& path, LoadCache& cache);
    // Takes the file's meshes and textures as the cache holds them now: at
    // import, and again once the cache has made its GL objects anew.
    void adopt(const LoadedModel& loaded);

    // Turns the model about its own vertical axis, then moves it; each call
    // replaces the previous placement.
    void place(float x, float y, float z, float angleDegrees);
    // The caller has made `program` current.
    void draw(ShaderProgram program) const;
};

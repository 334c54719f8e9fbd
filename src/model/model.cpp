// Model construction from the start-up's shared loads, placement and
// drawing.
#include "model/model.h"

#include "common/startup_profile.h"
#include "model/load_cache.h"
#include "render/uniforms.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>

namespace {

// pi / 180 as a 32-bit float, the one conversion the whole viewer uses.
constexpr float kDegreesToRadians = 0.017453292f;
const glm::vec3 kVerticalAxis(0.0f, 1.0f, 0.0f);

}  // namespace

Model::Model(const std::string& path, LoadCache& cache)
{
    importScene(path, cache);
}

Model::Model(const std::string& path, const std::string& workerProgram)
{
    LoadCache cache(workerProgram);
    importScene(path, cache);
}

void Model::importScene(const std::string& path, LoadCache& cache)
{
    const StartupTimer timer(nullptr);
    const LoadedModel& loaded = cache.model(path);
    recordModelImport(path, timer.elapsedMs());
    if (!loaded.imported) {
        // A load cut short because the window is closing is no error.
        if (!cache.stopped()) {
            std::cout << "ERROR::ASSIMP:: " << loaded.error << std::endl;
        }
        return;
    }
    adopt(loaded);
}

void Model::adopt(const LoadedModel& loaded)
{
    directory = loaded.directory;
    meshes = loaded.meshes;
    loadedTextures = loaded.fileTextures;
}

void Model::place(float x, float y, float z, float angleDegrees)
{
    const glm::mat4 moved = glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
    modelMatrix = glm::rotate(moved, angleDegrees * kDegreesToRadians, kVerticalAxis);
}

void Model::draw(ShaderProgram program) const
{
    setUniformMat4(program.program, "model", modelMatrix);
    for (const Mesh& mesh : meshes) {
        mesh.draw(program);
    }
}

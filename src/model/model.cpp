// Model import through Assimp, the per-model texture cache, placement and
// drawing. Everything kept is copied out of the imported scene, which dies
// with its importer at the end of importScene.
#include "model/model.h"

#include "common/startup_profile.h"
#include "model/model_files.h"
#include "model/scene_import.h"
#include "model/texture_loader.h"
#include "render/uniforms.h"

#include <assimp/Importer.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <iostream>
#include <utility>

namespace {

// pi / 180 as a 32-bit float, the one conversion the whole viewer uses.
constexpr float kDegreesToRadians = 0.017453292f;
const glm::vec3 kVerticalAxis(0.0f, 1.0f, 0.0f);

}  // namespace

Model::Model(const std::string& path)
{
    const StartupTimer timer(nullptr);
    importScene(path);
    recordModelImport(path, timer.elapsedMs());
}

void Model::importScene(std::string path)
{
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = importModelScene(importer, path, new ModelFileSystem, error);
    if (scene == nullptr) {
        std::cout << "ERROR::ASSIMP:: " << error << std::endl;
        return;
    }
    directory = modelDirectory(path);
    collectNode(scene->mRootNode, scene);
}

void Model::collectNode(const aiNode* node, const aiScene* scene)
{
    for (const aiMesh* mesh : nodeMeshes(node, *scene)) {
        meshes.push_back(convertMesh(mesh, scene));
    }
}

Mesh Model::convertMesh(const aiMesh* mesh, const aiScene* scene)
{
    std::vector<Vertex> vertices = convertVertices(*mesh);
    std::vector<unsigned int> indices = convertTriangleIndices(*mesh);
    const aiMaterial* material = meshMaterial(*mesh, *scene);
    std::vector<MeshTexture> textures;
    for (const TextureSlot& slot : kTextureSlots) {
        const std::vector<MeshTexture> gathered =
            gatherMaterialTextures(material, slot.type, slot.samplerUniform);
        textures.insert(textures.end(), gathered.begin(), gathered.end());
    }
    return Mesh(std::move(vertices), std::move(indices), std::move(textures));
}

std::vector<MeshTexture> Model::gatherMaterialTextures(const aiMaterial* material,
                                                       aiTextureType type,
                                                       const std::string& samplerUniform)
{
    std::vector<MeshTexture> textures;
    for (const TextureRequest& request : materialTextureRequests(material, type, samplerUniform)) {
        textures.push_back(resolveTexture(request));
    }
    return textures;
}

MeshTexture Model::resolveTexture(const TextureRequest& request)
{
    for (const MeshTexture& cached : loadedTextures) {
        if (cached.materialPath == request.materialPath) {
            // The image is shared, but it feeds the sampler of the slot that
            // asked for it: a file used as both diffuse and specular map must
            // reach both samplers.
            MeshTexture hit = cached;
            hit.samplerUniform = request.samplerUniform;
            return hit;
        }
    }
    MeshTexture loaded;
    loaded.textureName = loadTexture2D(request.materialPath.C_Str(), directory);
    loaded.samplerUniform = request.samplerUniform;
    loaded.materialPath = request.materialPath;
    loadedTextures.push_back(loaded);
    return loaded;
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

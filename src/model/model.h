// A model file turned into drawable meshes at construction, with its own
// texture cache and a model matrix that placement rebuilds. Drawing sets
// "model" and draws every mesh under the caller's current program.
#pragma once

#include "model/mesh.h"
#include "model/mesh_texture.h"
#include "model/scene_conversion.h"
#include "render/shader_program.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

class Model {
public:
    // Every texture this model loaded, in load order; keyed by material path.
    std::vector<MeshTexture> loadedTextures;
    // In the order the depth-first node walk meets them.
    std::vector<Mesh> meshes;
    std::string directory;
    glm::mat4 modelMatrix = glm::mat4(1.0f);

    // Never fails: a file that cannot be imported is reported on standard
    // output and leaves a model without meshes. A GL context must be current.
    explicit Model(const std::string& path);

    void importScene(std::string path);
    void collectNode(const aiNode* node, const aiScene* scene);
    Mesh convertMesh(const aiMesh* mesh, const aiScene* scene);
    std::vector<MeshTexture> gatherMaterialTextures(const aiMaterial* material,
                                                    aiTextureType type,
                                                    const std::string& samplerUniform);

    // Turns the model about its own vertical axis, then moves it; each call
    // replaces the previous placement.
    void place(float x, float y, float z, float angleDegrees);
    // The caller has made `program` current.
    void draw(ShaderProgram program) const;

private:
    MeshTexture resolveTexture(const TextureRequest& request);
};

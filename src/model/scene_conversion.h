// GL-free conversion of an imported scene: which meshes its node tree names,
// and each mesh as the lists a Mesh is built from (vertices, triangle indices
// and texture requests in slot order). The model gathers the textures
// through its own cache and uploads; the fuzzer converts the same way.
#pragma once

#include "model/vertex.h"

#include <assimp/material.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <array>
#include <string>
#include <vector>

// A texture a material asks for, not yet loaded.
struct TextureRequest {
    aiString materialPath;
    std::string samplerUniform;
};

struct TextureSlot {
    aiTextureType type;
    const char* samplerUniform;
};

// Gathered in this order, so a mesh's textures sit on units diffuse first,
// then specular, normal and height. OBJ materials put their bump map
// (map_Bump) in the height slot, which is why normal maps come from there and
// the height sampler is fed from the ambient slot.
inline constexpr std::array<TextureSlot, 4> kTextureSlots = {{
    {aiTextureType_DIFFUSE, "material.diffuse"},
    {aiTextureType_SPECULAR, "material.specular"},
    {aiTextureType_HEIGHT, "material.normal"},
    {aiTextureType_AMBIENT, "material.height"},
}};

struct ConvertedMesh {
    std::vector<Vertex> vertices;
    std::vector<unsigned int> indices;
    std::vector<TextureRequest> textures;
};

// Arrays the mesh lacks (normals, texture coordinates, tangents) give zero
// vectors rather than being read.
std::vector<Vertex> convertVertices(const aiMesh& mesh);

// Only whole triangles whose indices name existing vertices: the draw reads
// the list three at a time, so points, lines and bad indices are left out.
std::vector<unsigned int> convertTriangleIndices(const aiMesh& mesh);

// Every texture of one type that `material` names, in the material's order;
// none for a null material.
std::vector<TextureRequest> materialTextureRequests(const aiMaterial* material,
                                                    aiTextureType type,
                                                    const std::string& samplerUniform);

// The mesh's material, or null when its index is out of range.
const aiMaterial* meshMaterial(const aiMesh& mesh, const aiScene& scene);

ConvertedMesh convertSceneMesh(const aiMesh& mesh, const aiScene& scene);

// Every mesh that `node` and its descendants name, depth first and node
// before children, once per reference; indices the scene holds no mesh for
// are skipped.
std::vector<const aiMesh*> nodeMeshes(const aiNode* node, const aiScene& scene);

// Copies what a Mesh needs out of an imported scene, defensively: imported
// files are outside input, so missing arrays, stray faces and out-of-range
// indices are tolerated instead of trusted.
#include "loading/work/mesh_conversion.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace {

constexpr unsigned int kTriangleCorners = 3;
constexpr unsigned int kFirstUvSet = 0;

constexpr float kMaxChannel = 255.0f;
// Light grey, the colour exporters give a material that states none, so an
// untextured model without a material is still lit visibly.
const aiColor3D kDefaultDiffuse(0.8f, 0.8f, 0.8f);
// No highlight unless the material asks for one.
const aiColor3D kDefaultSpecular(0.0f, 0.0f, 0.0f);
// A tangent-space normal of (0, 0, 1), stored as a normal map stores it.
constexpr Texel kFlatNormalTexel = {128, 128, 255};

unsigned char channel(float value)
{
    const float clamped = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
    return static_cast<unsigned char>(clamped * kMaxChannel + 0.5f);
}

Texel materialColour(const aiMaterial* material, const char* key, unsigned int type, unsigned int index,
                     aiColor3D fallback)
{
    aiColor3D colour = fallback;
    if (material == nullptr || material->Get(key, type, index, colour) != AI_SUCCESS) {
        colour = fallback;
    }
    return {channel(colour.r), channel(colour.g), channel(colour.b)};
}

glm::vec3 toVec3(const aiVector3D* array, unsigned int index)
{
    if (array == nullptr) {
        return glm::vec3(0.0f);
    }
    return glm::vec3(array[index].x, array[index].y, array[index].z);
}

bool isWholeTriangle(const aiFace& face, unsigned int vertexCount)
{
    if (face.mNumIndices != kTriangleCorners || face.mIndices == nullptr) {
        return false;
    }
    for (unsigned int corner = 0; corner < kTriangleCorners; ++corner) {
        if (face.mIndices[corner] >= vertexCount) {
            return false;
        }
    }
    return true;
}

// The meshes of one material, merged.
struct MaterialGroup {
    std::vector<Vertex> vertices;
    std::vector<unsigned int> indices;
    std::vector<TextureRequest> textures;
};
constexpr std::size_t kMaxIndexedVertices = std::numeric_limits<unsigned int>::max();

// The plain materials of a model (each of their textures a texel of their
// own colours), each its texel's index, and the textures of the mesh they
// are merged into: per slot, an atlas of their texels, or one texel where
// all of them have the same.
struct ColourAtlas {
    std::map<const aiMaterial*, std::size_t> indexOf;
    std::size_t colours = 0;
    std::vector<TextureRequest> textures;
};

bool plainRequests(const std::vector<TextureRequest>& requests)
{
    return !requests.empty() && std::all_of(requests.begin(), requests.end(), [](const TextureRequest& request) {
        return request.solidColour.has_value();
    });
}

bool sameSlots(const std::vector<TextureRequest>& a, const std::vector<TextureRequest>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TextureRequest& x, const TextureRequest& y) {
        return x.samplerUniform == y.samplerUniform;
    });
}

ColourAtlas plainMaterials(const std::vector<const aiMesh*>& meshes, const aiScene& scene)
{
    ColourAtlas atlas;
    std::vector<std::vector<TextureRequest>> texels;
    std::set<const aiMaterial*> seen;
    for (const aiMesh* mesh : meshes) {
        const aiMaterial* material = meshMaterial(*mesh, scene);
        if (!seen.insert(material).second) {
            continue;
        }
        std::vector<TextureRequest> requests = meshTextureRequests(*mesh, scene);
        if (plainRequests(requests) && (texels.empty() || sameSlots(requests, texels.front()))) {
            atlas.indexOf.emplace(material, texels.size());
            texels.push_back(std::move(requests));
        }
    }
    // One or two plain materials gain nothing from an atlas; too many do
    // not fit one.
    constexpr std::size_t kLeastWorthAnAtlas = 2;
    if (texels.size() <= kLeastWorthAnAtlas || texels.size() > kMaxAtlasColours) {
        return {};
    }
    atlas.colours = texels.size();
    for (std::size_t slot = 0; slot < texels.front().size(); ++slot) {
        TextureRequest request;
        request.samplerUniform = texels.front()[slot].samplerUniform;
        for (const std::vector<TextureRequest>& material : texels) {
            request.atlas.push_back(*material[slot].solidColour);
        }
        if (std::all_of(request.atlas.begin(), request.atlas.end(),
                        [&](const Texel& texel) { return texel == request.atlas.front(); })) {
            request.solidColour = request.atlas.front();
            request.atlas.clear();
        }
        atlas.textures.push_back(std::move(request));
    }
    return atlas;
}

// The centre of texel `index` of an atlas of `colours`.
glm::vec2 atlasTexelCentre(std::size_t index, std::size_t colours)
{
    const ColourAtlasSize size = colourAtlasSize(colours);
    const auto width = static_cast<std::size_t>(size.width);
    constexpr float kCentre = 0.5f;
    return {(static_cast<float>(index % width) + kCentre) / static_cast<float>(size.width),
            (static_cast<float>(index / width) + kCentre) / static_cast<float>(size.height)};
}

// One list for the whole walk, so a deep tree is not copied level by level.
void appendNodeMeshes(const aiNode* node, const aiScene& scene, std::vector<const aiMesh*>& found)
{
    if (node == nullptr) {
        return;
    }
    for (unsigned int k = 0; k < node->mNumMeshes; ++k) {
        const unsigned int index = node->mMeshes[k];
        if (scene.mMeshes != nullptr && index < scene.mNumMeshes && scene.mMeshes[index] != nullptr) {
            found.push_back(scene.mMeshes[index]);
        }
    }
    for (unsigned int child = 0; child < node->mNumChildren; ++child) {
        appendNodeMeshes(node->mChildren[child], scene, found);
    }
}

}  // namespace

std::vector<Vertex> convertVertices(const aiMesh& mesh)
{
    const aiVector3D* uvs = mesh.mTextureCoords[kFirstUvSet];
    std::vector<Vertex> vertices;
    vertices.reserve(mesh.mNumVertices);
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        Vertex vertex;
        vertex.position = toVec3(mesh.mVertices, v);
        vertex.normal = toVec3(mesh.mNormals, v);
        vertex.uv = uvs != nullptr ? glm::vec2(uvs[v].x, uvs[v].y) : glm::vec2(0.0f);
        vertex.tangent = toVec3(mesh.mTangents, v);
        vertex.bitangent = toVec3(mesh.mBitangents, v);
        vertices.push_back(vertex);
    }
    return vertices;
}

std::vector<unsigned int> convertTriangleIndices(const aiMesh& mesh)
{
    std::vector<unsigned int> indices;
    if (mesh.mFaces == nullptr) {
        return indices;
    }
    indices.reserve(static_cast<std::size_t>(mesh.mNumFaces) * kTriangleCorners);
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (isWholeTriangle(face, mesh.mNumVertices)) {
            indices.insert(indices.end(), face.mIndices, face.mIndices + kTriangleCorners);
        }
    }
    return indices;
}

std::vector<TextureRequest> materialTextureRequests(const aiMaterial* material,
                                                    aiTextureType type,
                                                    const std::string& samplerUniform)
{
    std::vector<TextureRequest> requests;
    if (material == nullptr) {
        return requests;
    }
    for (unsigned int i = 0; i < aiGetMaterialTextureCount(material, type); ++i) {
        TextureRequest request;
        // A failed fetch leaves the path empty; loading it then yields the
        // placeholder texture, like any other unreadable file.
        aiString path;
        aiGetMaterialTexture(material, type, i, &path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        request.materialPath.assign(path.data, path.length);
        request.samplerUniform = samplerUniform;
        requests.push_back(request);
    }
    return requests;
}

const aiMaterial* meshMaterial(const aiMesh& mesh, const aiScene& scene)
{
    if (scene.mMaterials == nullptr || mesh.mMaterialIndex >= scene.mNumMaterials) {
        return nullptr;
    }
    return scene.mMaterials[mesh.mMaterialIndex];
}

std::optional<Texel> slotFallbackTexel(const aiMaterial* material, const TextureSlot& slot)
{
    switch (slot.fallback) {
    case SlotFallback::DiffuseColour:
        return materialColour(material, AI_MATKEY_COLOR_DIFFUSE, kDefaultDiffuse);
    case SlotFallback::SpecularColour:
        return materialColour(material, AI_MATKEY_COLOR_SPECULAR, kDefaultSpecular);
    case SlotFallback::FlatNormal:
        return kFlatNormalTexel;
    case SlotFallback::None:
        break;
    }
    return std::nullopt;
}

void giveFacesWithoutNormalsTheirOwn(std::vector<Vertex>& vertices, const std::vector<unsigned int>& indices)
{
    constexpr std::size_t kCorners = 3;
    for (std::size_t i = 0; i + kCorners <= indices.size(); i += kCorners) {
        Vertex& a = vertices[indices[i]];
        Vertex& b = vertices[indices[i + 1]];
        Vertex& c = vertices[indices[i + 2]];
        const glm::vec3 face = glm::cross(b.position - a.position, c.position - a.position);
        if (glm::dot(face, face) == 0.0f || !std::isfinite(glm::dot(face, face))) {
            continue;
        }
        for (Vertex* corner : {&a, &b, &c}) {
            if (corner->normal == glm::vec3(0.0f)) {
                corner->normal = glm::normalize(face);
            }
        }
    }
}

std::vector<TextureRequest> meshTextureRequests(const aiMesh& mesh, const aiScene& scene)
{
    std::vector<TextureRequest> textures;
    const aiMaterial* material = meshMaterial(mesh, scene);
    for (const TextureSlot& slot : kTextureSlots) {
        std::vector<TextureRequest> requests =
            materialTextureRequests(material, slot.type, slot.samplerUniform);
        const std::optional<Texel> fallback = slotFallbackTexel(material, slot);
        if (requests.empty() && fallback.has_value()) {
            TextureRequest solid;
            solid.samplerUniform = slot.samplerUniform;
            solid.solidColour = fallback;
            requests.push_back(solid);
        }
        textures.insert(textures.end(), requests.begin(), requests.end());
    }
    if (textures.size() > kMaxMeshTextures) {
        textures.resize(kMaxMeshTextures);
    }
    return textures;
}

ConvertedMesh convertSceneMesh(const aiMesh& mesh, const aiScene& scene)
{
    ConvertedMesh converted;
    std::vector<Vertex> vertices = convertVertices(mesh);
    std::vector<unsigned int> indices = convertTriangleIndices(mesh);
    giveFacesWithoutNormalsTheirOwn(vertices, indices);
    converted.vertices = std::move(vertices);
    converted.indices = std::move(indices);
    converted.textures = meshTextureRequests(mesh, scene);
    return converted;
}

std::vector<const aiMesh*> nodeMeshes(const aiNode* node, const aiScene& scene)
{
    std::vector<const aiMesh*> found;
    appendNodeMeshes(node, scene, found);
    return found;
}

ColourAtlasSize colourAtlasSize(std::size_t colours)
{
    const std::size_t width = std::clamp<std::size_t>(colours, 1, kColourAtlasWidth);
    return {static_cast<int>(width), static_cast<int>(std::max<std::size_t>(1, (colours + width - 1) / width))};
}

std::vector<ConvertedMesh> convertSceneMeshes(const aiScene& scene)
{
    const std::vector<const aiMesh*> found = nodeMeshes(scene.mRootNode, scene);
    std::vector<ConvertedMesh> meshes;
    if (found.size() <= kMergeAboveMeshes) {
        for (const aiMesh* mesh : found) {
            meshes.push_back(convertSceneMesh(*mesh, scene));
        }
        return meshes;
    }
    const ColourAtlas atlas = plainMaterials(found, scene);
    // Each mesh is converted on its own (so normals are made per mesh, as
    // for a model that is not merged) and appended to its material's group,
    // or to the one group of all plain materials.
    std::vector<MaterialGroup> groups;
    std::map<const aiMaterial*, std::size_t> groupOfMaterial;
    constexpr std::size_t kNone = ~std::size_t{0};
    std::size_t plainGroup = kNone;
    for (const aiMesh* mesh : found) {
        std::vector<Vertex> vertices = convertVertices(*mesh);
        std::vector<unsigned int> indices = convertTriangleIndices(*mesh);
        giveFacesWithoutNormalsTheirOwn(vertices, indices);
        const aiMaterial* material = meshMaterial(*mesh, scene);
        const auto colour = atlas.indexOf.find(material);
        const bool plain = colour != atlas.indexOf.end();
        std::size_t* group = &plainGroup;
        if (!plain) {
            group = &groupOfMaterial.try_emplace(material, kNone).first->second;
        }
        // A group's indices are 32-bit: one that would pass them starts anew.
        if (*group == kNone || groups[*group].vertices.size() + vertices.size() > kMaxIndexedVertices) {
            *group = groups.size();
            groups.push_back({{}, {}, plain ? atlas.textures : meshTextureRequests(*mesh, scene)});
        }
        if (plain) {
            const glm::vec2 texel = atlasTexelCentre(colour->second, atlas.colours);
            for (Vertex& vertex : vertices) {
                vertex.uv = texel;
            }
        }
        MaterialGroup& into = groups[*group];
        const auto offset = static_cast<unsigned int>(into.vertices.size());
        into.vertices.insert(into.vertices.end(), vertices.begin(), vertices.end());
        for (const unsigned int index : indices) {
            into.indices.push_back(index + offset);
        }
    }
    for (MaterialGroup& group : groups) {
        meshes.push_back({std::move(group.vertices), std::move(group.indices), std::move(group.textures)});
    }
    return meshes;
}

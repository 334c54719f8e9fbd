// GL-free conversion of an imported scene: which meshes its node tree names,
// and each mesh as the lists a Mesh is built from (vertices, triangle indices
// and texture requests in slot order). The model gathers the textures
// through its own cache and uploads; the fuzzer converts the same way.
#pragma once

#include "loading/work/shared_list.h"
#include "loading/work/vertex.h"

#include <assimp/material.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The longest texture path the import library gives (its string type's
// capacity, less the terminating NUL).
inline constexpr std::size_t kMaxMaterialPathBytes = MAXLEN - 1;

// A model whose node tree names more meshes than this has the meshes that
// share a material merged into one: CAD exporters switch material at every
// face, and each mesh costs the viewer a draw per pass and its own records
// and GL objects. Every model a person would draw mesh by mesh has far
// fewer, and keeps its meshes as the file has them.
inline constexpr std::size_t kMergeAboveMeshes = 256;
// More meshes than this, even after merging (as many materials), and a
// model is refused: no real file has them, and each costs the viewer a draw.
inline constexpr std::size_t kMaxModelMeshes = 65536;
// The textures one mesh binds, one unit each: more than the units GL
// promises a fragment shader. An OBJ material names at most one per slot.
inline constexpr std::size_t kMaxMeshTextures = 16;

// When meshes are merged, those of every material that names no image
// (each of its textures one texel of its own colours) become one mesh, not
// one per material: a CAD file's thousands of plain colours would still be
// thousands of draws. That mesh binds colour atlases, one texel per
// material, this many to a row, and each vertex's texture coordinates point
// at the centre of its material's texel. Nothing else reads those
// coordinates, as every texture such a material has is one colour; and a
// triangle's corners share them, so the sample has no derivative, comes
// from the first mipmap level and is exactly the texel at any distance.
inline constexpr std::size_t kColourAtlasWidth = 256;
// More plain materials than this are merged per material instead.
inline constexpr std::size_t kMaxAtlasColours = kColourAtlasWidth * kColourAtlasWidth;

struct ColourAtlasSize {
    int width;
    int height;
};
// The atlas of `colours` texels: one row, or kColourAtlasWidth-wide rows.
ColourAtlasSize colourAtlasSize(std::size_t colours);

// One texel's red, green and blue.
using Texel = std::array<unsigned char, 3>;
// Lists of them are read and uploaded as packed RGB.
static_assert(sizeof(Texel) == 3);

// A texture a material asks for, not yet loaded: the image file it names or,
// for a slot it gives no map, one texel of the material's own colour.
struct TextureRequest {
    // Every byte the material gives, at most the import library's
    // 1023 (kMaxMaterialPathBytes).
    std::string materialPath;
    std::string samplerUniform;
    // Set instead of a path for a slot without a map.
    std::optional<Texel> solidColour;
    // Or, for the meshes of many such materials merged into one: each
    // material's texel, in the order of a colour atlas.
    std::vector<Texel> atlas;
};

// Which of the three a request is (the values travel in replies).
enum class TextureSource : std::uint32_t { File = 0, Colour = 1, Atlas = 2 };
inline TextureSource textureSource(const TextureRequest& request)
{
    return request.solidColour ? TextureSource::Colour
                               : request.atlas.empty() ? TextureSource::File : TextureSource::Atlas;
}

// What a slot without a map is given instead, so that every sampler the
// lighting reads is bound for every mesh and none keeps the previous mesh's
// texture.
enum class SlotFallback {
    None,
    DiffuseColour,   // the material's Kd
    SpecularColour,  // its Ks
    FlatNormal,      // a normal map that leaves the surface normal as it is
};

struct TextureSlot {
    aiTextureType type;
    const char* samplerUniform;
    SlotFallback fallback;
};

// Gathered in this order, so a mesh's textures sit on units diffuse first,
// then specular, normal and height. OBJ materials put their bump map
// (map_Bump) in the height slot, which is why normal maps come from there and
// the height sampler is fed from the ambient slot. Nothing reads the height
// sampler, so it gets no fallback.
inline constexpr std::array<TextureSlot, 4> kTextureSlots = {{
    {aiTextureType_DIFFUSE, "material.diffuse", SlotFallback::DiffuseColour},
    {aiTextureType_SPECULAR, "material.specular", SlotFallback::SpecularColour},
    {aiTextureType_HEIGHT, "material.normal", SlotFallback::FlatNormal},
    {aiTextureType_AMBIENT, "material.height", SlotFallback::None},
}};

// The texel that stands in for a missing map of `slot`; nothing for a slot
// without a fallback. Colours are clamped to [0, 1]; a material without the
// colour (or no material at all) gives the colour an exporter would.
std::optional<Texel> slotFallbackTexel(const aiMaterial* material, const TextureSlot& slot);

// The lists are shared, not copied, by the meshes made from them.
struct ConvertedMesh {
    SharedList<Vertex> vertices;
    SharedList<unsigned int> indices;
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

// The normal of each triangle for its corners that have none: a file that
// gives normals for some faces of a mesh but not others leaves the rest
// with zero normals (normals are generated only for meshes with none),
// which would light them as black.
void giveFacesWithoutNormalsTheirOwn(std::vector<Vertex>& vertices, const std::vector<unsigned int>& indices);

// What `mesh`'s material asks for, in slot order: each slot's maps, or its
// fallback texel when the material gives it none; at most kMaxMeshTextures.
std::vector<TextureRequest> meshTextureRequests(const aiMesh& mesh, const aiScene& scene);

// The mesh with its texture requests; corners without normals get their
// face's.
ConvertedMesh convertSceneMesh(const aiMesh& mesh, const aiScene& scene);

// Every mesh that `node` and its descendants name, depth first and node
// before children, once per reference; indices the scene holds no mesh for
// are skipped.
std::vector<const aiMesh*> nodeMeshes(const aiNode* node, const aiScene& scene);

// The whole scene as a model draws it: every mesh its node tree names, in
// that order, converted; past kMergeAboveMeshes, one mesh per material
// instead, in the order the materials are first met. The one conversion the
// model, the fuzzer and the import benchmark all run.
std::vector<ConvertedMesh> convertSceneMeshes(const aiScene& scene);

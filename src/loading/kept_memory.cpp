#include "loading/kept_memory.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kDriverCopies = 2;  // the viewer's list and the driver's buffer
constexpr std::uint64_t kDriverTexelBytes = 4;
constexpr std::uint64_t kMipmapNumerator = 4;  // a full chain adds a third
constexpr std::uint64_t kMipmapDenominator = 3;

}  // namespace

std::uint64_t keptMeshBytes(std::uint64_t vertexBytes, std::uint64_t indexBytes)
{
    return (vertexBytes + indexBytes) * kDriverCopies;
}

std::uint64_t keptTextureRecordBytes(const std::string& materialPath)
{
    constexpr std::uint64_t kPathCopies = 2;  // the request's and the MeshTexture's
    return kKeptTextureRecordBytes + kPathCopies * materialPath.size();
}

std::uint64_t keptMeshCost(const ConvertedMesh& mesh)
{
    std::uint64_t bytes = kKeptMeshRecordBytes + keptMeshBytes(mesh.vertices.size() * sizeof(Vertex),
                                                               mesh.indices.size() * sizeof(unsigned int));
    for (const TextureRequest& request : mesh.textures) {
        bytes += keptTextureRecordBytes(request.materialPath);
    }
    return bytes;
}

std::uint64_t keptAtlasBytes(std::size_t colours)
{
    const ColourAtlasSize size = colourAtlasSize(colours);
    return keptTextureBytes(size.width, size.height);
}

std::uint64_t keptTextureBytes(int width, int height)
{
    const auto texels = static_cast<std::uint64_t>(std::max(width, 0)) * static_cast<std::uint64_t>(std::max(height, 0));
    return kKeptTextureObjectBytes + texels * kDriverTexelBytes * kMipmapNumerator / kMipmapDenominator;
}

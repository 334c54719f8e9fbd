// Fuzzes the viewer's reading of the loading worker's reply: the bytes a
// worker that a hostile file has taken over could hand back. Each input is
// read as a reply to a model request and to an image request. A reply that
// is refused must say why and leave nothing behind; one that is accepted is
// walked the way the upload and the draw use it, every vertex, index and
// pixel, so that AddressSanitizer sees each read against the bytes there
// are. Either way a read past the input is a finding, and so is a reply
// whose records pass the allowance the reader was given.
#include "loading/load_budget.h"
#include "loading/request/reply_format.h"
#include "loading/work/image_limits.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kRgbChannels = 3;

void fail(const char* why)
{
    std::fprintf(stderr, "reply unsafe to use: %s\n", why);
    std::abort();
}

// Every byte of `size` at `at`, folded into `sink` so the reads stay.
void touch(const void* at, std::size_t size, volatile unsigned char& sink)
{
    const auto* bytes = static_cast<const unsigned char*>(at);
    for (std::size_t i = 0; i < size; ++i) {
        sink = sink ^ bytes[i];
    }
}

void walkModel(const ImportedModelFile& model, volatile unsigned char& sink)
{
    if (model.imported == model.meshes.empty()) {
        fail(model.imported ? "an import without meshes" : "meshes without an import");
    }
    if (model.meshes.size() > kMaxModelMeshes) {
        fail("more meshes than a model may have");
    }
    for (const ConvertedMesh& mesh : model.meshes) {
        if (mesh.textures.size() > kMaxMeshTextures) {
            fail("more textures than a mesh may bind");
        }
        touch(mesh.vertices.data(), mesh.vertices.size() * sizeof(Vertex), sink);
        if (mesh.indices.size() % 3 != 0) {
            fail("indices that are not whole triangles");
        }
        for (const unsigned int index : mesh.indices) {
            if (index >= mesh.vertices.size()) {
                fail("an index past its mesh's vertices");
            }
            // The draw reads the vertex each index names.
            touch(&mesh.vertices[index], sizeof(Vertex), sink);
        }
        for (const TextureRequest& request : mesh.textures) {
            const int sources = request.solidColour.has_value() + !request.materialPath.empty() + !request.atlas.empty();
            if (sources != 1 || request.materialPath.size() > kMaxMaterialPathBytes ||
                request.atlas.size() > kMaxAtlasColours) {
                fail("a texture request that names no file, or two things");
            }
            touch(request.materialPath.data(), request.materialPath.size(), sink);
            touch(request.atlas.data(), request.atlas.size() * sizeof(Texel), sink);
        }
    }
}

void walkImage(const DecodedImage& image, volatile unsigned char& sink)
{
    if (!image.pixels) {
        if (image.failure.empty()) {
            fail("no pixels and no reason");
        }
        return;
    }
    if (!image.failure.empty()) {
        fail("pixels and a reason for having none");
    }
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxImageSide || image.height > kMaxImageSide ||
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) > kMaxImagePixels) {
        fail("an image size beyond the limits");
    }
    // The upload reads every byte.
    touch(image.pixels.get(),
          static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * kRgbChannels, sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    volatile unsigned char sink = 0;
    for (const LoadKind kind : {LoadKind::Model, LoadKind::Image}) {
        // Exactly the input's bytes, in a block of its own that the reply
        // keeps alive as it keeps the worker's memory, so that reading one
        // byte past it is a finding.
        const std::shared_ptr<unsigned char[]> bytes(new unsigned char[size]);
        if (size != 0) {
            std::memcpy(bytes.get(), data, size);
        }
        LoadReply reply;
        std::string why;
        if (!readReply(kind, kRequestMemoryFloor, bytes, bytes.get(), size, reply, why)) {
            if (why.empty()) {
                fail("refused without a reason");
            }
            if (reply.model.imported || !reply.model.meshes.empty() || reply.image.pixels) {
                fail("a refused reply that kept what it read");
            }
            continue;
        }
        if (!(reply.decodeMs >= 0.0)) {
            fail("a negative decode time");
        }
        if (kind == LoadKind::Model) {
            walkModel(reply.model, sink);
        } else {
            walkImage(reply.image, sink);
        }
    }
    return 0;
}

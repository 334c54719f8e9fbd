// Each kind of request as one entry: a model file imported and converted
// (model_file_import.h), whose part of the reply is the import's error and
// folder and then each mesh (its vertices, indices and texture requests);
// an image file decoded to RGB (image_decoding.h), whose part is its size,
// its failure and its rows. Everything read is checked as it is read.
#include "loading/request/request_kinds.h"

#include "loading/kept_memory.h"
#include "loading/request/reply_fields.h"

#include <algorithm>

namespace {

constexpr std::size_t kRgbBytesPerPixel = 3;
constexpr std::size_t kLongestSamplerBytes = 32;

// A texture request: a file (its path follows), one colour (the record's),
// or an atlas of colours (its texels follow the sampler name).
struct TextureRecord {
    TextureSource source;
    unsigned char colour[3];
};


void runModel(const std::string& path, LoadReply& reply)
{
    reply.model = importModelFile(path);
}

bool modelAnswered(const LoadReply& reply)
{
    return reply.model.imported;
}

void writeModel(const LoadReply& reply, ReplyWriter& w)
{
    const ImportedModelFile& model = reply.model;
    w.value(static_cast<std::uint32_t>(model.imported));
    w.text(model.error);
    w.text(model.directory);
    w.value(static_cast<std::uint64_t>(model.meshes.size()));
    for (const ConvertedMesh& mesh : model.meshes) {
        // What keeping the mesh costs, less the geometry the reply itself holds.
        w.charge(keptMeshCost(mesh) - mesh.vertices.size() * sizeof(Vertex) - mesh.indices.size() * sizeof(unsigned int));
        w.list(mesh.vertices.data(), mesh.vertices.size());
        w.list(mesh.indices.data(), mesh.indices.size());
        w.value(static_cast<std::uint64_t>(mesh.textures.size()));
        for (const TextureRequest& request : mesh.textures) {
            TextureRecord record{textureSource(request), {0, 0, 0}};
            if (request.solidColour) {
                std::copy(request.solidColour->begin(), request.solidColour->end(), record.colour);
            }
            w.value(record);
            w.text(request.materialPath);
            w.text(request.samplerUniform);
            if (record.source == TextureSource::Atlas) {
                w.charge(keptAtlasBytes(request.atlas.size()));
                w.list(request.atlas.data(), request.atlas.size());
            }
        }
    }
}

bool knownSampler(const std::string& name)
{
    return std::any_of(kTextureSlots.begin(), kTextureSlots.end(),
                       [&](const TextureSlot& slot) { return name == slot.samplerUniform; });
}

void readMesh(ReplyReader& r, const std::shared_ptr<const void>& owner, ConvertedMesh& mesh)
{
    r.charge(kKeptMeshRecordBytes, "a mesh");
    std::uint64_t vertexCount = 0;
    const Vertex* vertices = r.list<Vertex>(vertexCount, "a mesh's vertices");
    std::uint64_t indexCount = 0;
    const unsigned int* indices = r.list<unsigned int>(indexCount, "a mesh's indices");
    if (r.failed()) {
        return;
    }
    if (indexCount % 3 != 0) {
        r.fail("a mesh's " + std::to_string(indexCount) + " indices are not whole triangles");
        return;
    }
    for (std::uint64_t i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) {
            r.fail("index " + std::to_string(indices[i]) + " names no vertex of a mesh of " +
                   std::to_string(vertexCount));
            return;
        }
    }
    r.charge(vertexCount * sizeof(Vertex) + indexCount * sizeof(unsigned int), "a mesh's copy in the driver");
    mesh.vertices = SharedList<Vertex>(vertices, vertexCount, owner);
    mesh.indices = SharedList<unsigned int>(indices, indexCount, owner);
    const auto textureCount = r.value<std::uint64_t>("a mesh's texture count");
    if (textureCount > kMaxMeshTextures) {
        r.fail("a mesh with " + std::to_string(textureCount) + " textures, more than the " +
               std::to_string(kMaxMeshTextures) + " one mesh may bind");
    }
    for (std::uint64_t t = 0; t < textureCount && !r.failed(); ++t) {
        const auto record = r.value<TextureRecord>("a texture request");
        const std::string path = r.text("a texture path", kMaxMaterialPathBytes);
        TextureRequest request;
        request.samplerUniform = r.text("a sampler name", kLongestSamplerBytes);
        r.charge(keptTextureRecordBytes(path), "a texture request");
        if (r.failed()) {
            return;
        }
        if (record.source > TextureSource::Atlas || (record.source == TextureSource::File) == path.empty() ||
            !knownSampler(request.samplerUniform)) {
            r.fail("a texture request that names no file, or no known sampler");
            return;
        }
        if (record.source == TextureSource::Colour) {
            request.solidColour = Texel{record.colour[0], record.colour[1], record.colour[2]};
        } else if (record.source == TextureSource::Atlas) {
            std::uint64_t colours = 0;
            const Texel* texels = r.list<Texel>(colours, "an atlas's colours");
            if (!r.failed() && (colours == 0 || colours > kMaxAtlasColours)) {
                r.fail("an atlas of " + std::to_string(colours) + " colours");
            }
            r.charge(keptAtlasBytes(colours), "an atlas");
            if (r.failed()) {
                return;
            }
            request.atlas.assign(texels, texels + colours);
        } else {
            request.materialPath = path;
        }
        mesh.textures.push_back(std::move(request));
    }
}

void readModel(ReplyReader& r, const std::shared_ptr<const void>& owner, LoadReply& reply)
{
    ImportedModelFile& model = reply.model;
    const auto imported = r.value<std::uint32_t>("the import flag");
    model.error = r.text("the import error", kMaxReplyTextBytes);
    model.directory = r.text("the model's folder", kMaxReplyTextBytes);
    const auto meshCount = r.value<std::uint64_t>("the mesh count");
    if (imported > 1) {
        r.fail("an import flag of " + std::to_string(imported));
    }
    if (meshCount > kMaxModelMeshes) {
        r.fail(std::to_string(meshCount) + " meshes, more than the " + std::to_string(kMaxModelMeshes) +
               " one model may have");
    }
    model.imported = imported == 1;
    for (std::uint64_t m = 0; m < meshCount && !r.failed(); ++m) {
        readMesh(r, owner, model.meshes.emplace_back());
    }
    if (!r.failed() && model.imported == model.meshes.empty()) {
        r.fail(model.imported ? "an imported model without meshes" : "meshes of a model that failed");
    }
}

void runImage(const std::string& path, LoadReply& reply)
{
    reply.image = decodeRgbImage(path);
}

bool imageAnswered(const LoadReply& reply)
{
    return reply.image.pixels != nullptr;
}

void writeImage(const LoadReply& reply, ReplyWriter& w)
{
    const DecodedImage& image = reply.image;
    w.value(static_cast<std::int32_t>(image.width));
    w.value(static_cast<std::int32_t>(image.height));
    w.text(image.failure);
    const std::size_t pixelBytes =
        image.pixels ? static_cast<std::size_t>(image.width) * image.height * kRgbBytesPerPixel : 0;
    w.list(image.pixels.get(), pixelBytes);
}

void readImage(ReplyReader& r, const std::shared_ptr<const void>& owner, LoadReply& reply)
{
    DecodedImage& image = reply.image;
    const auto width = r.value<std::int32_t>("the image width");
    const auto height = r.value<std::int32_t>("the image height");
    image.failure = r.text("the image failure", kMaxReplyTextBytes);
    std::uint64_t pixelBytes = 0;
    const unsigned char* pixels = r.list<unsigned char>(pixelBytes, "the pixels");
    if (r.failed()) {
        return;
    }
    if (pixelBytes == 0) {
        if (image.failure.empty()) {
            r.fail("an image with neither pixels nor a failure");
        }
        return;
    }
    if (!image.failure.empty()) {
        r.fail("an image with both pixels and a failure");
    } else if (std::string why = imageSizeFailure(width, height); !why.empty()) {
        r.fail("an image of " + why);
    } else if (pixelBytes != static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * kRgbBytesPerPixel) {
        r.fail(std::to_string(pixelBytes) + " bytes of pixels for " + std::to_string(width) + " x " +
               std::to_string(height) + " px");
    } else {
        image.width = width;
        image.height = height;
        image.pixels = std::shared_ptr<const unsigned char>(owner, pixels);
    }
}

constexpr RequestKind kModelRequest{"a model import", kModelLimits, runModel, modelAnswered, writeModel, readModel};
constexpr RequestKind kImageRequest{"an image decode", kImageLimits, runImage, imageAnswered, writeImage, readImage};

}  // namespace

const RequestKind* findRequestKind(LoadKind kind)
{
    switch (kind) {
    case LoadKind::Model:
        return &kModelRequest;
    case LoadKind::Image:
        return &kImageRequest;
    }
    return nullptr;
}

const RequestKind& requestKind(LoadKind kind)
{
    return *findRequestKind(kind);
}

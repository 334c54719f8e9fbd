// Writes the reply fuzzer's seeds with the worker's own reply writer: one
// reply of each shape the worker sends, so that mutation starts from bytes
// the reader accepts and reaches every field.
//   reply_read_seeds FOLDER
#include "loading/request/reply_format.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A fixed decode time, so the same source always writes the same bytes.
constexpr double kDecodeMs = 1.5;
constexpr unsigned char kGrey = 128;

ConvertedMesh triangle(float offset)
{
    ConvertedMesh mesh;
    std::vector<Vertex> vertices(3, Vertex{});
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        vertices[i].position = glm::vec3(offset + static_cast<float>(i), static_cast<float>(i % 2), 0.0f);
        vertices[i].normal = glm::vec3(0.0f, 0.0f, 1.0f);
    }
    mesh.vertices = std::move(vertices);
    mesh.indices = std::vector<unsigned int>{0, 1, 2};
    return mesh;
}

void write(const std::string& folder, const char* name, const LoadReply& reply, LoadKind kind)
{
    std::vector<unsigned char> bytes(replySize(reply, kind));
    writeReply(reply, kind, bytes.data());
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: reply_read_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];

    LoadReply textured;
    textured.decodeMs = kDecodeMs;
    textured.model.imported = true;
    textured.model.directory = "models";
    ConvertedMesh painted = triangle(0.0f);
    TextureRequest file;
    file.materialPath = "wall.png";
    file.samplerUniform = "material.diffuse";
    TextureRequest solid;
    solid.solidColour = Texel{kGrey, kGrey, kGrey};
    solid.samplerUniform = "material.specular";
    TextureRequest atlas;
    atlas.atlas = {Texel{kGrey, 0, 0}, Texel{0, kGrey, 0}, Texel{0, 0, kGrey}};
    atlas.samplerUniform = "material.height";
    painted.textures = {file, solid, atlas};
    textured.model.meshes = {painted, triangle(2.0f)};
    write(folder, "model_two_meshes_textured", textured, LoadKind::Model);

    LoadReply rejected;
    rejected.decodeMs = kDecodeMs;
    rejected.model.error = "OBJ: vertex index out of range";
    write(folder, "model_import_error", rejected, LoadKind::Model);

    LoadReply limited;
    limited.failure = "needed more than the 256 MiB of memory allowed for a model import";
    limited.overMemoryLimit = true;
    write(folder, "model_worker_failure", limited, LoadKind::Model);

    LoadReply image;
    image.decodeMs = kDecodeMs;
    image.image.width = 2;
    image.image.height = 3;
    const auto pixels = std::make_shared<std::vector<unsigned char>>(2 * 3 * 3, kGrey);
    image.image.pixels = std::shared_ptr<const unsigned char>(pixels, pixels->data());
    write(folder, "image_2x3", image, LoadKind::Image);

    LoadReply undecoded;
    undecoded.decodeMs = kDecodeMs;
    undecoded.image.failure = "an empty file";
    write(folder, "image_failure", undecoded, LoadKind::Image);
    return 0;
}

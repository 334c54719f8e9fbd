// Generates the benchmark model: a grid with positions, normals and texture
// coordinates (so the import computes tangents as it does for the scene's
// models) and noisy images, so PNG decoding does real work.
#include "bench_fixture.h"

#include "common/system_path.h"

#include <stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

// 71 x 71 quads make 10,082 triangles.
constexpr int kGridQuads = 71;
constexpr int kTrianglesPerQuad = 2;
constexpr int kFirstObjIndex = 1;
constexpr int kRgbChannels = 3;
constexpr std::uint32_t kNoiseMultiplier = 1664525u;
constexpr std::uint32_t kNoiseIncrement = 1013904223u;
constexpr int kNoiseShift = 24;
constexpr std::uint32_t kFirstNoiseSeed = 1;
constexpr const char* kTextureFiles[kBenchTextureCount] = {"diffuse.png", "specular.png",
                                                           "bump.png"};

void writeGridObj(const std::string& path)
{
    std::ofstream obj(pathFromUtf8(path));
    obj << "mtllib bench.mtl\no grid\n";
    const int corners = kGridQuads + 1;
    for (int row = 0; row < corners; ++row) {
        for (int column = 0; column < corners; ++column) {
            const float u = static_cast<float>(column) / kGridQuads;
            const float v = static_cast<float>(row) / kGridQuads;
            obj << "v " << u << " 0 " << v << "\nvt " << u << " " << v << "\n";
        }
    }
    // One shared upward normal: index 1 in every face.
    obj << "vn 0 1 0\nusemtl grid\n";
    for (int row = 0; row < kGridQuads; ++row) {
        for (int column = 0; column < kGridQuads; ++column) {
            const int a = row * corners + column + kFirstObjIndex;
            const int b = a + 1;
            const int c = a + corners;
            const int d = c + 1;
            obj << "f " << a << "/" << a << "/1 " << c << "/" << c << "/1 " << b << "/" << b
                << "/1\n";
            obj << "f " << b << "/" << b << "/1 " << c << "/" << c << "/1 " << d << "/" << d
                << "/1\n";
        }
    }
}

void writeNoisePng(const std::string& path, std::uint32_t seed)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kBenchImageSize) * kBenchImageSize *
                                      kRgbChannels);
    std::uint32_t state = seed;
    for (unsigned char& channel : pixels) {
        state = state * kNoiseMultiplier + kNoiseIncrement;
        channel = static_cast<unsigned char>(state >> kNoiseShift);
    }
    stbi_write_png(path.c_str(), kBenchImageSize, kBenchImageSize, kRgbChannels, pixels.data(),
                   kBenchImageSize * kRgbChannels);
}

}  // namespace

BenchFixture writeBenchFixture(const std::string& directory)
{
    BenchFixture fixture;
    fixture.directory = directory;
    fixture.modelPath = directory + "/bench.obj";
    fixture.triangleCount = kGridQuads * kGridQuads * kTrianglesPerQuad;
    writeGridObj(fixture.modelPath);

    std::ofstream mtl(pathFromUtf8(directory + "/bench.mtl"));
    mtl << "newmtl grid\nmap_Kd " << kTextureFiles[0] << "\nmap_Ks " << kTextureFiles[1]
        << "\nmap_Bump " << kTextureFiles[2] << "\n";
    std::uint32_t seed = kFirstNoiseSeed;
    for (int i = 0; i < kBenchTextureCount; ++i) {
        fixture.texturePaths[i] = directory + "/" + kTextureFiles[i];
        writeNoisePng(fixture.texturePaths[i], seed++);
    }
    return fixture;
}

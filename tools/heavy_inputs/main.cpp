// Makes the heavy inputs that start-up is measured with, none of which is
// committed: large textures, real-world-sized models and the models that
// exporters write. Deterministic: the same arguments write the same bytes.
//
//   heavy_inputs textures SIZE FILE...       SIZE x SIZE PNGs, one per FILE
//   heavy_inputs scan TRIANGLES OBJ [DIFFUSE SPECULAR BUMP]
//                                            a scan-like model and its library
//   heavy_inputs exporters DIR               one folder per exporter-shaped model
//   heavy_inputs progressive-jpeg WIDTH HEIGHT SCANS FILE
//                                            a hostile JPEG, its work growing with SCANS
//   heavy_inputs material-switches FACES MATERIALS OBJ
//                                            a usemtl line before every face
#include "big_textures.h"
#include "obj_inputs.h"
#include "progressive_jpeg.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr int kMaxTextureSize = 16384;
// The sides a JPEG can have, and enough scans to keep a decoder busy for
// minutes.
constexpr int kMaxJpegSide = 65535;
constexpr int kMaxJpegScans = 1'000'000;
// Ten times the largest scan measured (2M triangles, 211 MB).
constexpr std::uint64_t kMaxScanTriangles = 20'000'000;
// A hundred times the CAD-shaped file the loading benchmark uses.
constexpr std::uint64_t kMaxSwitchedFaces = 10'000'000;

constexpr const char* kUsage =
    "usage: heavy_inputs textures SIZE FILE...\n"
    "       heavy_inputs scan TRIANGLES OBJ [DIFFUSE SPECULAR BUMP]\n"
    "       heavy_inputs exporters DIR\n"
    "       heavy_inputs progressive-jpeg WIDTH HEIGHT SCANS FILE\n"
    "       heavy_inputs material-switches FACES MATERIALS OBJ\n";

int usage(const char* problem = nullptr)
{
    if (problem != nullptr) {
        std::fprintf(stderr, "heavy_inputs: %s\n", problem);
    }
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

template <class Number>
bool parseCount(const char* text, Number lowest, Number highest, Number& value)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && value >= lowest && value <= highest;
}

// The folder an OBJ named on the command line goes in: "." for a bare name.
std::string folderOf(const std::filesystem::path& obj)
{
    return obj.has_parent_path() ? obj.parent_path().string() : ".";
}

int textures(int argc, char** argv)
{
    int size = 0;
    if (argc < 4 || !parseCount(argv[2], 1, kMaxTextureSize, size)) {
        return usage("textures takes a size from 1 to 16384 and at least one file");
    }
    for (int i = 3; i < argc; ++i) {
        if (!writeBigTexture(argv[i], size, static_cast<unsigned>(i))) {
            std::fprintf(stderr, "heavy_inputs: cannot write %s\n", argv[i]);
            return kExitFailure;
        }
    }
    return 0;
}

int scan(int argc, char** argv)
{
    std::uint64_t triangles = 0;
    if ((argc != 4 && argc != 7) || !parseCount<std::uint64_t>(argv[2], 2, kMaxScanTriangles, triangles)) {
        return usage("scan takes a triangle count from 2 to 20000000, the OBJ's path and optionally three textures");
    }
    const std::filesystem::path obj(argv[3]);
    const ScanTextures maps = argc == 7 ? ScanTextures{argv[4], argv[5], argv[6]}
                                        : ScanTextures{"diffuse.png", "specular.png", "bump.png"};
    const WrittenObj written = writeScanObj(folderOf(obj), obj.stem().string(), triangles, maps);
    if (written.path.empty() || !std::filesystem::exists(written.path)) {
        std::fprintf(stderr, "heavy_inputs: cannot write %s\n", argv[3]);
        return kExitFailure;
    }
    std::printf("%s: %llu triangles\n", written.path.c_str(), static_cast<unsigned long long>(written.triangles));
    return 0;
}

int exporters(int argc, char** argv)
{
    if (argc != 3) {
        return usage("exporters takes one folder");
    }
    for (const NamedObj& obj : writeExporterObjs(argv[2])) {
        std::printf("%-36s %s %llu\n", obj.name.c_str(), obj.obj.path.c_str(),
                    static_cast<unsigned long long>(obj.obj.triangles));
    }
    return 0;
}

int materialSwitches(int argc, char** argv)
{
    std::uint64_t faces = 0;
    std::uint64_t materials = 0;
    if (argc != 5 || !parseCount<std::uint64_t>(argv[2], 1, kMaxSwitchedFaces, faces) ||
        !parseCount<std::uint64_t>(argv[3], 1, faces, materials)) {
        return usage("material-switches takes 1 to 10000000 faces, 1 to that many materials and the OBJ's path");
    }
    const std::filesystem::path obj(argv[4]);
    const WrittenObj written = writeMaterialSwitchesObj(folderOf(obj), obj.stem().string(), faces, materials);
    if (!std::filesystem::exists(written.path)) {
        std::fprintf(stderr, "heavy_inputs: cannot write %s\n", argv[4]);
        return kExitFailure;
    }
    return 0;
}

int jpeg(int argc, char** argv)
{
    int width = 0;
    int height = 0;
    int scans = 0;
    if (argc != 6 || !parseCount(argv[2], 1, kMaxJpegSide, width) || !parseCount(argv[3], 1, kMaxJpegSide, height) ||
        !parseCount(argv[4], 1, kMaxJpegScans, scans)) {
        return usage("progressive-jpeg takes sides from 1 to 65535, 1 to 1000000 scans and a file");
    }
    std::ofstream file(argv[5], std::ios::binary);
    const std::string bytes = progressiveJpeg(width, height, scans);
    file << bytes;
    file.close();
    if (!file) {
        std::fprintf(stderr, "heavy_inputs: cannot write %s\n", argv[5]);
        return kExitFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "textures") == 0) {
        return textures(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "scan") == 0) {
        return scan(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "exporters") == 0) {
        return exporters(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "material-switches") == 0) {
        return materialSwitches(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "progressive-jpeg") == 0) {
        return jpeg(argc, argv);
    }
    return usage();
}

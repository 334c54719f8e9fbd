// Makes the heavy inputs that start-up is measured with, none of which is
// committed: large textures, hostile images and real-world-sized models.
// Deterministic: the same arguments write the same bytes.
//
//   heavy_inputs textures SIZE FILE...     SIZE x SIZE PNGs, one per FILE
#include "big_textures.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr int kMaxTextureSize = 16384;

int usage()
{
    std::fputs("usage: heavy_inputs textures SIZE FILE...\n", stderr);
    return kExitUsage;
}

bool parseCount(const char* text, int lowest, int highest, int& value)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && value >= lowest && value <= highest;
}

int textures(int argc, char** argv)
{
    int size = 0;
    if (argc < 4 || !parseCount(argv[2], 1, kMaxTextureSize, size)) {
        return usage();
    }
    for (int i = 3; i < argc; ++i) {
        if (!writeBigTexture(argv[i], size, static_cast<unsigned>(i))) {
            std::fprintf(stderr, "heavy_inputs: cannot write %s\n", argv[i]);
            return kExitFailure;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "textures") == 0) {
        return textures(argc, argv);
    }
    return usage();
}

// The benchmark's input, written fresh each run so it needs no data files: a
// flat grid of about 10,000 triangles whose material names three 512x512
// PNG maps (diffuse, specular and a bump map).
#pragma once

#include <string>

constexpr int kBenchTextureCount = 3;
constexpr int kBenchImageSize = 512;

struct BenchFixture {
    std::string directory;
    std::string modelPath;
    std::string texturePaths[kBenchTextureCount];
    int triangleCount = 0;
};

// Writes the model, its material library and the images under `directory`.
BenchFixture writeBenchFixture(const std::string& directory);

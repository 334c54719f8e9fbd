// Large texture images for timing start-up with real-world texture sizes:
// deterministic PNGs with the large smooth shapes and fine grain of a
// photographed surface, so the decoder does a photo's work.
#pragma once

#include <string>

// Writes a `size` x `size` RGB PNG; `seed` varies the pattern. False when
// the file could not be written.
bool writeBigTexture(const std::string& path, int size, unsigned seed);

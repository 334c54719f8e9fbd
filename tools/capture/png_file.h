// Writes a captured frame as a PNG file. The image is encoded in memory and
// the bytes written with every write and the close checked, because a PNG
// cut short by a full disk or a failing device must not pass for a frame.
#pragma once

#include <string>

constexpr int kRgbaChannels = 4;

struct RgbaImage {
    int width;
    int height;
    const unsigned char* pixels;  // 4 bytes a pixel, rows without padding
    bool rowsBottomUp;            // as GL reads them; the file's rows run top-down
};

// Empty when the whole file was written; otherwise the reason it was not
// (the system's message for the failed call).
std::string writePngFile(const std::string& path, const RgbaImage& image);

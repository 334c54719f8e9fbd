// Image files built byte by byte, so a test can make a header claim whatever
// size it likes while the file holds as few pixels as it likes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hardening {

inline void putLittleEndian(std::string& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// Rows of a 24-bit BMP are padded to whole 4-byte words.
inline std::size_t bmpPixelBytes(int width, int height)
{
    constexpr std::size_t kBytesPerPixel = 3;
    const std::size_t row = (static_cast<std::size_t>(width) * kBytesPerPixel + 3) / 4 * 4;
    return row * static_cast<std::size_t>(height);
}

// A 24-bit BMP whose header declares `width` x `height` (a negative height
// stores rows top first), followed by `pixels`, however many the header
// implies.
inline std::string bmp(std::int32_t width, std::int32_t height, const std::string& pixels)
{
    const std::size_t pixelBytes = pixels.size();
    constexpr std::uint32_t kHeaderBytes = 54;
    constexpr std::uint32_t kInfoHeaderBytes = 40;
    constexpr std::uint32_t kPlanes = 1;
    constexpr std::uint32_t kBitsPerPixel = 24;
    constexpr std::size_t kUncompressedDefaults = 24;  // compression, resolution, palette
    std::string bytes = "BM";
    putLittleEndian(bytes, kHeaderBytes + static_cast<std::uint32_t>(pixelBytes), 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, kHeaderBytes, 4);
    putLittleEndian(bytes, kInfoHeaderBytes, 4);
    putLittleEndian(bytes, static_cast<std::uint32_t>(width), 4);
    putLittleEndian(bytes, static_cast<std::uint32_t>(height), 4);
    putLittleEndian(bytes, kPlanes, 2);
    putLittleEndian(bytes, kBitsPerPixel, 2);
    bytes.append(kUncompressedDefaults, '\0');
    return bytes + pixels;
}

// The same with `pixelBytes` zero bytes of pixels.
inline std::string bmp(std::int32_t width, std::int32_t height, std::size_t pixelBytes)
{
    return bmp(width, height, std::string(pixelBytes, '\0'));
}

}  // namespace hardening

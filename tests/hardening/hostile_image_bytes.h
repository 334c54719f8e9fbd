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

// A Radiance HDR image of `width` x `height` (8 to 127 wide) whose rows are
// run-length coded, each channel one run.
inline std::string runLengthHdr(int width, int height)
{
    constexpr char kRunLengthMark = 2;
    constexpr unsigned char kRunBit = 128;
    constexpr int kChannels = 4;
    constexpr char kMantissa = 64;
    constexpr char kExponentOfOne = static_cast<char>(128);
    std::string bytes = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " +
                        std::to_string(width) + "\n";
    for (int row = 0; row < height; ++row) {
        bytes += {kRunLengthMark, kRunLengthMark, static_cast<char>(width >> 8), static_cast<char>(width & 0xFF)};
        for (int channel = 0; channel < kChannels; ++channel) {
            bytes.push_back(static_cast<char>(kRunBit + width));
            bytes.push_back(channel == kChannels - 1 ? kExponentOfOne : kMantissa);
        }
    }
    return bytes;
}

// A GIF of a 1 x 1 picture whose LZW codes, `cycles` times over, each stand
// for a string one pixel longer than the code before, up to 4095, and then
// repeat the longest while the code table has room: about 12 KB a cycle
// that stand for 25 million pixels.
inline std::string gifOfGrowingStrings(int cycles)
{
    constexpr int kMinimumCodeSize = 2;
    constexpr int kClear = 1 << kMinimumCodeSize;
    constexpr int kWidestCodeTable = 4095;
    constexpr int kFullCodeTable = 8190;
    constexpr std::size_t kSubBlockBytes = 255;
    std::string bytes = "GIF89a";
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 1, 2);
    bytes += std::string("\x80\0\0" "\0\0\0\xff\xff\xff", 9);  // two-colour table
    bytes += std::string("\x2c\0\0\0\0\x01\0\x01\0\0", 10);  // the picture, 1 x 1
    bytes.push_back(static_cast<char>(kMinimumCodeSize));
    std::string codes;
    std::uint32_t pending = 0;
    int pendingBits = 0;
    int codeSize = kMinimumCodeSize + 1;
    const auto put = [&](int code) {
        pending |= static_cast<std::uint32_t>(code) << pendingBits;
        for (pendingBits += codeSize; pendingBits >= 8; pendingBits -= 8, pending >>= 8) {
            codes.push_back(static_cast<char>(pending & 0xFF));
        }
    };
    for (int cycle = 0; cycle < cycles; ++cycle) {
        put(kClear);
        codeSize = kMinimumCodeSize + 1;
        put(0);
        int next = kClear + 2;
        for (; next < kWidestCodeTable; ++next) {
            put(next);  // the code being defined: the previous string and its first pixel
            if (((next + 1) & ((1 << codeSize) - 1)) == 0) {
                ++codeSize;
            }
        }
        for (; next < kFullCodeTable; ++next) {
            put(kWidestCodeTable - 1);
        }
    }
    put(kClear + 1);
    codes.push_back(static_cast<char>(pending & 0xFF));
    for (std::size_t at = 0; at < codes.size(); at += kSubBlockBytes) {
        const std::string block = codes.substr(at, kSubBlockBytes);
        bytes.push_back(static_cast<char>(block.size()));
        bytes += block;
    }
    return bytes + std::string("\0;", 2);
}

}  // namespace hardening

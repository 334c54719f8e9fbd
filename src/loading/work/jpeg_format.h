// The parts of the JPEG format that both the screening, which reads files,
// and the benchmark's progressive-JPEG generator, which writes them, name:
// marker bytes and the sizes of the fields around them.
#pragma once

inline constexpr unsigned char kJpegMarkerPrefix = 0xFF;
inline constexpr unsigned char kJpegStartOfImage = 0xD8;
inline constexpr unsigned char kJpegEndOfImage = 0xD9;
inline constexpr unsigned char kJpegQuantizationTable = 0xDB;
inline constexpr unsigned char kJpegBaselineFrame = 0xC0;
inline constexpr unsigned char kJpegExtendedFrame = 0xC1;
inline constexpr unsigned char kJpegProgressiveFrame = 0xC2;
inline constexpr unsigned char kJpegHuffmanTable = 0xC4;
inline constexpr unsigned char kJpegStartOfScan = 0xDA;
// A Huffman table counts its codes of each length from 1 to 16 bits.
inline constexpr int kJpegCodeLengths = 16;
// A segment's length field counts its own two bytes.
inline constexpr int kJpegLengthFieldBytes = 2;

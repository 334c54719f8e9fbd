// Writes the progressive JPEG described in progressive_jpeg.h byte by byte:
// one quantization table, two Huffman tables chosen so that a whole scan is a
// handful of codes, then the scans.
#include "progressive_jpeg.h"

#include "loading/work/jpeg_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kMaxSide = 65535;  // the frame header's 16-bit fields
constexpr int kBlockSide = 8;
constexpr int kCoefficients = 64;
constexpr int kLastAcCoefficient = kCoefficients - 1;

constexpr unsigned char kStuffedZero = 0x00;

constexpr int kPrecisionBits = 8;
constexpr unsigned char kComponentId = 1;
constexpr unsigned char kNoSubsampling = 0x11;
constexpr unsigned char kTableSlot = 0;
constexpr unsigned char kDcClass = 0x00;
constexpr unsigned char kAcClass = 0x10;

// DC table: one symbol, category 0 (no change from the previous block's DC),
// coded as the single bit 0, so every block's DC is 0: a mid grey.
constexpr int kDcCodeLength = 1;
constexpr unsigned char kDcNoChange = 0;

// AC table: the 15 end-of-band-run symbols EOBRUN0..EOBRUN14, symbol r coded
// as r in 4 bits and followed by r bits that add to 2^r blocks. One symbol
// covers up to 2^15 - 1 blocks.
constexpr int kEobRunSymbols = 15;
constexpr int kEobCodeBits = 4;
constexpr unsigned char kRunNibble = 0x10;
constexpr int kMaxEobRun = (1 << kEobRunSymbols) - 1;

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}

    void put(std::uint32_t value, int bits)
    {
        for (int bit = bits - 1; bit >= 0; --bit) {
            current_ = static_cast<unsigned char>(current_ << 1 | ((value >> bit) & 1u));
            if (++filled_ == 8) {
                emit();
            }
        }
    }
    // The last byte is padded with 1 bits, as the format asks.
    void finish()
    {
        while (filled_ != 0) {
            put(1, 1);
        }
    }

private:
    // A 0xFF byte in coded data is followed by a zero byte, so that it cannot
    // be taken for a marker.
    void emit()
    {
        out_.push_back(static_cast<char>(current_));
        if (current_ == kJpegMarkerPrefix) {
            out_.push_back(static_cast<char>(kStuffedZero));
        }
        current_ = 0;
        filled_ = 0;
    }

    std::string& out_;
    unsigned char current_ = 0;
    int filled_ = 0;
};

void putByte(std::string& out, unsigned int value)
{
    out.push_back(static_cast<char>(value & 0xFF));
}

void putWord(std::string& out, unsigned int value)
{
    putByte(out, value >> 8);
    putByte(out, value);
}

// A marker segment: the marker, then its length (which counts itself) and body.
void putSegment(std::string& out, unsigned char marker, const std::string& body)
{
    putByte(out, kJpegMarkerPrefix);
    putByte(out, marker);
    putWord(out, static_cast<unsigned int>(body.size() + kJpegLengthFieldBytes));
    out += body;
}

std::string huffmanTable(unsigned char tableClass, const std::vector<int>& countsByLength,
                         const std::vector<unsigned char>& symbols)
{
    std::string body;
    putByte(body, tableClass | kTableSlot);
    for (int length = 0; length < kJpegCodeLengths; ++length) {
        putByte(body, length < static_cast<int>(countsByLength.size()) ? countsByLength[length] : 0);
    }
    for (unsigned char symbol : symbols) {
        putByte(body, symbol);
    }
    return body;
}

// A one-component scan header over coefficients first..last, first pass of
// successive approximation (no bits held back).
std::string scanHeader(int first, int last)
{
    std::string body;
    putByte(body, 1);
    putByte(body, kComponentId);
    putByte(body, kTableSlot << 4 | kTableSlot);
    putByte(body, static_cast<unsigned int>(first));
    putByte(body, static_cast<unsigned int>(last));
    putByte(body, 0);
    return body;
}

int highestBit(int value)
{
    int bit = 0;
    while ((value >> (bit + 1)) != 0) {
        ++bit;
    }
    return bit;
}

}  // namespace

std::string progressiveJpeg(int width, int height, int scans)
{
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide || scans < 1) {
        return std::string();
    }
    const long long blocks = static_cast<long long>((width + kBlockSide - 1) / kBlockSide) *
                             ((height + kBlockSide - 1) / kBlockSide);
    std::string out;
    putByte(out, kJpegMarkerPrefix);
    putByte(out, kJpegStartOfImage);

    // Every quantizer 1: the coefficients are taken as they are coded.
    std::string quantization;
    putByte(quantization, kTableSlot);
    quantization.append(kCoefficients, static_cast<char>(1));
    putSegment(out, kJpegQuantizationTable, quantization);

    std::string frame;
    putByte(frame, kPrecisionBits);
    putWord(frame, static_cast<unsigned int>(height));
    putWord(frame, static_cast<unsigned int>(width));
    putByte(frame, 1);
    putByte(frame, kComponentId);
    putByte(frame, kNoSubsampling);
    putByte(frame, kTableSlot);
    putSegment(out, kJpegProgressiveFrame, frame);

    std::vector<int> dcCounts(kDcCodeLength, 0);
    dcCounts[kDcCodeLength - 1] = 1;
    putSegment(out, kJpegHuffmanTable, huffmanTable(kDcClass, dcCounts, {kDcNoChange}));
    std::vector<int> acCounts(kEobCodeBits, 0);
    acCounts[kEobCodeBits - 1] = kEobRunSymbols;
    std::vector<unsigned char> eobRuns;
    for (int r = 0; r < kEobRunSymbols; ++r) {
        eobRuns.push_back(static_cast<unsigned char>(r * kRunNibble));
    }
    putSegment(out, kJpegHuffmanTable, huffmanTable(kAcClass, acCounts, eobRuns));

    putSegment(out, kJpegStartOfScan, scanHeader(0, 0));
    {
        BitWriter bits(out);
        for (long long block = 0; block < blocks; ++block) {
            bits.put(0, kDcCodeLength);
        }
        bits.finish();
    }

    for (int scan = 1; scan < scans; ++scan) {
        const int coefficient = 1 + (scan - 1) % kLastAcCoefficient;
        putSegment(out, kJpegStartOfScan, scanHeader(coefficient, coefficient));
        BitWriter bits(out);
        for (long long left = blocks; left > 0;) {
            const int run = static_cast<int>(left < kMaxEobRun ? left : kMaxEobRun);
            const int r = highestBit(run);
            bits.put(static_cast<std::uint32_t>(r), kEobCodeBits);
            bits.put(static_cast<std::uint32_t>(run - (1 << r)), r);
            left -= run;
        }
        bits.finish();
    }

    putByte(out, kJpegMarkerPrefix);
    putByte(out, kJpegEndOfImage);
    return out;
}

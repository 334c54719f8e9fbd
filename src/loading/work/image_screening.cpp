// Walks the structures stb_image 2.27 trusts, byte for byte as it reads them,
// to refuse files on which it would write past its tables, work far beyond
// their size, or never finish.
//
// JPEG Huffman table definitions: it writes as many code values as the 16
// counts add up to into 256-entry arrays. JPEG scans: each decodes every
// block of the image, however few bytes it holds. The LZW codes of a GIF's
// first picture: each writes out its whole string, even past the end. The
// run-length rows of a Radiance HDR image: past the end of the data it reads
// runs of no pixels, forever.
#include "loading/work/image_screening.h"

#include "loading/work/image_limits.h"
#include "loading/work/jpeg_format.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

constexpr int kMaxCodes = 256;
constexpr long kLengthFieldBytes = kJpegLengthFieldBytes;
constexpr long kTableHeaderBytes = 1 + kJpegCodeLengths;  // class and slot, then counts
// From a scan marker's second byte: the length field, then the component count.
constexpr std::size_t kScanComponentCountOffset = 1 + kLengthFieldBytes;
constexpr int kMaxScanComponents = 4;
constexpr int kBlockSide = 8;
// A component's blocks are padded to whole MCUs, at most 4 blocks a side.
constexpr long long kMaxMcuPaddingBlocks = 4;

// Bytes as the decoder reads them: past the end of the data it reads zeros.
class ByteReader {
public:
    ByteReader(const unsigned char* bytes, std::size_t size, std::size_t at)
        : bytes_(bytes), size_(size), at_(at)
    {
    }

    unsigned int next()
    {
        const unsigned int value = at_ < size_ ? bytes_[at_] : 0u;
        ++at_;
        return value;
    }
    unsigned int nextBigEndian16()
    {
        const unsigned int high = next();
        return high << 8 | next();
    }
    unsigned long nextBigEndian32()
    {
        const unsigned long high = nextBigEndian16();
        return high << 16 | nextBigEndian16();
    }
    unsigned int nextLittleEndian16()
    {
        const unsigned int low = next();
        return low | next() << 8;
    }
    void skip(std::size_t count) { at_ += count; }
    bool atEnd() const { return at_ >= size_; }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t at_;
};

// What the decoder takes for a JPEG: a start-of-image marker first, which
// like every marker may be preceded by any number of FF fill bytes. Gives
// where the bytes after it start, or 0 for no JPEG.
std::size_t jpegBodyStart(const unsigned char* bytes, std::size_t size)
{
    if (size == 0 || bytes[0] != kJpegMarkerPrefix) {
        return 0;
    }
    std::size_t at = 1;
    while (at < size && bytes[at] == kJpegMarkerPrefix) {
        ++at;
    }
    return at < size && bytes[at] == kJpegStartOfImage ? at + 1 : 0;
}

bool isMarker(const unsigned char* bytes, std::size_t size, std::size_t at, unsigned char marker)
{
    return at + 1 < size && bytes[at] == kJpegMarkerPrefix && bytes[at + 1] == marker;
}

// One table-definition segment, starting at its length field: tables follow
// each other while the declared length lasts, each a class-and-slot byte, 16
// code counts and as many code values as the counts add up to.
bool huffmanTablesFit(ByteReader reader)
{
    long remaining = static_cast<long>(reader.nextBigEndian16()) - kLengthFieldBytes;
    while (remaining > 0) {
        reader.next();
        int codes = 0;
        for (int i = 0; i < kJpegCodeLengths; ++i) {
            codes += static_cast<int>(reader.next());
        }
        if (codes > kMaxCodes) {
            return false;
        }
        reader.skip(static_cast<std::size_t>(codes));
        remaining -= kTableHeaderBytes + codes;
    }
    return true;
}

// Where the frame header the decoder reads starts (its marker's FF): the
// segments after the start of image, each skipped by its length, up to the
// first frame header. 0 when none is found. Only for the words of a refusal,
// so a file the decoder would refuse on the way may give either answer.
std::size_t jpegFrameHeader(const unsigned char* bytes, std::size_t size, std::size_t at)
{
    while (at + 1 < size) {
        if (bytes[at] != kJpegMarkerPrefix) {
            ++at;
            continue;
        }
        while (at + 1 < size && bytes[at + 1] == kJpegMarkerPrefix) {
            ++at;
        }
        const unsigned char marker = at + 1 < size ? bytes[at + 1] : 0;
        if (marker == kJpegBaselineFrame || marker == kJpegExtendedFrame || marker == kJpegProgressiveFrame) {
            return at;
        }
        ByteReader reader(bytes, size, at + 2);
        const std::size_t length = reader.nextBigEndian16();
        if (length < kLengthFieldBytes) {
            return 0;
        }
        at += 2 + length;
    }
    return 0;
}

bool progressiveFrame(const unsigned char* bytes, std::size_t size, std::size_t at)
{
    const std::size_t frame = jpegFrameHeader(bytes, size, at);
    return frame != 0 && bytes[frame + 1] == kJpegProgressiveFrame;
}

// The blocks a scan decodes of one component of a `width` x `height` image,
// or more: the side in blocks, padded to whole MCUs.
constexpr long long componentBlocks(int width, int height)
{
    const auto across = [](int pixels) {
        return (static_cast<long long>(pixels) + kBlockSide - 1) / kBlockSide + kMaxMcuPaddingBlocks;
    };
    return across(width) * across(height);
}

constexpr long long kMaxJpegBlockDecodes =
    kJpegAllowanceScans * componentBlocks(kJpegAllowanceSide, kJpegAllowanceSide);

std::string jpegWorkFailure(const unsigned char* bytes, std::size_t size, std::size_t bodyStart,
                            int width, int height)
{
    // Every scan the decoder reads starts with FF DA, fill bytes or not, and
    // inside coded data an FF is always followed by 00 or a marker; so
    // counting every FF DA pair counts every scan, and at worst a few pairs
    // that sit in other segments' data.
    const long long blocksPerComponent = componentBlocks(width, height);
    long long scans = 0;
    long long blockDecodes = 0;
    for (std::size_t at = bodyStart; at + 1 < size; ++at) {
        if (!isMarker(bytes, size, at, kJpegStartOfScan)) {
            continue;
        }
        ++scans;
        const unsigned int components = ByteReader(bytes, size, at + 1 + kScanComponentCountOffset).next();
        // The decoder refuses a scan of any other count before decoding it.
        if (components >= 1 && components <= kMaxScanComponents) {
            blockDecodes += components * blocksPerComponent;
        }
    }
    if (blockDecodes <= kMaxJpegBlockDecodes) {
        return std::string();
    }
    const std::string kind = progressiveFrame(bytes, size, bodyStart) ? "a progressive JPEG" : "a JPEG";
    return kind + " of " + std::to_string(scans) + " scans over " + std::to_string(width) + " x " +
           std::to_string(height) + " px, more decoding work than " + std::to_string(kJpegAllowanceScans) +
           " scans over " + std::to_string(kJpegAllowanceSide) + " x " + std::to_string(kJpegAllowanceSide) +
           " px, the most this viewer does";
}

// GIF, as stb_image reads the first picture of one.
constexpr char kGifSignature[] = "GIF8";
constexpr std::size_t kGifSignatureBytes = 4;
constexpr unsigned char kGifVersion87 = '7';
constexpr unsigned char kGifVersion89 = '9';
constexpr unsigned char kGifVersionEnd = 'a';
constexpr std::size_t kGifScreenSizeBytes = 4;
constexpr std::size_t kGifBackgroundAndRatioBytes = 2;
constexpr std::size_t kGifPictureOriginAndSizeBytes = 8;
constexpr unsigned int kGifHasColourTable = 0x80;
constexpr unsigned int kGifColourTableSizeBits = 0x07;
constexpr std::size_t kGifColourBytes = 3;
constexpr unsigned int kGifPicture = 0x2C;
constexpr unsigned int kGifExtension = 0x21;
constexpr unsigned int kGifGraphicControl = 0xF9;
constexpr unsigned int kGifGraphicControlBytes = 4;
constexpr unsigned int kMaxLzwMinimumCodeSize = 12;
// Codes widen by a bit when the table reaches a power of two, up to 12 bits.
constexpr int kLastCodeThatWidensCodes = 0x0FFF;
constexpr int kLzwTableSize = 8192;

bool isGif(const unsigned char* bytes, std::size_t size)
{
    if (size < kGifSignatureBytes + 2) {
        return false;
    }
    for (std::size_t i = 0; i < kGifSignatureBytes; ++i) {
        if (bytes[i] != static_cast<unsigned char>(kGifSignature[i])) {
            return false;
        }
    }
    const unsigned char version = bytes[kGifSignatureBytes];
    return (version == kGifVersion87 || version == kGifVersion89) &&
           bytes[kGifSignatureBytes + 1] == kGifVersionEnd;
}

std::size_t gifColourTableBytes(unsigned int flags)
{
    return kGifColourBytes * (std::size_t{2} << (flags & kGifColourTableSizeBits));
}

// The pixels the picture's LZW codes stand for, as the decoder follows them:
// each code it adds to its table stands for the previous code's string and
// one pixel more, every string is written out whole, and reading stops where
// the decoder stops. Counting stops once past `limit`.
long long lzwStringPixels(ByteReader& in, long long limit)
{
    const unsigned int minimumCodeSize = in.next();
    if (minimumCodeSize > kMaxLzwMinimumCodeSize) {
        return 0;
    }
    const int clear = 1 << minimumCodeSize;
    const int endOfData = clear + 1;
    std::array<int, kLzwTableSize> length{};
    for (int code = 0; code < clear; ++code) {
        length[static_cast<std::size_t>(code)] = 1;
    }
    int codeSize = static_cast<int>(minimumCodeSize) + 1;
    int available = clear + 2;
    int previous = -1;
    bool clearSeen = false;
    unsigned long bits = 0;
    int bitCount = 0;
    unsigned int blockLeft = 0;
    long long total = 0;
    for (;;) {
        if (bitCount < codeSize) {
            if (blockLeft == 0) {
                blockLeft = in.next();
                if (blockLeft == 0) {
                    return total;
                }
            }
            --blockLeft;
            bits |= static_cast<unsigned long>(in.next()) << bitCount;
            bitCount += 8;
            continue;
        }
        const int code = static_cast<int>(bits & ((1ul << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = static_cast<int>(minimumCodeSize) + 1;
            available = clear + 2;
            previous = -1;
            clearSeen = true;
            continue;
        }
        if (code == endOfData || code > available || !clearSeen) {
            return total;
        }
        if (previous >= 0) {
            const int added = available++;
            if (available > kLzwTableSize) {
                return total;
            }
            length[static_cast<std::size_t>(added)] = length[static_cast<std::size_t>(previous)] + 1;
        } else if (code == available) {
            return total;
        }
        total += length[static_cast<std::size_t>(code)];
        if (total > limit) {
            return total;
        }
        if ((available & ((1 << codeSize) - 1)) == 0 && available <= kLastCodeThatWidensCodes) {
            ++codeSize;
        }
        previous = code;
    }
}

// The pixels the codes of the first picture stand for: the decoder reads the
// screen descriptor and colour table, then extensions, up to the first
// picture.
long long gifFirstPictureStringPixels(const unsigned char* bytes, std::size_t size, long long limit)
{
    ByteReader in(bytes, size, kGifSignatureBytes + 2 + kGifScreenSizeBytes);
    const unsigned int screenFlags = in.next();
    in.skip(kGifBackgroundAndRatioBytes);
    if (screenFlags & kGifHasColourTable) {
        in.skip(gifColourTableBytes(screenFlags));
    }
    // Each pass reads at least one byte, and past the end reads a zero,
    // which is no block the decoder knows.
    for (;;) {
        const unsigned int tag = in.next();
        if (tag == kGifPicture) {
            in.skip(kGifPictureOriginAndSizeBytes);
            const unsigned int pictureFlags = in.next();
            if (pictureFlags & kGifHasColourTable) {
                in.skip(gifColourTableBytes(pictureFlags));
            } else if (!(screenFlags & kGifHasColourTable)) {
                return 0;
            }
            return lzwStringPixels(in, limit);
        }
        if (tag != kGifExtension) {
            return 0;
        }
        if (in.next() == kGifGraphicControl) {
            const unsigned int length = in.next();
            in.skip(length);
            // The decoder reads a graphic control block of another length
            // without the sub-blocks that follow it.
            if (length != kGifGraphicControlBytes) {
                continue;
            }
        }
        for (unsigned int length = in.next(); length != 0; length = in.next()) {
            in.skip(length);
        }
    }
}

std::string gifWorkFailure(const unsigned char* bytes, std::size_t size, int width, int height)
{
    const long long pixels = static_cast<long long>(width) * height;
    const long long limit = kMaxGifStringPixelsPerPixel * pixels + kGifStringPixelAllowance;
    if (gifFirstPictureStringPixels(bytes, size, limit) <= limit) {
        return std::string();
    }
    return "a GIF whose LZW codes stand for more than " + std::to_string(limit) + " px for a " +
           std::to_string(width) + " x " + std::to_string(height) + " px picture";
}

// Radiance HDR, as stb_image reads one.
constexpr const char* kHdrSignatures[] = {"#?RADIANCE\n", "#?RGBE\n"};
// Header lines are read into a buffer of this many bytes and a terminator;
// the rest of a longer line is skipped.
constexpr std::size_t kHdrLineBytes = 1023;
// Rows of a width in this range may be run-length coded.
constexpr int kHdrMinRunLengthWidth = 8;
constexpr int kHdrMaxRunLengthWidth = 32767;
constexpr unsigned int kHdrRunLengthMark = 2;
constexpr unsigned int kHdrFlatPixelBit = 0x80;
constexpr int kHdrChannels = 4;  // red, green, blue and a shared exponent
constexpr unsigned int kHdrRunBit = 128;

bool isRadianceHdr(const unsigned char* bytes, std::size_t size)
{
    for (const char* signature : kHdrSignatures) {
        const std::string expected(signature);
        if (size >= expected.size() && std::equal(expected.begin(), expected.end(), bytes)) {
            return true;
        }
    }
    return false;
}

// Reads one header line as the decoder does, and says whether the decoder
// takes it for empty: it ends at a newline or where the data ends (whose
// last byte it drops), and an empty line is one whose first byte is 0 too.
bool hdrLineIsEmpty(ByteReader& in)
{
    std::size_t length = 0;
    unsigned int first = 0;
    unsigned int c = in.next();
    while (!in.atEnd() && c != '\n') {
        if (length++ == 0) {
            first = c;
        }
        if (length == kHdrLineBytes) {
            while (!in.atEnd() && in.next() != '\n') {
            }
            break;
        }
        c = in.next();
    }
    return length == 0 || first == 0;
}

// The decoder reads each channel of a run-length row as counts until the row
// is full; past the end of the data a count reads as 0, a run of no pixels,
// so a row cut short there is never full.
std::string hdrWorkFailure(const unsigned char* bytes, std::size_t size, int width, int height)
{
    ByteReader in(bytes, size, 0);
    hdrLineIsEmpty(in);  // the signature
    while (!hdrLineIsEmpty(in)) {
    }
    hdrLineIsEmpty(in);  // the size
    if (width < kHdrMinRunLengthWidth || width > kHdrMaxRunLengthWidth) {
        return std::string();
    }
    for (int row = 0; row < height; ++row) {
        const unsigned int mark = in.next();
        const unsigned int secondMark = in.next();
        const unsigned int high = in.next();
        // A row that is not run-length coded sends the decoder to reading
        // flat pixels, as many as the image has, and no more.
        if (mark != kHdrRunLengthMark || secondMark != kHdrRunLengthMark || (high & kHdrFlatPixelBit)) {
            return std::string();
        }
        if (static_cast<int>(high << 8 | in.next()) != width) {
            return std::string();
        }
        for (int channel = 0; channel < kHdrChannels; ++channel) {
            for (int filled = 0; filled < width;) {
                if (in.atEnd()) {
                    return "a Radiance HDR image cut short inside run-length row " + std::to_string(row) +
                           ", which the decoder would never finish";
                }
                unsigned int count = in.next();
                if (count > kHdrRunBit) {
                    count -= kHdrRunBit;
                    in.next();
                } else {
                    in.skip(count);
                }
                // The decoder refuses a count beyond the row.
                if (static_cast<int>(count) > width - filled) {
                    return std::string();
                }
                filled += static_cast<int>(count);
            }
        }
    }
    return std::string();
}

// PNG: the signature, then the header chunk's length and type, then its
// width and height as big-endian 32-bit numbers.
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr char kPngHeaderChunk[] = "IHDR";
constexpr std::size_t kPngChunkLengthBytes = 4;
constexpr std::size_t kPngChunkTypeBytes = 4;

std::optional<DeclaredImageSize> pngSize(const unsigned char* bytes, std::size_t size)
{
    const std::size_t typeAt = sizeof(kPngSignature) + kPngChunkLengthBytes;
    const std::size_t sizeAt = typeAt + kPngChunkTypeBytes;
    if (size < sizeAt || !std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes) ||
        !std::equal(kPngHeaderChunk, kPngHeaderChunk + kPngChunkTypeBytes, bytes + typeAt)) {
        return std::nullopt;
    }
    ByteReader in(bytes, size, sizeAt);
    const long long width = static_cast<long long>(in.nextBigEndian32());
    return DeclaredImageSize{width, static_cast<long long>(in.nextBigEndian32())};
}

// The frame header: marker, length, sample precision, then height and width.
constexpr std::size_t kJpegFrameSizeOffset = 2 + kLengthFieldBytes + 1;

}  // namespace

std::optional<DeclaredImageSize> declaredImageSize(const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr) {
        return std::nullopt;
    }
    if (isGif(bytes, size)) {
        ByteReader in(bytes, size, kGifSignatureBytes + 2);
        const long long width = in.nextLittleEndian16();
        return DeclaredImageSize{width, in.nextLittleEndian16()};
    }
    if (const std::size_t bodyStart = jpegBodyStart(bytes, size); bodyStart != 0) {
        const std::size_t frame = jpegFrameHeader(bytes, size, bodyStart);
        if (frame == 0) {
            return std::nullopt;
        }
        ByteReader in(bytes, size, frame + kJpegFrameSizeOffset);
        const long long height = in.nextBigEndian16();
        return DeclaredImageSize{in.nextBigEndian16(), height};
    }
    return pngSize(bytes, size);
}

std::string imageStructureFailure(const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr || jpegBodyStart(bytes, size) == 0) {
        return std::string();
    }
    // Every FF C4 pair is read as a table definition, wherever it stands.
    // The decoder only ever acts on such a pair, so none it could act on is
    // missed; one that merely sits inside other data and happens to read as
    // an oversized table costs that one image.
    for (std::size_t at = 0; at + 1 < size; ++at) {
        if (isMarker(bytes, size, at, kJpegHuffmanTable) &&
            !huffmanTablesFit(ByteReader(bytes, size, at + 2))) {
            return "a JPEG with a Huffman table of more codes than the " + std::to_string(kMaxCodes) +
                   " a table holds";
        }
    }
    return std::string();
}

std::string decodingWorkFailure(const unsigned char* bytes, std::size_t size, int width, int height)
{
    if (bytes == nullptr) {
        return std::string();
    }
    if (const std::size_t bodyStart = jpegBodyStart(bytes, size); bodyStart != 0) {
        return jpegWorkFailure(bytes, size, bodyStart, width, height);
    }
    if (isGif(bytes, size)) {
        return gifWorkFailure(bytes, size, width, height);
    }
    if (isRadianceHdr(bytes, size)) {
        return hdrWorkFailure(bytes, size, width, height);
    }
    return std::string();
}

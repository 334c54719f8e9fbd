// stb_image 2.27 builds each JPEG Huffman table from 16 code counts without
// checking that they add up to at most 256, then writes that many code
// lengths and values into 256-entry arrays: up to 4080 bytes past them.
// The check here reads every table definition the way the decoder does.
#include "model/image_screening.h"

namespace {

constexpr unsigned char kMarkerPrefix = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kDefineHuffmanTables = 0xC4;
constexpr int kCodeLengths = 16;
constexpr int kMaxCodes = 256;
constexpr long kLengthFieldBytes = 2;
constexpr long kTableHeaderBytes = 1 + kCodeLengths;  // class and slot, then counts

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
    void skip(std::size_t count) { at_ += count; }

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
    if (size == 0 || bytes[0] != kMarkerPrefix) {
        return 0;
    }
    std::size_t at = 1;
    while (at < size && bytes[at] == kMarkerPrefix) {
        ++at;
    }
    return at < size && bytes[at] == kStartOfImage ? at + 1 : 0;
}

bool isMarker(const unsigned char* bytes, std::size_t size, std::size_t at, unsigned char marker)
{
    return at + 1 < size && bytes[at] == kMarkerPrefix && bytes[at + 1] == marker;
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
        for (int i = 0; i < kCodeLengths; ++i) {
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

}  // namespace

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
        if (isMarker(bytes, size, at, kDefineHuffmanTables) &&
            !huffmanTablesFit(ByteReader(bytes, size, at + 2))) {
            return "a JPEG with a Huffman table of more codes than the " + std::to_string(kMaxCodes) +
                   " a table holds";
        }
    }
    return std::string();
}

// Hostile image files through the decode that texture loading uses: in the
// loading worker, from a file, as the viewer decodes them. The worker
// answers every one (a crash or a limit there would lose the reason), and
// whatever cannot be used decodes to no pixels and a reason, which the
// upload turns into the placeholder texture.
#include "heavy_inputs/progressive_jpeg.h"
#include "hardening/hostile_image_bytes.h"
#include "worker/loading_worker.h"
#include "model/texture_loader.h"
#include "support/captured_output.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/worker_program.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using hardening::bmp;
using hardening::bmpPixelBytes;
using hardening::gifOfGrowingStrings;
using hardening::runLengthHdr;

constexpr int kRgbChannels = 3;
constexpr int kJpegQuality = 90;
// Far less than decoding any refused image would take, and far more than
// refusing one does: a refusal that came after the decoder allocated, or
// after the file was read whole, fails the request on this limit instead.
constexpr LoadLimits kRefusalLimits{kImageLimits.cpuSeconds, 32 * kMebibyte, kImageLimits.wallSeconds};

class HostileImages : public testing::Test {
protected:
    // Decodes `bytes` written to a file.
    DecodedImage decode(const std::string& bytes, const LoadLimits& limits = kImageLimits)
    {
        dir.write("image", bytes);
        return decodeFile(dir.file("image"), limits);
    }

    DecodedImage decodeFile(const std::string& path, const LoadLimits& limits = kImageLimits)
    {
        LoadReply reply = worker.run({LoadKind::Image, path, limits});
        EXPECT_EQ(reply.failure, "") << path;
        EXPECT_EQ(reply.image.failure.empty(), reply.image.pixels != nullptr) << reply.image.failure;
        return std::move(reply.image);
    }

    std::string encoded(const char* format, int width, int height)
    {
        const std::vector<unsigned char> pixels(
            static_cast<std::size_t>(width * height * kRgbChannels), 128);
        const std::string path = dir.file(std::string("encoded.") + format);
        if (std::string(format) == "png") {
            stbi_write_png(path.c_str(), width, height, kRgbChannels, pixels.data(),
                           width * kRgbChannels);
        } else {
            stbi_write_jpg(path.c_str(), width, height, kRgbChannels, pixels.data(),
                           kJpegQuality);
        }
        return readFile(path);
    }

    TempDir dir;
    LoadingWorker worker{kWorkerProgram};
};

TEST_F(HostileImages, EmptyTruncatedAndUnknownFilesDecodeToNothing)
{
    const std::string png = encoded("png", 8, 8);
    const std::string jpeg = encoded("jpg", 8, 8);
    ASSERT_TRUE(decode(png).pixels);
    ASSERT_TRUE(decode(jpeg).pixels);

    EXPECT_EQ(decode("").failure, "an empty file");
    EXPECT_FALSE(decode("GIF89a").pixels);
    EXPECT_EQ(decode("plain text, not an image").failure,
              "not an image stb_image can decode (unknown image type)");
    for (std::size_t length : {png.size() / 4, png.size() / 2, png.size() - 12}) {
        EXPECT_FALSE(decode(png.substr(0, length)).pixels) << "PNG cut to " << length;
    }
    for (std::size_t length : {jpeg.size() / 4, jpeg.size() / 2}) {
        EXPECT_FALSE(decode(jpeg.substr(0, length)).pixels) << "JPEG cut to " << length;
    }
}

TEST_F(HostileImages, DirectoryOrMissingFileDecodesToNothing)
{
    std::filesystem::create_directory(dir.file("folder.png"));
    EXPECT_EQ(decodeFile(dir.file("folder.png")).failure, "not a regular file");
    EXPECT_EQ(decodeFile(dir.file("absent.png")).failure, "no such file");
    EXPECT_EQ(decodeFile(dir.file("absent.png/below.png")).failure, "no such file");
    EXPECT_EQ(decodeFile(dir.path + "/").failure, "not a regular file");
}

// The size is refused from what the file system says, before any byte is
// read: reading it would pass the request's memory limit.
TEST_F(HostileImages, FileLargerThanAnyAcceptedImageIsRefusedUnread)
{
    dir.write("sparse.png", "");
    std::filesystem::resize_file(dir.file("sparse.png"), kMaxImageFileBytes + 1);
    EXPECT_EQ(decodeFile(dir.file("sparse.png"), kRefusalLimits).failure,
              "a file of " + std::to_string(kMaxImageFileBytes + 1) + " bytes, more than the " +
                  std::to_string(kMaxImageFileBytes) + " this viewer reads");
}

// The decoder itself returns a block of no pixels for a 0 x 0 BMP; uploading
// that would give an empty texture rather than the placeholder.
TEST_F(HostileImages, ImagesDeclaringNoPixelsDecodeToNothing)
{
    EXPECT_EQ(decode(bmp(0, 0, 0)).failure, "0 x 0 px, no pixels at all");
    EXPECT_FALSE(decode(bmp(0, 5, 16)).pixels);
    EXPECT_FALSE(decode(bmp(5, 0, 16)).pixels);
}

// A 70-byte BMP that declares 20000 x 20000 pixels would otherwise decode
// into 1.2 GB of zeros (PSD and PNM headers likewise); 16384 x 4097 has
// sides within the limit and more pixels than it. Each is refused within a
// memory limit far below what its pixels would take.
TEST_F(HostileImages, HugeDeclaredSizesAreRefusedBeforeAnyPixelIsAllocated)
{
    constexpr int kHuge = 20000;
    std::string psd = "8BPS";
    psd += std::string("\0\1\0\0\0\0\0\0\0\3", 10);  // version 1, 3 channels
    psd += std::string("\0\0\x4e\x20\0\0\x4e\x20", 8);  // 20000 rows, 20000 columns
    psd += std::string("\0\x08\0\x03", 4);  // 8 bits, RGB
    psd += std::string(14, '\0');
    const std::string pnm = "P6\n20000 20000\n255\n" + std::string(16, '\0');
    // Headers whose size the decoder itself refuses, saying only that no
    // format took the file: a GIF's screen, a PNG's header chunk, a JPEG's frame.
    const std::string gif = std::string("GIF89a\x20\x4e\x20\x4e", 10) + std::string(16, '\0');
    const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x4e\x20\0\0\x4e\x20\x08\x02", 26) +
                            std::string(16, '\0');
    const std::string jpeg = std::string("\xff\xd8\xff\xc0\0\x11\x08\x4e\x20\x4e\x20\x03", 12) + std::string(16, '\0');

    EXPECT_EQ(decode(bmp(kHuge, kHuge, 16), kRefusalLimits).failure,
              "20000 x 20000 px, more than the 16384 px on a side this viewer accepts");
    EXPECT_FALSE(decode(bmp(kHuge, -kHuge, 16), kRefusalLimits).pixels) << "top-down rows";
    EXPECT_FALSE(decode(psd, kRefusalLimits).pixels);
    EXPECT_FALSE(decode(pnm, kRefusalLimits).pixels);
    for (const std::string& header : {gif, png, jpeg}) {
        EXPECT_EQ(decode(header, kRefusalLimits).failure,
                  "20000 x 20000 px, more than the 16384 px on a side this viewer accepts");
    }
    EXPECT_EQ(decode(bmp(kMaxImageSide, -(kMaxImageSide / 4 + 1), 16), kRefusalLimits).failure,
              "16384 x 4097 px, 257 MiB as RGBA, more than the 256 MiB this viewer decodes");
}

TEST_F(HostileImages, SideLimitLetsTheLargestAllowedImageThroughWhole)
{
    const DecodedImage widest = decode(bmp(kMaxImageSide, 1, bmpPixelBytes(kMaxImageSide, 1)));
    EXPECT_TRUE(widest.pixels);
    EXPECT_EQ(widest.width, kMaxImageSide);
    EXPECT_EQ(widest.height, 1);

    const int beyond = kMaxImageSide + 1;
    EXPECT_FALSE(decode(bmp(beyond, 1, bmpPixelBytes(beyond, 1))).pixels);
    EXPECT_FALSE(decode(bmp(1, beyond, bmpPixelBytes(1, beyond))).pixels);
    // Every 8K texture, whatever its channels.
    EXPECT_EQ(imageSizeFailure(8192, 8192), "");
}

// The rows of a BMP with a negative height are stored top first; bottom first
// otherwise. Rows here are one pixel and a word of padding.
TEST_F(HostileImages, TopDownBmpDecodesTheRightWayUp)
{
    const std::string stored = std::string("\x01\x02\x03\0", 4) + std::string("\x04\x05\x06\0", 4);
    for (const int height : {2, -2}) {
        const DecodedImage image = decode(bmp(1, height, stored));
        ASSERT_TRUE(image.pixels) << image.failure;
        EXPECT_EQ(image.height, 2);
        // BMP stores blue first.
        const std::vector<unsigned char> topFirst(image.pixels.get(), image.pixels.get() + 6);
        const std::vector<unsigned char> firstStoredOnTop = {3, 2, 1, 6, 5, 4};
        const std::vector<unsigned char> lastStoredOnTop = {6, 5, 4, 3, 2, 1};
        EXPECT_EQ(topFirst, height < 0 ? firstStoredOnTop : lastStoredOnTop);
    }
}

// A JPEG decodes every block of the image once per scan, and a scan can be a
// dozen bytes: 40,000 of them over 1024 x 1024 px took 7 s to decode.
TEST_F(HostileImages, JpegOfMoreScansThanItsSizeWarrantsIsRefusedBeforeDecoding)
{
    const DecodedImage tenScans = decode(progressiveJpeg(40, 24, 10));
    EXPECT_TRUE(tenScans.pixels) << tenScans.failure;
    EXPECT_EQ(tenScans.width, 40);
    EXPECT_EQ(tenScans.height, 24);

    // The reason is the screening's, which runs before the decoder.
    EXPECT_EQ(decode(progressiveJpeg(1024, 1024, 40000)).failure,
              "a progressive JPEG of 40000 scans over 1024 x 1024 px, more decoding work than 32 scans "
              "over 8192 x 8192 px, the most this viewer does");
}

// Each LZW code of a GIF stands for a string the decoder writes out whole,
// past the end of the picture too: 25 KB of codes stood for 50 million
// pixels of a 1 x 1 picture.
TEST_F(HostileImages, GifWhoseCodesStandForFarMorePixelsThanItHasIsRefused)
{
    const DecodedImage growing = decode(gifOfGrowingStrings(2));
    EXPECT_EQ(growing.failure, "a GIF whose LZW codes stand for more than 65538 px for a 1 x 1 px picture");
}

// The decoder reads a run-length row's counts until the row is full, and
// past the end of the data a count reads as a run of no pixels: a 100-byte
// file cut short there kept it busy for good.
TEST_F(HostileImages, RadianceHdrCutShortInsideARunLengthRowIsRefused)
{
    const std::string whole = runLengthHdr(16, 2);
    EXPECT_TRUE(decode(whole).pixels);
    EXPECT_EQ(decode(whole.substr(0, whole.size() - 2)).failure,
              "a Radiance HDR image cut short inside run-length row 1, which the decoder would never finish");
}

// A texture's report is one line, whatever bytes its path holds.
TEST(TextureFailureReport, IsOneLineWithControlCharactersShownAsCodes)
{
    EXPECT_EQ(captureStdout([] { reportTextureFailure("a\nb\x1b.png", "no such file"); }),
              "ERROR::TEXTURE:: a\\x0Ab\\x1B.png: no such file\n");
}

// The decoder's own conversion to RGB takes the 16-bit samples of a PNM file
// for 8-bit ones and then reads twice the buffer it made for them: grey came
// out as unequal channels, read from past the end of the pixels. The image
// fuzzer found it with the second input, whose pixel data is cut short.
TEST_F(HostileImages, SixteenBitGreyPnmDecodesToGreyInAllThreeChannels)
{
    const std::string wholePgm =
        "P5\n2 2\n65535\n" + std::string("\x00\x00\x80\x00\xff\x00\x12\x34", 8);
    const std::string fuzzerFound = "P52\n41\n4106\xff";
    for (const std::string& bytes : {wholePgm, fuzzerFound}) {
        const DecodedImage image = decode(bytes);
        ASSERT_TRUE(image.pixels);
        const unsigned char* texel = image.pixels.get();
        for (int i = 0; i < image.width * image.height; ++i, texel += kRgbChannels) {
            ASSERT_EQ(texel[0], texel[1]) << "pixel " << i;
            ASSERT_EQ(texel[1], texel[2]) << "pixel " << i;
        }
    }
}

// stb_image 2.27 adds up a JPEG Huffman table's 16 code counts without
// checking them against the 256 entries it has room for.
TEST_F(HostileImages, JpegWithMoreHuffmanCodesThanATableHoldsIsRefused)
{
    std::string jpeg = encoded("jpg", 8, 8);
    ASSERT_TRUE(decode(jpeg).pixels);
    const std::size_t table = jpeg.find("\xff\xc4");
    ASSERT_NE(table, std::string::npos);
    constexpr std::size_t kFirstCount = 5;  // after the marker, length and class
    jpeg[table + kFirstCount + 14] = static_cast<char>(200);
    jpeg[table + kFirstCount + 15] = static_cast<char>(200);

    EXPECT_EQ(decode(jpeg).failure, "a JPEG with a Huffman table of more codes than the 256 a table holds");
}

// Found by the image fuzzer: two JPEGs whose Huffman tables overflow (the
// second hides its start behind fill bytes), a PNG whose data chunk claims a
// gigabyte, which the decoder used to allocate before finding the bytes
// missing, and a JPEG whose scan uses a Huffman table defined only after it,
// which the decoder read from memory nothing had set.
TEST_F(HostileImages, FuzzerFindingsDecodeToNothing)
{
    const std::filesystem::path inputs =
        std::filesystem::path(VORLUNE_SOURCE_DIR) / "tests" / "hardening" / "inputs";
    for (const char* name : {"jpeg_huffman_table_overflow.jpg",
                             "jpeg_huffman_table_overflow_after_fill_bytes.jpg",
                             "png_chunk_claims_a_gigabyte.png", "jpeg_scan_with_undefined_huffman_table.jpg"}) {
        const std::string bytes = readFile(inputs / name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_FALSE(decode(bytes).pixels) << name;
    }
}

}  // namespace

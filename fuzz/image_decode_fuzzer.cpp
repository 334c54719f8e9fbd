// Fuzzes image decoding as texture loading runs it: any bytes, written to a
// file and decoded to 8-bit RGB by the loading worker. A decoder that
// crashes or passes a limit there costs one texture, so that is an outcome,
// not a finding. A finding is a reply the upload or the failure report
// could not rely on, besides any sanitizer report in this process.
//
// The upload needs a sensible size and a full block of 3 bytes a pixel,
// every one of which is read here; the report needs a reason exactly when
// there are no pixels.
#include "common/system_path.h"
#include "loading/work/image_limits.h"
#include "worker/loading_worker.h"
#include "worker_coverage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::size_t kRgbChannels = 3;
// An image the limits accept costs time in proportion to its pixels, mostly
// spent filling pixels the parsers never look at: mutated sizes made the run
// ten times slower. This memory limit stops a decode of more than a few
// million pixels at its first allocation, so the run explores the parsers;
// sizes beyond the image limits are still refused before decoding.
constexpr LoadLimits kFuzzLimits{2.0, 16 * kMebibyte, 10.0};

FuzzSession& session()
{
    static FuzzSession instance("vorlune-image-fuzz-");
    return instance;
}

void fail(const char* why, int width, int height)
{
    std::fprintf(stderr, "decoded image unsafe to upload: %s (%d x %d)\n", why, width, height);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSession& s = session();
    const std::string path = s.folder + "/image";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    s.coverage.clear();
    const LoadReply reply = s.worker.run({LoadKind::Image, path, kFuzzLimits});
    s.coverage.collect();
    const DecodedImage& image = reply.image;
    if (!image.pixels) {
        if (image.failure.empty() && reply.failure.empty()) {
            fail("no pixels and no reason", image.width, image.height);
        }
        return 0;
    }
    if (!image.failure.empty() || !reply.failure.empty()) {
        fail("pixels and a reason for having none", image.width, image.height);
    }
    if (image.width <= 0 || image.height <= 0) {
        fail("no pixels in a decoded image", image.width, image.height);
    }
    if (image.width > kMaxImageSide || image.height > kMaxImageSide) {
        fail("side beyond the limit", image.width, image.height);
    }
    if (static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) > kMaxImagePixels) {
        fail("more pixels than the limit", image.width, image.height);
    }
    // The upload reads every byte; reading them here makes a pixel block
    // that runs past the reply's memory fault in the fuzzer, not the viewer.
    const std::size_t bytes =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * kRgbChannels;
    volatile unsigned char sink = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        sink = sink ^ image.pixels.get()[i];
    }
    return 0;
}

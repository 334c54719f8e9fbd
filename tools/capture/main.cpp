// Capture: renders the viewer's real frames at chosen clock times on a hidden
// window, or offscreen where there is no display, and writes them as PNG, so
// a frame can be reproduced and looked at on a machine without a display.
#include "capture_options.h"
#include "png_file.h"

#include "app/data_folder.h"
#include "app/viewer.h"
#include "common/frame_size.h"
#include "common/dials.h"
#include "common/pass_view.h"
#include "common/render_toggles.h"
#include "common/system_path.h"
#include "render/shadow_pass.h"

#include <GL/glew.h>

#include <filesystem>
#include <iostream>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
// Enough frames for the pass timer's results to come back and the graph
// to show a line.
constexpr int kOverlayWarmUpFrames = 12;

std::string framePath(const CaptureOptions& options, size_t index)
{
    return utf8FromPath(pathFromUtf8(options.outputDirectory) / pathFromUtf8(frameFileName(options.prefix, index)));
}

// Framebuffer 0's back buffer, the window's or the offscreen pbuffer's, holds
// the finished frame, at the frame's size from its corner at the origin,
// until it is presented. Empty when the file was written, else why not.
std::string writeFrame(const std::string& path)
{
    const FrameSize size = frameSize;
    std::vector<unsigned char> pixels(static_cast<size_t>(size.width) * size.height * kRgbaChannels);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size.width, size.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom-up.
    return writePngFile(path, {.width = size.width, .height = size.height, .pixels = pixels.data(),
                               .rowsBottomUp = true});
}

bool prepareOutputDirectory(const std::string& directory)
{
    std::error_code error;
    std::filesystem::create_directories(pathFromUtf8(directory), error);
    // A folder that cannot be searched may hide one that is there already.
    std::error_code typeError;
    if (!std::filesystem::is_directory(pathFromUtf8(directory), typeError)) {
        const std::error_code& reason = error ? error : typeError;
        std::cerr << "capture: cannot create the output folder " << directory
                  << (reason ? ": " + reason.message() : std::string()) << "\n";
        return false;
    }
    return true;
}

// A relative output folder is one in the folder the capture started in,
// not in the data folder it moves to; that folder may have been removed.
std::optional<std::string> absoluteOutputDirectory(const std::string& directory)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(directory), error);
    if (error) {
        std::cerr << "capture: cannot place the output folder " << directory << ": " << error.message() << "\n";
        return std::nullopt;
    }
    return utf8FromPath(absolute);
}

}  // namespace

int main(int argc, char** argv)
{
    // The output folder may be named in any script, which Windows' argv
    // cannot carry.
    std::vector<std::string> words = utf8Arguments(argc, argv);
    std::vector<char*> wordPointers;
    for (std::string& word : words) {
        wordPointers.push_back(word.data());
    }
    wordPointers.push_back(nullptr);
    CommandLineStop stop;
    std::optional<CaptureOptions> options = parseCaptureOptions(argc, wordPointers.data(), stop);
    if (!options) {
        return reportCommandLineStop("capture", stop, kCaptureUsage);
    }
    const std::optional<std::string> outputDirectory = absoluteOutputDirectory(options->outputDirectory);
    if (!outputDirectory) {
        return kExitFailure;
    }
    options->outputDirectory = *outputDirectory;
    if (!enterDataFolder()) {
        return kExitFailure;
    }
    if (!prepareOutputDirectory(options->outputDirectory)) {
        return kExitFailure;
    }

    applyDialSettings(options->dials);
    if (options->perFaceShadows) {
        shadowPassForm = ShadowPassForm::DrawPerFace;
    }
    std::optional<Viewer> viewer = startViewer(chooseContextKind(options->offscreen), options->size);
    if (!viewer) {
        return kExitFailure;
    }
    if (!loadScene(*viewer)) {
        return kExitFailure;
    }
    overlayShown = options->overlay;
    showPassView(options->view);
    for (size_t i = 0; i < options->times.size(); ++i) {
        // The clock is ours: every run sees exactly the same frame times.
        // The overlay's timings and graph come from frames before the one
        // written: the same frame rendered again (the clock stands still,
        // so the picture does not change).
        for (int warmUp = 0; options->overlay && warmUp < kOverlayWarmUpFrames; ++warmUp) {
            renderScriptedFrame(*viewer, scriptedFrame(*options, i));
            presentFrame(viewer->context);
        }
        renderScriptedFrame(*viewer, scriptedFrame(*options, i));
        const std::string path = framePath(*options, i);
        const std::string failure = writeFrame(path);
        if (!failure.empty()) {
            std::cerr << "capture: cannot write " << path << ": " << failure << "\n";
            closeViewer(*viewer);
            return kExitFailure;
        }
        std::cout << path << "\n";
        presentFrame(viewer->context);
    }
    closeViewer(*viewer);
    return 0;
}

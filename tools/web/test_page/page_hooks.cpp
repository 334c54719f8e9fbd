// What the browser check (tools/web/check.mjs) drives the test page with:
// the capture program's scripted frames, written into the page's file
// system; frames rendered with the switches the keys left; frame and
// per-pass times. Linked into the test page only (tools/web/web.cmake): the
// shipped page exports none of it. The hooks run between animation frames,
// so each renders and reads back within one call, before the browser shows
// anything.
#include "web/page.h"

#include "app/frame_loop.h"
#include "camera/camera_tour.h"
#include "capture/capture_options.h"
#include "capture/png_file.h"
#include "common/frame_size.h"
#include "common/render_toggles.h"
#include "reference/image_difference.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"
#include "render/shader_programs.h"

#include <GL/glew.h>
#include <emscripten.h>
#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The frame just drawn, at the size it was drawn at: the canvas's, which the
// check sets to the reference images' 1280x720 through the page's layout.
std::vector<unsigned char> readFrame()
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(frameSize.width) * frameSize.height * kRgbaChannels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameSize.width, frameSize.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

bool writeFrame(const std::string& path, const std::vector<unsigned char>& pixels)
{
    const std::string failure = writePngFile(
        path, {.width = frameSize.width, .height = frameSize.height, .pixels = pixels.data(), .rowsBottomUp = true});
    if (!failure.empty()) {
        std::cerr << "cannot write " << path << ": " << failure << "\n";
    }
    return failure.empty();
}

// The frame without its alpha, as the reference images are compared (rows
// bottom-up: a share of changed pixels does not mind their order).
RgbImage rgbFrame(const std::vector<unsigned char>& rgba)
{
    RgbImage image{.width = frameSize.width, .height = frameSize.height, .rgb = {}};
    image.rgb.reserve(rgba.size() / kRgbaChannels * kRgbChannels);
    for (std::size_t i = 0; i + kRgbaChannels <= rgba.size(); i += kRgbaChannels) {
        image.rgb.insert(image.rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i),
                         rgba.begin() + static_cast<std::ptrdiff_t>(i + kRgbChannels));
    }
    return image;
}

// Every program the passes draw with, from the library's own list: a
// program added there is counted here without a word changed.
std::vector<const ShaderProgram*> everyProgram(const ShaderPrograms& programs)
{
    std::vector<const ShaderProgram*> every;
    for (ShaderProgram ShaderPrograms::*slot : kEffectProgramSlots) {
        every.push_back(&(programs.*slot));
    }
    for (const ShaderProgram& variant : programs.lightingVariants) {
        every.push_back(&variant);
    }
    return every;
}

ScriptedFrame tourFrame(int index, int count, bool effects)
{
    const RenderToggles toggles{.shadows = effects, .godRays = effects, .bloom = effects};
    return ScriptedFrame{kTourCycleEnd * (index % count + 0.5) / count, toggles, std::nullopt};
}

std::unique_ptr<PassTimer> passTimer;
RgbImage previousLiveFrame;
std::string passTimesText;

}  // namespace

extern "C" {

// 0 while the scene loads, 1 once it draws, 2 when start-up failed, 3 while
// the browser has taken the graphics context away.
EMSCRIPTEN_KEEPALIVE int vorlune_state()
{
    return static_cast<int>(pageState());
}

// When the first frame was drawn, in milliseconds since the page began to
// load; 0 until then.
EMSCRIPTEN_KEEPALIVE double vorlune_first_frame_ms()
{
    return pageFirstFrameMs();
}

EMSCRIPTEN_KEEPALIVE double vorlune_longest_loading_step_ms()
{
    return pageLongestLoadingStepMs();
}

// How long the page took, the last time its graphics context came back, to
// draw again (milliseconds; 0 before the first time).
EMSCRIPTEN_KEEPALIVE double vorlune_last_restore_ms()
{
    return pageLastRestoreMs();
}

// How many times the page has drawn again after its context came back.
EMSCRIPTEN_KEEPALIVE int vorlune_restores()
{
    return pageRestoreCount();
}

// The bytes malloc holds for the page now: what a lost context's return
// must not leave more of each time.
EMSCRIPTEN_KEEPALIVE double vorlune_heap_bytes()
{
    return static_cast<double>(mallinfo().uordblks);
}

// How many of the page's programs linked, of vorlune_program_total().
EMSCRIPTEN_KEEPALIVE int vorlune_programs_linked()
{
    const std::vector<const ShaderProgram*> programs = everyProgram(pageViewer()->programs);
    return static_cast<int>(
        std::count_if(programs.begin(), programs.end(), [](const ShaderProgram* program) { return program->linked(); }));
}

EMSCRIPTEN_KEEPALIVE int vorlune_program_total()
{
    return static_cast<int>(everyProgram(pageViewer()->programs).size());
}

// The capture program's run for `arguments` (as frames.txt writes them,
// with --out and --prefix), from the start of the tour: the images it
// writes, or -1 when the arguments are refused.
EMSCRIPTEN_KEEPALIVE int vorlune_capture(const char* arguments)
{
    std::vector<std::string> words{"capture"};
    std::istringstream in(arguments);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    CommandLineStop stop;
    const std::optional<CaptureOptions> options =
        parseCaptureOptions(static_cast<int>(words.size()), argv.data(), stop);
    if (!options) {
        std::cerr << "capture: " << stop.refusal << "\n";
        return -1;
    }
    restartTour();
    int written = 0;
    for (std::size_t i = 0; i < options->times.size(); ++i) {
        renderScriptedFrame(*pageViewer(), scriptedFrame(*options, i));
        const std::string path = options->outputDirectory + "/" + frameFileName(options->prefix, i);
        written += writeFrame(path, readFrame()) ? 1 : 0;
    }
    return written;
}

// The frame at `clockTime` from the start of the tour, with the switches as
// the keys left them, written to `path`: the share of its pixels that
// differ from the previous such frame (-1 for the first).
EMSCRIPTEN_KEEPALIVE double vorlune_capture_live(const char* path, double clockTime)
{
    restartTour();
    renderScriptedFrame(*pageViewer(), ScriptedFrame{clockTime, currentRenderToggles(), std::nullopt});
    const std::vector<unsigned char> pixels = readFrame();
    writeFrame(path, pixels);
    RgbImage frame = rgbFrame(pixels);
    const double share =
        previousLiveFrame.empty() ? -1.0 : compareImages(previousLiveFrame, frame, kChannelThreshold).fractionOver;
    previousLiveFrame = std::move(frame);
    return share;
}

// `count` tour frames rendered back to back, each finished by reading one
// pixel back (what makes the browser wait for the GPU): the median
// milliseconds a frame took.
EMSCRIPTEN_KEEPALIVE double vorlune_time_frames(int count, int effects)
{
    restartTour();
    std::vector<double> times;
    unsigned char pixel[kRgbaChannels];
    for (int i = 0; i < count; ++i) {
        const double start = emscripten_get_now();
        renderScriptedFrame(*pageViewer(), tourFrame(i, count, effects != 0));
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        times.push_back(emscripten_get_now() - start);
    }
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

// One tour frame with its passes timed; a browser hands query results over
// only between tasks, so the check calls this once per animation frame.
// 0 where the browser has no timer queries.
EMSCRIPTEN_KEEPALIVE int vorlune_timed_frame(int index, int count, int effects)
{
    if (!passTimer) {
        passTimer = std::make_unique<PassTimer>();
    }
    if (!passTimer->available()) {
        return 0;
    }
    if (index == 0) {
        restartTour();
        passTimer->forgetResults();
    }
    renderScriptedFrame(*pageViewer(), tourFrame(index, count, effects != 0), passTimer.get());
    passTimer->collect();
    return 1;
}

// The timed frames' median GPU milliseconds per pass, a line each:
// "name<TAB>ms<TAB>results".
EMSCRIPTEN_KEEPALIVE const char* vorlune_pass_times()
{
    std::ostringstream text;
    if (passTimer) {
        passTimer->collect();
        for (const RenderPass* pass : passTable()) {
            if (const std::optional<double> ms = passTimer->milliseconds(*pass)) {
                text << pass->name << '\t' << *ms << '\t' << passTimer->resultCount(*pass) << '\n';
            }
        }
    }
    passTimesText = text.str();
    return passTimesText.c_str();
}

}  // extern "C"

// What the browser check (tools/web/check.mjs) drives the page with: the
// capture program's scripted frames, written into the page's file system;
// frames rendered with the switches the keys left; frame and per-pass
// times. The hooks run between animation frames, so each renders and reads
// back within one call, before the browser shows anything.
#include "web/page.h"

#include "app/frame_loop.h"
#include "camera/camera_tour.h"
#include "capture_options.h"
#include "common/render_toggles.h"
#include "common/window.h"
#include "png_file.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"

#include <GL/glew.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A pixel counts as changed when a channel moved by more than this, as the
// reference images are judged.
constexpr int kChannelThreshold = 16;

std::vector<unsigned char> readFrame()
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWindowWidth) * kWindowHeight * kRgbaChannels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

bool writeFrame(const std::string& path, const std::vector<unsigned char>& pixels)
{
    const std::string failure = writePngFile(
        path, {.width = kWindowWidth, .height = kWindowHeight, .pixels = pixels.data(), .rowsBottomUp = true});
    if (!failure.empty()) {
        std::cerr << "cannot write " << path << ": " << failure << "\n";
    }
    return failure.empty();
}

// The share of pixels whose colour moved by more than the threshold.
double changedShare(const std::vector<unsigned char>& before, const std::vector<unsigned char>& after)
{
    std::size_t changed = 0;
    for (std::size_t i = 0; i + kRgbaChannels <= before.size(); i += kRgbaChannels) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(before[i + c] - after[i + c]) > kChannelThreshold) {
                ++changed;
                break;
            }
        }
    }
    return static_cast<double>(changed) / static_cast<double>(before.size() / kRgbaChannels);
}

ScriptedFrame tourFrame(int index, int count, bool effects)
{
    const RenderToggles toggles{.shadows = effects, .godRays = effects, .bloom = effects};
    return ScriptedFrame{kTourCycleEnd * (index % count + 0.5) / count, toggles, std::nullopt};
}

std::unique_ptr<PassTimer> passTimer;
std::vector<unsigned char> previousLiveFrame;
std::string passTimesText;

}  // namespace

extern "C" {

// 0 while the scene loads, 1 once it draws, 2 when start-up failed.
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

// How many of the page's programs linked, of vorlune_program_total().
EMSCRIPTEN_KEEPALIVE int vorlune_programs_linked()
{
    const ShaderPrograms& programs = pageViewer()->programs;
    int linked = 0;
    for (const ShaderProgram* program :
         {&programs.shadowShader, &programs.godRayShader, &programs.bloomShader, &programs.blurShader}) {
        linked += program->linked() ? 1 : 0;
    }
    for (const ShaderProgram& variant : programs.lightingVariants) {
        linked += variant.linked() ? 1 : 0;
    }
    return linked;
}

EMSCRIPTEN_KEEPALIVE int vorlune_program_total()
{
    return 4 + kLightingVariantCount;
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
    const RenderToggles toggles{shadowOn, godRaysOn, bloomOn, !lightAnimationPaused};
    renderScriptedFrame(*pageViewer(), ScriptedFrame{clockTime, toggles, std::nullopt});
    std::vector<unsigned char> frame = readFrame();
    writeFrame(path, frame);
    const double share = previousLiveFrame.empty() ? -1.0 : changedShare(previousLiveFrame, frame);
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

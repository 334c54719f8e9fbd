// Frame benchmark: runs the real start-up, scene and frame loop on a hidden
// window without vsync, or offscreen where there is no display (or with
// --offscreen), and prints where start-up spends its time, the median frame
// time for each effect combination, each pass's GPU time, and the process's
// memory. With --long-run it also renders many frames and reports whether
// resident memory grows.
//
// With --resizes it times the frame's resizes: the targets remade at another
// size, which a window's resize costs before its next frame.
//
//   frame_bench [--frames N] [--long-run FRAMES] [--offscreen] [--startup-only]
//               [--per-face-shadows] [--size WIDTHxHEIGHT] [--resizes N]
//   (from the repository root; --startup-only stops after the first frame
//   and the resizes, for timing the loading of heavy models and textures)
#include "bench_options.h"

#include "app/data_folder.h"
#include "app/frame_loop.h"
#include "app/viewer.h"
#include "camera/camera_tour.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/process_memory.h"
#include "common/render_toggles.h"
#include "common/startup_profile.h"
#include "render/frame_resize.h"
#include "render/pass_table.h"
#include "render/pass_timer.h"
#include "render/render_targets.h"
#include "render/shadow_pass.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUpFrames = 5;
constexpr int kPresentSamples = 60;
constexpr int kLongRunWarmUpFrames = 300;
// A resize there and one back.
constexpr int kResizeWarmUp = 2;

struct Configuration {
    const char* name;
    RenderToggles toggles;
};

constexpr Configuration kConfigurations[] = {
    {"all effects on", {.shadows = true, .godRays = true, .bloom = true}},
    {"shadows off", {.shadows = false, .godRays = true, .bloom = true}},
    {"god rays off", {.shadows = true, .godRays = false, .bloom = true}},
    {"bloom off", {.shadows = true, .godRays = true, .bloom = false}},
    {"all effects off", {.shadows = false, .godRays = false, .bloom = false}},
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Frame i of n, spread evenly over one tour cycle, so the views do not
// depend on speed; its passes timed by `timer` when one is given.
void runTourFrame(const Viewer& viewer, const Configuration& c, int i, int n, PassTimer* timer = nullptr)
{
    renderScriptedFrame(viewer, ScriptedFrame{kTourCycleEnd * ((i % n) + 0.5) / n, c.toggles, std::nullopt},
                        timer);
    presentFrame(viewer.context);
}

// What the overlay (H) costs with every effect on: each view of the tour
// rendered hidden, then shown, so both see the same views and the same
// state of the machine; the median of each.
void printOverlayCost(const Viewer& viewer, int frames)
{
    std::vector<double> times[2];
    restartTour();
    for (int i = 0; i < frames; ++i) {
        for (const bool shown : {false, true}) {
            overlayShown = shown;
            const auto start = Clock::now();
            runTourFrame(viewer, kConfigurations[0], i, frames);
            glFinish();
            times[shown].push_back(millisecondsSince(start));
        }
    }
    overlayShown = false;
    const double hidden = median(times[0]);
    const double shown = median(times[1]);
    std::printf("\noverlay (H), all effects on, %d frames each, alternated\n", frames);
    std::printf("%-18s %12.2f\n%-18s %12.2f  (%+.1f%%)\n", "hidden", hidden, "shown", shown,
                100.0 * (shown - hidden) / hidden);
}

struct FrameTimes {
    double first;   // the first frame after the toggles changed: any stall a switch causes
    double median;
};

// Median wall time of whole frames, each finished before the clock stops so
// the figure is the frame's real cost. Every configuration starts the tour
// afresh and sees the same views, so their times compare.
FrameTimes frameMilliseconds(const Viewer& viewer, const Configuration& c, int frames)
{
    restartTour();
    FrameTimes result{};
    std::vector<double> times;
    for (int i = -kWarmUpFrames; i < frames; ++i) {
        const auto start = Clock::now();
        runTourFrame(viewer, c, std::max(i, 0), frames);
        glFinish();
        if (i == -kWarmUpFrames) {
            result.first = millisecondsSince(start);
        }
        if (i >= 0) {
            times.push_back(millisecondsSince(start));
        }
    }
    result.median = median(times);
    return result;
}

// Each pass's GPU time within whole frames of the tour, as the library's
// timer measures it: queries read a few frames after they ran, so the
// frames run as they would without it. The warm-up's results are dropped.
void printPassTimes(const Viewer& viewer, const Configuration& c, int frames, PassTimer& timer)
{
    restartTour();
    for (int i = -kWarmUpFrames; i < frames; ++i) {
        if (i == 0) {
            timer.forgetResults();
        }
        runTourFrame(viewer, c, std::max(i, 0), frames, &timer);
    }
    glFinish();
    timer.collect();
    std::printf("\n%-18s %12s %12s\n", c.name, "GPU ms", "frames");
    for (const RenderPass* pass : passTable()) {
        const std::size_t results = timer.resultCount(*pass);
        // Mesa's llvmpipe answers for hardly any frame, and then with next
        // to nothing, when the only pass draws into the window framebuffer
        // (the lighting pass with every effect off); its frame time above
        // is that pass's time.
        if (results * 2 >= static_cast<std::size_t>(frames)) {
            std::printf("%-18s %12.2f %12zu\n", pass->name, *timer.milliseconds(*pass), results);
        } else if (passRuns(*pass)) {
            std::printf("%-18s %12s %12zu\n", pass->name, "untimed", results);
        }
    }
}

// Handing a finished frame on: a buffer swap copies it to the display (under
// a virtual X display, into the X server's memory); offscreen it stays in
// framebuffer 0, so only a flush is left.
double medianPresentMilliseconds(const RenderContext& context)
{
    std::vector<double> wall;
    for (int i = 0; i < kPresentSamples; ++i) {
        glFinish();
        const auto start = Clock::now();
        presentFrame(context);
        glFinish();
        wall.push_back(millisecondsSince(start));
    }
    return median(wall);
}

void printStartup(const StartupProfile& profile, double firstFrameMs, double totalMs)
{
    std::printf("start-up, process start to first presented frame: %.0f ms\n", totalMs);
    std::printf("  %-34s %8.1f ms\n", "context, GL entry points", profile.contextMs);
    std::printf("  %-34s %8.1f ms\n", "render targets", profile.renderTargetsMs);
    std::printf("  %-34s %8.1f ms\n", "shader builds (12 programs)", profile.shaderBuildMs);
    std::printf("  %-34s %8.1f ms\n", "scene composition (16 models)", profile.sceneMs);
    // The first model of a file imports it; the others share that import.
    for (const auto& [path, file] : profile.modelImports) {
        std::printf("    %-32s %8.1f ms  (%d models)\n", path.c_str(), file.totalMs, file.instances);
    }
    std::printf("    %-32s %8.1f ms  (%d images)\n", "of which texture decoding", profile.textureDecodeMs,
                profile.texturesLoaded);
    std::printf("    %-32s %8.1f ms\n", "of which texture uploads", profile.textureUploadMs);
    std::printf("  %-34s %8.1f ms\n", "first frame, drawn and presented", firstFrameMs);
    std::printf("  %-34s %8.1f ms\n", "longest wait between event polls", profile.longestEventPollGapMs);
}

void longRun(const Viewer& viewer, int frames)
{
    restartTour();
    const int cycle = 300;  // frames per tour cycle: every view comes back
    // A run shorter than the warm-up measures from its middle instead, so
    // the growth it reports is never the whole resident size.
    const int warmUpFrames = std::min(kLongRunWarmUpFrames, frames / 2);
    long afterWarmUp = residentMemoryKiB();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        if (i % cycle == 0) {
            restartTour();
        }
        runTourFrame(viewer, kConfigurations[0], i, cycle);
        if (i + 1 == warmUpFrames) {
            afterWarmUp = residentMemoryKiB();
        }
    }
    glFinish();
    const long atEnd = residentMemoryKiB();
    std::printf("\nlong run: %d frames in %.0f s, all effects on\n", frames, millisecondsSince(start) / 1000.0);
    std::printf("  resident after %d frames: %ld KiB\n", warmUpFrames, afterWarmUp);
    std::printf("  resident at the end:       %ld KiB (growth %ld KiB)\n", atEnd, atEnd - afterWarmUp);
}

// The GL names of a target that follows the frame's size: a resize must keep
// them, since every reader of the target holds them.
struct TargetNames {
    const char* pass;
    GLuint framebuffer;
    GLuint colourTexture;
    GLuint depthRenderbuffer;

    bool operator==(const TargetNames&) const = default;
};

std::string namesText(const TargetNames& names)
{
    return std::to_string(names.framebuffer) + "/" + std::to_string(names.colourTexture) + "/" +
           std::to_string(names.depthRenderbuffer);
}

std::vector<TargetNames> sizedTargetNames()
{
    std::vector<TargetNames> names;
    for (const RenderPass* pass : passTable()) {
        if (const RenderTarget* target = pass->sizedTarget) {
            names.push_back({pass->name, target->framebuffer, target->colourTexture, target->depthRenderbuffer});
        }
    }
    return names;
}

// A window's resize on its own: `resizes` calls of resizeFrame, alternating
// between the frame's size and half of it, each timed to its glFinish so the
// driver's work counts, and a frame drawn at each size. Framebuffer 0 keeps
// its size; the frame fills the corner its viewport covers. Ends back at the
// size it started at, where the resident memory must be what it was.
void benchResizes(const Viewer& viewer, int resizes)
{
    const FrameSize sizes[] = {frameSize, halfFrameSize(frameSize)};
    const std::vector<TargetNames> namesBefore = sizedTargetNames();
    glFinish();
    const long residentBefore = residentMemoryKiB();
    // The first frames at the second size make what the driver keeps for
    // good (its pools, its programs' state); growth is counted from there.
    long residentAfterWarmUp = residentBefore;
    std::vector<double> times;
    for (int i = 0; i < resizes; ++i) {
        if (i == kResizeWarmUp) {
            residentAfterWarmUp = residentMemoryKiB();
        }
        glFinish();
        const auto start = Clock::now();
        resizeFrame(sizes[(i + 1) % 2], viewer.programs);
        glFinish();
        times.push_back(millisecondsSince(start));
        renderFrame(viewer.programs);
        presentFrame(viewer.context);
    }
    // Nothing, after an even number of resizes.
    resizeFrame(sizes[0], viewer.programs);
    glFinish();
    const long residentAfter = residentMemoryKiB();
    const std::vector<TargetNames> namesAfter = sizedTargetNames();

    std::printf("\n%d frame resizes between %dx%d and %dx%d, a frame drawn at each size\n", resizes, sizes[0].width,
                sizes[0].height, sizes[1].width, sizes[1].height);
    std::printf("  one resizeFrame, to glFinish: median %.2f ms, worst %.2f ms\n", median(times),
                *std::max_element(times.begin(), times.end()));
    std::printf("  %-18s %-24s %s\n", "target GL names", "before (fb/colour/depth)", "after");
    for (std::size_t i = 0; i < namesBefore.size(); ++i) {
        std::printf("  %-18s %-24s %s\n", namesBefore[i].pass, namesText(namesBefore[i]).c_str(),
                    namesText(namesAfter[i]).c_str());
    }
    std::printf("  names kept: %s\n", namesBefore == namesAfter ? "yes" : "NO");
    std::printf("  resident memory: %ld KiB before, %ld KiB after the first %d resizes, %ld KiB at the end "
                "(%+ld KiB since the first %d)\n",
                residentBefore, residentAfterWarmUp, kResizeWarmUp, residentAfter, residentAfter - residentAfterWarmUp,
                kResizeWarmUp);
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLineStop stop;
    const std::optional<BenchOptions> options = parseBenchOptions(argc, argv, stop);
    if (!options) {
        return reportCommandLineStop("frame_bench", stop, kBenchUsage);
    }
    if (!enterDataFolder()) {
        return 1;
    }
    const auto processStart = Clock::now();
    const int frames = options->frames;
    const int longRunFrames = options->longRunFrames;
    const bool offscreen = options->offscreen;
    const bool startupOnly = options->startupOnly;
    applyDialSettings(options->dials);
    if (options->perFaceShadows) {
        shadowPassForm = ShadowPassForm::DrawPerFace;
    }

    StartupProfile profile;
    startupProfile = &profile;
    std::optional<Viewer> viewer = startViewer(chooseContextKind(offscreen), options->size);
    if (!viewer) {
        return 1;
    }
    if (viewer->context.window != nullptr) {
        // Unpaced: the benchmark measures the work, not the display's refresh.
        glfwSwapInterval(0);
    }
    if (!loadScene(*viewer)) {
        return 1;
    }
    const auto firstFrameStart = Clock::now();
    runFrame(viewer->context, viewer->programs);
    glFinish();
    const double firstFrameMs = millisecondsSince(firstFrameStart);
    const double totalMs = millisecondsSince(processStart);
    startupProfile = nullptr;

    std::printf("%s | %s | %dx%d\n\n", describeRenderContext(viewer->context).c_str(), glGetString(GL_VERSION),
                frameSize.width, frameSize.height);
    printStartup(profile, firstFrameMs, totalMs);
    if (options->resizes > 0) {
        benchResizes(*viewer, options->resizes);
    }
    if (startupOnly) {
        std::printf("\npeak resident memory: %ld KiB\n", peakResidentMemoryKiB());
        closeViewer(*viewer);
        return 0;
    }

    std::printf("\n%d frames per configuration, spread over one tour cycle\n", frames);
    std::printf("%-18s %12s %12s\n", "configuration", "median ms", "first ms");
    for (const Configuration& c : kConfigurations) {
        const FrameTimes times = frameMilliseconds(*viewer, c, frames);
        std::printf("%-18s %12.2f %12.2f\n", c.name, times.median, times.first);
    }

    PassTimer timer;
    if (!timer.available()) {
        std::printf("\nno timer queries in this GL: no per-pass times\n");
    }
    for (const Configuration& c : {kConfigurations[0], kConfigurations[4]}) {
        if (timer.available()) {
            printPassTimes(*viewer, c, frames, timer);
        }
    }
    printOverlayCost(*viewer, frames);
    std::printf("\n%-18s %12s %12.2f\n", viewer->context.window != nullptr ? "present (swap)" : "present (flush)", "",
                medianPresentMilliseconds(viewer->context));
    std::printf("\npeak resident memory: %ld KiB\n", peakResidentMemoryKiB());

    if (longRunFrames > 0) {
        longRun(*viewer, longRunFrames);
    }
    closeViewer(*viewer);
    return 0;
}

#include "bench_options.h"

#include <string>

const char* const kBenchUsage =
    "usage: frame_bench [--frames N] [--long-run FRAMES] [--offscreen] [--startup-only]\n"
    "                   [--per-face-shadows] [--size WIDTHxHEIGHT] [--resizes N]\n"
    "                   [--dial NAME=VALUE]...\n"
    "Runs the viewer's start-up, scene and frame loop without vsync and prints where\n"
    "start-up spends its time, the median frame time of each effect combination, each\n"
    "pass's time and the memory used. Run it from the repository root.\n"
    "  --frames N          frames timed per effect combination (default: 60)\n"
    "  --long-run FRAMES   then render this many frames and report resident memory growth\n"
    "  --offscreen         render offscreen even when there is a display\n"
    "  --startup-only      stop after the first frame (and the resizes): start-up and peak memory\n"
    "  --per-face-shadows  draw the shadow cube map a face at a time, as the browser does\n"
    "  --size WIDTHxHEIGHT frame size in pixels, each side 16 to 8192 (default: 1280x720)\n"
    "  --resizes N         after start-up, time N frame resizes between the size and half of it\n"
    "  --dial NAME=VALUE   turn an effect's dial (the overlay's names, dashes for spaces:\n"
    "                      god-ray-samples=24); may be given again for another dial\n"
    "  -h, --help          print this and exit\n";

namespace {

// A frame takes tens of milliseconds on a software renderer: 100,000 is
// over an hour per combination, and no run means to take longer.
constexpr WholeNumberRange kFramesRange{1, 100'000};
// Resident growth shows over a few thousand frames; ten million is days.
constexpr WholeNumberRange kLongRunRange{1, 10'000'000};
// A resize and a frame take a fraction of a second; memory that a resize
// leaks shows within a few hundred.
constexpr WholeNumberRange kResizesRange{1, 100'000};

// The ranges fit an int, which the frame loops count in.
bool parseCount(const std::string& option, const std::string& value, WholeNumberRange range, int& count,
                std::string& refusal)
{
    const std::optional<long> parsed = parseWholeNumber(value, range);
    if (!parsed) {
        refusal = rangeRefusal(option, "a whole number", range, value);
        return false;
    }
    count = static_cast<int>(*parsed);
    return true;
}

// The options that take a count, and the field each sets.
struct CountOption {
    const char* name;
    WholeNumberRange range;
    int BenchOptions::*field;
};

constexpr CountOption kCountOptions[] = {
    {"--frames", kFramesRange, &BenchOptions::frames},
    {"--long-run", kLongRunRange, &BenchOptions::longRunFrames},
    {"--resizes", kResizesRange, &BenchOptions::resizes},
};

const CountOption* countOption(const std::string& argument)
{
    for (const CountOption& option : kCountOptions) {
        if (argument == option.name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<BenchOptions> parseBenchOptions(int argc, char** argv, CommandLineStop& stop)
{
    BenchOptions options;
    ArgumentList arguments(argc, argv);
    while (!arguments.done()) {
        const std::string argument = arguments.take();
        if (isHelpRequest(argument)) {
            stop.helpAsked = true;
            return std::nullopt;
        }
        if (argument == "--offscreen") {
            options.offscreen = true;
        } else if (argument == "--startup-only") {
            options.startupOnly = true;
        } else if (argument == "--per-face-shadows") {
            options.perFaceShadows = true;
        } else if (const CountOption* count = countOption(argument)) {
            const std::optional<std::string> value = arguments.takeValue(argument, stop.refusal);
            if (!value || !parseCount(argument, *value, count->range, options.*count->field, stop.refusal)) {
                return std::nullopt;
            }
        } else if (argument == "--dial") {
            const std::optional<std::string> value = arguments.takeValue(argument, stop.refusal);
            if (!value) {
                return std::nullopt;
            }
            const std::optional<DialSetting> dial = parseDialSetting(*value);
            if (!dial) {
                stop.refusal = dialSettingRefusal(argument, *value);
                return std::nullopt;
            }
            options.dials.push_back(*dial);
        } else if (argument == "--size") {
            const std::optional<std::string> value = arguments.takeValue(argument, stop.refusal);
            if (!value) {
                return std::nullopt;
            }
            const std::optional<FrameSize> size = parseFrameSize(*value);
            if (!size) {
                stop.refusal = frameSizeRefusal(argument, *value);
                return std::nullopt;
            }
            options.size = *size;
        } else {
            stop.refusal = unknownArgumentRefusal(argument);
            return std::nullopt;
        }
    }
    return options;
}

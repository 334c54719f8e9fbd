#include "capture_options.h"

#include "camera/camera.h"

#include <cstdio>

const char* const kCaptureUsage =
    "usage: capture [options] TIME [TIME...]\n"
    "Renders Vorlune's frames at the given clock times (seconds since start, ascending)\n"
    "on a hidden window, or offscreen through EGL when there is no DISPLAY, and writes\n"
    "each as PREFIX-NNN.png. Run it from the repository root.\n"
    "  --out DIR                  folder for the images (default: capture), created if missing\n"
    "  --prefix NAME              image name prefix (default: frame)\n"
    "  --shadows on|off           shadow pass (default: on)\n"
    "  --god-rays on|off          god-ray pass (default: on)\n"
    "  --bloom on|off             bloom passes (default: on)\n"
    "  --light-animation on|off   light animation; off pauses it (default: on)\n"
    "  --free-look YAW,PITCH      enter free-look at the first frame, looking this way (degrees)\n"
    "  --offscreen                render offscreen even when there is a display\n"
    "  --per-face-shadows         draw the shadow cube map a face at a time, as the browser does\n"
    "  --overlay                  draw the overlay of keys, switches and timings (H in the viewer)\n"
    "  --view NAME                what to write (V in the viewer): frame (default), god-rays,\n"
    "                             bloom-bright, bloom-blur or shadow-map\n"
    "  --size WIDTHxHEIGHT        frame size in pixels, each side 16 to 8192 (default: 1280x720)\n"
    "  --dial NAME=VALUE          turn an effect's dial (the overlay's names, dashes for spaces:\n"
    "                             god-ray-samples=24); may be given again for another dial\n"
    "  -h, --help                 print this and exit\n";

namespace {

// An hour of clock: the tour repeats every few seconds, and the scene's
// float clock loses the frame-to-frame precision long before a day.
constexpr DecimalRange kTimeRange{0.0, 3600.0};
// One turn either way; the camera itself stops short of straight up or down.
constexpr DecimalRange kYawRange{-360.0, 360.0};
constexpr DecimalRange kPitchRange{-kMaxPitch, kMaxPitch};

// The longest file name most file systems take, in bytes (NAME_MAX on
// Linux; Windows counts UTF-16 units, which for these ASCII names is the
// same). A longer name is refused before any frame is rendered for it.
constexpr std::size_t kMaxFileNameBytes = 255;

bool validPrefix(const std::string& prefix)
{
    if (prefix.empty()) {
        return false;
    }
    for (char c : prefix) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                        || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool* effectSwitch(CaptureOptions& options, const std::string& argument)
{
    if (argument == "--shadows") {
        return &options.shadows;
    }
    if (argument == "--god-rays") {
        return &options.godRays;
    }
    if (argument == "--bloom") {
        return &options.bloom;
    }
    if (argument == "--light-animation") {
        return &options.lightAnimation;
    }
    return nullptr;
}

bool parseFreeLook(const std::string& value, CaptureOptions& options, std::string& refusal)
{
    const size_t comma = value.find(',');
    if (comma == std::string::npos) {
        refusal = "--free-look takes YAW,PITCH in degrees, not " + value;
        return false;
    }
    const std::string yawText = value.substr(0, comma);
    const std::string pitchText = value.substr(comma + 1);
    const std::optional<double> yaw = parseDecimal(yawText, kYawRange);
    const std::optional<double> pitch = parseDecimal(pitchText, kPitchRange);
    if (!yaw) {
        refusal = rangeRefusal("--free-look's yaw", "degrees", kYawRange, yawText);
        return false;
    }
    if (!pitch) {
        refusal = rangeRefusal("--free-look's pitch", "degrees", kPitchRange, pitchText);
        return false;
    }
    options.freeLook = true;
    options.freeLookYaw = static_cast<float>(*yaw);
    options.freeLookPitch = static_cast<float>(*pitch);
    return true;
}

// One option and its value; false with `refusal` set when either is wrong.
bool parseOption(const std::string& option, ArgumentList& arguments, CaptureOptions& options, std::string& refusal)
{
    if (option == "--offscreen") {
        options.offscreen = true;
        return true;
    }
    if (option == "--per-face-shadows") {
        options.perFaceShadows = true;
        return true;
    }
    if (option == "--overlay") {
        options.overlay = true;
        return true;
    }
    bool* effect = effectSwitch(options, option);
    if (effect == nullptr && option != "--out" && option != "--prefix" && option != "--free-look"
        && option != "--size" && option != "--view" && option != "--dial") {
        refusal = unknownArgumentRefusal(option);
        return false;
    }
    const std::optional<std::string> value = arguments.takeValue(option, refusal);
    if (!value) {
        return false;
    }
    if (effect != nullptr) {
        const std::optional<bool> on = parseSwitch(*value);
        if (!on) {
            refusal = option + " takes on or off, not " + *value;
            return false;
        }
        *effect = *on;
    } else if (option == "--out") {
        options.outputDirectory = *value;
    } else if (option == "--prefix") {
        if (!validPrefix(*value)) {
            refusal = "--prefix takes letters, digits, '-' or '_', not " + *value;
            return false;
        }
        options.prefix = *value;
    } else if (option == "--view") {
        const std::optional<PassView> view = passViewNamed(*value);
        if (!view) {
            refusal = "--view takes one of " + passViewNames() + ", not " + *value;
            return false;
        }
        options.view = *view;
    } else if (option == "--size") {
        const std::optional<FrameSize> size = parseFrameSize(*value);
        if (!size) {
            refusal = frameSizeRefusal(option, *value);
            return false;
        }
        options.size = *size;
    } else if (option == "--dial") {
        const std::optional<DialSetting> dial = parseDialSetting(*value);
        if (!dial) {
            refusal = dialSettingRefusal(option, *value);
            return false;
        }
        options.dials.push_back(*dial);
    } else {
        return parseFreeLook(*value, options, refusal);
    }
    return true;
}

}  // namespace

ScriptedFrame scriptedFrame(const CaptureOptions& options, std::size_t index)
{
    ScriptedFrame frame;
    frame.clockTime = options.times[index];
    frame.toggles = RenderToggles{options.shadows, options.godRays, options.bloom, options.lightAnimation};
    if (options.freeLook) {
        frame.freeLook = FreeLookHeading{options.freeLookYaw, options.freeLookPitch};
    }
    return frame;
}

std::string frameFileName(const std::string& prefix, std::size_t index)
{
    char suffix[sizeof("-18446744073709551615.png")];
    std::snprintf(suffix, sizeof(suffix), "-%03zu.png", index);
    return prefix + suffix;
}

std::optional<CaptureOptions> parseCaptureOptions(int argc, char** argv, CommandLineStop& stop)
{
    CaptureOptions options;
    ArgumentList arguments(argc, argv);
    while (!arguments.done()) {
        const std::string argument = arguments.take();
        if (isHelpRequest(argument)) {
            stop.helpAsked = true;
            return std::nullopt;
        }
        if (argument.rfind("--", 0) == 0) {
            if (!parseOption(argument, arguments, options, stop.refusal)) {
                return std::nullopt;
            }
            continue;
        }
        const std::optional<double> time = parseDecimal(argument, kTimeRange);
        if (!time) {
            stop.refusal = rangeRefusal("TIME", "seconds", kTimeRange, argument);
            return std::nullopt;
        }
        if (!options.times.empty() && *time < options.times.back()) {
            stop.refusal = "times must be ascending: " + argument;
            return std::nullopt;
        }
        options.times.push_back(*time);
    }
    if (options.times.empty()) {
        stop.refusal = "no times given";
        return std::nullopt;
    }
    // The last frame's name is the longest.
    const std::string longestName = frameFileName(options.prefix, options.times.size() - 1);
    if (longestName.size() > kMaxFileNameBytes) {
        stop.refusal = "--prefix of " + std::to_string(options.prefix.size()) + " characters makes file names of " +
                       std::to_string(longestName.size()) + ", more than the " + std::to_string(kMaxFileNameBytes) +
                       " a file name may have";
        return std::nullopt;
    }
    return options;
}

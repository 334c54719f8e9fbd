#include "capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

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
    "  --offscreen                render offscreen even when there is a display\n";

namespace {

bool parseSwitch(const std::string& text, bool& value)
{
    if (text == "on") {
        value = true;
        return true;
    }
    if (text == "off") {
        value = false;
        return true;
    }
    return false;
}

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

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

}  // namespace

std::optional<CaptureOptions> parseCaptureOptions(int argc, char** argv, std::string& error)
{
    CaptureOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--offscreen") {
            options.offscreen = true;
            continue;
        }
        const bool isOption = argument.rfind("--", 0) == 0;
        if (isOption && i + 1 >= argc) {
            error = "option " + argument + " needs a value";
            return std::nullopt;
        }
        const std::string value = isOption ? argv[++i] : "";
        if (argument == "--out") {
            options.outputDirectory = value;
        } else if (argument == "--prefix") {
            if (!validPrefix(value)) {
                error = "prefix must be letters, digits, '-' or '_': " + value;
                return std::nullopt;
            }
            options.prefix = value;
        } else if (argument == "--shadows" || argument == "--god-rays" || argument == "--bloom"
                   || argument == "--light-animation") {
            bool& flag = argument == "--shadows"    ? options.shadows
                       : argument == "--god-rays" ? options.godRays
                       : argument == "--bloom"    ? options.bloom
                                                  : options.lightAnimation;
            if (!parseSwitch(value, flag)) {
                error = argument + " takes on or off, not " + value;
                return std::nullopt;
            }
        } else if (argument == "--free-look") {
            const size_t comma = value.find(',');
            double yaw = 0.0;
            double pitch = 0.0;
            if (comma == std::string::npos || !parseNumber(value.substr(0, comma), yaw)
                || !parseNumber(value.substr(comma + 1), pitch)) {
                error = "--free-look takes YAW,PITCH in degrees, not " + value;
                return std::nullopt;
            }
            options.freeLook = true;
            options.freeLookYaw = static_cast<float>(yaw);
            options.freeLookPitch = static_cast<float>(pitch);
        } else if (isOption) {
            error = "unknown option " + argument;
            return std::nullopt;
        } else {
            double time = 0.0;
            if (!parseNumber(argument, time) || time < 0.0) {
                error = "not a time in seconds: " + argument;
                return std::nullopt;
            }
            if (!options.times.empty() && time < options.times.back()) {
                error = "times must be ascending: " + argument;
                return std::nullopt;
            }
            options.times.push_back(time);
        }
    }
    if (options.times.empty()) {
        error = "no times given";
        return std::nullopt;
    }
    return options;
}

#include "common/command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kExitUsage = 2;

// strtol and strtod skip leading blanks, which a typed number never has.
bool startsLikeANumber(const std::string& text)
{
    return !text.empty() && !std::isspace(static_cast<unsigned char>(text.front()));
}

std::string formatDecimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

}  // namespace

std::optional<long> parseWholeNumber(const std::string& text, WholeNumberRange range)
{
    constexpr int kDecimal = 10;
    if (!startsLikeANumber(text)) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, kDecimal);
    if (errno != 0 || end != text.c_str() + text.size() || value < range.least || value > range.most) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseDecimal(const std::string& text, DecimalRange range)
{
    if (!startsLikeANumber(text)) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    // Written so that NaN, which compares false with everything, fails too.
    const bool inRange = value >= range.least && value <= range.most;
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value) || !inRange) {
        return std::nullopt;
    }
    return value;
}

std::optional<FrameSize> parseFrameSize(const std::string& text)
{
    const size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return std::nullopt;
    }
    const std::string widthText = text.substr(0, cross);
    const std::string heightText = text.substr(cross + 1);
    // parseWholeNumber takes a sign, which no size is written with.
    const auto digitsOnly = [](const std::string& side) {
        return !side.empty() && std::all_of(side.begin(), side.end(),
                                            [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    };
    if (!digitsOnly(widthText) || !digitsOnly(heightText)) {
        return std::nullopt;
    }
    const std::optional<long> width = parseWholeNumber(widthText, kFrameSideRange);
    const std::optional<long> height = parseWholeNumber(heightText, kFrameSideRange);
    if (!width || !height) {
        return std::nullopt;
    }
    return FrameSize{static_cast<int>(*width), static_cast<int>(*height)};
}

std::optional<bool> parseSwitch(const std::string& text)
{
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

std::string rangeRefusal(const std::string& name, const std::string& what, WholeNumberRange range,
                         const std::string& text)
{
    return name + " takes " + what + " from " + std::to_string(range.least) + " to " + std::to_string(range.most) +
           ", not " + text;
}

std::string rangeRefusal(const std::string& name, const std::string& what, DecimalRange range,
                         const std::string& text)
{
    return name + " takes " + what + " from " + formatDecimal(range.least) + " to " + formatDecimal(range.most) +
           ", not " + text;
}

std::string frameSizeRefusal(const std::string& name, const std::string& text)
{
    return name + " takes WIDTHxHEIGHT in pixels, each from " + std::to_string(kFrameSideRange.least) + " to " +
           std::to_string(kFrameSideRange.most) + ", not " + text;
}

std::string unknownArgumentRefusal(const std::string& argument)
{
    return (argument.rfind('-', 0) == 0 ? "unknown option " : "unexpected argument ") + argument;
}

bool isHelpRequest(const std::string& argument)
{
    return argument == "--help" || argument == "-h";
}

std::optional<std::string> ArgumentList::takeValue(const std::string& option, std::string& refusal)
{
    if (done()) {
        refusal = option + " needs a value";
        return std::nullopt;
    }
    return take();
}

int reportCommandLineStop(const char* program, const CommandLineStop& stop, const std::string& usage)
{
    if (stop.helpAsked) {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    std::fprintf(stderr, "%s: %s\n%s", program, stop.refusal.c_str(), usage.c_str());
    return kExitUsage;
}

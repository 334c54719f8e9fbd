#include "common/dials.h"

#include "common/command_line.h"
#include "common/shader_rebuilds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kLightingFragment = "data/shader/pointLightNormal.fs";
constexpr const char* kBrightFragment = "data/shader/BloomShader.fs";
constexpr const char* kBlurFragment = "data/shader/BloomHorizontal.fs";

// The ranges go from what switches an effect's part off (or nearly) to well
// past what still looks right, so both ends can be seen; every default lies
// on its dial's steps. The costly ones (the ray samples and march, the blur
// radius) reach four times their defaults so their price can be read.
constexpr Dial kDials[kDialCount] = {
    {kDialGodRayExposure, "god-ray exposure", "god rays", 0.0f, 0.2f, 0.005f, 0.05f, 3, nullptr, "godRays.exposure"},
    {kDialGodRayDecay, "god-ray decay", "god rays", 0.9f, 1.0f, 0.002f, 0.98f, 3, nullptr, "godRays.decay"},
    {kDialGodRayDensity, "god-ray density", "god rays", 0.25f, 3.0f, 0.05f, 1.0f, 2, nullptr, "godRays.density"},
    {kDialGodRayWeight, "god-ray weight", "god rays", 0.0f, 2.0f, 0.05f, 0.8f, 2, nullptr, "godRays.weight"},
    {kDialGodRayMarchLength, "god-ray march", "god rays", 8.0f, 256.0f, 8.0f, 64.0f, 0, kLightingFragment,
     "kGodRayMarchLength"},
    {kDialGodRaySamples, "god-ray samples", "god rays", 1.0f, 24.0f, 1.0f, 6.0f, 0, kLightingFragment,
     "kGodRaySamples"},
    {kDialGodRaySourceRadius, "god-ray source", "god rays", 0.05f, 0.6f, 0.01f, 0.15f, 2, kLightingFragment,
     "kGodRaySourceRadius"},
    {kDialGodRayIntensity, "god-ray intensity", "god rays", 0.0f, 6.0f, 0.1f, 2.0f, 1, kLightingFragment,
     "kGodRayIntensity"},
    {kDialBloomSelfGlow, "bloom self glow", "bloom", 0.0f, 1.5f, 0.05f, 0.55f, 2, kBrightFragment, "kSelfGlow"},
    {kDialBloomLightGlow, "bloom light glow", "bloom", 0.0f, 1.5f, 0.05f, 0.45f, 2, kBrightFragment, "kLightGlow"},
    {kDialBloomBlurRadius, "blur radius", "bloom", 1.0f, 24.0f, 1.0f, 6.0f, 0, kBlurFragment, "kRadius"},
    {kDialBloomBlurSigma, "blur sigma", "bloom", 0.5f, 10.0f, 0.25f, 3.0f, 2, kBlurFragment, "kSigma"},
    {kDialBloomStrength, "bloom strength", "bloom", 0.0f, 4.0f, 0.1f, 1.2f, 1, kLightingFragment, "kBloomStrength"},
    {kDialShadowBias, "shadow bias", "shadows", 0.0f, 0.2f, 0.005f, 0.03f, 3, kLightingFragment, "kShadowBias"},
    {kDialShadowDiscRadius, "shadow softness", "shadows", 0.0f, 0.06f, 0.002f, 0.012f, 3, kLightingFragment,
     "kShadowDiscRadius"},
};

// dialInfo finds a dial by its id as an index.
constexpr bool rowsInIdOrder()
{
    for (int i = 0; i < kDialCount; ++i) {
        if (kDials[i].id != i) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInIdOrder(), "the dials' rows must stand in the order of their ids");

// Each dial's distance from its default, in steps: a whole number, so that
// moving away and back gives the default's own bits again.
std::array<int, kDialCount> dialSteps{};

int leastSteps(const Dial& dial)
{
    return static_cast<int>(std::lround((dial.least - dial.byDefault) / dial.step));
}

int mostSteps(const Dial& dial)
{
    return static_cast<int>(std::lround((dial.most - dial.byDefault) / dial.step));
}

float valueAt(const Dial& dial, int steps)
{
    return steps == 0 ? dial.byDefault : dial.byDefault + static_cast<float>(steps) * dial.step;
}

bool moveTo(DialId id, int steps)
{
    const Dial& dial = dialInfo(id);
    steps = std::clamp(steps, leastSteps(dial), mostSteps(dial));
    if (steps == dialSteps[id]) {
        return false;
    }
    dialSteps[id] = steps;
    if (dial.file != nullptr) {
        requestShaderRebuild(dial.file);
    }
    return true;
}

}  // namespace

DialId chosenDial = kDialGodRayExposure;

std::span<const Dial> dialTable()
{
    return kDials;
}

const Dial& dialInfo(DialId id)
{
    return kDials[id];
}

std::optional<DialId> dialNamed(const std::string& name)
{
    for (const Dial& dial : kDials) {
        if (name == dial.name) {
            return dial.id;
        }
    }
    return std::nullopt;
}

float dialValue(DialId id)
{
    return valueAt(dialInfo(id), dialSteps[id]);
}

bool dialAtDefault(DialId id)
{
    return dialSteps[id] == 0;
}

std::string dialText(const Dial& dial, float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", dial.decimals, static_cast<double>(value));
    return text;
}

bool nudgeDial(DialId id, int steps)
{
    return moveTo(id, dialSteps[id] + steps);
}

bool setDial(DialId id, float value)
{
    const Dial& dial = dialInfo(id);
    if (!std::isfinite(value)) {
        return false;
    }
    const float clamped = std::clamp(value, dial.least, dial.most);
    return moveTo(id, static_cast<int>(std::lround((clamped - dial.byDefault) / dial.step)));
}

bool resetDial(DialId id)
{
    return moveTo(id, 0);
}

int resetAllDials()
{
    int moved = 0;
    for (const Dial& dial : kDials) {
        moved += resetDial(dial.id) ? 1 : 0;
    }
    return moved;
}

namespace {

std::string dashed(std::string name)
{
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

}  // namespace

std::optional<DialSetting> parseDialSetting(const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return std::nullopt;
    }
    const std::string name = text.substr(0, equals);
    for (const Dial& dial : kDials) {
        if (name != dashed(dial.name)) {
            continue;
        }
        const std::optional<double> value = parseDecimal(text.substr(equals + 1), {dial.least - dial.step / 2, dial.most + dial.step / 2});
        if (!value) {
            return std::nullopt;
        }
        return DialSetting{dial.id, static_cast<float>(*value)};
    }
    return std::nullopt;
}

std::string dialSettingRefusal(const std::string& option, const std::string& text)
{
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    for (const Dial& dial : kDials) {
        if (name == dashed(dial.name)) {
            return rangeRefusal(option + " " + name, "a value", DecimalRange{dial.least, dial.most},
                                equals == std::string::npos ? std::string() : text.substr(equals + 1));
        }
    }
    std::string names;
    for (const Dial& dial : kDials) {
        names += (names.empty() ? "" : ", ") + dashed(dial.name);
    }
    return option + " takes NAME=VALUE with NAME one of " + names + ", not " + text;
}

void applyDialSettings(const std::vector<DialSetting>& settings)
{
    for (const DialSetting& setting : settings) {
        setDial(setting.id, setting.value);
    }
    takeShaderRebuildRequests();
}

void chooseNextDial(int direction)
{
    const int next = (static_cast<int>(chosenDial) + direction % kDialCount + kDialCount) % kDialCount;
    chosenDial = static_cast<DialId>(next);
}

std::string withDialValues(const std::string& source, const std::string& file)
{
    std::string text = source;
    for (const Dial& dial : kDials) {
        if (dial.file == nullptr || file != dial.file || dialAtDefault(dial.id)) {
            continue;
        }
        // "const int kRadius = 6;": the literal between "=" and ";" is the
        // value. The declaration must start a line, so a comment that names
        // the constant is left alone.
        const std::string declaration = std::string(dial.decimals == 0 ? "const int " : "const float ") + dial.symbol;
        std::size_t at = 0;
        while ((at = text.find(declaration, at)) != std::string::npos) {
            const std::size_t after = at + declaration.size();
            const bool startsLine = at == 0 || text[at - 1] == '\n';
            const bool wholeName = after < text.size() && (text[after] == ' ' || text[after] == '=');
            if (startsLine && wholeName) {
                break;
            }
            at = after;
        }
        if (at == std::string::npos) {
            continue;
        }
        const std::size_t equals = text.find('=', at);
        const std::size_t end = text.find(';', at);
        if (equals == std::string::npos || end == std::string::npos || equals > end) {
            continue;
        }
        text.replace(equals + 1, end - equals - 1, " " + dialText(dial, dialValue(dial.id)));
    }
    return text;
}

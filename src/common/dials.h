// The effects' dials: the numbers that shape each effect, turned while the
// viewer runs. One table says what each dial is, how far it goes and where
// it lives; the overlay, the page, the tools and the tests all read it.
//
// A dial lives either in a uniform the lighting pass sends every frame (read
// from here at the next frame) or in a `const` of a shader file: a moved one
// puts its value into that file's text as the programs are built from it,
// and the programs that read the file are built again. At its default a dial
// leaves the text exactly as the file has it. Kept below the frame loop, as
// the switches are, so the keys, the passes and the page read one state.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

enum DialId : int {
    kDialGodRayExposure,
    kDialGodRayDecay,
    kDialGodRayDensity,
    kDialGodRayWeight,
    kDialGodRayMarchLength,
    kDialGodRaySamples,
    kDialGodRaySourceRadius,
    kDialGodRayIntensity,
    kDialBloomSelfGlow,
    kDialBloomLightGlow,
    kDialBloomBlurRadius,
    kDialBloomBlurSigma,
    kDialBloomStrength,
    kDialShadowBias,
    kDialShadowDiscRadius,
    kDialCount
};

struct Dial {
    DialId id;
    // As the overlay, the page and `--dial` name it.
    const char* name;
    const char* effect;
    float least;
    float most;
    float step;
    float byDefault;
    // Digits after the point, as shown and as written into a shader's text;
    // 0 for a whole number (an int constant).
    int decimals;
    // The shader file whose `const` it is, and the constant's name there; for
    // a uniform, no file and the uniform's name.
    const char* file;
    const char* symbol;
};

// In the order the overlay lists them, grouped by effect.
std::span<const Dial> dialTable();
const Dial& dialInfo(DialId id);
std::optional<DialId> dialNamed(const std::string& name);

// The dial's value now: its default moved by whole steps, so that stepping
// back lands exactly on the default again.
float dialValue(DialId id);
bool dialAtDefault(DialId id);
// "0.050", "6": the value as shown and as written into a shader.
std::string dialText(const Dial& dial, float value);

// Each moves the dial, within its range, and says whether its value changed.
// A moved shader dial asks for its file's programs to be built again.
bool nudgeDial(DialId id, int steps);
// The nearest step to `value`, within the range (the page's range inputs).
bool setDial(DialId id, float value);
bool resetDial(DialId id);
// Returns how many dials moved.
int resetAllDials();

// A tool's "--dial NAME=VALUE": the name as the table has it with dashes
// for its spaces ("god-ray-samples=24"), the value within the dial's range.
struct DialSetting {
    DialId id;
    float value;
};
std::optional<DialSetting> parseDialSetting(const std::string& text);
// Why `text` is no dial setting, in one line for `option`.
std::string dialSettingRefusal(const std::string& option, const std::string& text);
// Sets the dials of a tool's command line before its programs are built:
// they are built with the values, so no rebuild is asked for.
void applyDialSettings(const std::vector<DialSetting>& settings);

// The dial the overlay's arrows act on.
extern DialId chosenDial;
void chooseNextDial(int direction);

// `source`, the text of `file`, with the value of every moved dial of that
// file in place of its constant's; exactly `source` while they are at their
// defaults, or when the file no longer declares the constant.
std::string withDialValues(const std::string& source, const std::string& file);

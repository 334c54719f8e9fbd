// What the window shows (V): the finished frame, or one pass's own image in
// its place, to see what each effect contributes. The passes run as always;
// only the last picture changes. Kept below the frame loop, as the switches
// are, so the keys, the overlay and the tools read one state.
#pragma once

#include <optional>
#include <span>
#include <string>

enum class PassView { Frame, GodRays, BloomBright, BloomBlur, ShadowMap };

struct PassViewInfo {
    PassView view;
    // As `capture --view` takes it.
    const char* name;
    // As the overlay names it.
    const char* label;
    // The switch that runs the pass behind it; null for the frame.
    const bool* passSwitch;
};

// In the order V steps through them, the frame first.
std::span<const PassViewInfo> passViews();
const PassViewInfo& passViewInfo(PassView view);
std::optional<PassView> passViewNamed(const std::string& name);
// "frame, god-rays, ...", for a tool's usage and refusals.
std::string passViewNames();

extern PassView passView;
// Whether a pass's image is shown: the flag the switch table's V row reads.
extern bool passViewShown;

void showPassView(PassView view);
// The next view, after the last the frame again.
void stepPassView();

// What the overlay says of the view shown: its name, and that its pass is
// switched off when it is.
std::string passViewState();

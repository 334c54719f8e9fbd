// Command line of the frame benchmark: how many frames to time per effect
// combination, the optional long run, and how to start.
#pragma once

#include "common/command_line.h"
#include "common/dials.h"
#include "common/frame_size.h"

#include <optional>
#include <vector>

constexpr int kDefaultBenchFrames = 60;

struct BenchOptions {
    int frames = kDefaultBenchFrames;
    int longRunFrames = 0;  // 0: no long run
    bool offscreen = false;
    bool startupOnly = false;
    bool perFaceShadows = false;
    // The frames' size in pixels: the pbuffer's offscreen, the hidden
    // window's framebuffer otherwise.
    FrameSize size = kStartFrameSize;
    // Calls of resizeFrame to time, between the frame's size and half of it
    // and back; 0: none.
    int resizes = 0;
    // Dials away from their defaults, set before the programs are built.
    std::vector<DialSetting> dials;
};

// The options argv asks for, or nothing, with `stop` saying why (--help, or
// the refused argument).
std::optional<BenchOptions> parseBenchOptions(int argc, char** argv, CommandLineStop& stop);

extern const char* const kBenchUsage;

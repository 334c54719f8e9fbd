// Command line of the capture program: the clock times to render, the
// toggles and free-look state to render them with, and where to write.
#pragma once

#include "app/viewer.h"
#include "common/command_line.h"
#include "common/dials.h"
#include "common/frame_size.h"
#include "common/pass_view.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct CaptureOptions {
    std::vector<double> times;
    std::string outputDirectory = "capture";
    std::string prefix = "frame";
    bool shadows = true;
    bool godRays = true;
    bool bloom = true;
    bool lightAnimation = true;
    // Entered at the first frame: the tour stops where that frame put it
    // and the camera turns to this heading.
    bool freeLook = false;
    float freeLookYaw = 0.0f;
    float freeLookPitch = 0.0f;
    // Render without a window even where there is a display (without one,
    // there is no other way).
    bool offscreen = false;
    // The shadow pass in six draws, one cube face each (the browser's form).
    bool perFaceShadows = false;
    // The overlay over each frame, with timings from a few renders of it.
    bool overlay = false;
    // What each image shows: the frame, or one pass's image (V in the viewer).
    PassView view = PassView::Frame;
    // The frames' size in pixels: the pbuffer's offscreen, the hidden
    // window's framebuffer otherwise.
    FrameSize size = kStartFrameSize;
    // Dials away from their defaults, set before the programs are built.
    std::vector<DialSetting> dials;
};

// The name of frame `index`'s image: PREFIX-NNN.png.
std::string frameFileName(const std::string& prefix, std::size_t index);

// Frame `index` as the options script it. Free look, when asked for, holds
// from the first frame on.
ScriptedFrame scriptedFrame(const CaptureOptions& options, std::size_t index);

// The options argv asks for, or nothing, with `stop` saying why (--help, or
// the refused argument).
std::optional<CaptureOptions> parseCaptureOptions(int argc, char** argv, CommandLineStop& stop);

extern const char* const kCaptureUsage;

// One way to start and drive the viewer, shared by the viewer itself, the
// capture and benchmark tools and the test support: start-up on a window, a
// hidden window or offscreen; the scene loaded while the window answers;
// and frames rendered at a chosen clock time with chosen switches and
// camera, so that the same script renders the same frames to the bit.
#pragma once

#include "app/render_context.h"
#include "common/render_toggles.h"
#include "render/shader_programs.h"

#include <optional>

class PassTimer;

struct Viewer {
    RenderContext context;
    ShaderPrograms programs;
};

// Opens the context (a window answers its first events at once; offscreen,
// a surface of `size`, and a hidden window of that many pixels), then makes
// the render targets at the context's size, the shadow projection and the
// programs. Without a context one line has been printed and nothing is
// returned.
std::optional<Viewer> startViewer(ContextKind kind, FrameSize size = kStartFrameSize);

// Composes the scene while the window keeps answering; false once the
// window was asked to close during loading (nothing is left to draw).
bool loadScene(const Viewer& viewer);

// Ends the window system or releases the offscreen context.
void closeViewer(Viewer& viewer);

// A camera held in free look, turned this way (degrees; the pitch is kept
// within the camera's limits).
struct FreeLookHeading {
    float yaw = 0.0f;
    float pitch = 0.0f;
};

// One scripted frame: the moment on the frame clock it shows, its switches,
// and, if set, the free-look heading the camera holds from this frame on
// (the tour stops where this frame put it).
struct ScriptedFrame {
    double clockTime = 0.0;
    RenderToggles toggles;
    std::optional<FreeLookHeading> freeLook;
};

// Sets the switches, points the frame clock at `frame.clockTime` and runs
// the frame: advance (events, tour, animation), free look, passes. The
// frame is left in framebuffer 0, not presented, for a caller that reads it.
// Its passes are timed by `timer` when one is given (else by the overlay's
// while it is shown), and the overlay is drawn over it while it is shown.
void renderScriptedFrame(const Viewer& viewer, const ScriptedFrame& frame, PassTimer* timer = nullptr);

// Back to the first frame of the run: camera, tour, scene clock and frame
// time as start-up leaves them, so that runs compare.
void restartTour();

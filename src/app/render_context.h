// The GL context frames are drawn in: the viewer's window or, where there is
// no display server, an offscreen context. Start-up, scene, passes and frame
// loop are the same on both; only a frame's events and its presenting differ,
// and they go through here.
#pragma once

#include "app/offscreen_context.h"
#include "common/frame_size.h"

#include <optional>
#include <string>

struct GLFWwindow;

// The viewer's own window, shown; a hidden one for tools and tests; or no
// window at all.
enum class ContextKind { Window, HiddenWindow, Offscreen };

struct RenderContext {
    GLFWwindow* window = nullptr;  // the window path
    OffscreenContext offscreen;    // the offscreen path, used while window is null
};

// Offscreen when asked for, or when there is no X display to open a window on;
// a hidden window always where the build has no EGL (Windows).
ContextKind chooseContextKind(bool offscreenRequested);

// A window (openWindow) or an offscreen context of `size`, current and with
// the GL entry points loaded; a hidden window takes `size` too (the shown
// one opens at its starting size). Offscreen there is no window system to
// keep time, so frameClock then counts seconds from here. On failure one
// line has been printed and nothing is returned.
std::optional<RenderContext> openRenderContext(ContextKind kind, FrameSize size = kStartFrameSize);

// The size a frame drawn now would have, in pixels: the window's
// framebuffer (none while the window is minimised: an iconified X11 window
// keeps its size but shows nothing) or the offscreen surface.
FrameSize contextFrameSize(const RenderContext& context);

// Waits for the window's next event, or `seconds` at most: what a window
// with nothing to draw does instead of swapping, which may not wait at all
// while it is unmapped.
void waitForEvents(const RenderContext& context, double seconds);

void makeRenderContextCurrent(const RenderContext& context);

// A frame's window-system steps. The window polls its events (the input
// handlers run inside) and swaps its buffers; offscreen there are no events,
// and the finished frame stays in framebuffer 0 for whoever reads it.
void pollFrameEvents(const RenderContext& context);

// The events of start-up while the scene loads, polled as a frame polls
// them; false once the window has been asked to close (Escape, or its close
// button). Offscreen nothing can ask that.
bool pollLoadingEvents(const RenderContext& context);

void presentFrame(const RenderContext& context);

// Which path, platform and renderer, for a tool's report.
std::string describeRenderContext(const RenderContext& context);

// Ends the window system or releases the offscreen context.
void closeRenderContext(RenderContext& context);

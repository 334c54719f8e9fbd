// The size frames are drawn at, in pixels: the window's framebuffer (not its
// size in screen units), the offscreen surface or the page's drawing buffer.
// Every viewport, every target that follows the frame, the projection's
// aspect and the lighting's screen size read it here, so that a resized
// window draws at its new size everywhere at once.
#pragma once

#include "common/window.h"

struct FrameSize {
    int width = kWindowWidth;
    int height = kWindowHeight;

    bool operator==(const FrameSize&) const = default;
};

constexpr FrameSize kStartFrameSize{kWindowWidth, kWindowHeight};

// The size the current frame is drawn at. Set at start-up from the context
// and changed only by the frame's size check (render/frame_resize.h), which
// remakes the targets with it.
extern FrameSize frameSize;

// How many pixels the desktop gives one of its units (2 on a doubled HiDPI
// desktop; the page's device pixel ratio): text is drawn that much larger,
// to read the same.
extern float contentScale;

// Whether the window should fill its monitor (F, F11); the window's path
// makes it so between frames.
extern bool fullscreenWanted;

// A minimised window, or one squeezed to nothing, has no pixels to draw.
constexpr bool hasPixels(FrameSize size)
{
    return size.width > 0 && size.height > 0;
}

// Half each way, odd sizes rounded up, so that stretched back over the
// frame the half-size image covers every pixel.
constexpr FrameSize halfFrameSize(FrameSize size)
{
    return {(size.width + 1) / 2, (size.height + 1) / 2};
}

// Width over height; the starting aspect for a size with no pixels, so a
// projection made from it stays finite.
float frameAspect(FrameSize size = frameSize);

// The frame's clock: where a frame reads the time, and the time it last
// read. Kept apart from the frame loop so that the scene's animation and the
// render context, which the loop itself uses, can read and set it.
#pragma once

extern float deltaTime;
extern float lastFrame;

// The window system's clock (offscreen, the context's own). A tool that
// renders scripted moments points it at its own clock (see viewer.h), so
// that the same script renders the same frames to the bit.
extern double (*frameClock)();

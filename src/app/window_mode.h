// How the window is shown, as the switches ask: filling the monitor it is
// on or back in its place (F, F11), and the cursor captured only in free
// look, where the mouse turns the camera; in the tour it is an ordinary
// cursor that can reach the window's border and buttons.
#pragma once

struct RenderContext;

// Brings the window to what the switches say, between frames, and reads
// the desktop's content scale. Changes nothing while nothing changed (and
// makes no GL call at all); does nothing offscreen or in the page, whose
// fullscreen, pointer and pixel ratio are the browser's.
void followWindowMode(const RenderContext& context);

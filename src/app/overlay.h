// The overlay H shows over the frame: the switches with their keys, the
// renderer, the frame time with a graph of the last few seconds, and each
// pass's GPU and processor time. Drawn with Dear ImGui after the last pass
// into the window's framebuffer. It is made the first time it is drawn, so
// a run that never shows it makes no GL call for it; it takes no input, so
// every key keeps its meaning and the pointer stays the viewer's.
#pragma once

class PassTimer;

// The timer the frame's passes report to while the overlay is shown (made
// then, on first use); null while it is hidden, when no query runs.
PassTimer* overlayPassTimer();

// Draws the overlay over framebuffer 0 at the frame's size, its text at the
// content scale, its frame time from the wall clock between calls (one a
// frame). Leaves the GL state the passes expect.
void drawOverlay();

// Drops the overlay's GL objects and its timer's queries without deleting
// them, for a context that lost them: the next frame it draws makes them
// again. Nothing happens when it was never shown.
void dropOverlayGLObjects();

// Frees what the overlay made; before the context ends. Nothing happens
// when it was never shown.
void closeOverlay();

// The web page around the viewer: what it shows outside the canvas, and
// the state the page's test hooks read.
#pragma once

#include "app/viewer.h"

// Where the page is: loading its scene, drawing it, stopped at start-up, or
// waiting for the browser to give back the graphics context it took.
enum class PageState { Loading = 0, Drawing = 1, Failed = 2, Lost = 3 };

PageState pageState();

// When the page drew its first frame, counted from the page's start in
// milliseconds (performance.now()); 0 until it has.
double pageFirstFrameMs();

// The longest single loading step (one model, its file imported and its
// images decoded on first use), in milliseconds: how long the page could
// not answer while the scene loaded.
double pageLongestLoadingStepMs();

// How long the page took, the last time its graphics context came back, to
// draw its next frame, everything made again, in milliseconds; 0 before the
// first time.
double pageLastRestoreMs();
// How many times the context has come back and the page drawn again.
int pageRestoreCount();

// The viewer once start-up has made it; null before, or when it failed.
const Viewer* pageViewer();

// The line above the canvas: `text` while loading, hidden once `done`.
void showPageStatus(const char* text, bool done);

// A word over the picture while it cannot be drawn; "" takes it away.
void showPageNotice(const char* text);

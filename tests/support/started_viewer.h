// The viewer's own start-up run once per test process, offscreen or on a
// hidden window: the context, render targets, shadow projection and the five
// programs, with the repository root as working directory so data/ resolves.
#pragma once

#include "app/viewer.h"

#include <string>

struct StartedViewer : Viewer {
    std::string startupOutput;  // what start-up printed
};

// Starts the viewer on first use and makes its context current. A process
// starts it on one kind of context only: the window tests ask for the hidden
// window, the GL tests need no display (offscreen through EGL; a build
// without EGL has only the hidden window).
StartedViewer& startedViewer(ContextKind kind = chooseContextKind(true));

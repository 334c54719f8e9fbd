// The viewer's own start-up run once per test process on a hidden window:
// openWindow, render targets, shadow projection and the five programs, with
// the repository root as working directory so data/ resolves.
#pragma once

#include "app/startup.h"

struct GLFWwindow;

struct StartedViewer {
    GLFWwindow* window = nullptr;
    ShaderPrograms programs;
    std::string startupOutput;  // what start-up printed
};

// Starts the viewer on first use and makes its context current.
StartedViewer& startedViewer();

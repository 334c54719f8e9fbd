// One hidden 1280x720 window with an OpenGL 3.3 core context per test
// process, created on first use, so GL tests run against the real driver
// (Mesa's llvmpipe under the virtual display in CI).
#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <string>

// Makes the shared test context current, creating it first if needed.
GLFWwindow* testGLContext();

// A fresh temporary directory for fixture files, removed by the caller's
// TempDir destructor.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path;
    std::string file(const std::string& name) const { return path + "/" + name; }
    void write(const std::string& name, const std::string& contents) const;
};

// Runs `body` with standard output captured and returns what it printed.
template <typename F>
std::string captureStdout(F&& body);

#include "support/capture_stdout.inl"

// One offscreen OpenGL 3.3 core context per test process, created on first
// use, so GL tests run against the real driver (Mesa's llvmpipe in CI) with
// no display server.
#pragma once

#include "app/render_context.h"

#include <GL/glew.h>

#include <string>

// Makes the shared test context current, creating it first if needed.
const RenderContext& testGLContext();

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

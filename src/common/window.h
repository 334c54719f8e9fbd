// The window's starting size and title. The window can be resized, so the
// size frames are drawn at is not fixed: see common/frame_size.h.
#pragma once

// In the desktop's own units: on a scaled (HiDPI) desktop the window keeps
// this size there and its framebuffer has that many times more pixels.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr const char* kWindowTitle = "Vorlune";

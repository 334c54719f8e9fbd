// The window's fixed size and title. The window cannot be resized, so every
// viewport, target size and "screen.*" uniform derives from these.
#pragma once

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr const char* kWindowTitle = "Vorlune";

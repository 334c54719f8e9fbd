// What the viewer adds to Dear ImGui's OpenGL 3 renderer (imgui_opengl3.cpp).
#pragma once

// Forgets the renderer's program, buffers and font texture without deleting
// them, for a context that lost them: its next frame makes them again, as
// at its first. Nothing happens before the renderer is initialised.
void dropImGuiRendererObjects();

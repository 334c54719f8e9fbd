// Keyboard and mouse: Escape closes, releasing a switch's key flips that
// switch (camera/switch_table), and while the overlay is shown the arrows
// and Backspace turn the effects' dials (common/dials); the cursor turns the
// camera only in free-look.
#pragma once

struct GLFWwindow;

// Last handled cursor position; the first event in free-look only records
// its position, so entering free-look never jerks the view.
extern bool awaitingFirstCursor;
extern float lastCursorX;
extern float lastCursorY;

// GL-free core of the key handler. Returns true when the window should
// close. `mods` are GLFW's modifier bits (Shift+Backspace resets every dial).
bool handleKey(int key, int action, int mods = 0);
// GL-free core of the cursor handler.
void handleCursor(double x, double y);
// Turns the camera in free look by a movement (x right, y down, in the
// cursor's units) that comes from elsewhere than the cursor, a finger on the
// page, so the cursor's last position stays where the cursor left it.
// Non-finite movements are ignored.
void turnBy(double dx, double dy);

// The callbacks installed on the window.
void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
void onCursorPos(GLFWwindow* window, double x, double y);

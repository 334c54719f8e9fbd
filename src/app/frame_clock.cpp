#include "app/frame_clock.h"

#include <GLFW/glfw3.h>

float deltaTime = 0.0f;
float lastFrame = 0.0f;
double (*frameClock)() = glfwGetTime;

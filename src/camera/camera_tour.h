// The looping camera tour: fly down the hallway, jump back to the start
// facing the side wall, sweep the heading back along the hallway, repeat.
// Free-look suspends it where it stands.
#pragma once

#include <glm/glm.hpp>

struct Camera;

constexpr float kTourForwardEnd = 8.5f;   // seconds: the forward leg ends here
constexpr float kTourCycleEnd = 9.5f;     // seconds: the turn leg ends here
constexpr float kTourTurnStartYaw = 90.0f;
constexpr float kTourTurnRate = 90.0f;    // degrees per second
constexpr glm::vec3 kTourStart{-7.0f, 1.0f, 0.0f};

struct CameraTour {
    float tourClock = 0.0f;
    float turnYaw = 0.0f;
    bool turnStarted = false;
    bool freeLook = false;

    void step(Camera& camera, float deltaTime);
};

extern CameraTour cameraTour;

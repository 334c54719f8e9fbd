#include "camera/camera_tour.h"

#include "camera/camera.h"

CameraTour cameraTour;

void CameraTour::step(Camera& camera, float deltaTime)
{
    if (freeLook) {
        return;
    }
    const float t = tourClock + deltaTime;
    tourClock = t;

    float heading = 0.0f;
    if (t < kTourForwardEnd) {
        // Moves along the heading of the previous frame, which after free-look
        // is the direction the user left the camera looking.
        camera.position += camera.front * (camera.flySpeed * deltaTime);
        turnYaw = 0.0f;
    } else if (t < kTourCycleEnd) {
        float from = turnYaw;
        if (!turnStarted) {
            camera.position = kTourStart;
            turnStarted = true;
            from = kTourTurnStartYaw;
        }
        turnYaw = from - kTourTurnRate * deltaTime;
        if (turnYaw < 0.0f) {
            turnYaw = 0.0f;
        }
        heading = turnYaw;
    } else {
        tourClock = 0.0f;
        turnStarted = false;
        heading = turnYaw;
    }
    camera.yaw = heading;
    camera.updateVectors();
}

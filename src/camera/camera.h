// The one viewer: a yaw/pitch fly camera. Only the tour moves it; the mouse
// turns it in free-look. Angles are held in degrees.
#pragma once

#include <glm/glm.hpp>

constexpr float kMaxPitch = 89.0f;

struct Camera {
    glm::vec3 position{-7.0f, 1.0f, 0.0f};
    glm::vec3 front{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    glm::vec3 right{0.0f, 0.0f, 1.0f};
    glm::vec3 referenceUp{0.0f, 1.0f, 0.0f};
    float yaw = 0.0f;
    float pitch = 0.0f;
    float flySpeed = 1.5f;
    float lookSensitivity = 0.25f;

    Camera() { updateVectors(); }

    void updateVectors();
    glm::mat4 viewMatrix() const;
    // At the aspect of the frame being drawn (frameSize), so a resized
    // window shows the same lens, neither stretched nor squeezed.
    glm::mat4 projectionMatrix() const;
    void look(float xOffset, float yOffset);
};

extern Camera camera;

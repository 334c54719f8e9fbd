#include "camera/camera.h"

#include "common/frame_size.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// Handed to glm::perspective as radians, unconverted: the lens is therefore
// about 58 degrees vertically rather than 45, and the tour and the models
// were framed for that wider view.
constexpr float kFieldOfViewArgument = 45.0f;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 100.0f;

}  // namespace

Camera camera;

void Camera::updateVectors()
{
    const float y = glm::radians(yaw);
    const float p = glm::radians(pitch);
    front = glm::normalize(glm::vec3(std::cos(y) * std::cos(p), std::sin(p), std::sin(y) * std::cos(p)));
    right = glm::normalize(glm::cross(front, referenceUp));
    up = glm::normalize(glm::cross(right, front));
}

glm::mat4 Camera::viewMatrix() const
{
    return glm::lookAt(position, position + front, up);
}

glm::mat4 Camera::projectionMatrix() const
{
    return glm::perspective(kFieldOfViewArgument, frameAspect(), kNearPlane, kFarPlane);
}

void Camera::look(float xOffset, float yOffset)
{
    yaw += lookSensitivity * xOffset;
    pitch += lookSensitivity * yOffset;
    if (pitch > kMaxPitch) {
        pitch = kMaxPitch;
    } else if (pitch < -kMaxPitch) {
        pitch = -kMaxPitch;
    }
    updateVectors();
}

// The fly camera's derived vectors, matrices and mouse-look limits.
#include "camera/camera.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float kTolerance = 1e-5f;

void expectVec3Near(const glm::vec3& actual, const glm::vec3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

TEST(Camera, StartsAtTourStartLookingDownTheHallway)
{
    const Camera fresh;
    expectVec3Near(fresh.position, {-7.0f, 1.0f, 0.0f});
    expectVec3Near(fresh.front, {1.0f, 0.0f, 0.0f});
    expectVec3Near(fresh.right, {0.0f, 0.0f, 1.0f});
    expectVec3Near(fresh.up, {0.0f, 1.0f, 0.0f});

    const glm::mat4 expected = glm::lookAt(glm::vec3(-7, 1, 0), glm::vec3(-6, 1, 0), glm::vec3(0, 1, 0));
    const glm::mat4 view = fresh.viewMatrix();
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(view[c][r], expected[c][r], kTolerance) << c << "," << r;
        }
    }
}

TEST(Camera, YawNinetyLooksAlongPlusZAndPitchLooksUp)
{
    Camera camera;
    camera.yaw = 90.0f;
    camera.updateVectors();
    expectVec3Near(camera.front, {0.0f, 0.0f, 1.0f});
    expectVec3Near(camera.right, {-1.0f, 0.0f, 0.0f});

    camera.yaw = 0.0f;
    camera.pitch = 45.0f;
    camera.updateVectors();
    expectVec3Near(camera.front, {0.70710678f, 0.70710678f, 0.0f});
    expectVec3Near(camera.up, {-0.70710678f, 0.70710678f, 0.0f});
}

TEST(Camera, ProjectionPassesFortyFiveAsRadians)
{
    const glm::mat4 p = Camera().projectionMatrix();
    EXPECT_NEAR(p[0][0], 1.0083325f, kTolerance);
    EXPECT_NEAR(p[1][1], 1.7925910f, kTolerance);
    EXPECT_NEAR(p[2][2], -1.0020020f, kTolerance);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -0.2002002f, kTolerance);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p[0][1], 0.0f);
    EXPECT_FLOAT_EQ(p[2][0], 0.0f);
}

TEST(Camera, LookClampsPitchAtEightyNineEitherWay)
{
    Camera camera;
    camera.look(0.0f, 1000.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
    camera.look(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
    camera.look(0.0f, -5000.0f);
    EXPECT_FLOAT_EQ(camera.pitch, -89.0f);
    // Still a valid frame at the limit: front never parallels world up.
    EXPECT_NEAR(glm::length(camera.right), 1.0f, kTolerance);
}

TEST(Camera, LookScalesByQuarterDegreeAndYawNeverWraps)
{
    Camera camera;
    camera.look(40.0f, 8.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 2.0f);

    Camera wrapped;
    wrapped.look(1600.0f, 0.0f);
    EXPECT_FLOAT_EQ(wrapped.yaw, 400.0f);
    Camera same;
    same.look(160.0f, 0.0f);
    expectVec3Near(wrapped.front, same.front);
}

}  // namespace

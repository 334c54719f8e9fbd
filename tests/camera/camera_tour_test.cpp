// The looping tour: forward leg, turn leg, end of cycle, and free-look.
#include "camera/camera.h"
#include "camera/camera_tour.h"

#include <gtest/gtest.h>

namespace {

constexpr float kTolerance = 1e-4f;

struct TourTest : testing::Test {
    Camera camera;
    CameraTour tour;

    // Runs the tour up to just before the turn leg.
    void flyForwardLeg()
    {
        for (int i = 0; i < 84; ++i) {
            tour.step(camera, 0.1f);
        }
    }
};

TEST_F(TourTest, ForwardLegFliesAlongPlusXAtFlySpeed)
{
    tour.step(camera, 0.5f);
    EXPECT_NEAR(camera.position.x, -7.0f + 0.75f, kTolerance);
    EXPECT_FLOAT_EQ(camera.position.y, 1.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 0.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    EXPECT_FLOAT_EQ(tour.tourClock, 0.5f);
}

TEST_F(TourTest, TurnLegStartsFromNinetyMinusStepAtTheStartPoint)
{
    tour.tourClock = 8.4f;
    camera.position = {5.0f, 1.0f, 0.0f};
    tour.step(camera, 0.2f);
    EXPECT_TRUE(tour.turnStarted);
    EXPECT_FLOAT_EQ(camera.position.x, -7.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 1.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 0.0f);
    EXPECT_NEAR(tour.turnYaw, 90.0f - 18.0f, kTolerance);
    EXPECT_NEAR(camera.yaw, 72.0f, kTolerance);

    // Later turn steps go on from turnYaw and leave the position alone.
    tour.step(camera, 0.1f);
    EXPECT_NEAR(camera.yaw, 63.0f, kTolerance);
    EXPECT_FLOAT_EQ(camera.position.x, -7.0f);
}

TEST_F(TourTest, TurnYawStopsAtZeroForTheRestOfTheLeg)
{
    tour.tourClock = 8.5f;
    tour.turnStarted = true;
    tour.turnYaw = 5.0f;
    tour.step(camera, 0.2f);
    EXPECT_FLOAT_EQ(tour.turnYaw, 0.0f);
    tour.step(camera, 0.2f);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
}

TEST_F(TourTest, TurnStepOfOneSecondOrMoreHeadsStraightDownTheHallway)
{
    tour.tourClock = 7.5f;
    tour.step(camera, 1.5f);  // lands at 9.0, inside the turn leg
    EXPECT_TRUE(tour.turnStarted);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    EXPECT_FLOAT_EQ(camera.position.x, -7.0f);
}

TEST_F(TourTest, StepOverTheWholeTurnLegSkipsItAndKeepsPosition)
{
    tour.tourClock = 8.0f;
    camera.position = {5.0f, 1.0f, 0.0f};
    tour.step(camera, 2.0f);
    EXPECT_FALSE(tour.turnStarted);
    EXPECT_FLOAT_EQ(tour.tourClock, 0.0f);
    EXPECT_FLOAT_EQ(camera.position.x, 5.0f);

    // The next forward leg continues from there.
    tour.step(camera, 0.1f);
    EXPECT_NEAR(camera.position.x, 5.15f, kTolerance);
}

TEST_F(TourTest, EndOfCycleDiscardsOvershootAndRestartsClock)
{
    tour.tourClock = 9.4f;
    tour.turnStarted = true;
    tour.turnYaw = 3.0f;
    tour.step(camera, 0.3f);
    EXPECT_FLOAT_EQ(tour.tourClock, 0.0f);
    EXPECT_FALSE(tour.turnStarted);
    EXPECT_FLOAT_EQ(camera.yaw, 3.0f);

    tour.step(camera, 0.25f);
    EXPECT_FLOAT_EQ(tour.tourClock, 0.25f);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
}

TEST_F(TourTest, FullCycleReturnsToStartFacingDownTheHallway)
{
    flyForwardLeg();
    EXPECT_NEAR(camera.position.x, -7.0f + 1.5f * 8.4f, 1e-3f);
    tour.step(camera, 0.6f);  // into the turn leg
    EXPECT_NEAR(camera.yaw, 36.0f, kTolerance);
    tour.step(camera, 0.4f);
    tour.step(camera, 0.2f);  // past the end of the cycle
    EXPECT_FLOAT_EQ(camera.position.x, -7.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    EXPECT_FALSE(tour.turnStarted);
    EXPECT_FLOAT_EQ(tour.tourClock, 0.0f);
}

TEST_F(TourTest, FreeLookFreezesEverything)
{
    tour.tourClock = 8.7f;
    tour.turnStarted = true;
    tour.turnYaw = 50.0f;
    tour.freeLook = true;
    camera.yaw = 123.0f;
    const glm::vec3 before = camera.position;
    tour.step(camera, 5.0f);
    EXPECT_FLOAT_EQ(tour.tourClock, 8.7f);
    EXPECT_FLOAT_EQ(tour.turnYaw, 50.0f);
    EXPECT_TRUE(tour.turnStarted);
    EXPECT_EQ(camera.position, before);
    EXPECT_FLOAT_EQ(camera.yaw, 123.0f);
}

TEST_F(TourTest, FirstForwardStepAfterFreeLookFollowsTheUsersHeading)
{
    camera.yaw = 90.0f;
    camera.updateVectors();
    tour.step(camera, 1.0f);
    EXPECT_NEAR(camera.position.z, 1.5f, kTolerance);
    EXPECT_NEAR(camera.position.x, -7.0f, kTolerance);
    EXPECT_FLOAT_EQ(camera.yaw, 0.0f);
    EXPECT_NEAR(camera.front.x, 1.0f, kTolerance);
}

}  // namespace

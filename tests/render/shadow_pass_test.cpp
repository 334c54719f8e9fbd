// The six cube-face view-projections that route shadow casters into the
// layers of the depth cube map.
#include "render/shadow_pass.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

struct ShadowFacesTest : testing::Test {
    void SetUp() override { shadowProjection = makeShadowProjection(); }
    void TearDown() override { shadowProjection = glm::mat4(1.0f); }
};

// Where a world point lands in a face's normalised device coordinates.
glm::vec3 project(const glm::mat4& faceMatrix, const glm::vec3& point)
{
    const glm::vec4 clip = faceMatrix * glm::vec4(point, 1.0f);
    return glm::vec3(clip) / clip.w;
}

TEST_F(ShadowFacesTest, EachFaceLooksAlongItsAxisInCubeMapOrder)
{
    const glm::vec3 light(0.0f);
    const auto faces = shadowFaceMatrices(light);
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        // A point straight down the face's axis lands in the face's centre,
        // one on any other axis lies outside it.
        const glm::vec3 centre = project(faces[i], axes[i] * 3.0f);
        EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
        EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
        EXPECT_GT(centre.z, -1.0f);
        EXPECT_LT(centre.z, 1.0f);
    }
    const glm::mat4 expected =
        shadowProjection * glm::lookAt(light, glm::vec3(1, 0, 0), glm::vec3(0, -1, 0));
    EXPECT_EQ(faces[0], expected);
}

TEST_F(ShadowFacesTest, FacesFollowTheLightWithAnUnchangedProjection)
{
    const glm::vec3 moved(0.4f, 2.0f, 0.0f);
    const auto atOrigin = shadowFaceMatrices(glm::vec3(0.0f));
    const auto following = shadowFaceMatrices(moved);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(following[i], atOrigin[i]);
        // Moving the light is a translation before the same matrix.
        const glm::mat4 recovered = following[i] * glm::translate(glm::mat4(1.0f), moved);
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) {
                EXPECT_NEAR(recovered[c][r], atOrigin[i][c][r], 1e-5f);
            }
        }
    }
}

TEST_F(ShadowFacesTest, FaceSeamsAgreeOnSharedDirections)
{
    // A direction between +X and +Z sits on the right edge of +X's face and
    // the left edge of +Z's, as a seamless cube map needs.
    const auto faces = shadowFaceMatrices(glm::vec3(0.0f));
    const glm::vec3 diagonal(1.0f, 0.0f, 1.0f);
    EXPECT_NEAR(std::abs(project(faces[0], diagonal).x), 1.0f, 1e-5f);
    EXPECT_NEAR(std::abs(project(faces[4], diagonal).x), 1.0f, 1e-5f);
}

}  // namespace

// The six cube-face view-projections that route shadow casters into the
// layers of the depth cube map.
#include "render/shadow_pass.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

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

// Where GL samples a cube map for a direction r, by its own face-selection
// table: the major axis ma picks the face, whose texel is
// s = (sc / |ma| + 1) / 2, t = (tc / |ma| + 1) / 2. Each row names the axis
// and sign of ma, sc and tc; +X, for one, has sc = -rz and tc = -ry.
struct GlCubeFace {
    int majorAxis, majorSign, sAxis, sSign, tAxis, tSign;
};
constexpr GlCubeFace kGlCubeFaces[kCubeFaceCount] = {
    {0, 1, 2, -1, 1, -1},   // +X
    {0, -1, 2, 1, 1, -1},   // -X
    {1, 1, 0, 1, 2, 1},     // +Y
    {1, -1, 0, 1, 2, -1},   // -Y
    {2, 1, 0, 1, 1, -1},    // +Z
    {2, -1, 0, -1, 1, -1},  // -Z
};

// A face drawn upside down, mirrored or turned, or into the wrong layer,
// puts its depths where the lighting pass never looks for them.
TEST_F(ShadowFacesTest, EachFaceRendersItsDirectionsWhereGlSamplesThem)
{
    const glm::vec3 light(0.4f, 2.0f, -1.0f);
    const auto faces = shadowFaceMatrices(light);
    // One point per quadrant around the face's axis, off the diagonals so a
    // quarter turn moves every one of them.
    const glm::vec2 offsets[] = {{0.5f, 0.25f}, {-0.5f, 0.25f}, {0.5f, -0.25f}, {-0.5f, -0.25f}};
    for (int i = 0; i < kCubeFaceCount; ++i) {
        const GlCubeFace& gl = kGlCubeFaces[i];
        for (const glm::vec2& offset : offsets) {
            glm::vec3 r(0.0f);
            r[gl.majorAxis] = 2.0f * gl.majorSign;
            r[gl.sAxis] = offset.x;
            r[gl.tAxis] = offset.y;
            const float ma = std::abs(r[gl.majorAxis]);
            const float sc = gl.sSign * r[gl.sAxis];
            const float tc = gl.tSign * r[gl.tAxis];
            const glm::vec2 sampled((sc / ma + 1.0f) / 2.0f, (tc / ma + 1.0f) / 2.0f);
            // Window x runs along s and window y along t: row 0 of the
            // rendered face is the texture's first row.
            const glm::vec3 ndc = project(faces[i], light + r);
            SCOPED_TRACE(testing::Message() << "face " << i << ", r " << r.x << " " << r.y << " " << r.z);
            EXPECT_NEAR((ndc.x + 1.0f) / 2.0f, sampled.x, 1e-5f);
            EXPECT_NEAR((ndc.y + 1.0f) / 2.0f, sampled.y, 1e-5f);
            EXPECT_GT(ndc.z, -1.0f);
            EXPECT_LT(ndc.z, 1.0f);
        }
    }
}

TEST_F(ShadowFacesTest, FirstFaceAtTheOriginIsTheProjectionTimesItsLookAt)
{
    const glm::mat4 expected =
        shadowProjection * glm::lookAt(glm::vec3(0.0f), glm::vec3(1, 0, 0), glm::vec3(0, -1, 0));
    EXPECT_EQ(shadowFaceMatrices(glm::vec3(0.0f))[0], expected);
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

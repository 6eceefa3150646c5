// The frame's decisions that need no GL: when the light counts as visible for the sprite flares,
// which filters the sampling settings select, and the per-frame light-space matrix map.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "render/frame.hpp"
#include "render/light_space_matrices.hpp"
#include "render/passes.hpp"
#include "scene/camera.hpp"

namespace vantor {
namespace {

using scene::mat4;
using scene::vec4;

TEST(LightVisibility, InsideTheDepthRangeAndUpTo18HalfExtentsBeyondTheScreen) {
    EXPECT_TRUE(lightIsVisible({0, 0, 0, 1}));
    EXPECT_TRUE(lightIsVisible({1.79f, -1.79f, 0.99f, 1}));
    EXPECT_TRUE(lightIsVisible({-3.5f, 3.5f, 0, 2}));  // 1.75 after the divide
    EXPECT_FALSE(lightIsVisible({1.81f, 0, 0, 1}));
    EXPECT_FALSE(lightIsVisible({-1.81f, 0, 0, 1}));
    EXPECT_FALSE(lightIsVisible({0, 1.81f, 0, 1}));
    EXPECT_FALSE(lightIsVisible({0, -1.81f, 0, 1}));
    EXPECT_FALSE(lightIsVisible({0, 0, 1.01f, 1}));   // beyond the far plane
    EXPECT_FALSE(lightIsVisible({0, 0, -1.01f, 1}));  // before the near plane
}

TEST(LightVisibility, ALightBehindTheCameraIsHidden) {
    // Behind the camera the clip w is negative, which pushes one depth plane positive.
    EXPECT_FALSE(lightIsVisible({0, 0, 0.5f, -1}));
    EXPECT_FALSE(lightIsVisible({0.1f, 0.1f, -0.5f, -1}));

    // The same through a real camera: a point ahead is visible, the same point behind is not.
    scene::Camera camera{mat4(1.0f)};
    const mat4 viewProjection = camera.getProjectionMatrix() * camera.getInverseModelMatrix();
    const scene::vec3 eye = camera.getModelMatrix().position();
    const scene::vec3 back = camera.getModelMatrix().column(2).xyz();  // away from the view
    EXPECT_TRUE(lightIsVisible(viewProjection * vec4(eye - back * 50.0f, 1)));
    EXPECT_FALSE(lightIsVisible(viewProjection * vec4(eye + back * 50.0f, 1)));
}

TEST(SamplingFilters, FollowTheTwoSwitches) {
    const auto expectFilters = [](bool texture, bool mipmap, GLint mag, GLint min) {
        const SamplingFilters filters = samplingFilters(texture, mipmap);
        EXPECT_EQ(filters.magnification, mag) << texture << mipmap;
        EXPECT_EQ(filters.minification, min) << texture << mipmap;
    };
    expectFilters(false, false, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST);
    expectFilters(true, false, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST);
    expectFilters(false, true, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR);
    expectFilters(true, true, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
}

TEST(LightSpaceMatrices, StoreOverwritesAndAMissingEntryReadsAsTheIdentity) {
    LightSpaceMatrices matrices;
    const auto* first = reinterpret_cast<const scene::VisibleObject*>(0x1000);
    const auto* second = reinterpret_cast<const scene::VisibleObject*>(0x2000);

    matrices.store(first, mat4(2.0f));
    matrices.store(first, mat4(3.0f));
    EXPECT_EQ(matrices.lookup(first), mat4(3.0f));
    EXPECT_EQ(matrices.size(), 1u);

    EXPECT_EQ(matrices.lookup(second), mat4(1.0f));
    EXPECT_EQ(matrices.size(), 2u) << "a missing entry is inserted";
    matrices.store(second, mat4(4.0f));
    EXPECT_EQ(matrices.lookup(second), mat4(4.0f));
    EXPECT_EQ(matrices.lookup(first), mat4(3.0f));
}

}  // namespace
}  // namespace vantor

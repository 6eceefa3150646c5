// The objects that serve the renderer: the sky box that follows its target, the full-screen quad
// that must cover the viewport as stored, and the flare sprites with their tint and line position.
#include "collision/c_box.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"
#include "scene/lens_flare.hpp"
#include "scene/screen_quad.hpp"
#include "scene/skybox.hpp"

namespace vantor::test {
namespace {

using scene::mat4;
using scene::vec3;

constexpr float skyScale = 40.0f;

using ScreenQuadTest = GlTest;
using LensFlareTest = GlTest;

// The fixture folder holds a stand-in sky box: a cube from -1 to 1.
class SkyboxTest : public GlTest {
  protected:
    WorkingDirectory cwd{sceneFixturesDir()};
    ModelObject figure{nullptr, scene::translate(mat4(), {3, 4, -5})};
};

mat4 expectedSkyMatrix(vec3 at) {
    mat4 m(skyScale);
    m[15] = 1.0f;
    m[12] = at.x;
    m[13] = at.y;
    m[14] = at.z;
    return m;
}

TEST_F(SkyboxTest, UpdateCentresTheBoxOnItsTargetWhateverCameBefore) {
    scene::Skybox sky(mat4(), &figure);
    ASSERT_FALSE(sky.meshes.empty());
    sky.rotate(30, {0, 1, 0}, scene::World);
    sky.translate({7, 7, 7}, scene::Local);
    sky.scale({2, 2, 2}, scene::World);
    sky.update(0.016);
    EXPECT_EQ(sky.getModelMatrix(), expectedSkyMatrix({3, 4, -5}));

    figure.translate({1, 0, 0}, scene::World);
    sky.update(0.016);
    EXPECT_EQ(sky.getModelMatrix(), expectedSkyMatrix({4, 4, -5}));
}

TEST_F(SkyboxTest, TranslationsAsAChildLeaveNoTrace) {
    scene::Skybox sky(mat4(), &figure);
    figure.addChild(&sky);
    sky.update(0);
    figure.translate({0, 2, 0}, scene::World);
    figure.translate({0, 0, 1}, scene::Local);
    sky.update(0);
    EXPECT_EQ(sky.getModelMatrix(), expectedSkyMatrix({3, 6, -4}));
    figure.removeChild(&sky);
}

TEST_F(SkyboxTest, CollisionBoxFollowsTheMatrixFromBeforeTheRecentring) {
    scene::Skybox sky(mat4(), &figure);
    const auto* box = dynamic_cast<const scene::collision::CBox*>(sky.collisionShape);
    ASSERT_NE(box, nullptr);

    sky.update(0);
    EXPECT_EQ(box->worldMin, vec3(-1, -1, -1)) << "the constructor's identity";
    EXPECT_EQ(box->worldMax, vec3(1, 1, 1));

    sky.update(0);
    EXPECT_EQ(box->worldMin, vec3(3 - skyScale, 4 - skyScale, -5 - skyScale));
    EXPECT_EQ(box->worldMax, vec3(3 + skyScale, 4 + skyScale, -5 + skyScale));
}

TEST_F(SkyboxTest, WithoutATargetTheBoxStaysWhereItIs) {
    scene::Skybox sky(scene::translate(mat4(), {1, 2, 3}), nullptr);
    sky.update(0);
    EXPECT_EQ(sky.getModelMatrix(), scene::translate(mat4(), {1, 2, 3}));
}

const char* const positionOnlyVertexShader = R"(#version 330 core
in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

const char* const whiteFragmentShader = R"(#version 330 core
out vec4 fragment;
void main() { fragment = vec4(1.0); }
)";

TEST_F(ScreenQuadTest, ShippedCoversEveryPixelWithoutAMatrix) {
    WorkingDirectory cwd(dataDir());
    scene::ScreenQuad quad{mat4()};
    ASSERT_FALSE(quad.meshes.empty());
    const GLuint program = linkProgram(positionOnlyVertexShader, whiteFragmentShader);

    OffscreenTarget target(64, 36);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    quad.draw(program);

    const std::vector<std::uint8_t> pixels = target.readPixels();
    std::size_t uncovered = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        uncovered += pixels[i] != 255 ? 1 : 0;
    }
    EXPECT_EQ(uncovered, 0u);
    glUseProgram(0);
    glDeleteProgram(program);
}

TEST_F(LensFlareTest, KeepsItsTintAndLinePositionAndResetsLikeAnyObject) {
    WorkingDirectory cwd(sceneFixturesDir());
    scene::LensFlare flare(mat4(), "Models/vertex_colors.obj", {0, 0, 1}, 0.285f);
    EXPECT_EQ(flare.color, vec3(0, 0, 1));
    EXPECT_EQ(flare.positionFactor, 0.285f);
    EXPECT_EQ(flare.meshes.size(), 1u);

    flare.translate({5, 6, 7}, scene::World);
    flare.setColliding(true);
    EXPECT_EQ(flare.getModelMatrix(), scene::translate(mat4(), {5, 6, 7}));
    flare.reset();
    EXPECT_EQ(flare.getModelMatrix(), mat4());
}

}  // namespace
}  // namespace vantor::test

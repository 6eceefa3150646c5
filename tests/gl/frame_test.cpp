// The whole frame pipeline on the shipped scene: tolerant pixel checks of what each render setting
// does to the picture. Each frame costs most of a second in software, so every check draws only
// the frames it needs. Set VANTOR_FRAME_DUMP to a folder to keep the frames as PPM images.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "app/keys.hpp"
#include "app/registry.hpp"
#include "app/settings.hpp"
#include "app/world_update.hpp"
#include "frame_image.hpp"
#include "gl/support/shipped_scene.hpp"
#include "render/frame.hpp"
#include "render/passes.hpp"
#include "render/render_targets.hpp"
#include "scene/camera.hpp"
#include "scene/light.hpp"
#include "scene/visible_object.hpp"

namespace vantor::test {
namespace {

constexpr double frameStep = 1.0 / 30.0;
constexpr int settleSteps = 90;

GLint textureParameter(GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}
GLint magnificationFilter(GLuint texture) {
    return textureParameter(texture, GL_TEXTURE_MAG_FILTER);
}
GLint minificationFilter(GLuint texture) {
    return textureParameter(texture, GL_TEXTURE_MIN_FILTER);
}

class FrameTest : public ShippedSceneTest {
  protected:
    // Lets the figure drop onto the first cloud, where it casts its shadow.
    static void SetUpTestSuite() { buildShippedScene(settleSteps, frameStep); }

    // One frame of the pipeline, read back from the window.
    FrameImage drawFrame(const std::string& name) {
        renderFrame();
        glFinish();
        FrameImage image = readScreen(contextWidth, contextHeight);
        dumpFrame(image, name);
        return image;
    }
};

// Turns the camera about the figure for one test and puts it back afterwards. Turning right by 45
// degrees and levelling the view brings the light, low on the right, into the middle of the
// picture; a little less leaves it right of the middle, where its flares spread over the image.
class CameraTurn {
  public:
    CameraTurn(float yawDegrees, float pitchDegrees) : camera(*registry.camera) {
        saved = camera.modelMatrix;
        savedInverse = camera.inverseModelMatrix;
        const scene::vec3 figure = camera.parent->getModelMatrix().position();
        camera.rotateAround(yawDegrees, {0, 1, 0}, figure);
        camera.rotateAround(pitchDegrees, camera.getModelMatrix().column(0).xyz(), figure);
        // The frustum and the flare sprites follow the camera in the world update.
        updateWorld(0.0);
    }
    ~CameraTurn() {
        camera.modelMatrix = saved;
        camera.inverseModelMatrix = savedInverse;
        updateWorld(0.0);
    }
    CameraTurn(const CameraTurn&) = delete;
    CameraTurn& operator=(const CameraTurn&) = delete;

  private:
    scene::Camera& camera;
    scene::mat4 saved;
    scene::mat4 savedInverse;
};

constexpr float towardsLightYaw = -32.0f;
constexpr float levelPitch = 20.0f;
constexpr float awayFromLightYaw = 135.0f;

void expectNoGlError() {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameTest, DefaultFrameIsNotUniformAndShowsSkyAtTheTop) {
    const FrameImage frame = drawFrame("default");
    EXPECT_GT(frame.brightnessSpread(), 10.0);
    const Rgb top = frame.mean(0, contextHeight - 100, contextWidth, contextHeight);
    EXPECT_GT(top.b, top.r + 20) << "the top of the picture should be blue sky";
    expectNoGlError();
}

TEST_F(FrameTest, SwitchingShadowsOffOnlyBrightensThePicture) {
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = noLensFlare;
    const FrameImage shadowed = drawFrame("shadows_on");
    settings.shadowMapping = false;
    const FrameImage plain = drawFrame("shadows_off");

    int brightened = 0;
    int darkened = 0;
    for (int y = 0; y < contextHeight; ++y) {
        for (int x = 0; x < contextWidth; ++x) {
            const int on = shadowed.at(x, y)[0] + shadowed.at(x, y)[1] + shadowed.at(x, y)[2];
            const int off = plain.at(x, y)[0] + plain.at(x, y)[1] + plain.at(x, y)[2];
            brightened += off > on + 30 ? 1 : 0;
            darkened += on > off + 30 ? 1 : 0;
        }
    }
    EXPECT_GT(brightened, 500) << "no shadow was lifted";
    EXPECT_LT(darkened, brightened / 20) << "shadows must only ever darken";

    // With shadows off, what the shadow map still holds must not matter: fill it with occluders
    // right at the light and the picture stays the same.
    GLfloat clearColour[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glBindFramebuffer(GL_FRAMEBUFFER, renderTargets.shadow.framebuffer);
    glClearColor(1.0f, 1.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const FrameImage stillPlain = drawFrame("shadows_off_full_map");
    EXPECT_EQ(stillPlain.countDifferent(plain, 0), 0);
    // The shader learns that there is no shadow map from an empty shadow-map unit.
    GLint shadowUnitTexture = -1;
    glActiveTexture(GL_TEXTURE10);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &shadowUnitTexture);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(shadowUnitTexture, 0);
    expectNoGlError();
}

TEST_F(FrameTest, BloomModeZeroShowsTheSceneAloneAndEachModeGlowsDifferently) {
    settings.lensFlareMode = noLensFlare;
    FrameImage modes[4];
    for (int mode = 0; mode < 4; ++mode) {
        settings.bloomBlendMode = mode;
        modes[mode] = drawFrame("bloom_mode_" + std::to_string(mode));
        if (mode == 0) {
            const FrameImage scene =
                readTexture(renderTargets.scene.texture, contextWidth, contextHeight);
            dumpFrame(scene, "scene_texture");
            EXPECT_LT(modes[0].countDifferent(scene, 2), contextWidth * contextHeight / 1000)
                << "mode 0 must show the scene image as it is";
        }
    }
    for (int a = 1; a < 4; ++a) {
        EXPECT_GT(modes[a].countDifferent(modes[0], 8), 2000) << "mode " << a << " adds no glow";
        for (int b = a + 1; b < 4; ++b) {
            EXPECT_GT(modes[a].countDifferent(modes[b], 4), 2000)
                << "modes " << a << " and " << b << " look the same";
        }
    }
    expectNoGlError();
}

TEST_F(FrameTest, LensFlareModesDifferWhileTheLightIsInView) {
    CameraTurn towardsLight(towardsLightYaw, levelPitch);
    settings.bloomBlendMode = 0;
    FrameImage modes[3];
    for (int mode = 0; mode < 3; ++mode) {
        settings.lensFlareMode = mode;
        modes[mode] = drawFrame("lens_flare_mode_" + std::to_string(mode));
    }
    EXPECT_GT(modes[1].countDifferent(modes[0], 8), 2000) << "no sprite flares";
    EXPECT_GT(modes[2].countDifferent(modes[0], 8), 2000) << "no screen-space flare";
    EXPECT_GT(modes[2].countDifferent(modes[1], 8), 2000);
    expectNoGlError();
}

TEST_F(FrameTest, NoSpriteFlaresWhileTheLightIsBehindTheCamera) {
    CameraTurn awayFromLight(awayFromLightYaw, 0.0f);
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = noLensFlare;
    const FrameImage none = drawFrame("light_behind_no_flares");
    settings.lensFlareMode = spriteFlares;
    const FrameImage sprites = drawFrame("light_behind_sprite_flares");
    EXPECT_EQ(sprites.countDifferent(none, 0), 0);
    expectNoGlError();
}

TEST_F(FrameTest, WireframeChangesThePicture) {
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = noLensFlare;
    const FrameImage filled = drawFrame("filled");
    settings.wireframe = true;
    const FrameImage lines = drawFrame("wireframe");
    settings.wireframe = false;
    EXPECT_GT(lines.countDifferent(filled, 16), 10000);
    GLint polygonMode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_FILL) << "the frame must end with filled polygons";
    expectNoGlError();
}

TEST_F(FrameTest, CullingKeepsEveryObjectInView) {
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = noLensFlare;
    const FrameImage culled = drawFrame("culling_on");
    settings.frustumCulling = false;
    const FrameImage everything = drawFrame("culling_off");
    EXPECT_EQ(culled.countDifferent(everything, 0), 0);
    expectNoGlError();
}

// While F4 or F5 is held, each drawn object re-filters the texture the previous one left bound.
TEST_F(FrameTest, HeldSamplingKeyRefiltersTheTexturesOfTheObjectsDrawn) {
    ASSERT_GE(registry.drawList.size(), 3u);
    scene::VisibleObject* platform = registry.drawList[1];
    ASSERT_FALSE(platform->meshes.empty());
    ASSERT_FALSE(platform->meshes.back()->textures.empty());
    const GLuint texture = platform->meshes.back()->textures.back().id;

    settings.textureBilinear = false;
    settings.mipmapBilinear = false;
    settings.frustumCulling = false;
    renderFrame();
    EXPECT_EQ(magnificationFilter(texture), GL_LINEAR) << "no key held: nothing re-filtered";

    keyLatches.functionKeys[3] = true;
    renderFrame();
    keyLatches.functionKeys[3] = false;
    EXPECT_EQ(magnificationFilter(texture), GL_NEAREST);
    EXPECT_EQ(minificationFilter(texture), GL_NEAREST_MIPMAP_NEAREST);

    settings = Settings{};
    keyLatches.functionKeys[4] = true;
    renderFrame();
    keyLatches.functionKeys[4] = false;
    EXPECT_EQ(magnificationFilter(texture), GL_LINEAR);
    EXPECT_EQ(minificationFilter(texture), GL_LINEAR_MIPMAP_LINEAR);
    expectNoGlError();
}

TEST_F(FrameTest, EverySettingLeavesNoGlErrorAndTheScreenBound) {
    settings.transparency = false;
    settings.wireframe = true;
    settings.shadowMapping = false;
    settings.bloomBlendMode = 3;
    settings.lensFlareMode = spriteFlares;
    renderFrame();
    settings = Settings{};
    settings.frustumCulling = false;
    settings.bloomBlendMode = 2;
    renderFrame();
    expectNoGlError();
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
}

}  // namespace
}  // namespace vantor::test

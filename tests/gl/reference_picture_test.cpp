// Reference pictures: views of the shipped game at a fixed camera and time, drawn by the whole
// frame and the overlay, shrunk to 320 x 180 and compared with fixtures/reference where the
// renderer is the one that made them. scripts/renew_references.sh renews them on purpose
// (VANTOR_RENEW_REFERENCES); VANTOR_GALLERY=DIR writes every view at full size for
// scripts/gallery.sh.
#include <IL/il.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/game_state.hpp"
#include "app/main_loop.hpp"
#include "app/registry.hpp"
#include "app/world_update.hpp"
#include "assets/png_writer.hpp"
#include "gl/frame_image.hpp"
#include "gl/support/shipped_scene.hpp"
#include "render/frame.hpp"
#include "scene/camera.hpp"

namespace vantor::test {
namespace {

constexpr int shrink = 5;            // 1600 x 900 to 320 x 180
constexpr double tolerance = 0.004;  // RMS on 0..1, about one level of 255
const std::string folder = VANTOR_FIXTURES_DIR "/reference/";

struct View {
    const char* name;
    bool towardsSun;  // the camera turned right and levelled: the sun right of the middle
    int bloom, lens;
    bool shadows, wireframe, compared;
};
// clang-format off
const View views[] = {
    {"start", false, 1, 2, true, false, true},         {"sun", true, 1, 2, true, false, true},
    {"shadows_off", false, 1, 2, false, false, false}, {"bloom_0", false, 0, 2, true, false, false},
    {"bloom_2", false, 2, 2, true, false, false},      {"bloom_3", false, 3, 2, true, false, true},
    {"sun_bloom_0", true, 0, 2, true, false, false},   {"sun_bloom_2", true, 2, 2, true, false, false},
    {"sun_bloom_3", true, 3, 2, true, false, false},   {"lens_0", true, 1, 0, true, false, false},
    {"lens_1", true, 1, 1, true, false, true},         {"wireframe", false, 1, 2, true, true, false},
};
// clang-format on

class ReferencePictureTest : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() { buildShippedScene(90, 1.0 / 30.0); }
};

// The frame shrunk by averaging, rows bottom first as GL reads them.
std::vector<unsigned char> shrunk(const FrameImage& frame) {
    std::vector<unsigned char> small;
    for (int y = 0; y < frame.height; y += shrink) {
        for (int x = 0; x < frame.width; x += shrink) {
            const Rgb m = frame.mean(x, y, x + shrink, y + shrink);
            for (double channel : {m.r, m.g, m.b}) {
                small.push_back(static_cast<unsigned char>(std::lround(channel)));
            }
        }
    }
    return small;
}

TEST_F(ReferencePictureTest, ViewsLookAsTheirReferences) {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    const char* gallery = std::getenv("VANTOR_GALLERY");
    const bool renewing = std::getenv("VANTOR_RENEW_REFERENCES") != nullptr;
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string madeWith;
    std::getline(std::ifstream(folder + "renderer.txt"), madeWith);
    if (renewing) {
        std::ofstream(folder + "renderer.txt") << renderer << "\n";
    }
    const bool sameRenderer = renewing || renderer == madeWith;
    if (!sameRenderer && gallery == nullptr) {
        GTEST_SKIP() << "skipped: the references were made with " << madeWith << ", not "
                     << renderer;
    }
    // Writes the frame into the gallery; compares it shrunk with its reference, or renews that.
    auto shoot = [&](const std::string& name, bool compared) {
        const FrameImage frame = readScreen(contextWidth, contextHeight);
        if (gallery != nullptr) {
            saveScreenshotPng(std::string(gallery) + "/" + name + ".png", frame.width,
                              frame.height);
        }
        if (!compared || !sameRenderer) {
            return;
        }
        std::vector<unsigned char> small = shrunk(frame);
        const std::string path = folder + name + ".png";
        ilBindImage(ilGenImage());
        if (renewing) {
            ilTexImage(frame.width / shrink, frame.height / shrink, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                       small.data());
            EXPECT_TRUE(ilSave(IL_PNG, path.c_str())) << path;
            return;
        }
        ASSERT_TRUE(ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) &&
                    ilGetInteger(IL_IMAGE_SIZE_OF_DATA) == static_cast<int>(small.size()))
            << "no reference picture " << path;
        double sum = 0;
        for (std::size_t i = 0; i < small.size(); ++i) {
            sum += std::pow((small[i] - ilGetData()[i]) / 255.0, 2);
        }
        EXPECT_LT(std::sqrt(sum / small.size()), tolerance)
            << name << " looks different from " << path
            << "; if that is meant, renew the references with scripts/renew_references.sh";
    };
    scene::Camera& camera = *registry.camera;
    const scene::mat4 start = camera.modelMatrix;
    const scene::mat4 startInverse = camera.inverseModelMatrix;
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        settings = Settings{};
        settings.bloomBlendMode = view.bloom;
        settings.lensFlareMode = view.lens;
        settings.shadowMapping = view.shadows;
        settings.wireframe = view.wireframe;
        camera.modelMatrix = start;
        camera.inverseModelMatrix = startInverse;
        if (view.towardsSun) {
            const scene::vec3 figure = registry.character->getModelMatrix().position();
            camera.rotateAround(-32.0f, {0, 1, 0}, figure);
            camera.rotateAround(20.0f, camera.modelMatrix.column(0).xyz(), figure);
        }
        updateWorld(0.0);  // the frustum and the flare sprites follow the camera
        renderFrame();
        shoot(view.name, view.compared);
    }
    // The win: the figure dropped onto the goal from the start view, with frame rate and help.
    settings = Settings{};
    settings.showFps = settings.showHelp = true;
    camera.modelMatrix = start;
    camera.inverseModelMatrix = startInverse;
    registry.character->translate(registry.endPlatform->getModelMatrix().position() -
                                      registry.character->getModelMatrix().position() +
                                      scene::vec3(0, 1.5f, 0),
                                  scene::World);
    for (int i = 0; i < 60 && !gameWon; ++i) {
        updateWorld(1.0 / 30.0);
    }
    ASSERT_TRUE(gameWon);
    renderFrame();
    drawOverlay();
    shoot("win", true);
    if (!sameRenderer) {
        GTEST_SKIP() << "skipped the comparison: the references were made with " << madeWith;
    }
}

}  // namespace
}  // namespace vantor::test

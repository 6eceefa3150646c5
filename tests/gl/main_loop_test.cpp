// Whole frames of the main loop on the shipped game with a scripted clock: the pause holds the
// clock and the frame rate, Escape still finishes its frame, a GL error is reported once; and
// what the function keys change in the GL state.
#include "app/main_loop.hpp"

#include <GL/glew.h>
// After the extension loader, which must come first.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/game_state.hpp"
#include "app/keys.hpp"
#include "app/settings.hpp"
#include "gl/support/shipped_scene.hpp"
#include "platform/platform.hpp"
#include "render/frame.hpp"

namespace vantor::test {
namespace {

class MainLoop : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() { buildShippedScene(0, 0.0); }
    void SetUp() override {
        ShippedSceneTest::SetUp();
        keyLatches = KeyLatches{};
        input().releaseAll();
    }
    bool frameAt(double time) {
        input().time = time;
        return runFrame(previousTime);
    }

    double previousTime = 0.0;
};

TEST_F(MainLoop, APauseHoldsTheClockAndTheRateAndEscapeEndsTheLoopAfterItsFrame) {
    EXPECT_TRUE(frameAt(0.05));
    EXPECT_EQ(fps, 20.0);
    input().press('P');
    EXPECT_TRUE(frameAt(1.0));
    input().release('P');
    EXPECT_TRUE(frameAt(10.0));
    EXPECT_EQ(previousTime, 0.05);
    EXPECT_EQ(fps, 20.0);

    input().press('P');
    EXPECT_TRUE(frameAt(11.0));
    EXPECT_EQ(fps, 5.0) << "the step after a pause is clamped";

    input().press(platform::KEY_ESC);
    EXPECT_FALSE(frameAt(11.125));
    EXPECT_EQ(fps, 8.0) << "the last frame was still updated";
}

TEST_F(MainLoop, AnErrorLeftPendingIsReportedOnceInItsFrame) {
    settings.showFps = settings.showHelp = true;  // the overlay raises no error of its own
    frameAt(0.1);
    glEnable(0xFFFF);  // not a capability: GL_INVALID_ENUM
    ::testing::internal::CaptureStdout();
    frameAt(0.2);
    frameAt(0.3);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "gl error detected: 1280\n");
}

TEST_F(MainLoop, F3DrawsLinesThenFillsAgainAndF9FirstTurnsBlendingOffThenOn) {
    glEnable(GL_BLEND);
    for (const GLint polygonMode : {GL_LINE, GL_FILL}) {
        input().press(platform::KEY_F1 + 2);
        input().press(platform::KEY_F1 + 8);
        handleKeys();
        input().releaseAll();
        handleKeys();
        GLint mode[2] = {};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        EXPECT_EQ(mode[0], polygonMode);
        EXPECT_EQ(glIsEnabled(GL_BLEND), polygonMode == GL_FILL);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A screen of another shape, as full screen gives where no mode switch happens: the picture and
// the overlay keep to the largest 16:9 area in the middle, black bars above and below, and a
// pause puts the pointer in the middle of the window.
TEST_F(MainLoop, OnATallerScreenThePictureAndOverlayKeepTheirShapeBetweenBlackBars) {
    constexpr int width = 1920, height = 1200, bar = 60;
    // Resizes the hidden window; the game sees the new height once it arrives with the events.
    const auto resize = [](int toWidth, int toHeight) {
        glfwSetWindowSize(glfwGetCurrentContext(), toWidth, toHeight);
        int shown[2] = {};
        for (int wait = 0; wait < 50 && shown[1] != toHeight; ++wait) {
            glfwWaitEventsTimeout(0.1);
            platform::getFramebufferSize(&shown[0], &shown[1]);
        }
        return shown[1];
    };
    ASSERT_EQ(resize(width, height), height) << "the X server kept the window at its size";
    // Rows [from, to) of the window's left 120 pixels.
    const auto rows = [](int from, int to) {
        std::vector<std::uint8_t> pixels(std::size_t{3} * 120 * (to - from));
        glReadPixels(0, from, 120, to - from, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const auto changed = [](const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
        int count = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            count += std::abs(a[i] - b[i]) > 40;
        }
        return count;
    };
    renderFrame();
    const auto picture = rows(bar, 2 * bar);
    const std::vector<std::uint8_t> black(std::size_t{3} * 120 * bar);
    EXPECT_GT(changed(picture, black), 10000) << "the picture left its area";
    settings.showFps = true;
    renderFrame();
    drawOverlay();
    EXPECT_EQ(changed(rows(0, bar), black) + changed(rows(height - bar, height), black), 0)
        << "the bars are not black";
    EXPECT_GT(changed(rows(bar, 2 * bar), picture), 1000)
        << "the frame rate is not at the picture's foot";
    input().press('P');
    handleKeys();
    EXPECT_TRUE(input().mouseX == width / 2 && input().mouseY == height / 2);
    handleKeys();
    input().releaseAll();
    resize(1600, 900);
}

}  // namespace
}  // namespace vantor::test

// Whole frames of the main loop on the shipped game with a scripted clock: the pause holds the
// clock and the frame rate, Escape still finishes its frame, a GL error is reported once; and
// what the function keys change in the GL state.
#include "app/main_loop.hpp"

#include "app/game_state.hpp"
#include "app/keys.hpp"
#include "app/settings.hpp"
#include "gl/support/shipped_scene.hpp"

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

}  // namespace
}  // namespace vantor::test

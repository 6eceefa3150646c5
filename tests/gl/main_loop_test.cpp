// Whole frames of the main loop on the assembled game, driven by scripted keys and clock: the
// pause holds the clock and the frame rate, Escape still finishes its frame, GL errors are
// reported once per frame.
#include "app/main_loop.hpp"

#include <unistd.h>

#include <string>

#include "app/game_state.hpp"
#include "app/keys.hpp"
#include "app/scene_assembly.hpp"
#include "app/settings.hpp"
#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"
#include "render/kept_frame.hpp"

namespace vantor::test {
namespace {

class MainLoopTest : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        if (!ensureGlContext() || chdir(VANTOR_DATA_DIR) != 0) {
            return;
        }
        testing::internal::CaptureStdout();  // the start-up's loading lines
        prepareGame();
        testing::internal::GetCapturedStdout();
        assembled = true;
    }
    static void TearDownTestSuite() {
        if (assembled) {
            cleanUp();
            releaseKeptFrame();
        }
    }

    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(assembled);
        settings = Settings{};
        keyLatches = KeyLatches{};
        platform::useScriptedInput(&input);
    }
    void TearDown() override { platform::useScriptedInput(nullptr); }

    bool frameAt(double time) {
        input.time = time;
        return runFrame(previousTime);
    }

    static inline bool assembled = false;
    platform::ScriptedInput input;
    double previousTime = 0.0;
};

TEST_F(MainLoopTest, PauseHoldsClockAndFrameRateThenTheLongStepIsClamped) {
    EXPECT_TRUE(frameAt(0.05));
    EXPECT_DOUBLE_EQ(fps, 20.0);

    input.press('P');
    EXPECT_TRUE(frameAt(1.0));
    input.release('P');
    EXPECT_TRUE(frameAt(10.0));
    EXPECT_TRUE(settings.paused);
    EXPECT_DOUBLE_EQ(previousTime, 0.05);
    EXPECT_DOUBLE_EQ(fps, 20.0);

    input.press('P');
    EXPECT_TRUE(frameAt(11.0));
    EXPECT_FALSE(settings.paused);
    EXPECT_DOUBLE_EQ(previousTime, 11.0);
    EXPECT_DOUBLE_EQ(fps, 5.0);
}

TEST_F(MainLoopTest, EscapeEndsTheLoopAfterItsFrameWasUpdated) {
    previousTime = 1.0;
    input.press(platform::KEY_ESC);
    EXPECT_FALSE(frameAt(1.1));
    EXPECT_NEAR(fps, 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(previousTime, 1.1);
}

TEST_F(MainLoopTest, AnErrorLeftPendingIsReportedOnceInItsFrame) {
    settings.showFps = true;
    settings.showHelp = true;
    frameAt(0.1);
    glEnable(0xFFFF);  // not a capability: GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    frameAt(0.2);
    frameAt(0.3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "gl error detected: 1280\n");
}

}  // namespace
}  // namespace vantor::test

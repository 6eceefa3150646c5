// F12: one screenshot request per press, polled after every other key, Escape included.
#include <gtest/gtest.h>

#include "app/keys.hpp"
#include "app/settings.hpp"
#include "platform/scripted_input.hpp"

namespace vantor {
namespace {

const KeyGlEffects noEffects{[](bool) {}, [](bool) {}};

class ScreenshotKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        keyLatches = KeyLatches{};
        screenshotRequested = false;
        platform::useScriptedInput(&input);
    }
    void TearDown() override { platform::useScriptedInput(nullptr); }

    // One frame of key handling; the main loop takes the request each frame.
    bool frameTakingRequest(bool& requested) {
        const bool keepRunning = handleKeys(noEffects);
        requested = screenshotRequested;
        screenshotRequested = false;
        return keepRunning;
    }

    platform::ScriptedInput input;
};

TEST_F(ScreenshotKeyTest, HeldKeyRequestsOnceAndAgainAfterARelease) {
    bool requested = false;
    input.press(platform::KEY_F12);
    frameTakingRequest(requested);
    EXPECT_TRUE(requested);
    for (int i = 0; i < 5; ++i) {
        frameTakingRequest(requested);
        EXPECT_FALSE(requested) << "frame " << i;
    }
    input.release(platform::KEY_F12);
    frameTakingRequest(requested);
    EXPECT_FALSE(requested);
    input.press(platform::KEY_F12);
    frameTakingRequest(requested);
    EXPECT_TRUE(requested);
}

TEST_F(ScreenshotKeyTest, SameFrameTogglesAreAppliedAndEscapeStillLetsTheRequestThrough) {
    input.press(platform::KEY_F12);
    input.press(platform::KEY_F1 + 5);  // F6: shadow mapping off
    input.press('P');
    input.press(platform::KEY_ESC);
    bool requested = false;
    EXPECT_FALSE(frameTakingRequest(requested));
    EXPECT_TRUE(requested);
    EXPECT_FALSE(settings.shadowMapping);
    EXPECT_TRUE(settings.paused);
}

TEST_F(ScreenshotKeyTest, F12TogglesNoSetting) {
    input.press(platform::KEY_F12);
    bool requested = false;
    EXPECT_TRUE(frameTakingRequest(requested));
    const Settings defaults;
    EXPECT_EQ(settings.shadowMapping, defaults.shadowMapping);
    EXPECT_EQ(settings.bloomBlendMode, defaults.bloomBlendMode);
    EXPECT_EQ(settings.lensFlareMode, defaults.lensFlareMode);
    EXPECT_EQ(settings.paused, defaults.paused);
    EXPECT_EQ(settings.showHelp, defaults.showHelp);
}

}  // namespace
}  // namespace vantor

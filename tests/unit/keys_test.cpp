// Function keys with scripted input: edge latches, the fixed polling order, pause and Escape.
#include "app/keys.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/settings.hpp"
#include "platform/scripted_input.hpp"

namespace vantor {
namespace {

using platform::KEY_ESC;
using platform::KEY_F1;

constexpr int keyF(int number) {
    return KEY_F1 + number - 1;
}

std::vector<std::string> glLog;

const KeyGlEffects recordingEffects{
    [](bool wireframe) { glLog.push_back(wireframe ? "line" : "fill"); },
    [](bool enabled) { glLog.push_back(enabled ? "blend on" : "blend off"); },
};

class KeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        keyLatches = KeyLatches{};
        glLog.clear();
        platform::useScriptedInput(&input);
    }
    void TearDown() override { platform::useScriptedInput(nullptr); }

    bool frame() { return handleKeys(recordingEffects); }

    // One full press: a frame with the key down, then a frame with it up.
    void tap(int key) {
        input.press(key);
        frame();
        input.release(key);
        frame();
    }

    platform::ScriptedInput input;
};

TEST_F(KeysTest, HeldKeyActsOnceAndFourPressesOfF7ReturnTheBlendMode) {
    input.press(keyF(7));
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(frame());
    }
    EXPECT_EQ(settings.bloomBlendMode, 2);
    input.release(keyF(7));
    frame();
    tap(keyF(7));
    EXPECT_EQ(settings.bloomBlendMode, 3);
    tap(keyF(7));
    EXPECT_EQ(settings.bloomBlendMode, 0);
    tap(keyF(7));
    EXPECT_EQ(settings.bloomBlendMode, 1);
}

TEST_F(KeysTest, F10CyclesLensFlareModeThroughTwoZeroOne) {
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        tap(keyF(10));
        seen.push_back(settings.lensFlareMode);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST_F(KeysTest, EveryBoolKeyTogglesItsOwnSetting) {
    struct Case {
        int key;
        bool Settings::*field;
    };
    const Case cases[] = {
        {keyF(1), &Settings::showHelp},
        {keyF(2), &Settings::showFps},
        {keyF(3), &Settings::wireframe},
        {keyF(4), &Settings::textureBilinear},
        {keyF(5), &Settings::mipmapBilinear},
        {keyF(6), &Settings::shadowMapping},
        {keyF(8), &Settings::frustumCulling},
        {keyF(9), &Settings::transparency},
        {'P', &Settings::paused},
    };
    for (const Case& c : cases) {
        const Settings before = settings;
        tap(c.key);
        EXPECT_NE(settings.*c.field, before.*c.field) << "key " << c.key;
        Settings expected = before;
        expected.*c.field = settings.*c.field;
        EXPECT_EQ(std::memcmp(&expected, &settings, sizeof(Settings)), 0) << "key " << c.key;
    }
}

TEST_F(KeysTest, WireframeAndTransparencyReachGlStateOnEachToggle) {
    tap(keyF(3));
    tap(keyF(3));
    EXPECT_FALSE(settings.wireframe);
    tap(keyF(9));
    EXPECT_FALSE(settings.transparency);
    EXPECT_EQ(glLog, (std::vector<std::string>{"line", "fill", "blend off"}));
}

TEST_F(KeysTest, TwoKeysInOneFrameBothActInTableOrder) {
    input.press(keyF(9));
    input.press(keyF(3));
    EXPECT_TRUE(frame());
    EXPECT_TRUE(settings.wireframe);
    EXPECT_FALSE(settings.transparency);
    EXPECT_EQ(glLog, (std::vector<std::string>{"line", "blend off"}));
}

TEST_F(KeysTest, KeyHeldAtStartActsOnTheFirstCallOnly) {
    input.press(keyF(1));
    frame();
    EXPECT_TRUE(settings.showHelp);
    frame();
    frame();
    EXPECT_TRUE(settings.showHelp);
}

TEST_F(KeysTest, PauseShowsTheCursorAndUnpauseHidesItBothRecentring) {
    input.cursorShown = false;
    input.mouseX = 3;
    input.mouseY = 7;
    tap('P');
    EXPECT_TRUE(settings.paused);
    EXPECT_TRUE(input.cursorShown);
    EXPECT_EQ(input.mouseX, 800);
    EXPECT_EQ(input.mouseY, 450);

    input.mouseX = 0;
    tap('P');
    EXPECT_FALSE(settings.paused);
    EXPECT_FALSE(input.cursorShown);
    EXPECT_EQ(input.mouseX, 800);
}

TEST_F(KeysTest, KeysStillActWhilePaused) {
    tap('P');
    tap(keyF(2));
    EXPECT_TRUE(settings.paused);
    EXPECT_TRUE(settings.showFps);
}

TEST_F(KeysTest, PPressedWhileEscapeHeldTogglesPauseThenEnds) {
    input.press(KEY_ESC);
    EXPECT_FALSE(frame());
    input.press('P');
    EXPECT_FALSE(frame());
    EXPECT_TRUE(settings.paused);
}

TEST_F(KeysTest, EscapeEndsOnEveryCallItIsHeldAndReleaseGoesOn) {
    input.press(KEY_ESC);
    EXPECT_FALSE(frame());
    EXPECT_FALSE(frame());
    input.release(KEY_ESC);
    EXPECT_TRUE(frame());
}

TEST_F(KeysTest, ClosedWindowEndsTheLoop) {
    EXPECT_TRUE(frame());
    input.windowOpen = false;
    EXPECT_FALSE(frame());
}

TEST_F(KeysTest, SamplingLatchesFollowTheHeldKeys) {
    input.press(keyF(4));
    frame();
    EXPECT_TRUE(keyLatches.f4());
    EXPECT_FALSE(keyLatches.f5());
    input.press(keyF(5));
    frame();
    EXPECT_TRUE(keyLatches.f4());
    EXPECT_TRUE(keyLatches.f5());
    EXPECT_FALSE(settings.textureBilinear);
    EXPECT_FALSE(settings.mipmapBilinear);
    input.releaseAll();
    frame();
    EXPECT_FALSE(keyLatches.f4());
    EXPECT_FALSE(keyLatches.f5());
}

}  // namespace
}  // namespace vantor

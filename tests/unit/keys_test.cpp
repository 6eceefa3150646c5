// The function keys with scripted input: each key's setting and its cycle, one action per press in
// the fixed order, the GL effects, pause, Escape and the screenshot request.
#include "app/keys.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/settings.hpp"
#include "platform/scripted_input.hpp"

namespace vantor {
namespace {

using platform::KEY_F1;

std::string glLog;

auto fields(const Settings& s) {
    return std::tie(s.showHelp, s.showFps, s.wireframe, s.textureBilinear, s.mipmapBilinear,
                    s.shadowMapping, s.bloomBlendMode, s.frustumCulling, s.transparency,
                    s.lensFlareMode, s.paused);
}

// What F1 to F9 and then P switch on and off; F7 steps a mode instead.
using S = Settings;
bool S::*const switches[] = {
    &S::showHelp,      &S::showFps, &S::wireframe,      &S::textureBilinear, &S::mipmapBilinear,
    &S::shadowMapping, nullptr,     &S::frustumCulling, &S::transparency,    &S::paused};
int switchKey(int i) {
    return i < 9 ? KEY_F1 + i : 'P';
}

class KeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        keyLatches = KeyLatches{};
        screenshotRequested = false;
        glLog.clear();
        platform::useScriptedInput(&input);
    }
    void TearDown() override { platform::useScriptedInput(nullptr); }

    bool frame() {
        return handleKeys({[](bool on) { glLog += on ? "line " : "fill "; },
                           [](bool on) { glLog += on ? "blend " : "opaque "; }});
    }
    // Two frames with the key down, then one with it up.
    void tap(int key) {
        input.press(key);
        frame();
        frame();
        input.release(key);
        frame();
    }

    platform::ScriptedInput input;
};

TEST_F(KeysTest, EachKeyChangesItsOwnSettingOncePerPress) {
    for (int i = 0; i < 10; ++i) {
        Settings expected = settings;
        if (switches[i] == nullptr)
            continue;
        expected.*switches[i] = !(settings.*switches[i]);
        tap(switchKey(i));
        EXPECT_TRUE(fields(expected) == fields(settings)) << "key " << i;
    }
    tap(KEY_F1 + 2);
    tap(KEY_F1 + 8);
    EXPECT_EQ(glLog, "line opaque fill blend ");
    // F7 steps four bloom blend modes and F10 three lens flare modes, from 1 and 2.
    std::string modes;
    for (int i = 0; i < 4; ++i) {
        tap(KEY_F1 + 6);
        tap(KEY_F1 + 9);
        modes += std::to_string(settings.bloomBlendMode) + std::to_string(settings.lensFlareMode);
    }
    EXPECT_EQ(modes, "20310210");
}

TEST_F(KeysTest, KeysOfOneFrameActInTableOrderAndPauseRecentresThePointer) {
    input.press(KEY_F1 + 8);
    input.press(KEY_F1 + 2);
    input.press(KEY_F1 + 3);  // the frame refilters the textures while F4 or F5 is held
    EXPECT_TRUE(frame());
    EXPECT_EQ(glLog, "line opaque ");
    EXPECT_TRUE(keyLatches.f4() && !keyLatches.f5());
    input.releaseAll();
    input.press(KEY_F1 + 4);
    frame();
    EXPECT_TRUE(!keyLatches.f4() && keyLatches.f5());

    // The pointer goes to the centre of the window, 0 x 0 here, where none is open.
    input.cursorShown = false;
    input.mouseX = input.mouseY = 7;
    tap('P');
    EXPECT_TRUE(input.cursorShown && input.mouseX == 0 && input.mouseY == 0);
    input.mouseX = input.mouseY = 7;
    tap('P');
    EXPECT_TRUE(!input.cursorShown && input.mouseX == 0 && input.mouseY == 0);
}

// Escape and a closed window end the loop; the frame's keys still act, and F12, polled last,
// asks for the picture that shows them.
TEST_F(KeysTest, EscapeEndsEveryFrameItIsHeldAfterTheOtherKeysAct) {
    input.press(platform::KEY_F12);
    EXPECT_TRUE(frame());
    EXPECT_TRUE(screenshotRequested && fields(settings) == fields(Settings{}));
    screenshotRequested = false;
    EXPECT_TRUE(frame());
    EXPECT_FALSE(screenshotRequested);  // once per press
    input.release(platform::KEY_F12);
    frame();
    input.press(platform::KEY_F12);
    input.press(KEY_F1 + 5);
    input.press(platform::KEY_ESC);
    EXPECT_FALSE(frame());
    EXPECT_TRUE(screenshotRequested && !settings.shadowMapping);
    EXPECT_FALSE(frame());
    input.release(platform::KEY_ESC);
    EXPECT_TRUE(frame());
    input.windowOpen = false;
    EXPECT_FALSE(frame());
}

// Keys are read once a frame, and a frame can take a fifth of a second: a key pressed and released
// (here twice) between two frames still acts, once.
TEST_F(KeysTest, PressesThatComeAndGoBetweenFramesActOnce) {
    const auto tapBetweenFrames = [this](int key) {
        for (int i = 0; i < 2; ++i) {
            input.press(key);
            input.release(key);
        }
    };
    Settings expected;
    for (int i = 0; i < 10; ++i) {
        tapBetweenFrames(switchKey(i));
        if (switches[i] != nullptr)
            expected.*switches[i] = !(expected.*switches[i]);
    }
    tapBetweenFrames(KEY_F1 + 9);
    tapBetweenFrames(platform::KEY_F12);
    EXPECT_TRUE(frame());
    EXPECT_TRUE(keyLatches.f4() && keyLatches.f5()) << "the frame re-filters after a tapped F4, F5";
    EXPECT_TRUE(frame());
    EXPECT_FALSE(keyLatches.f4() || keyLatches.f5());
    expected.bloomBlendMode = 2;
    expected.lensFlareMode = 0;
    EXPECT_TRUE(fields(expected) == fields(settings));
    EXPECT_EQ(glLog, "line opaque ");
    EXPECT_TRUE(screenshotRequested);
    tapBetweenFrames(platform::KEY_ESC);
    EXPECT_FALSE(frame());
    EXPECT_TRUE(frame());
    // Keys that act while held (steering, jump, reset) act for one frame after a tap.
    tapBetweenFrames(platform::KEY_SPACE);
    input.press('W');
    EXPECT_TRUE(keyDownOrTapped(platform::KEY_SPACE) && keyDownOrTapped('W'));
    EXPECT_TRUE(!keyDownOrTapped(platform::KEY_SPACE) && keyDownOrTapped('W'));
}

}  // namespace
}  // namespace vantor

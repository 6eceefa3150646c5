// The platform calls read and write an installed script, and fall back to the (absent) window
// once it is removed.
#include "platform/scripted_input.hpp"

#include <gtest/gtest.h>

namespace vantor::platform {
namespace {

class ScriptedInputTest : public ::testing::Test {
  protected:
    void SetUp() override { useScriptedInput(&input); }
    void TearDown() override { useScriptedInput(nullptr); }
    ScriptedInput input;
};

TEST_F(ScriptedInputTest, InputAndTimeCallsReadTheScript) {
    input.press('W');
    input.press(KEY_F1 + 9);
    input.mouseX = 812;
    input.mouseY = 444;
    input.wheel = -3;
    input.time = 12.5;
    EXPECT_EQ(getKey('W'), PRESS);
    EXPECT_EQ(getKey(KEY_F1 + 9), PRESS);
    EXPECT_EQ(getKey('A'), RELEASE);
    int x = 0;
    int y = 0;
    getMousePos(&x, &y);
    EXPECT_EQ(x, 812);
    EXPECT_EQ(y, 444);
    EXPECT_EQ(getMouseWheel(), -3);
    EXPECT_DOUBLE_EQ(getTime(), 12.5);
    input.release('W');
    EXPECT_EQ(getKey('W'), RELEASE);
}

TEST_F(ScriptedInputTest, WindowCallsWriteTheScript) {
    setMousePos(800, 450);
    EXPECT_EQ(input.mouseX, 800);
    EXPECT_EQ(input.mouseY, 450);
    enable(MOUSE_CURSOR);
    EXPECT_TRUE(input.cursorShown);
    disable(MOUSE_CURSOR);
    EXPECT_FALSE(input.cursorShown);
    EXPECT_NE(getWindowParam(OPENED), 0);
    input.windowOpen = false;
    EXPECT_EQ(getWindowParam(OPENED), 0);
}

TEST_F(ScriptedInputTest, KeyCodesOutsideTheTableAreReleasedAndIgnored) {
    input.press(-1);
    input.press(ScriptedInput::keyCount);
    EXPECT_EQ(getKey(-1), RELEASE);
    EXPECT_EQ(getKey(ScriptedInput::keyCount), RELEASE);
}

TEST(NoBackendTest, WithoutScriptOrWindowKeysAreUpAndTheWindowClosed) {
    EXPECT_EQ(getKey('W'), RELEASE);
    EXPECT_EQ(getWindowParam(OPENED), 0);
}

}  // namespace
}  // namespace vantor::platform

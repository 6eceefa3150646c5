// The GL side of the function keys and the per-frame error report, on a real context.
#include <gtest/gtest.h>

#include "app/keys.hpp"
#include "app/main_loop.hpp"
#include "app/settings.hpp"
#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"

namespace vantor::test {
namespace {

class KeyEffectsTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        settings = Settings{};
        keyLatches = KeyLatches{};
        platform::useScriptedInput(&input);
    }
    void TearDown() override {
        platform::useScriptedInput(nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDisable(GL_BLEND);
    }

    void tap(int key) {
        input.press(key);
        handleKeys();
        input.release(key);
        handleKeys();
    }

    platform::ScriptedInput input;
};

GLint polygonMode() {
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    return modes[0];
}

TEST_F(KeyEffectsTest, F3SwitchesPolygonModeAndBackToFill) {
    tap(platform::KEY_F1 + 2);
    EXPECT_EQ(polygonMode(), GL_LINE);
    tap(platform::KEY_F1 + 2);
    EXPECT_EQ(polygonMode(), GL_FILL);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(KeyEffectsTest, F9FirstTurnsBlendingOffThenOn) {
    glEnable(GL_BLEND);
    tap(platform::KEY_F1 + 8);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    tap(platform::KEY_F1 + 8);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(KeyEffectsTest, OnePendingErrorIsReportedOnceAsADecimalCode) {
    glEnable(0xFFFF);  // not a capability: GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    reportGlError();
    reportGlError();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "gl error detected: 1280\n");
}

}  // namespace
}  // namespace vantor::test

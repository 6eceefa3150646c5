// The shared test context: a 3.3-or-later core context with the extension entry points loaded.
#include <cstdio>

#include "gl/support/gl_test.hpp"
#include "platform/platform.hpp"

namespace vantor::test {
namespace {

using ContextTest = GlTest;

TEST_F(ContextTest, IsCoreProfileAtLeast33WithEntryPointsLoaded) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    int major = 0;
    int minor = 0;
    ASSERT_EQ(std::sscanf(version, "%d.%d", &major, &minor), 2) << version;
    EXPECT_GE(major * 10 + minor, 33) << version;

    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_NE(glGenVertexArrays, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ContextTest, DefaultFramebufferIsTheWindowSize) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], contextWidth);
    EXPECT_EQ(viewport[3], contextHeight);
}

TEST_F(ContextTest, RealBackendReportsTheOpenWindowAndItsClock) {
    EXPECT_NE(platform::getWindowParam(platform::OPENED), 0);
    int width = 0;
    int height = 0;
    platform::getWindowSize(&width, &height);
    EXPECT_EQ(width, contextWidth);
    EXPECT_EQ(height, contextHeight);
    EXPECT_EQ(platform::getKey(platform::KEY_ESC), platform::RELEASE);
    const double before = platform::getTime();
    platform::swapBuffers();
    EXPECT_GT(platform::getTime(), before);
}

}  // namespace
}  // namespace vantor::test

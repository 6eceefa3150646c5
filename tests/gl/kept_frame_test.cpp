// The kept frame brings the finished picture back into the back buffer for paused frames.
#include "render/kept_frame.hpp"

#include <array>

#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using KeptFrameTest = GlTest;

std::array<GLubyte, 4> backBufferPixel(int x, int y) {
    std::array<GLubyte, 4> pixel{};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

void clearBackBuffer(float r, float g, float b) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

TEST_F(KeptFrameTest, WithoutAKeptFrameRestoringClearsToTheClearColour) {
    releaseKeptFrame();
    clearBackBuffer(1.0f, 1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    restoreFinishedFrame();
    EXPECT_EQ(backBufferPixel(800, 450), (std::array<GLubyte, 4>{0, 0, 255, 255}));
}

TEST_F(KeptFrameTest, RestoresTheKeptPictureOverWhateverFollowed) {
    clearBackBuffer(1.0f, 0.0f, 0.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 10, 10);
    keepFinishedFrame();
    glDisable(GL_SCISSOR_TEST);
    clearBackBuffer(0.0f, 1.0f, 0.0f);
    restoreFinishedFrame();
    EXPECT_EQ(backBufferPixel(0, 0), (std::array<GLubyte, 4>{255, 0, 0, 255}));
    EXPECT_EQ(backBufferPixel(1599, 899), (std::array<GLubyte, 4>{255, 0, 0, 255}));
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    releaseKeptFrame();
}

}  // namespace
}  // namespace vantor::test

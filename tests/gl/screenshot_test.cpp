// Screenshots: the numbered file in a screenshots folder made on demand, its one report line, and
// a PNG that reads back as the back buffer's picture, top row at the top.
#include "app/screenshot.hpp"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/png_writer.hpp"
#include "assets/texture_loader.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

class ScreenshotTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        previous = fs::current_path();
        scratch = fs::temp_directory_path() / ("vantor_screenshot_" + std::to_string(getpid()));
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        fs::current_path(scratch);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(scratch);
    }

    fs::path previous;
    fs::path scratch;
};

// Top half red, bottom half blue, in the back buffer.
void drawSplitPicture() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, contextWidth, contextHeight);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, contextHeight / 2, contextWidth, contextHeight - contextHeight / 2);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, contextWidth, contextHeight / 2);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

std::array<GLubyte, 4> texel(const std::vector<GLubyte>& image, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * contextWidth + x) * 4;
    return {image[at], image[at + 1], image[at + 2], image[at + 3]};
}

TEST_F(ScreenshotTest, WritesNumberedFilesIntoAFolderItMakes) {
    drawSplitPicture();
    ASSERT_FALSE(fs::exists("screenshots"));
    testing::internal::CaptureStdout();
    const std::string first = takeScreenshot();
    const std::string second = takeScreenshot();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, "screenshots/vantor-0001.png");
    EXPECT_EQ(second, "screenshots/vantor-0002.png");
    EXPECT_TRUE(fs::is_regular_file(first));
    EXPECT_TRUE(fs::is_regular_file(second));
    EXPECT_EQ(printed,
              "screenshot written: screenshots/vantor-0001.png\n"
              "screenshot written: screenshots/vantor-0002.png\n");
    // A number freed by a deleted file is taken again before higher ones.
    fs::remove(first);
    EXPECT_EQ(nextScreenshotPath("screenshots"), first);
}

TEST_F(ScreenshotTest, PngReadsBackAsThePictureTopRowAtTheTop) {
    drawSplitPicture();
    ASSERT_TRUE(saveScreenshotPng("shot.png", contextWidth, contextHeight));
    std::ifstream file("shot.png", std::ios::binary);
    std::array<unsigned char, 8> signature{};
    file.read(reinterpret_cast<char*>(signature.data()), signature.size());
    EXPECT_EQ(signature,
              (std::array<unsigned char, 8>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}));

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    ASSERT_TRUE(loadTextureLevel0("shot.png"));
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_EQ(width, contextWidth);
    ASSERT_EQ(height, contextHeight);
    std::vector<GLubyte> image(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    // Level 0 holds the bottom row first, as GL does.
    EXPECT_EQ(texel(image, 10, 10), (std::array<GLubyte, 4>{0, 0, 255, 255}));
    EXPECT_EQ(texel(image, 1590, contextHeight - 10), (std::array<GLubyte, 4>{255, 0, 0, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScreenshotTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    std::ofstream("screenshots") << "a file where the folder should be";
    testing::internal::CaptureStdout();
    EXPECT_EQ(takeScreenshot(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "screenshot not written: cannot make folder screenshots\n");
    EXPECT_FALSE(saveScreenshotPng("missing/dir/shot.png", contextWidth, contextHeight));
    EXPECT_FALSE(saveScreenshotPng("shot.png", 0, contextHeight));
}

}  // namespace
}  // namespace vantor::test

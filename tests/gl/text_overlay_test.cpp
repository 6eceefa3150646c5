// The text overlay drawn for real: a fixture font whose "A" cell is lit only in its upper half is
// rendered large into the default framebuffer, and the lit pixels must fall inside that glyph.
#include "render/text_overlay.hpp"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/shader_program.hpp"
#include "gl/support/gl_test.hpp"
#include "gl/tga_fixture.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

constexpr int fontCellPixels = 16;
constexpr int fontImagePixels = 16 * fontCellPixels;
constexpr int glyphColumn = 'A' % 16;
constexpr int glyphRowFromTop = 'A' / 16;
// Within the "A" cell, only these texels are opaque: an inset block in the upper half.
constexpr int glyphLeft = 3, glyphRight = 12, glyphTop = 0, glyphBottom = 7;

Rgba fixtureFontPixel(int x, int yFromTop) {
    const int cellX = x - glyphColumn * fontCellPixels;
    const int cellY = yFromTop - glyphRowFromTop * fontCellPixels;
    const bool lit =
        cellX >= glyphLeft && cellX <= glyphRight && cellY >= glyphTop && cellY <= glyphBottom;
    return lit ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 0};
}

struct Pixels {
    std::vector<std::uint8_t> rgba = std::vector<std::uint8_t>(contextWidth * contextHeight * 4);
    const std::uint8_t* at(int x, int y) const { return &rgba[(y * contextWidth + x) * 4]; }
    bool bright(int x, int y) const { return at(x, y)[0] > 240 && at(x, y)[1] > 240; }
};

Pixels readScreen() {
    Pixels pixels;
    glFinish();
    glReadPixels(0, 0, contextWidth, contextHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.rgba.data());
    return pixels;
}

class TextOverlayTest : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        const fs::path root =
            fs::path(::testing::TempDir()) / ("vantor_text_overlay_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Models");
        fs::create_directories(root / "Shader");
        writeTga((root / "Models" / "Holstein.tga").string(), fontImagePixels, fontImagePixels,
                 TgaOrigin::TopLeft, fixtureFontPixel);
        for (const char* shader : {"TextShader.vert", "TextShader.frag"}) {
            fs::copy_file(fs::path(VANTOR_DATA_DIR) / "Shader" / shader, root / "Shader" / shader);
        }
        fs::current_path(root);
        ::testing::internal::CaptureStdout();
        if (ensureGlContext()) {
            initText();
        }
        ::testing::internal::GetCapturedStdout();
    }

    void SetUp() override {
        GlTest::SetUp();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, contextWidth, contextHeight);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

TEST_F(TextOverlayTest, GlyphLightsOnlyItsOwnPartOfTheCell) {
    // Overlay units are half a pixel across and two thirds of a pixel up: the quad covers
    // x 200..600 and y 150..450 of the 1600x900 framebuffer.
    printText("A", 100, 100, 200);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Pixels pixels = readScreen();

    const int quadLeft = 200, quadRight = 600, quadBottom = 150, quadTop = 450;
    const float texelWidth = 400.0f / fontCellPixels, texelHeight = 300.0f / fontCellPixels;
    int litInsideGlyph = 0;
    int untouchedOutsideQuad = 0, outsideQuad = 0;
    for (int y = 0; y < contextHeight; ++y) {
        for (int x = 0; x < contextWidth; ++x) {
            const bool inQuad = x >= quadLeft && x < quadRight && y >= quadBottom && y < quadTop;
            if (!inQuad) {
                ++outsideQuad;
                const std::uint8_t* p = pixels.at(x, y);
                untouchedOutsideQuad += p[0] >= 126 && p[0] <= 130 && p[1] >= 126 && p[1] <= 130;
                continue;
            }
            // The glyph block with a one-texel margin for linear filtering.
            const float cellX = (x - quadLeft) / texelWidth;
            const float cellYFromTop = (quadTop - y) / texelHeight;
            const bool nearGlyph =
                cellX > glyphLeft - 1 && cellX < glyphRight + 2 && cellYFromTop < glyphBottom + 2;
            if (pixels.bright(x, y)) {
                EXPECT_TRUE(nearGlyph) << "lit pixel away from the glyph at " << x << ", " << y;
                litInsideGlyph += nearGlyph;
            }
        }
    }
    EXPECT_EQ(untouchedOutsideQuad, outsideQuad);
    // The glyph block is 10 x 8 texels of 25 x 18.75 pixels; most of it must be lit.
    EXPECT_GT(litInsideGlyph, 10 * 8 * 25 * 18 / 2);
    // The transparent lower half of the cell keeps the background: blending was on.
    const std::uint8_t* lowerHalf = pixels.at(400, 180);
    EXPECT_NEAR(lowerHalf[0], 128, 2);
}

TEST_F(TextOverlayTest, LeavesTheDocumentedStateAndDrawsNothingForEmptyText) {
    printText("", 100, 100, 200);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Pixels pixels = readScreen();
    EXPECT_NEAR(pixels.at(400, 375)[0], 128, 2);

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint value = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textOverlay.textShader->program);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textOverlay.fontTexture);
    EXPECT_GE(textOverlay.textSamplerLocation, 0);
}

// The shipped font read through the loader: "A" has ink in its own cell (row 4 from the top, so
// row 11 from the bottom of the texture) and the space cell has none.
TEST_F(TextOverlayTest, ShippedFontHasItsGlyphsInTheirCells) {
    const fs::path scratch = fs::current_path();
    fs::current_path(VANTOR_DATA_DIR);
    const GLuint font = loadFontTexture();
    fs::current_path(scratch);

    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
    ASSERT_GE(size, 16);
    std::vector<std::uint8_t> texels(static_cast<size_t>(size * size * 4));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const int cellSize = size / 16;
    auto inkedTexels = [&](int code) {
        const int column = code % 16, rowFromBottom = 15 - code / 16;
        int count = 0;
        for (int y = rowFromBottom * cellSize; y < (rowFromBottom + 1) * cellSize; ++y) {
            for (int x = column * cellSize; x < (column + 1) * cellSize; ++x) {
                const std::uint8_t* texel = &texels[static_cast<size_t>((y * size + x) * 4)];
                count += texel[3] > 200 && texel[0] > 200;
            }
        }
        return count;
    };
    EXPECT_GT(inkedTexels('A'), cellSize * cellSize / 20);
    EXPECT_GT(inkedTexels('0'), cellSize * cellSize / 20);
    EXPECT_EQ(inkedTexels(' '), 0);
    // "T" carries its bar at the top: an upside-down font would put more ink in the lower half.
    auto inkedInRows = [&](int code, int fromTop, int toTop) {
        const int column = code % 16, rowFromBottom = 15 - code / 16;
        int count = 0;
        for (int r = fromTop; r < toTop; ++r) {
            const int y = (rowFromBottom + 1) * cellSize - 1 - r;
            for (int x = column * cellSize; x < (column + 1) * cellSize; ++x) {
                count += texels[static_cast<size_t>((y * size + x) * 4) + 3] > 200;
            }
        }
        return count;
    };
    EXPECT_GT(inkedInRows('T', 0, cellSize / 2), 2 * inkedInRows('T', cellSize / 2, cellSize));
    glDeleteTextures(1, &font);
}

}  // namespace
}  // namespace vantor::test

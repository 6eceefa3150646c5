// The frame's decisions that need no GL: the overlay's lines (frame rate, help texts, win message)
// with their places, sizes and order, the glyph quads and font cells of the text overlay, when the
// light throws sprite flares, and the sampling filters.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/main_loop.hpp"
#include "render/frame.hpp"
#include "render/passes.hpp"
#include "render/render_targets.hpp"
#include "render/text_overlay.hpp"

namespace vantor {
namespace {

// The lines joined by "|", each with its place and size when `placed`.
std::string joined(const std::vector<OverlayLine>& lines, bool placed = true) {
    std::string text;
    for (const OverlayLine& line : lines) {
        text += line.text +
                (placed ? " @" + std::to_string(line.x) + "," + std::to_string(line.y) + "/" +
                              std::to_string(line.size)
                        : "") +
                "|";
    }
    return text;
}

TEST(Overlay, FrameRateHelpAndWinLinesFollowTheSettings) {
    Settings shown;
    EXPECT_TRUE(overlayLines(shown, 60.0, false).empty());
    shown.showFps = shown.showHelp = true;
    EXPECT_EQ(joined(overlayLines(shown, 59.6, true)),
              "60 FPS @0,0/20|Movement: WASD @0,585/15|Pause (P): off @0,570/15|Show FPS (F2) "
              "@0,555/15|Wireframe (F3): off @0,540/15|Texturesampling (F4): bilinear @0,525/15|"
              "Mipmapsampling (F5): bilinear @0,510/15|Shadowmapping (F6): on @0,495/15|Bloom "
              "Blendmode (F7): 1 @0,480/15|Frustum Culling (F8): on @0,465/15|Transparency (F9): "
              "on @0,450/15|Lens Flares (F10): 2 @0,435/15|Yay You Won! @130,350/50|");
    shown.paused = shown.wireframe = true;
    shown.textureBilinear = shown.mipmapBilinear = shown.shadowMapping = false;
    shown.frustumCulling = shown.transparency = false;
    shown.bloomBlendMode = 3;
    shown.lensFlareMode = 0;
    EXPECT_EQ(joined(helpLines(shown), false),
              "Movement: WASD|Pause (P): on|Show FPS (F2)|Wireframe (F3): on|Texturesampling (F4): "
              "nearest|Mipmapsampling (F5): nearest|Shadowmapping (F6): off|Bloom Blendmode (F7): "
              "3|Frustum Culling (F8): off|Transparency (F9): off|Lens Flares (F10): 0|");
    // The rate is a whole number however the update left it.
    const double infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> rates[] = {
        {143.4, "143 FPS"},   {0.0, "0 FPS"},       {infinity, "99999 FPS"},
        {1e300, "99999 FPS"}, {-infinity, "0 FPS"}, {std::nan(""), "0 FPS"},
    };
    for (const auto& [fps, text] : rates)
        EXPECT_EQ(fpsLineText(fps), text) << fps;
}

// Cells of size x size side by side from (x, y) upwards; the font is a 16 x 16 grid with code 0
// at the top left, read as unsigned bytes: 'A' (65) is column 1, row 4; 255 the bottom right.
TEST(Overlay, TwoTrianglesPerGlyphOverItsFontCell) {
    const TextQuads quads = buildTextQuads("A\xFF", 10, 20, 15);
    ASSERT_TRUE(quads.positions.size() == 12 && quads.uvs.size() == 12);
    std::vector<float> corners;  // x, y, u, v of each vertex
    for (int i = 0; i < 12; ++i) {
        corners.insert(corners.end(), {quads.positions[i].x, quads.positions[i].y, quads.uvs[i].x,
                                       quads.uvs[i].y});
    }
    EXPECT_EQ(corners,
              (std::vector<float>{
                  10, 35, 0.0625f, 0.75f,   10, 20, 0.0625f, 0.6875f, 25, 35, 0.125f,  0.75f,
                  25, 20, 0.125f,  0.6875f, 25, 35, 0.125f,  0.75f,   10, 20, 0.0625f, 0.6875f,
                  25, 35, 0.9375f, 0.0625f, 25, 20, 0.9375f, 0,       40, 35, 1,       0.0625f,
                  40, 20, 1,       0,       40, 35, 1,       0.0625f, 25, 20, 0.9375f, 0}));
}

// Inside the depth range and up to 1.8 half-extents beyond the screen in x and y, after the
// divide by w; a negative w (behind the camera) pushes a depth plane past the light.
TEST(FrameDecisions, TheLightThrowsFlaresWithinAMarginOf18HalfExtents) {
    const std::vector<scene::vec4> visible = {
        {0, 0, 0, 1}, {1.79f, -1.79f, 0.99f, 1}, {-1.79f, 1.79f, -0.99f, 1}, {-3.5f, 3.5f, 0, 2}};
    const std::vector<scene::vec4> hidden = {
        {1.81f, 0, 0, 1}, {-1.81f, 0, 0, 1}, {0, 1.81f, 0, 1}, {0, -1.81f, 0, 1},
        {0, 0, 1.01f, 1}, {0, 0, -1.01f, 1}, {0, 0, 0.5f, -1}, {0.1f, 0.1f, -0.5f, -1}};
    for (const bool shown : {true, false})
        for (const scene::vec4& c : shown ? visible : hidden)
            EXPECT_EQ(lightIsVisible(c), shown) << c.x << " " << c.y << " " << c.z << " " << c.w;
}

TEST(FrameDecisions, TheTextureSwitchPicksTheFilterTheMipmapSwitchTheLevelBlend) {
    const GLint filters[4][4] = {
        {false, false, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
        {true, false, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
        {false, true, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
        {true, true, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
    };
    for (const auto& row : filters) {
        const SamplingFilters chosen = samplingFilters(row[0], row[1]);
        EXPECT_EQ(chosen.magnification, row[2]) << row[0] << row[1];
        EXPECT_EQ(chosen.minification, row[3]) << row[0] << row[1];
    }
}

// The picture keeps its 16:9 shape on any screen: centred, as large as fits, black bars beside
// or above it. Without a window the nominal size stands.
TEST(Letterbox, TheLargest16By9AreaCentredOnTheScreen) {
    const struct {
        int width, height, x, y, areaWidth, areaHeight;
    } screens[] = {
        {1600, 900, 0, 0, 1600, 900},     {1920, 1080, 0, 0, 1920, 1080},
        {1280, 720, 0, 0, 1280, 720},     {1920, 1200, 0, 60, 1920, 1080},
        {2560, 1080, 320, 0, 1920, 1080}, {1280, 1024, 0, 152, 1280, 720},
        {1366, 768, 0, 0, 1365, 768},
    };
    for (const auto& s : screens) {
        const Viewport area = letterbox(s.width, s.height);
        EXPECT_EQ(std::vector<int>({area.x, area.y, area.width, area.height}),
                  std::vector<int>({s.x, s.y, s.areaWidth, s.areaHeight}))
            << s.width << "x" << s.height;
    }
    const Viewport nominal = screenViewport();
    EXPECT_EQ(std::vector<int>({nominal.x, nominal.y, nominal.width, nominal.height}),
              std::vector<int>({0, 0, 1600, 900}));
}

}  // namespace
}  // namespace vantor

// The overlay lines of the main loop: help texts for given settings, places and drawing order,
// and a frame-rate line that stays a plain number whatever the update produced.
#include "app/main_loop.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace vantor {
namespace {

std::vector<std::string> textsOf(const std::vector<OverlayLine>& lines) {
    std::vector<std::string> texts;
    for (const OverlayLine& line : lines) {
        texts.push_back(line.text);
    }
    return texts;
}

TEST(HelpLinesTest, DefaultSettingsGiveElevenLinesDownFrom585) {
    const std::vector<OverlayLine> lines = helpLines(Settings{});
    EXPECT_EQ(textsOf(lines), (std::vector<std::string>{
                                  "Movement: WASD",
                                  "Pause (P): off",
                                  "Show FPS (F2)",
                                  "Wireframe (F3): off",
                                  "Texturesampling (F4): bilinear",
                                  "Mipmapsampling (F5): bilinear",
                                  "Shadowmapping (F6): on",
                                  "Bloom Blendmode (F7): 1",
                                  "Frustum Culling (F8): on",
                                  "Transparency (F9): on",
                                  "Lens Flares (F10): 2",
                              }));
    ASSERT_EQ(lines.size(), 11u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].x, 0);
        EXPECT_EQ(lines[i].y, 585 - 15 * static_cast<int>(i));
        EXPECT_EQ(lines[i].size, 15);
    }
}

TEST(HelpLinesTest, EveryLineFollowsItsSetting) {
    Settings changed;
    changed.paused = true;
    changed.wireframe = true;
    changed.textureBilinear = false;
    changed.mipmapBilinear = false;
    changed.shadowMapping = false;
    changed.bloomBlendMode = 3;
    changed.frustumCulling = false;
    changed.transparency = false;
    changed.lensFlareMode = 0;
    EXPECT_EQ(textsOf(helpLines(changed)), (std::vector<std::string>{
                                               "Movement: WASD",
                                               "Pause (P): on",
                                               "Show FPS (F2)",
                                               "Wireframe (F3): on",
                                               "Texturesampling (F4): nearest",
                                               "Mipmapsampling (F5): nearest",
                                               "Shadowmapping (F6): off",
                                               "Bloom Blendmode (F7): 3",
                                               "Frustum Culling (F8): off",
                                               "Transparency (F9): off",
                                               "Lens Flares (F10): 0",
                                           }));
}

TEST(OverlayLinesTest, NothingByDefault) {
    EXPECT_TRUE(overlayLines(Settings{}, 60.0, false).empty());
}

TEST(OverlayLinesTest, WinLineShowsWhateverTheSwitchesSay) {
    const std::vector<OverlayLine> lines = overlayLines(Settings{}, 60.0, true);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Yay You Won!");
    EXPECT_EQ(lines[0].x, 130);
    EXPECT_EQ(lines[0].y, 350);
    EXPECT_EQ(lines[0].size, 50);
}

TEST(OverlayLinesTest, FrameRateThenHelpThenWin) {
    Settings shown;
    shown.showFps = true;
    shown.showHelp = true;
    const std::vector<OverlayLine> lines = overlayLines(shown, 59.6, true);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0].text, "60 FPS");
    EXPECT_EQ(lines[0].x, 0);
    EXPECT_EQ(lines[0].y, 0);
    EXPECT_EQ(lines[0].size, 20);
    EXPECT_EQ(lines[1].text, "Movement: WASD");
    EXPECT_EQ(lines[11].text, "Lens Flares (F10): 2");
    EXPECT_EQ(lines[12].text, "Yay You Won!");
}

TEST(FpsLineTest, RoundsToWholeFrames) {
    EXPECT_EQ(fpsLineText(5.0), "5 FPS");
    EXPECT_EQ(fpsLineText(0.0), "0 FPS");
    EXPECT_EQ(fpsLineText(143.4), "143 FPS");
}

TEST(FpsLineTest, NeverShowsInfinityOrNotANumber) {
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fpsLineText(infinity), "99999 FPS");
    EXPECT_EQ(fpsLineText(1e300), "99999 FPS");
    EXPECT_EQ(fpsLineText(std::numeric_limits<double>::quiet_NaN()), "0 FPS");
    EXPECT_EQ(fpsLineText(-infinity), "0 FPS");
}

}  // namespace
}  // namespace vantor

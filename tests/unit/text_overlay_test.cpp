// Glyph-quad geometry of the text overlay: corner order, cell texture coordinates, spacing, and
// cells for codes above 127.
#include <gtest/gtest.h>

#include <string>

#include "render/text_overlay.hpp"

namespace vantor {
namespace {

constexpr float cell = 1.0f / 16.0f;

void expectPoint(const TextPoint& point, float x, float y) {
    EXPECT_FLOAT_EQ(point.x, x);
    EXPECT_FLOAT_EQ(point.y, y);
}

TEST(TextQuadsTest, LetterAAtOriginUsesColumnOneRowFourFromTheTop) {
    const TextQuads quads = buildTextQuads("A", 0, 0, 15);
    ASSERT_EQ(quads.positions.size(), 6u);
    ASSERT_EQ(quads.uvs.size(), 6u);

    const float expectedPositions[6][2] = {{0, 15}, {0, 0}, {15, 15}, {15, 0}, {15, 15}, {0, 0}};
    const float u0 = 0.0625f, u1 = 0.125f, vBottom = 0.6875f, vTop = 0.75f;
    const float expectedUvs[6][2] = {{u0, vTop},    {u0, vBottom}, {u1, vTop},
                                     {u1, vBottom}, {u1, vTop},    {u0, vBottom}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expectPoint(quads.positions[i], expectedPositions[i][0], expectedPositions[i][1]);
        expectPoint(quads.uvs[i], expectedUvs[i][0], expectedUvs[i][1]);
    }
}

TEST(TextQuadsTest, EmptyTextHasNoVertices) {
    const TextQuads quads = buildTextQuads("", 10, 20, 15);
    EXPECT_TRUE(quads.positions.empty());
    EXPECT_TRUE(quads.uvs.empty());
}

TEST(TextQuadsTest, CharactersFollowEachOtherWithoutSpacing) {
    const std::string text = "FPS: 59.9";
    const int x = 130, y = 350, size = 50;
    const TextQuads quads = buildTextQuads(text.c_str(), x, y, size);
    ASSERT_EQ(quads.positions.size(), 6 * text.size());
    ASSERT_EQ(quads.uvs.size(), 6 * text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        SCOPED_TRACE(k);
        const float left = static_cast<float>(x + static_cast<int>(k) * size);
        expectPoint(quads.positions[6 * k], left, y + size);
        expectPoint(quads.positions[6 * k + 3], left + size, y);

        const int code = text[k];
        expectPoint(quads.uvs[6 * k], (code % 16) * cell, 1.0f - (code / 16) * cell);
    }
}

// A byte above 127 is negative as a (signed) char; as an unsigned code it lands in rows 8..15.
TEST(TextQuadsTest, CodesAbove127StayInsideTheGrid) {
    for (int code = 128; code <= 255; ++code) {
        SCOPED_TRACE(code);
        const char text[] = {static_cast<char>(code), '\0'};
        const TextQuads quads = buildTextQuads(text, 0, 0, 8);
        ASSERT_EQ(quads.uvs.size(), 6u);
        for (const TextPoint& uv : quads.uvs) {
            EXPECT_GE(uv.x, 0.0f);
            EXPECT_LE(uv.x, 1.0f);
            EXPECT_GE(uv.y, 0.0f);
            EXPECT_LE(uv.y, 1.0f);
        }
        expectPoint(quads.uvs[0], (code % 16) * cell, 1.0f - (code / 16) * cell);
    }
    // The last cell of the grid is the bottom-right one.
    const TextQuads last = buildTextQuads("\xFF", 0, 0, 8);
    expectPoint(last.uvs[3], 1.0f, 0.0f);
}

}  // namespace
}  // namespace vantor

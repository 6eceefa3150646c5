// Texture loading: the "Models/" prefix, the two messages naming the name passed, the failure
// name, RGBA8 with mipmaps; and the font loader's bottom-row-first level 0 for either TGA origin.
#include "assets/texture_loader.hpp"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gl/support/gl_test.hpp"
#include "gl/tga_fixture.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

const Rgba red{255, 0, 0, 255};
const Rgba green{0, 255, 0, 255};

// Top half red, bottom half green: row order shows in the texture.
Rgba redOverGreen(int, int yFromTop) {
    return yFromTop < 2 ? red : green;
}

struct Level0 {
    GLint width = 0;
    GLint height = 0;
    std::vector<Rgba> texels;  // in GL order: the first row is at t = 0
    Rgba at(int x, int row) const { return texels[static_cast<size_t>(row * width + x)]; }
};

Level0 readLevel(GLuint texture, GLint level) {
    Level0 image;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &image.height);
    image.texels.resize(static_cast<size_t>(image.width * image.height));
    if (!image.texels.empty()) {
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, image.texels.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

bool same(Rgba a, Rgba b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Every test runs in a scratch folder whose "Models/" holds the fixture images.
class TextureLoaderTest : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        const fs::path root = fs::path(::testing::TempDir()) /
                              ("vantor_texture_loader_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Models" / "sub");
        for (const char* image : {"halves.png", "halves.jpg"}) {
            fs::copy_file(fs::path(VANTOR_FIXTURES_DIR) / "images" / image,
                          root / "Models" / "sub" / image);
        }
        fs::copy_file(fs::path(VANTOR_FIXTURES_DIR) / "images" / "halves.png",
                      root / "outside.png");
        writeTga((root / "Models" / "bottom_up.tga").string(), 3, 4, TgaOrigin::BottomLeft,
                 redOverGreen);
        writeTga((root / "Models" / "top_down.tga").string(), 3, 4, TgaOrigin::TopLeft,
                 redOverGreen);
        fs::current_path(root);
    }

    GLuint loadQuietly(const std::string& name, std::string* output = nullptr) {
        ::testing::internal::CaptureStdout();
        const GLuint texture = loadTexture(name);
        const std::string text = ::testing::internal::GetCapturedStdout();
        if (output != nullptr) {
            *output = text;
        }
        return texture;
    }
};

TEST_F(TextureLoaderTest, UnreadableNamesFailWithTheNameThatWasPassed) {
    GLuint marker = 0;
    glGenTextures(1, &marker);

    std::string output;
    EXPECT_EQ(loadQuietly("", &output), FAILED_TEXTURE);
    EXPECT_EQ(output, "The file for loadTexture was not successfully opened \n");

    EXPECT_EQ(loadQuietly("missing.png", &output), FAILED_TEXTURE);
    EXPECT_EQ(output, "The file for loadTexture was not successfully opened missing.png\n");

    // A file beside "Models/" rather than in it is not found: the prefix is always added.
    EXPECT_EQ(loadQuietly("outside.png", &output), FAILED_TEXTURE);

    // No GL texture was made on the way: the next generated name follows directly.
    GLuint next = 0;
    glGenTextures(1, &next);
    EXPECT_EQ(next, marker + 1);
    const GLuint markers[] = {marker, next};
    glDeleteTextures(2, markers);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureLoaderTest, RealImagesLoadAsMipmappedRgba) {
    std::string output;
    const GLuint png = loadQuietly("sub/halves.png", &output);
    EXPECT_EQ(output, "The file for loadTexture was successfully opened sub/halves.png\n");
    ASSERT_NE(png, FAILED_TEXTURE);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);

    // Non-power-of-two sizes are kept, and the chain goes down to 1x1.
    const Level0 level0 = readLevel(png, 0);
    EXPECT_EQ(level0.width, 30);
    EXPECT_EQ(level0.height, 20);
    EXPECT_TRUE(same(level0.at(2, 3), Rgba{255, 0, 0, 255}));
    const Rgba right = level0.at(25, 3);
    EXPECT_EQ(right.b, 255);
    EXPECT_NEAR(right.a, 128, 1);
    const Level0 smallest = readLevel(png, 4);
    EXPECT_EQ(smallest.width, 1);
    EXPECT_EQ(smallest.height, 1);

    glBindTexture(GL_TEXTURE_2D, png);
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    const GLuint jpeg = loadQuietly("sub/halves.jpg");
    ASSERT_NE(jpeg, FAILED_TEXTURE);
    EXPECT_NE(jpeg, png) << "no cache: every load makes its own texture";
    const Level0 jpegLevel0 = readLevel(jpeg, 0);
    ASSERT_EQ(jpegLevel0.width, 24);
    EXPECT_NEAR(jpegLevel0.at(2, 2).g, 200, 8);
    EXPECT_EQ(jpegLevel0.at(2, 2).a, 255);
    EXPECT_GT(jpegLevel0.at(20, 2).r, 220);

    const GLuint textures[] = {png, jpeg};
    glDeleteTextures(2, textures);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureLoaderTest, FontLoaderPutsTheBottomRowFirstForEitherOrigin) {
    for (const char* name : {"Models/bottom_up.tga", "Models/top_down.tga"}) {
        SCOPED_TRACE(name);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        EXPECT_TRUE(loadTextureLevel0(name));
        const Level0 level0 = readLevel(texture, 0);
        ASSERT_EQ(level0.width, 3);
        ASSERT_EQ(level0.height, 4);
        EXPECT_TRUE(same(level0.at(0, 0), green));
        EXPECT_TRUE(same(level0.at(2, 3), red));
        glDeleteTextures(1, &texture);
    }
}

// Model textures keep the image library's own row order, which for a file stored top row first
// is the top row first; loading the font in between must not change that.
TEST_F(TextureLoaderTest, FontLoaderLeavesModelTexturesInTheFilesOwnOrder) {
    GLuint font = 0;
    glGenTextures(1, &font);
    glBindTexture(GL_TEXTURE_2D, font);
    ASSERT_TRUE(loadTextureLevel0("Models/bottom_up.tga"));
    const GLuint texture = loadQuietly("top_down.tga");
    const Level0 level0 = readLevel(texture, 0);
    ASSERT_EQ(level0.height, 4);
    EXPECT_TRUE(same(level0.at(0, 0), red));
    EXPECT_TRUE(same(level0.at(0, 3), green));
    const GLuint textures[] = {font, texture};
    glDeleteTextures(2, textures);
}

TEST_F(TextureLoaderTest, MissingFontLeavesTheTextureWithoutLevel0) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    EXPECT_FALSE(loadTextureLevel0("Models/no_font.tga"));
    EXPECT_EQ(readLevel(texture, 0).width, 0);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vantor::test

// Asset files read and written for real. Images: model textures as mipmapped RGBA8 from
// "Models/" in the file's row order, the font's level 0 bottom row first, screenshots as numbered
// PNGs top row at the top. Shader programs: fragColor at colour 0, and every failure's exact lines
// and status 255. Damaged files: reported by name, leaving no GL error behind.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/screenshot.hpp"
#include "assets/shader_program.hpp"
#include "assets/texture_loader.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"
#include "render/text_overlay.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;
using ImageFileTest = GlTest;
const Rgba red{255, 0, 0, 128};  // translucent: the alpha channel must come through
const Rgba green{0, 255, 0, 255};

// Loads a file the font's way into a new texture.
std::vector<Rgba> fontLevel0(const std::string& path) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    EXPECT_TRUE(loadTextureLevel0(path)) << path;
    return level(texture, 0);
}

// Both images are 3x4, top half red, stored top row first or bottom row first. The font is
// loaded first, and must not turn the model textures' rows round.
TEST_F(ImageFileTest, ModelTexturesKeepTheFilesRowsAndTheFontStartsAtTheBottom) {
    const WorkingDirectory cwd(std::string(VANTOR_FIXTURES_DIR) + "/images");
    for (const char* path : {"Models/bottom_up.tga", "Models/top_down.tga"}) {
        const std::vector<Rgba> texels = fontLevel0(path);
        ASSERT_EQ(texels.size(), 12u) << path;
        EXPECT_TRUE(texels.front() == green && texels.back() == red) << path;
    }
    const GLuint texture = loadTexture("top_down.tga");
    const std::vector<Rgba> texels = level(texture, 0);
    ASSERT_EQ(texels.size(), 12u);
    EXPECT_TRUE(texels.front() == red && texels.back() == green) << "top row first";
    EXPECT_EQ(level(texture, 2).size(), 1u) << "the mipmap chain ends in 1x1";
    GLint filters[2] = {};
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
    EXPECT_TRUE(filters[0] == GL_LINEAR_MIPMAP_LINEAR && filters[1] == GL_LINEAR);
}

// Read back the font's way, the bottom of the picture comes first.
TEST_F(ImageFileTest, ScreenshotsAreNumberedPngsOfTheBackBuffer) {
    const std::string folder = testing::TempDir() + "vantor_shots_" + std::to_string(getpid());
    fs::create_directories(folder);
    const WorkingDirectory cwd(folder);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, contextHeight / 2, contextWidth, contextHeight / 2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    testing::internal::CaptureStdout();
    EXPECT_EQ(takeScreenshot(), "screenshots/vantor-0001.png");
    EXPECT_EQ(takeScreenshot(), "screenshots/vantor-0002.png");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "screenshot written: screenshots/vantor-0001.png\n"
              "screenshot written: screenshots/vantor-0002.png\n");
    const std::vector<Rgba> texels = fontLevel0("screenshots/vantor-0002.png");
    ASSERT_EQ(texels.size(), static_cast<std::size_t>(contextWidth * contextHeight));
    EXPECT_TRUE(texels.front() == (Rgba{0, 0, 255, 255}) &&
                texels.back() == (Rgba{255, 0, 0, 255}));
    fs::remove_all(folder);
}

// A forked child would share the parent's display connection and driver threads; a re-executed
// one opens its own context. The paths are relative to the fixtures' folder.
class ShaderProgramTest : public GlTest {
  protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    const WorkingDirectory cwd{std::string(VANTOR_FIXTURES_DIR) + "/shaders"};
};

// two_outputs.frag declares another output first, which a linker left alone puts at colour 0.
TEST_F(ShaderProgramTest, ValidSourcesLinkWithFragColorAtColourZero) {
    testing::internal::CaptureStdout();
    auto* shader = new scene::ShaderProgram("valid.vert", "two_outputs.frag");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "loading shader: valid.vert\nloading shader: two_outputs.frag\n");
    EXPECT_EQ(glGetFragDataLocation(shader->program, "fragColor"), 0);
    const GLuint names[] = {shader->program, shader->vertexShader, shader->fragmentShader};
    delete shader;
    EXPECT_FALSE(glIsProgram(names[0]) || glIsShader(names[1]) || glIsShader(names[2]));
}

// Each case: the two files and the lines printed; after a "Failed" line the driver's log follows.
TEST_F(ShaderProgramTest, EveryFailurePrintsItsLinesAndEndsWith255) {
    // The child runs this test again from the top; it names the file after its parent.
    const pid_t parent = testing::internal::InDeathTestChild() ? getppid() : getpid();
    const std::string out = testing::TempDir() + "shader_program_" + std::to_string(parent);
    const std::string load = "loading shader: ";
    const std::string open = "failed to open shader file\n";
    const std::string compile = "Failed to compile shader\n";
    const std::array<std::string, 3> cases[] = {
        {"gone.vert", "valid.frag", load + "gone.vert\n" + open},
        {"valid.vert", "gone.frag", load + "valid.vert\n" + load + "gone.frag\n" + open},
        {"syntax_error.vert", "gone.frag", load + "syntax_error.vert\n" + compile},
        {"valid.vert", "empty.frag", load + "valid.vert\n" + load + "empty.frag\n" + compile},
        {"no_main.vert", "valid.frag",
         load + "no_main.vert\n" + load + "valid.frag\nFailed to link shader program\n"},
    };
    for (const auto& [vertex, fragment, lines] : cases) {
        // Standard input is not a terminal in the child, so the fatal exit must not wait.
        EXPECT_EXIT(
            {
                std::fflush(stdout);
                dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
                dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
                const scene::ShaderProgram shader(vertex, fragment);
            },
            testing::ExitedWithCode(255), "");
        std::stringstream text;
        text << std::ifstream(out).rdbuf();
        const std::string output = text.str();
        EXPECT_EQ(output.substr(0, lines.size()), lines);
        const std::string log = output.substr(std::min(lines.size(), output.size()));
        EXPECT_EQ(log.size() > 1, lines.find("Failed") != std::string::npos) << log;
        EXPECT_EQ(log.find('\0'), std::string::npos) << "the log's terminating NUL was printed";
    }
    std::remove(out.c_str());
}

using BadDataTest = GlTest;
enum Damage { missing, empty, cut, random };

// Cut keeps the first half; random bytes are as many as the file had.
void damage(const std::string& path, Damage how) {
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    std::string data = how == cut ? bytes.str().substr(0, bytes.str().size() / 2) : "";
    std::mt19937 noise(how);
    for (std::size_t i = 0; how == random && i < bytes.str().size(); ++i) {
        data += static_cast<char>(noise());
    }
    std::ofstream(path, std::ios::binary) << data;
    if (how == missing) {
        fs::remove(path);
    }
}

// Each file's output for the four damages.
TEST_F(BadDataTest, EveryDamagedFileIsNamedAndLeavesNoGlError) {
    const std::string font =
        "The font for printText was not successfully opened Models/Holstein.tga (no text is "
        "shown)\n";
    const std::string image = "The file for loadTexture was not successfully opened pic.tga\n";
    const std::string model = "The file wasn't successfully opened Models/m.obj\n";
    const std::string cutModel =
        "Models/m.obj: the last line has no line end; the file may be cut "
        "short\nModels/m.obj: the model has no triangles; it is not drawn\n";
    const auto loadFont = [] {
        const GLuint texture = loadFontTexture();
        // One clear texel keeps the texture complete, so that no text shows rather than boxes.
        GLubyte texel[4] = {1, 1, 1, 1};
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        EXPECT_EQ(texel[3], 0);
        glDeleteTextures(1, &texture);
    };
    const auto loadImage = [] { EXPECT_EQ(loadTexture("pic.tga"), 0xFFFFFFFFu); };
    const auto loadModel = [] { ModelObject("Models/m.obj"); };
    const std::tuple<const char*, std::function<void()>, std::array<std::string, 4>> files[] = {
        {"Models/Holstein.tga", loadFont, {font, font, font, font}},
        {"Models/pic.tga", loadImage, {image, image, image, image}},
        {"Models/m.obj", loadModel, {model, model, cutModel, cutModel}}};
    const std::string root = testing::TempDir() + "vantor_bad_data_" + std::to_string(getpid());
    for (const auto& [path, load, outputs] : files) {
        for (const Damage how : {missing, empty, cut, random}) {
            SCOPED_TRACE(path + (" damage " + std::to_string(how)));
            fs::copy(std::string(VANTOR_FIXTURES_DIR) + "/damaged", root,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            const WorkingDirectory cwd(root);
            damage(path, how);
            testing::internal::CaptureStdout();
            load();
            const std::string output = testing::internal::GetCapturedStdout();
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            EXPECT_EQ(output, outputs[how]);
        }
    }
    fs::remove_all(root);
}

}  // namespace
}  // namespace vantor::test

// Damaged data files read for real: a font, an image or a model that is missing, cut short or not
// what it claims must be reported with its name, and must leave GL without an error to report
// on every frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "assets/shader_program.hpp"
#include "assets/texture_loader.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"
#include "gl/tga_fixture.hpp"
#include "platform/scripted_input.hpp"
#include "render/text_overlay.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every test runs in an empty scratch folder with a "Models/" and a "Shader/" of its own.
class BadDataTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        char name[] = "/tmp/vantor_bad_data_XXXXXX";
        root = mkdtemp(name);
        fs::create_directory(root / "Models");
        fs::create_directory(root / "Shader");
        previous = fs::current_path();
        fs::current_path(root);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(root);
    }

    // A valid 32 x 32 TGA with some opaque texels, cut to its first half.
    void writeHalfTga(const std::string& relative) {
        const fs::path whole = root / "whole.tga";
        writeTga(whole.string(), 32, 32, TgaOrigin::BottomLeft, [](int x, int) {
            return Rgba{255, 255, 255, static_cast<std::uint8_t>(x * 8)};
        });
        const std::string bytes = readBytes(whole);
        writeBytes(root / relative, bytes.substr(0, bytes.size() / 2));
    }

    fs::path root;
    fs::path previous;
};

TEST_F(BadDataTest, AMissingFontIsNamedAndLeavesACompleteClearTexture) {
    ::testing::internal::CaptureStdout();
    const GLuint font = loadFontTexture();
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Models/Holstein.tga"), std::string::npos) << output;
    // An incomplete texture fails its mipmap generation and samples as opaque black boxes.
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, font);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    ASSERT_EQ(width, 1);
    std::uint8_t texel[4] = {1, 1, 1, 1};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[3], 0) << "text must not show as boxes";
    glDeleteTextures(1, &font);
}

TEST_F(BadDataTest, AFontCutShortIsNamedLikeAMissingOne) {
    writeHalfTga("Models/Holstein.tga");
    ::testing::internal::CaptureStdout();
    const GLuint font = loadFontTexture();
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Models/Holstein.tga"), std::string::npos) << output;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &font);
}

TEST_F(BadDataTest, AnImageCutShortFailsToLoadWithItsName) {
    // The image library returns success for half a TGA and only notes the short read.
    writeHalfTga("Models/half.tga");
    ::testing::internal::CaptureStdout();
    const GLuint texture = loadTexture("half.tga");
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(texture, FAILED_TEXTURE);
    EXPECT_EQ(output, "The file for loadTexture was not successfully opened half.tga\n");
}

TEST_F(BadDataTest, TextResourcesAreMadeOncePerProcess) {
    writeTga("Models/Holstein.tga", 16, 16, TgaOrigin::BottomLeft, [](int, int) {
        return Rgba{255, 255, 255, 255};
    });
    for (const char* shader : {"TextShader.vert", "TextShader.frag"}) {
        fs::copy_file(fs::path(VANTOR_DATA_DIR) / "Shader" / shader, root / "Shader" / shader);
    }
    ::testing::internal::CaptureStdout();
    initText();
    const TextOverlay first = textOverlay;
    initText();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(textOverlay.textShader, first.textShader);
    EXPECT_EQ(textOverlay.fontTexture, first.fontTexture);
    EXPECT_EQ(textOverlay.textVao, first.textVao);
}

// One textured triangle whose texture failed to load, drawn with a program that samples it.
TEST_F(BadDataTest, AMeshWithAFailedTextureDrawsWithoutAGlError) {
    std::ofstream("Models/tri.obj") << "mtllib tri.mtl\nusemtl m\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                       "vt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";
    std::ofstream("Models/tri.mtl") << "newmtl m\nmap_Kd gone.png\n";
    ::testing::internal::CaptureStdout();
    ModelObject object("Models/tri.obj");
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(object.meshes.size(), 1u);
    ASSERT_EQ(object.meshes[0]->textures.size(), 1u);
    ASSERT_EQ(object.meshes[0]->textures[0].id, FAILED_TEXTURE);

    const GLuint program = linkProgram(
        "#version 330 core\nin vec3 position;\nin vec2 UV;\nout vec2 uv;\n"
        "void main() { uv = UV; gl_Position = vec4(position, 1.0); }\n",
        "#version 330 core\nin vec2 uv;\nuniform sampler2D texture0;\nout vec4 fragColor;\n"
        "void main() { fragColor = texture(texture0, uv); }\n");
    glUseProgram(program);
    while (glGetError() != GL_NO_ERROR) {
    }
    object.draw(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgram(0);
    glDeleteProgram(program);
}

// Import problems the model library lets through are printed with the model's path.
TEST_F(BadDataTest, AMissingMaterialLibraryIsNamedWithItsModel) {
    std::ofstream("Models/lonely.obj") << "mtllib lonely.mtl\nusemtl m\nv 0 0 0\nv 1 0 0\n"
                                          "v 0 1 0\nf 1 2 3\n";
    ::testing::internal::CaptureStdout();
    ModelObject object("Models/lonely.obj");
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Models/lonely.obj: "), std::string::npos) << output;
    EXPECT_NE(output.find("lonely.mtl"), std::string::npos) << output;
    EXPECT_EQ(object.meshes.size(), 1u) << "the geometry still loads";
}

TEST_F(BadDataTest, AModelCutMidLineIsReportedAsPossiblyShort) {
    std::ofstream("Models/cut.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nv 0 0";
    ::testing::internal::CaptureStdout();
    ModelObject object("Models/cut.obj");
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "Models/cut.obj: the last line has no line end; the file may be cut short\n");
    EXPECT_EQ(object.meshes.size(), 1u);
}

TEST_F(BadDataTest, AModelWithoutTrianglesIsReported) {
    std::ofstream("Models/noise.obj") << "\x7f\x12 garbage that is no statement\n";
    ::testing::internal::CaptureStdout();
    ModelObject object("Models/noise.obj");
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Models/noise.obj: the model has no triangles"), std::string::npos)
        << output;
    EXPECT_NE(object.collisionModel, nullptr) << "still an (empty) collision model";
}

// The whole start-up with the clouds' normal map gone: the map in the registry must be a real
// texture, since the scene pass binds it on every frame.
TEST_F(BadDataTest, AMissingNormalMapIsReplacedByAFlatOne) {
    const fs::path data(VANTOR_DATA_DIR);
    fs::remove(root / "Shader");
    fs::create_directory_symlink(data / "Shader", root / "Shader");
    for (const fs::directory_entry& entry : fs::directory_iterator(data / "Models")) {
        if (entry.path().filename() != "cloud_texture_normal_map.jpg") {
            fs::create_symlink(entry.path(), root / "Models" / entry.path().filename());
        }
    }
    platform::ScriptedInput input;
    platform::useScriptedInput(&input);
    ::testing::internal::CaptureStdout();
    assembleScene();
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("not successfully opened cloud_texture_normal_map.jpg"),
              std::string::npos);
    const GLuint normalMap = registry.normalMapTexture;
    EXPECT_NE(normalMap, FAILED_TEXTURE);
    EXPECT_TRUE(glIsTexture(normalMap));
    glBindTexture(GL_TEXTURE_2D, normalMap);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glBindTexture(GL_TEXTURE_2D, 0);
    cleanUp();
    platform::useScriptedInput(nullptr);
}

}  // namespace
}  // namespace vantor::test

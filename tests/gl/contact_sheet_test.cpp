// Renders every shipped model once, lit, into one labelled contact sheet for people to look at,
// and checks that each tile shows something. The sheet goes to $VANTOR_CONTACT_SHEET, else to
// contact_sheet.png in the directory the test started in.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "assets/texture_loader.hpp"
#include "collision/c_box.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using scene::mat4;
using scene::vec3;

using ContactSheetTest = GlTest;

constexpr int tileSize = 320;
constexpr std::uint8_t background[3] = {46, 50, 58};
constexpr const char* labelFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const char* const litVertexShader = R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec3 color;
in vec2 UV;
uniform mat4 MVP;
out vec3 vNormal;
out vec3 vColor;
out vec2 vUV;
void main() {
    vNormal = normal;
    vColor = color;
    vUV = UV;
    gl_Position = MVP * vec4(position, 1.0);
}
)";

const char* const litFragmentShader = R"(#version 330 core
in vec3 vNormal;
in vec3 vColor;
in vec2 vUV;
uniform sampler2D texture0;
uniform int hasTexture;
uniform int lit;
out vec4 fragment;
void main() {
    vec4 base = hasTexture != 0 ? texture(texture0, vUV) : vec4(vColor, 1.0);
    float light = 1.0;
    if (lit != 0 && dot(vNormal, vNormal) > 0.0) {
        // Two-sided, so open quads and inward faces read as well as closed shapes.
        light = 0.35 + 0.65 * abs(dot(normalize(vNormal), normalize(vec3(0.4, 0.8, 0.5))));
    }
    fragment = vec4(base.rgb * light, base.a);
}
)";

struct View {
    const char* label;
    const char* path;
    bool lit;
    // From inside (the sky box): look from the centre at yaw/pitch with a wide lens.
    bool inside;
    float yaw;
    float pitch;
};

const View views[] = {
    {"Mark 5", "Models/Mark 5.obj", true, false, -30, 15},
    {"Mark 5 back", "Models/Mark 5.obj", true, false, 150, 15},
    {"cloudPlatform", "Models/cloudPlatform.obj", true, false, -30, 30},
    {"flag", "Models/flag.obj", true, false, -30, 10},
    {"sky outside", "Models/customskybox.obj", false, false, -30, 20},
    {"sky toward the sun", "Models/customskybox.obj", false, true, -45, 10},
    {"sky top corner", "Models/customskybox.obj", false, true, 45, 40},
    {"plane", "Models/plane.obj", true, false, 0, 0},
    {"bigGlow", "Models/bigGlow.obj", false, false, 0, 0},
    {"smallGlow", "Models/smallGlow.obj", false, false, 0, 0},
    {"hexaGlow", "Models/hexaGlow.obj", false, false, 0, 0},
    {"shinyGlow", "Models/shinyGlow.obj", false, false, 0, 0},
};

mat4 viewProjection(const View& view, const scene::collision::CBox& box) {
    const vec3 low = box.corners[0].xyz();
    const vec3 high = box.corners[7].xyz();
    const vec3 centre = (low + high) * 0.5f;
    const float radius = std::max(scene::length(high - low) * 0.5f, 1e-3f);
    if (view.inside) {
        const mat4 projection = scene::perspective(100.0f, 1.0f, radius * 0.01f, radius * 4.0f);
        mat4 camera = scene::rotate(mat4(), -view.pitch, {1, 0, 0});
        camera = scene::rotate(camera, -view.yaw, {0, 1, 0});
        return projection * scene::translate(camera, -centre);
    }
    constexpr float fovy = 35.0f;
    const float distance = radius / std::sin(fovy * 0.5f * 3.14159265f / 180.0f) * 1.05f;
    const mat4 projection = scene::perspective(
        fovy, 1.0f, std::max(distance - radius * 1.5f, radius * 0.01f), distance + radius * 1.5f);
    mat4 camera = scene::translate(mat4(), {0, 0, -distance});
    camera = scene::rotate(camera, view.pitch, {1, 0, 0});
    camera = scene::rotate(camera, view.yaw, {0, 1, 0});
    return projection * scene::translate(camera, -centre);
}

void drawMeshByMesh(ModelObject& object, GLuint program) {
    const std::vector<scene::Mesh*> all = object.meshes;
    for (scene::Mesh* mesh : all) {
        const bool textured = !mesh->textures.empty() && mesh->textures[0].id != FAILED_TEXTURE;
        glUniform1i(glGetUniformLocation(program, "hasTexture"), textured ? 1 : 0);
        object.meshes = {mesh};
        object.draw(program);
    }
    object.meshes = all;
}

// Share of the tile's pixels that differ clearly from the background.
double coverage(const std::vector<std::uint8_t>& rgba) {
    std::size_t covered = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        int difference = 0;
        for (int c = 0; c < 3; ++c) {
            difference += std::abs(int(rgba[i + c]) - int(background[c]));
        }
        covered += difference > 24 ? 1 : 0;
    }
    return static_cast<double>(covered) / (rgba.size() / 4);
}

void writePpm(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
              int height) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            out.write(reinterpret_cast<const char*>(&rgba[(std::size_t(y) * width + x) * 4]), 3);
        }
    }
}

std::string sheetPath() {
    if (const char* path = std::getenv("VANTOR_CONTACT_SHEET")) {
        return path;
    }
    char buffer[PATH_MAX];
    return std::string(getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".") +
           "/contact_sheet.png";
}

TEST_F(ContactSheetTest, EveryModelShowsUpInItsTile) {
    const std::string output = sheetPath();
    const std::string tileFolder = output + ".tiles";
    ASSERT_EQ(std::system(("mkdir -p '" + tileFolder + "'").c_str()), 0);
    WorkingDirectory cwd(dataDir());
    const GLuint program = linkProgram(litVertexShader, litFragmentShader);
    OffscreenTarget target(tileSize, tileSize);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(program);

    std::string montage = "montage -background '#202020' -fill white -pointsize 14";
    if (std::ifstream(labelFont).good()) {
        montage += std::string(" -font '") + labelFont + "'";
    }
    for (std::size_t i = 0; i < std::size(views); ++i) {
        const View& view = views[i];
        SCOPED_TRACE(view.label);
        testing::internal::CaptureStdout();
        ModelObject object(view.path);
        testing::internal::GetCapturedStdout();

        glClearColor(background[0] / 255.0f, background[1] / 255.0f, background[2] / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const auto* box = dynamic_cast<const scene::collision::CBox*>(object.collisionShape);
        EXPECT_NE(box, nullptr) << "model did not load";
        if (box != nullptr) {
            const mat4 mvp = viewProjection(view, *box);
            glUniformMatrix4fv(glGetUniformLocation(program, "MVP"), 1, GL_FALSE, mvp.data());
            glUniform1i(glGetUniformLocation(program, "lit"), view.lit ? 1 : 0);
            drawMeshByMesh(object, program);
        }
        const std::vector<std::uint8_t> pixels = target.readPixels();
        const double covered = coverage(pixels);
        EXPECT_GT(covered, 0.02) << "the model is (almost) invisible";

        char name[32];
        std::snprintf(name, sizeof name, "/%02zu.ppm", i);
        writePpm(tileFolder + name, pixels, tileSize, tileSize);
        montage += std::string(" -label '") + view.label + "' '" + tileFolder + name + "'";
    }
    glUseProgram(0);
    glDeleteProgram(program);
    glDisable(GL_BLEND);

    montage += " -tile 4x -geometry +4+4 '" + output + "'";
    EXPECT_EQ(std::system(montage.c_str()), 0) << montage;
    std::cout << "contact sheet: " << output << std::endl;
}

}  // namespace
}  // namespace vantor::test

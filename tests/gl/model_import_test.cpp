// VisibleObject from model files: the vertex layout and its defaults, smooth normals, tangents,
// flipped UVs, triangles only, bounds, texture order, a refused file and the import cache; drawing
// through the 56-byte layout with textures on units 0 upwards; the collision hand-over on update.
#include "assets/model_import.hpp"

#include <memory>
#include <vector>

#include "assets/shader_program.hpp"
#include "assets/texture_loader.hpp"
#include "collision/c_box.hpp"
#include "collision/coldet/collision_model_3d_impl.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using scene::vec3;

class VisibleObjectTest : public GlTest {
  protected:
    WorkingDirectory cwd{VANTOR_FIXTURES_DIR "/scene_objects"};
};

void expectNear(vec3 actual, vec3 expected, const char* what) {
    EXPECT_LT(scene::length(actual - expected), 1e-5f) << what;
}

const scene::collision::CBox& box(const scene::VisibleObject& object) {
    return dynamic_cast<const scene::collision::CBox&>(*object.collisionShape);
}

// Only triangles reach the index arrays, from which the collision model and the box are built
// (an empty box at the origin without any). The first vertex shows the layout: a normal from
// smoothing, a tangent along +u (the file's u grows along +y), V flipped, or the defaults.
TEST_F(VisibleObjectTest, EachFileGivesItsTrianglesBoundsAndVertices) {
    const vec3 grey{0.7f, 0.7f, 0.7f}, red{1, 0, 0};
    const struct {
        const char* path;
        int triangles;
        vec3 min, max, normal, tangent, color;
        float u, v;
    } cases[] = {
        {"Models/vertex_colors.obj", 1, {0, 0, 0}, {1, 1, 0}, {0, 0, 1}, {0, 1, 0}, red, 0, 1},
        {"Models/no_uv.obj", 2, {-1, -1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 0}, grey, 0, 0},
        {"Models/points_lines.obj", 0, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1, 0, 0}, grey, 0, 0},
        {"Models/mixed_faces.obj", 1, {1, 1, 1}, {2, 2, 1}, {0, 0, 0}, {1, 0, 0}, grey, 0, 0},
        {"Models/two_meshes.obj", 2, {0, 0, 0}, {2, 3, 5}, {0, 0, 1}, {1, 0, 0}, grey, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ModelObject object(c.path);
        const auto& model = dynamic_cast<COLDET::CollisionModel3DImpl&>(*object.collisionModel);
        EXPECT_EQ(model.triangleCount(), c.triangles);
        expectNear(box(object).corners[0].xyz(), c.min, "min corner");
        expectNear(box(object).corners[7].xyz(), c.max, "max corner");
        const scene::Vertex& v = object.meshes.at(0)->vertices.at(0);
        expectNear(v.normal, c.normal, "normal");
        expectNear(v.tangent, c.tangent, "tangent");
        expectNear(v.color, c.color, "colour");
        EXPECT_EQ(v.uv.x, c.u);
        EXPECT_EQ(v.uv.y, c.v);
    }
    // The cube is seen from inside: each corner's smoothed normal points to the centre.
    const ModelObject cube("Models/customskybox.obj");
    for (const scene::Vertex& v : cube.meshes.at(0)->vertices) {
        expectNear(v.normal, v.position * -0.5773503f, "cube corner");
    }
}

// A cached read still gives each object its own GL objects and says everything again: textures in
// the material's order, and the refusal of a file indexing past its vertices (the later steps
// would read past them). A file is known by where it lies, not by its name.
TEST_F(VisibleObjectTest, TheImportCacheSharesOnlyTheReadOfAFile) {
    const scene::ModelImportCache cache;
    std::unique_ptr<ModelObject> loaded[2];
    for (auto& object : loaded) {
        testing::internal::CaptureStdout();
        object = std::make_unique<ModelObject>("Models/two_textures.x");
        const ModelObject broken("Models/bad_index.ply");
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "The file for loadTexture was successfully opened green.png\n"
                  "The file for loadTexture was successfully opened blue.png\n"
                  "The file wasn't successfully opened Models/bad_index.ply\n");
        EXPECT_TRUE(broken.meshes.empty());
        EXPECT_TRUE(broken.collisionModel == nullptr && broken.collisionShape == nullptr);
    }
    const scene::Mesh& a = *loaded[0]->meshes.at(0);
    const scene::Mesh& b = *loaded[1]->meshes.at(0);
    EXPECT_NE(a.vertexArray, b.vertexArray);
    EXPECT_LT(a.textures.at(0).id, a.textures.at(1).id) << "kept in the order loaded";
    // Each image was decoded once, and each texture holds its own image's pixels.
    const Rgba colours[] = {{0, 255, 0, 255}, {0, 0, 255, 255}};  // green.png, blue.png
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(a.textures.at(i).id, b.textures.at(i).id);
        EXPECT_TRUE(level(a.textures.at(i).id, 0).at(0) == colours[i]) << i;
        EXPECT_TRUE(level(b.textures.at(i).id, 0).at(0) == colours[i]) << i;
    }
    EXPECT_EQ(box(ModelObject("Models/customskybox.obj")).corners[7].x, 1.0f);
    const WorkingDirectory data(VANTOR_DATA_DIR);
    EXPECT_EQ(box(ModelObject("Models/customskybox.obj")).corners[7].x, 2.0f) << "the shipped one";
}

// A triangle over the window's corner whose second texture failed to load: its unit gets no texture
// rather than a GL error. The program shows the attribute that `pick` names.
TEST_F(VisibleObjectTest, DrawReadsTheVertexLayoutAndBindsTexturesFromUnitZero) {
    std::vector<scene::Texture> textures = {{0, 0}, {FAILED_TEXTURE, 0}, {0, 0}};
    glGenTextures(1, &textures[0].id);
    glGenTextures(1, &textures[2].id);
    std::vector<scene::Vertex> corners(
        3, {{-1, -1, 0}, {0.2f, 0.4f, 0.6f}, {0.8f, 0.6f, 0.4f}, {0.4f, 0.2f, 0.8f}, {0.6f, 0.8f}});
    corners[1].position.x = corners[2].position.y = 3;
    ModelObject object(nullptr);
    object.meshes.push_back(new scene::Mesh(corners, {0, 1, 2}, &textures));
    testing::internal::CaptureStdout();
    const scene::ShaderProgram shader("../shaders/all_inputs.vert", "../shaders/all_inputs.frag");
    testing::internal::GetCapturedStdout();
    const GLuint program = shader.program;
    glUseProgram(program);
    // Every sampler points elsewhere first: the draw must set each one.
    for (const char* sampler : {"texture0", "texture1", "texture2"}) {
        glUniform1i(glGetUniformLocation(program, sampler), 7);
    }
    const std::vector<int> shades[] = {
        {51, 102, 153}, {204, 153, 102}, {102, 51, 204}, {153, 204, 0}};
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 4, 4);
    glDisable(GL_DEPTH_TEST);
    for (int pick = 0; pick < 4; ++pick) {
        glUniform1i(glGetUniformLocation(program, "pick"), pick);
        object.draw(program);
        std::uint8_t pixels[4 * 4 * 3];
        glReadPixels(0, 0, 4, 4, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        for (std::size_t i = 0; i < sizeof pixels; i += 3) {
            ASSERT_EQ(std::vector<int>(&pixels[i], &pixels[i + 3]), shades[pick]) << pick;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (GLint unit = 0; unit < 3; ++unit) {
        GLint bound = -1;
        GLint sampler = -1;
        glActiveTexture(GL_TEXTURE0 + unit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        const std::string name = "texture" + std::to_string(unit);
        glGetUniformiv(program, glGetUniformLocation(program, name.c_str()), &sampler);
        EXPECT_EQ(static_cast<GLuint>(bound), unit == 1 ? 0 : textures[unit].id) << name;
        EXPECT_EQ(sampler, unit) << name;
    }
    glActiveTexture(GL_TEXTURE0);
    // The mesh owns its buffers and the textures it was given.
    const GLuint owned[] = {object.meshes[0]->vertexBuffer, textures[2].id};
    delete object.meshes[0];
    object.meshes.clear();
    EXPECT_FALSE(glIsBuffer(owned[0]) || glIsTexture(owned[1]));
}

// Contact and the culling box follow the matrix of the latest update, not of every move; an
// object whose model failed to load draws nothing and touches nothing.
TEST_F(VisibleObjectTest, UpdateHandsTheModelMatrixToBothCollisionForms) {
    ModelObject flat("Models/vertex_colors.obj");
    // The same triangle stood upright, piercing the flat one near (0.2, 0.2, 0).
    ModelObject standing("Models/vertex_colors.obj",
                         scene::rotate(scene::translate({}, {0.2f, 0.2f, -0.5f}), 90, {1, 0, 0}));
    flat.update(0);
    standing.update(0);
    EXPECT_TRUE(flat.collidesWith(&standing));
    standing.translate({10, 0, 0}, scene::World);
    EXPECT_TRUE(flat.collidesWith(&standing)) << "moved, not yet updated";
    standing.update(0);
    EXPECT_FALSE(flat.collidesWith(&standing));
    expectNear(box(standing).worldMin, {10.2f, 0.2f, -0.5f}, "world box");
    expectNear(box(standing).worldMax, {11.2f, 0.2f, 0.5f}, "world box");
    ModelObject empty(nullptr);
    empty.update(0);
    empty.draw(0);
    EXPECT_FALSE(empty.collidesWith(&flat) || flat.collidesWith(&empty));
}

}  // namespace
}  // namespace vantor::test

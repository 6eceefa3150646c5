// Mesh upload and release, drawing with programs that use different parts of the vertex layout,
// and the hand-over of the model matrix to the collision data.
#include <memory>

#include "collision/c_box.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using scene::mat4;
using scene::Mesh;
using scene::Texture;
using scene::vec3;

using MeshTest = GlTest;
using VisibleObjectDrawTest = GlTest;
using VisibleObjectCollisionTest = GlTest;

constexpr GLint vertexStride = 56;

const char* const fiveAttributeVertexShader = R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec3 tangent;
in vec3 color;
in vec2 UV;
uniform float weight;
out vec3 shade;
void main() {
    // weight is 0 at run time; it keeps every attribute active without changing the colour.
    shade = color + weight * (normal + tangent + vec3(UV, 0.0));
    gl_Position = vec4(position, 1.0);
}
)";

const char* const shadeFragmentShader = R"(#version 330 core
in vec3 shade;
out vec4 fragment;
void main() { fragment = vec4(shade, 1.0); }
)";

const char* const threeAttributeVertexShader = R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec2 UV;
uniform float weight;
out vec3 shade;
void main() {
    shade = vec3(0.5) + weight * (normal + vec3(UV, 0.0));
    gl_Position = vec4(position, 1.0);
}
)";

const char* const threeTextureVertexShader = R"(#version 330 core
in vec3 position;
in vec2 UV;
out vec2 uv;
void main() {
    uv = UV;
    gl_Position = vec4(position, 1.0);
}
)";

const char* const threeTextureFragmentShader = R"(#version 330 core
in vec2 uv;
uniform sampler2D texture0;
uniform sampler2D texture1;
uniform sampler2D texture2;
out vec4 fragment;
void main() {
    fragment = vec4(texture(texture0, uv).r, texture(texture1, uv).g, texture(texture2, uv).b, 1.0);
}
)";

struct AttributeState {
    GLint enabled = 0;
    GLint size = 0;
    GLint stride = 0;
    std::uintptr_t offset = 0;
};

AttributeState attributeState(const Mesh& mesh, GLuint location) {
    AttributeState state;
    glBindVertexArray(mesh.vertexArray);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &state.enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &state.size);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &state.stride);
    void* pointer = nullptr;
    glGetVertexAttribPointerv(location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    state.offset = reinterpret_cast<std::uintptr_t>(pointer);
    glBindVertexArray(0);
    return state;
}

GLint bufferSize(GLenum target, GLuint buffer) {
    GLint size = 0;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    glBindBuffer(target, 0);
    return size;
}

TEST_F(MeshTest, UploadsBothArraysWithoutDeclaringAttributesAndReleasesEverything) {
    const GLuint texture = makeSolidTexture(1, 2, 3);
    const std::vector<Texture> textures = {{texture, 0}};
    Mesh* mesh = makeScreenQuadMesh({0.1f, 0.2f, 0.3f}, 0.0f, &textures);

    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh->vertexBuffer), 4 * vertexStride);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer), 6 * 4);
    for (GLuint location = 0; location < 8; ++location) {
        const AttributeState state = attributeState(*mesh, location);
        EXPECT_EQ(state.enabled, GL_FALSE) << location;
        EXPECT_EQ(state.stride, 0) << location;
    }
    ASSERT_EQ(mesh->textures.size(), 1u);
    EXPECT_EQ(mesh->textures[0].id, texture);

    const GLuint vertexBuffer = mesh->vertexBuffer;
    const GLuint indexBuffer = mesh->indexBuffer;
    const GLuint vertexArray = mesh->vertexArray;
    delete mesh;
    EXPECT_FALSE(glIsBuffer(vertexBuffer));
    EXPECT_FALSE(glIsBuffer(indexBuffer));
    EXPECT_FALSE(glIsVertexArray(vertexArray));
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VisibleObjectDrawTest, FiveAttributeProgramGetsTheWholeLayoutAndDrawsVertexColours) {
    const GLuint program =
        linkProgram(fiveAttributeVertexShader, shadeFragmentShader,
                    {{0, "position"}, {1, "normal"}, {2, "tangent"}, {3, "color"}, {4, "UV"}});
    ModelObject object(nullptr);
    object.meshes.push_back(makeScreenQuadMesh({0.2f, 0.4f, 0.6f}));

    OffscreenTarget target(16, 16);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "weight"), 0.0f);
    object.draw(program);

    const auto pixel = target.pixel(8, 8);
    EXPECT_NEAR(pixel[0], 51, 2);
    EXPECT_NEAR(pixel[1], 102, 2);
    EXPECT_NEAR(pixel[2], 153, 2);

    const struct {
        GLuint location;
        GLint size;
        std::uintptr_t offset;
    } expected[] = {{0, 3, 0}, {1, 3, 12}, {2, 3, 24}, {3, 3, 36}, {4, 2, 48}};
    for (const auto& e : expected) {
        const AttributeState state = attributeState(*object.meshes[0], e.location);
        EXPECT_EQ(state.enabled, GL_FALSE) << "left enabled: " << e.location;
        EXPECT_EQ(state.stride, vertexStride) << e.location;
        EXPECT_EQ(state.size, e.size) << e.location;
        EXPECT_EQ(state.offset, e.offset) << e.location;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgram(0);
    glDeleteProgram(program);
}

TEST_F(VisibleObjectDrawTest, ProgramWithoutTangentAndColourTouchesOnlyItsOwnAttributes) {
    const GLuint program = linkProgram(threeAttributeVertexShader, shadeFragmentShader,
                                       {{0, "position"}, {1, "normal"}, {2, "UV"}});
    ASSERT_EQ(glGetAttribLocation(program, "tangent"), -1);
    ASSERT_EQ(glGetAttribLocation(program, "color"), -1);
    ModelObject object(nullptr);
    object.meshes.push_back(makeScreenQuadMesh({1, 1, 1}));
    const Mesh& mesh = *object.meshes[0];

    // An array that the caller enabled itself must survive the draw.
    constexpr GLuint foreignLocation = 6;
    glBindVertexArray(mesh.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glVertexAttribPointer(foreignLocation, 3, GL_FLOAT, GL_FALSE, vertexStride, nullptr);
    glEnableVertexAttribArray(foreignLocation);
    glBindVertexArray(0);

    OffscreenTarget target(8, 8);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "weight"), 0.0f);
    object.draw(program);

    const AttributeState position = attributeState(mesh, 0);
    const AttributeState normal = attributeState(mesh, 1);
    const AttributeState uv = attributeState(mesh, 2);
    EXPECT_EQ(position.stride, vertexStride);
    EXPECT_EQ(normal.offset, 12u);
    EXPECT_EQ(uv.size, 2);
    EXPECT_EQ(uv.offset, 48u);
    EXPECT_FALSE(position.enabled || normal.enabled || uv.enabled);
    for (GLuint location = 3; location < 6; ++location) {
        EXPECT_EQ(attributeState(mesh, location).stride, 0) << "set up unused " << location;
    }
    EXPECT_EQ(attributeState(mesh, foreignLocation).enabled, GL_TRUE);
    EXPECT_NEAR(target.pixel(4, 4)[0], 128, 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgram(0);
    glDeleteProgram(program);
}

TEST_F(VisibleObjectDrawTest, ThreeTexturesGoToUnitsZeroToTwoAndTheirSamplers) {
    const GLuint program = linkProgram(threeTextureVertexShader, threeTextureFragmentShader);
    const std::vector<Texture> textures = {{makeSolidTexture(255, 0, 0), 0},
                                           {makeSolidTexture(0, 255, 0), 0},
                                           {makeSolidTexture(0, 0, 255), 0}};
    const GLuint untouched = makeSolidTexture(9, 9, 9);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, untouched);

    ModelObject object(nullptr);
    object.meshes.push_back(makeScreenQuadMesh({0, 0, 0}, 0.0f, &textures));
    glUseProgram(program);
    for (int unit = 0; unit < 3; ++unit) {
        const std::string name = "texture" + std::to_string(unit);
        glUniform1i(glGetUniformLocation(program, name.c_str()), 7);
    }
    OffscreenTarget target(8, 8);
    object.draw(program);

    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), textures[unit].id) << unit;
        const std::string name = "texture" + std::to_string(unit);
        GLint sampler = -1;
        glGetUniformiv(program, glGetUniformLocation(program, name.c_str()), &sampler);
        EXPECT_EQ(sampler, unit) << name;
    }
    glActiveTexture(GL_TEXTURE3);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), untouched);

    const auto pixel = target.pixel(4, 4);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &untouched);
    glUseProgram(0);
    glDeleteProgram(program);
}

TEST_F(VisibleObjectDrawTest, MeshesAreDrawnInOrderAndATexturelessMeshLeavesUnitsAlone) {
    const GLuint program =
        linkProgram(fiveAttributeVertexShader, shadeFragmentShader, {{0, "position"}});
    const GLuint previous = makeSolidTexture(1, 1, 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, previous);

    ModelObject object(nullptr);
    object.meshes.push_back(makeScreenQuadMesh({1, 0, 0}));
    object.meshes.push_back(makeScreenQuadMesh({0, 0, 1}));
    OffscreenTarget target(8, 8);
    glDisable(GL_DEPTH_TEST);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "weight"), 0.0f);
    object.draw(program);

    const auto pixel = target.pixel(4, 4);
    EXPECT_EQ(pixel[0], 0) << "the first mesh was drawn last";
    EXPECT_EQ(pixel[2], 255);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), previous);

    glDeleteTextures(1, &previous);
    glUseProgram(0);
    glDeleteProgram(program);
}

// Records what the owner tells its shape, and when it is released.
class SpyShape : public scene::collision::CObject {
  public:
    explicit SpyShape(bool* destroyed) : destroyed(destroyed) {}
    ~SpyShape() override { *destroyed = true; }
    void updateBounds(const mat4& model) override {
        lastModel = model;
        ++updates;
    }
    void setScale(float factor) override { lastScale = factor; }
    bool collides(const CObject*) const override { return false; }
    bool collidesWithSphere(const scene::collision::CSphere*) const override { return false; }
    bool collidesWithBox(const scene::collision::CBox*) const override { return false; }
    bool intersectsFrustum(const scene::Frustum*) const override { return true; }

    bool* destroyed;
    mat4 lastModel{0.0f};
    int updates = 0;
    float lastScale = 0.0f;
};

class SpyModel : public CollisionModel3D {
  public:
    explicit SpyModel(bool* destroyed) : destroyed(destroyed) {}
    ~SpyModel() override { *destroyed = true; }
    void reserveTriangles(int) override {}
    void addTriangle(const float*, const float*, const float*) override {}
    void addTriangle(float, float, float, float, float, float, float, float, float) override {}
    void finalize() override {}
    float boundingRadius() override { return 0.0f; }
    void setTransform(const float* matrix) override { std::copy(matrix, matrix + 16, transform.m); }
    bool collide(CollisionModel3D*, int, int, const float*) override { return false; }
    bool collideRay(const float*, const float*, bool, float, float) override { return false; }
    bool collideSphere(const float*, float) override { return false; }
    bool lastHitTriangleIndices(int&, int&) override { return false; }
    bool lastHitTriangles(float*, float*, bool) override { return false; }
    bool lastHitPoint(float*, bool) override { return false; }

    bool* destroyed;
    mat4 transform{0.0f};
};

TEST_F(VisibleObjectCollisionTest, UpdateHandsTheMatrixToBothAndScalePassesTheLargestFactor) {
    bool shapeDestroyed = false;
    bool modelDestroyed = false;
    auto* object = new ModelObject(nullptr);
    auto* shape = new SpyShape(&shapeDestroyed);
    auto* model = new SpyModel(&modelDestroyed);
    object->collisionShape = shape;
    object->collisionModel = model;

    object->translate({1, 2, 3}, scene::World);
    object->rotate(30, {0, 1, 0}, scene::Local);
    object->update(0.016);
    EXPECT_EQ(shape->updates, 1);
    EXPECT_EQ(shape->lastModel, object->modelMatrix);
    EXPECT_EQ(model->transform, object->modelMatrix);

    const mat4 before = object->getModelMatrix();
    object->scale({1, 3, 2}, scene::World);
    EXPECT_EQ(shape->lastScale, 3.0f);
    object->scale({5, 1, 2}, scene::Local);
    EXPECT_EQ(shape->lastScale, 5.0f);
    object->scale({1, 2, 7}, scene::World);
    EXPECT_EQ(shape->lastScale, 7.0f);
    EXPECT_EQ(object->getModelMatrix(), before);

    delete object;
    EXPECT_TRUE(shapeDestroyed);
    EXPECT_TRUE(modelDestroyed);
}

TEST_F(VisibleObjectCollisionTest, ContactFollowsTheTransformsOfTheLatestUpdate) {
    WorkingDirectory cwd(sceneFixturesDir());
    ModelObject flat("Models/vertex_colors.obj");
    // The same triangle stood upright, piercing the flat one near (0.2, 0.2, 0).
    const mat4 upright =
        scene::rotate(scene::translate(mat4(), {0.2f, 0.2f, -0.5f}), 90.0f, {1, 0, 0});
    ModelObject standing("Models/vertex_colors.obj", upright);
    ASSERT_NE(flat.collisionModel, nullptr);
    ASSERT_NE(standing.collisionModel, nullptr);

    flat.update(0);
    standing.update(0);
    EXPECT_TRUE(flat.collidesWith(&standing));
    EXPECT_TRUE(standing.collidesWith(&flat));

    standing.translate({10, 0, 0}, scene::World);
    EXPECT_TRUE(flat.collidesWith(&standing)) << "moved without update";
    standing.update(0);
    EXPECT_FALSE(flat.collidesWith(&standing));
}

TEST_F(VisibleObjectCollisionTest, AnObjectWithoutAModelTouchesNothingAndSurvivesEveryCall) {
    WorkingDirectory cwd(sceneFixturesDir());
    ModelObject present("Models/vertex_colors.obj");
    testing::internal::CaptureStdout();
    ModelObject missing("Models/not_there.obj");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(missing.collisionModel, nullptr);
    ASSERT_EQ(missing.collisionShape, nullptr);

    present.update(0);
    missing.translate({0.1f, 0, 0}, scene::World);
    missing.update(0);
    missing.scale({2, 2, 2}, scene::World);
    missing.draw(0);
    EXPECT_FALSE(missing.collidesWith(&present));
    EXPECT_FALSE(present.collidesWith(&missing));
    EXPECT_FALSE(missing.collidesWith(&missing));
}

}  // namespace
}  // namespace vantor::test

// Camera and light: where their resets place them, their exact projection constants, and the
// camera's frustum after an update.
#include <gtest/gtest.h>

#include <cmath>

#include "collision/c_box.hpp"
#include "scene/camera.hpp"
#include "scene/light.hpp"
#include "scene/visible_object.hpp"

namespace vantor::scene {
namespace {

constexpr float eps = 1e-4f;
constexpr double pi = 3.14159265358979323846;

void expectNear(vec3 a, vec3 b, float tolerance = eps) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

void expectInverseInStep(const SceneObject& o) {
    const mat4 product = o.modelMatrix * o.inverseModelMatrix;
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(product[i], mat4()[i], 1e-4f) << "element " << i;
    }
}

float signedDistance(const Plane& plane, vec3 p) {
    return dot(plane.normal, p) + plane.d;
}

const mat4 figureAt040 = translate(mat4(), {0, 4, 0});

TEST(CameraPlacement, SitsBehindAndAboveTheFigureLookingDownAtIt) {
    const Camera camera(figureAt040);
    const float s = static_cast<float>(std::sin(20.0 * pi / 180.0));
    const float c = static_cast<float>(std::cos(20.0 * pi / 180.0));
    const vec3 position = camera.modelMatrix.position();
    expectNear(position, {0, 4 + 10 * s, 10 * c});
    EXPECT_NEAR(position.y, 7.42f, 0.01f);
    EXPECT_NEAR(position.z, 9.40f, 0.01f);
    // The view direction, -z, points straight at the figure, 20 degrees below the horizon.
    const vec3 view = -camera.modelMatrix.column(2).xyz();
    expectNear(view, normalize(vec3(0, 4, 0) - position));
    expectNear(view, {0, -s, -c});
    expectInverseInStep(camera);
}

TEST(CameraPlacement, SwingsAboutTheFiguresOwnAxisWhenTheFigureIsTurned) {
    // The figure turned so that its local z points along world +x and its x along world -z.
    const Camera camera(rotate(figureAt040, 90.0f, {0, 1, 0}));
    const float s = static_cast<float>(std::sin(20.0 * pi / 180.0));
    const float c = static_cast<float>(std::cos(20.0 * pi / 180.0));
    expectNear(camera.modelMatrix.position(), {10 * c, 4 + 10 * s, 0});
}

TEST(CameraPlacement, ResetComesBackFromAnywhereAndTwiceChangesNothing) {
    Camera camera(figureAt040);
    const mat4 placed = camera.modelMatrix;
    const mat4 placedInverse = camera.inverseModelMatrix;
    camera.translate({3, -2, 8}, World);
    camera.rotate(50.0f, {0, 1, 0}, Local);
    camera.reset();
    EXPECT_EQ(camera.modelMatrix, placed);
    EXPECT_EQ(camera.inverseModelMatrix, placedInverse);
    camera.reset();
    EXPECT_EQ(camera.modelMatrix, placed);
    EXPECT_EQ(camera.inverseModelMatrix, placedInverse);
}

TEST(CameraProjection, HasTheRunTimeScalesAndTheExactDepthConstants) {
    const Camera camera{mat4()};
    const mat4 p = camera.getProjectionMatrix();
    const float range = static_cast<float>(std::tan(0.39269909262657166)) * 0.1f;
    EXPECT_EQ(p[0], 0.2f / (2.0f * range * 1.7777778f));
    EXPECT_EQ(p[5], 0.2f / (2.0f * range));
    EXPECT_NEAR(p[5], 1.0f / std::tan(22.5 * pi / 180.0), 1e-5);
    EXPECT_EQ(p[10], floatFromBits(0xBF8015DB));
    EXPECT_EQ(p[14], floatFromBits(0xBE4CDE48));
    EXPECT_NEAR(p[10], -1.000667f, 1e-6f);
    EXPECT_NEAR(p[14], -0.2000667f, 1e-7f);
    EXPECT_EQ(p[11], -1.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) {
        EXPECT_EQ(p[i], 0.0f) << "element " << i;
    }
}

TEST(CameraFrustum, StaysZeroUntilTheFirstUpdate) {
    const Camera camera(figureAt040);
    ASSERT_NE(camera.frustum, nullptr);
    for (const Plane& plane : camera.frustum->planes) {
        EXPECT_EQ(plane.d, 0.0f);
        EXPECT_EQ(plane.normal, vec3(0, 0, 0));
    }
}

TEST(CameraFrustum, NearAndFarPlanesWithAnIdentityView) {
    Camera camera{mat4()};
    camera.modelMatrix = mat4();
    camera.inverseModelMatrix = mat4();
    camera.update(0.016);
    const Plane& nearPlane = camera.frustum->planes[Frustum::Near];
    const Plane& farPlane = camera.frustum->planes[Frustum::Far];
    expectNear(nearPlane.normal, {0, 0, -1}, 1e-6f);
    EXPECT_NEAR(nearPlane.d, -0.1f, 1e-6f);
    expectNear(farPlane.normal, {0, 0, 1}, 1e-6f);
    EXPECT_NEAR(farPlane.d, 300.0f, 0.1f);
}

TEST(CameraFrustum, FocusIsInsideTooNearAndTooFarAreOutside) {
    Camera camera(figureAt040);
    camera.update(0.016);
    const Frustum& f = *camera.frustum;
    for (const Plane& plane : f.planes) {
        EXPECT_GT(signedDistance(plane, {0, 4, 0}), 0.0f);
    }
    const vec3 eye = camera.modelMatrix.position();
    const vec3 view = -camera.modelMatrix.column(2).xyz();
    EXPECT_LT(signedDistance(f.planes[Frustum::Far], eye + view * 301.0f), 0.0f);
    EXPECT_GT(signedDistance(f.planes[Frustum::Far], eye + view * 299.0f), 0.0f);
    EXPECT_LT(signedDistance(f.planes[Frustum::Near], eye + view * 0.05f), 0.0f);
    for (int side : {Frustum::Right, Frustum::Left, Frustum::Top, Frustum::Bottom}) {
        EXPECT_GT(signedDistance(f.planes[side], eye + view * 0.05f), 0.0f);
    }
    // The planes follow the camera when it moves.
    camera.translate({0, 0, -100}, Local);
    camera.update(0.016);
    EXPECT_LT(signedDistance(camera.frustum->planes[Frustum::Near], {0, 4, 0}), 0.0f);
}

struct Boxed : VisibleObject {
    Boxed() : VisibleObject(mat4()) {}
    Boxed(vec3 min, vec3 max) : VisibleObject(mat4()) {
        collisionShape = new collision::CBox(min, max);
        collisionShape->updateBounds(modelMatrix);
    }
    void setColliding(bool) override {}
};

TEST(CameraCulling, AsksTheObjectsBoxAndKeepsObjectsWithoutOne) {
    Camera camera(figureAt040);
    Boxed behind({-1, 6, 11}, {1, 8, 12});
    Boxed atFocus({-1, 3, -1}, {1, 5, 1});
    Boxed straddlingNear({-1, 6, 8}, {1, 8, 11});
    Boxed shapeless;
    // Before the first update the frustum is empty of planes: everything passes.
    EXPECT_TRUE(camera.isInFrustum(&behind));

    camera.update(0.016);
    EXPECT_FALSE(camera.isInFrustum(&behind));
    EXPECT_TRUE(camera.isInFrustum(&atFocus));
    EXPECT_TRUE(camera.isInFrustum(&straddlingNear));
    EXPECT_TRUE(camera.isInFrustum(&shapeless));
}

TEST(LightPlacement, SitsFarAboveAndBesideTheFigureShiningTowardsIt) {
    const Light light(figureAt040);
    expectNear(light.modelMatrix.position(), {34.33f, 12.62f, -34.33f}, 0.01f);
    expectNear(light.modelMatrix.column(2).xyz(), {0.696f, 0.174f, -0.696f}, 0.001f);
    expectInverseInStep(light);
}

TEST(LightPlacement, ResetRebuildsFromTheInitialMatrixAndTwiceChangesNothing) {
    Light light(figureAt040);
    const mat4 placed = light.modelMatrix;
    const mat4 placedInverse = light.inverseModelMatrix;
    light.translate({5, 5, 5}, World);
    light.rotate(30.0f, {1, 0, 0}, Local);
    light.reset();
    EXPECT_EQ(light.modelMatrix, placed);
    EXPECT_EQ(light.inverseModelMatrix, placedInverse);
    light.reset();
    EXPECT_EQ(light.modelMatrix, placed);
    EXPECT_EQ(light.inverseModelMatrix, placedInverse);
}

TEST(LightProjection, IsTheExactOrthographicVolume) {
    Light light(figureAt040);
    const mat4 p = light.getProjectionMatrix();
    EXPECT_EQ(p[0], 0.05f);
    EXPECT_EQ(p[5], 0.05f);
    EXPECT_EQ(p[10], floatFromBits(0xBC5A740E));
    EXPECT_EQ(p[14], floatFromBits(0xBEAAAAAB));
    EXPECT_EQ(p[12], 0.0f);
    EXPECT_TRUE(std::signbit(p[12]));
    EXPECT_TRUE(std::signbit(p[13]));
    EXPECT_EQ(p[11], 0.0f);
    EXPECT_EQ(p[15], 1.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9}) {
        EXPECT_EQ(p[i], 0.0f) << "element " << i;
    }
    // A light update leaves its frustum zero, and a reset keeps the projection.
    light.update(0.016);
    EXPECT_EQ(light.frustum->planes[Frustum::Near].d, 0.0f);
    light.projectionMatrix = mat4();
    light.reset();
    EXPECT_EQ(light.getProjectionMatrix(), p);
}

}  // namespace
}  // namespace vantor::scene

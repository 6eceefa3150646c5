// Bounding shapes: world bounds that follow a model matrix, the strict and inclusive edges of the
// overlap tests, dispatch between shape kinds, and culling against frustum planes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "collision/c_box.hpp"
#include "collision/c_sphere.hpp"

namespace vantor::scene::collision {
namespace {

constexpr float eps = 1e-5f;

void expectNear(vec3 a, vec3 b, float tolerance = eps) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

CBox placedBox(vec3 min, vec3 max, const mat4& model = mat4()) {
    CBox box(min, max);
    box.updateBounds(model);
    return box;
}

TEST(CBoxBounds, CornersFollowTheFixedOrderAndTheWorldBoxStartsAtZero) {
    const CBox box({1, 2, 3}, {4, 5, 6});
    const vec3 expected[8] = {{1, 2, 3}, {1, 5, 3}, {4, 2, 3}, {4, 5, 3},
                              {1, 2, 6}, {1, 5, 6}, {4, 2, 6}, {4, 5, 6}};
    for (int i = 0; i < 8; ++i) {
        expectNear(box.corners[i].xyz(), expected[i], 0.0f);
        EXPECT_EQ(box.corners[i].w, 1.0f);
    }
    EXPECT_EQ(box.worldMin, vec3(0, 0, 0));
    EXPECT_EQ(box.worldMax, vec3(0, 0, 0));
}

TEST(CBoxBounds, RotatedBoxGrowsToEncloseItsCorners) {
    const mat4 model = rotate(translate(mat4(), {10, 0, 0}), 45.0f, {0, 1, 0});
    const CBox box = placedBox({-1, -1, -1}, {1, 1, 1}, model);
    const float r2 = std::sqrt(2.0f);
    expectNear(box.worldMin, {10 - r2, -1, -r2});
    expectNear(box.worldMax, {10 + r2, 1, r2});
}

TEST(CBoxBounds, MirroredAndScaledModelsStillGiveMinBelowMax) {
    const CBox box = placedBox({0, 0, 0}, {1, 2, 3}, scale(mat4(), {-2, 1, 0.5f}));
    expectNear(box.worldMin, {-2, 0, 0}, 0.0f);
    expectNear(box.worldMax, {0, 2, 1.5f}, 0.0f);
    // The box follows only the matrix it is given, not the scale it is told.
    CBox told = box;
    told.setScale(10.0f);
    EXPECT_EQ(told.worldMax, box.worldMax);
}

TEST(CBoxOverlap, TouchingFacesCollideAGapDoesNot) {
    const CBox a = placedBox({0, 0, 0}, {1, 1, 1});
    const CBox sharing = placedBox({1, 0, 0}, {2, 1, 1});
    const CBox apart = placedBox({1.001f, 0, 0}, {2, 1, 1});
    const CBox apartBelow = placedBox({0, -2, 0}, {1, -0.001f, 1});
    EXPECT_TRUE(a.collidesWithBox(&sharing));
    EXPECT_TRUE(sharing.collidesWithBox(&a));
    EXPECT_FALSE(a.collidesWithBox(&apart));
    EXPECT_FALSE(apart.collidesWithBox(&a));
    EXPECT_FALSE(a.collidesWithBox(&apartBelow));
    EXPECT_FALSE(apartBelow.collidesWithBox(&a));
    const CBox inside = placedBox({0.2f, 0.2f, 0.2f}, {0.3f, 0.3f, 0.3f});
    EXPECT_TRUE(a.collidesWithBox(&inside));
    EXPECT_TRUE(inside.collidesWithBox(&a));
}

TEST(CBoxOverlap, SphereTouchingAFaceDoesNotCollide) {
    const CBox box = placedBox({-1, -1, -1}, {1, 1, 1});
    const CSphere touching({2, 0, 0}, 1.0f);
    const CSphere overlapping({1.999f, 0, 0}, 1.0f);
    const CSphere belowTouching({0, -2, 0}, 1.0f);
    EXPECT_FALSE(box.collidesWithSphere(&touching));
    EXPECT_TRUE(box.collidesWithSphere(&overlapping));
    EXPECT_FALSE(box.collidesWithSphere(&belowTouching));
}

TEST(CBoxOverlap, SphereNearAnEdgeMeasuresToTheNearestPoint) {
    const CBox box = placedBox({-1, -1, -1}, {1, 1, 1});
    // Centre off the edge at x = y = 1: distance to the edge is sqrt(2) * 0.5.
    const CSphere reaches({1.5f, 1.5f, 0}, 0.71f);
    const CSphere fallsShort({1.5f, 1.5f, 0}, 0.70f);
    const CSphere insideCentre({0.5f, 0, 0}, 0.01f);
    EXPECT_TRUE(box.collidesWithSphere(&reaches));
    EXPECT_FALSE(box.collidesWithSphere(&fallsShort));
    EXPECT_TRUE(box.collidesWithSphere(&insideCentre));
}

TEST(ShapeDispatch, EveryPairingReachesTheRightTest) {
    const std::unique_ptr<CObject> box(new CBox({0, 0, 0}, {1, 1, 1}));
    const std::unique_ptr<CObject> farBox(new CBox({5, 5, 5}, {6, 6, 6}));
    const std::unique_ptr<CObject> sphere(new CSphere({1.5f, 0.5f, 0.5f}, 0.6f));
    const std::unique_ptr<CObject> farSphere(new CSphere({-3, 0, 0}, 0.5f));
    const std::unique_ptr<CObject> nearSphere(new CSphere({2.5f, 0.5f, 0.5f}, 0.5f));
    box->updateBounds(mat4());
    farBox->updateBounds(mat4());

    EXPECT_TRUE(box->collides(box.get()));
    EXPECT_FALSE(box->collides(farBox.get()));
    EXPECT_TRUE(box->collides(sphere.get()));
    EXPECT_TRUE(sphere->collides(box.get()));
    EXPECT_FALSE(farSphere->collides(box.get()));
    EXPECT_FALSE(box->collides(farSphere.get()));
    // Centres 1.0 apart, radii reaching 1.1.
    EXPECT_TRUE(sphere->collides(nearSphere.get()));
    EXPECT_FALSE(nearSphere->collides(farSphere.get()));
}

TEST(CSphereBounds, FollowsTheModelAndTouchingSpheresDoNotOverlap) {
    CSphere sphere({1, 0, 0}, 0.5f);
    sphere.updateBounds(scale(translate(mat4(), {0, 3, 0}), {2, 1, 1}));
    expectNear(sphere.worldCentre, {2, 3, 0});
    EXPECT_FLOAT_EQ(sphere.worldRadius, 1.0f);
    const CSphere touching({4, 3, 0}, 1.0f);
    const CSphere overlapping({3.9f, 3, 0}, 1.0f);
    EXPECT_FALSE(sphere.collidesWithSphere(&touching));
    EXPECT_TRUE(sphere.collidesWithSphere(&overlapping));
}

Frustum singlePlane(vec3 normal, float d) {
    Frustum f;
    for (Plane& plane : f.planes) {
        plane.normal = normal;
        plane.d = d;
    }
    return f;
}

TEST(FrustumTest, ZeroFrustumPassesEverything) {
    const Frustum unset;
    const CBox box = placedBox({1000, 1000, 1000}, {1001, 1001, 1001});
    const CSphere sphere({-500, 0, 0}, 1.0f);
    EXPECT_TRUE(box.intersectsFrustum(&unset));
    EXPECT_TRUE(sphere.intersectsFrustum(&unset));
}

TEST(FrustumTest, BoxOnThePlaneIsInsideAndThePositiveVertexFollowsTheNormal) {
    // Inside where x <= 5.
    const Frustum f = singlePlane({-1, 0, 0}, 5.0f);
    EXPECT_FALSE(placedBox({6, 0, 0}, {7, 1, 1}).intersectsFrustum(&f));
    EXPECT_TRUE(placedBox({4, 0, 0}, {7, 1, 1}).intersectsFrustum(&f));
    EXPECT_TRUE(placedBox({5, 0, 0}, {7, 1, 1}).intersectsFrustum(&f));
    // Inside where x >= 0.
    const Frustum g = singlePlane({1, 0, 0}, 0.0f);
    EXPECT_TRUE(placedBox({-2, 0, 0}, {0, 1, 1}).intersectsFrustum(&g));
    EXPECT_FALSE(placedBox({-2, 0, 0}, {-0.001f, 1, 1}).intersectsFrustum(&g));
}

TEST(FrustumTest, BoxBehindACameraIsCulledAStraddlingOneIsNot) {
    // An eye at (0, 0, 10) looking down -z.
    const mat4 view = inverse(translate(mat4(), {0, 0, 10}));
    Frustum f;
    f.extractPlanes(perspective(45.0f, 16.0f / 9.0f, 0.1f, 300.0f) * view);
    EXPECT_FALSE(placedBox({-1, -1, 11}, {1, 1, 12}).intersectsFrustum(&f));
    EXPECT_TRUE(placedBox({-1, -1, -1}, {1, 1, 1}).intersectsFrustum(&f));
    // Straddles the near plane, and separately the left plane.
    EXPECT_TRUE(placedBox({-1, -1, 9}, {1, 1, 11}).intersectsFrustum(&f));
    EXPECT_TRUE(placedBox({-100, -1, -1}, {0, 1, 1}).intersectsFrustum(&f));
    EXPECT_FALSE(placedBox({-100, -1, -1}, {-50, 1, 1}).intersectsFrustum(&f));
    // Beyond the far plane.
    EXPECT_FALSE(placedBox({-1, -1, -400}, {1, 1, -300}).intersectsFrustum(&f));

    const CSphere behind({0, 0, 12}, 1.0f);
    const CSphere reachingPastNear({0, 0, 10.5f}, 1.0f);
    EXPECT_FALSE(behind.intersectsFrustum(&f));
    EXPECT_TRUE(reachingPastNear.intersectsFrustum(&f));
}

}  // namespace
}  // namespace vantor::scene::collision

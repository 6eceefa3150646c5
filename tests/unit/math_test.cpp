// Vector and matrix operations: storage layout, products, the affine builders, inverse,
// projections and the frustum planes taken from a projection.
#include "scene/math.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vantor::scene {
namespace {

constexpr float eps = 1e-5f;

void expectNear(const mat4& a, const mat4& b, float tolerance = eps) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
    }
}

void expectNear(vec3 a, vec3 b, float tolerance = eps) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

vec3 apply(const mat4& m, vec3 p) {
    return (m * vec4(p, 1.0f)).xyz();
}

// A matrix with no zero and no symmetric entries, so swapped indices show.
mat4 ramp() {
    mat4 m(0.0f);
    for (int i = 0; i < 16; ++i) {
        m[i] = static_cast<float>(i + 1);
    }
    return m;
}

TEST(Mat4Construction, DiagonalAndColumnsLandWhereOpenGlExpectsThem) {
    const mat4 identity;
    const mat4 zero(0);
    const mat4 twos(2);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(identity[4 * c + r], r == c ? 1.0f : 0.0f);
            EXPECT_EQ(zero[4 * c + r], 0.0f);
            EXPECT_EQ(twos[4 * c + r], r == c ? 2.0f : 0.0f);
        }
    }
    const mat4 cols({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16});
    EXPECT_EQ(cols, ramp());
    EXPECT_EQ(cols.column(3).y, 14.0f);
    expectNear(cols.position(), {13, 14, 15}, 0.0f);
    EXPECT_EQ(cols.data()[7], 8.0f);
}

TEST(Mat4Product, AppliesTheRightOperandFirst) {
    const mat4 t = translate(mat4(), {1, 0, 0});
    const mat4 s = scale(mat4(), {2, 2, 2});
    // Scale then translate: (1,0,0) -> (2,0,0) -> (3,0,0).
    expectNear(apply(t * s, {1, 0, 0}), {3, 0, 0});
    expectNear(apply(s * t, {1, 0, 0}), {4, 0, 0});

    // A times its transpose: element (r, c) is row r of ramp() dotted with its row c.
    const mat4 r = ramp() * transpose(ramp());
    EXPECT_EQ(r[0], 1.0f + 25.0f + 81.0f + 169.0f);
    EXPECT_EQ(r[4], 1.0f * 2 + 5.0f * 6 + 9.0f * 10 + 13.0f * 14);
    EXPECT_EQ(r[1], r[4]);
    EXPECT_EQ((ramp() * vec4(0, 0, 0, 1)).x, 13.0f);
    EXPECT_EQ((ramp() * vec4(1, 0, 0, 0)).w, 4.0f);
}

TEST(AffineBuilders, TranslateOfIdentityFillsOnlyColumnThree) {
    const mat4 m = translate(mat4(), {0, 4, 0});
    EXPECT_EQ(m, mat4({1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 4, 0, 1}));
}

TEST(AffineBuilders, TranslateMovesAlongTheMatrixOwnAxes) {
    const mat4 m = rotate(translate(mat4(), {5, 0, 0}), 90.0f, {0, 1, 0});
    const mat4 moved = translate(m, {0, 0, 1});
    // Local z points along world +x after the turn.
    expectNear(moved.position(), {6, 0, 0});
    expectNear(moved, m * translate(mat4(), {0, 0, 1}));
}

TEST(AffineBuilders, RotateNormalisesTheAxisAndTurnsCounterClockwise) {
    const mat4 r = rotate(mat4(), 90.0f, {0, 0, 2});
    expectNear(apply(r, {1, 0, 0}), {0, 1, 0});
    expectNear(apply(r, {0, 0, 1}), {0, 0, 1});
    // Right-handed about x and y as well: y goes to z, z goes to x.
    expectNear(apply(rotate(mat4(), 90.0f, {1, 0, 0}), {0, 1, 0}), {0, 0, 1});
    expectNear(apply(rotate(mat4(), 90.0f, {0, 1, 0}), {0, 0, 1}), {1, 0, 0});
    // Off-axis: a third of a turn about the diagonal cycles the axes.
    expectNear(apply(rotate(mat4(), 120.0f, {1, 1, 1}), {1, 0, 0}), {0, 1, 0});
}

TEST(AffineBuilders, RotateByZeroKeepsTheMatrixAndComposesOnTheRight) {
    const mat4 m = ramp();
    EXPECT_EQ(rotate(m, 0.0f, {0, 1, 0}), m);
    const mat4 r = rotate(mat4(), 30.0f, {1, 2, 3});
    expectNear(rotate(m, 30.0f, {1, 2, 3}), m * r, 1e-4f);
    EXPECT_EQ(rotate(m, 30.0f, {1, 2, 3}).column(3).x, m.column(3).x);
}

TEST(Inverse, UndoesTranslationsExactly) {
    EXPECT_EQ(inverse(mat4()), mat4());
    EXPECT_EQ(inverse(translate(mat4(), {1, -2, 3})), translate(mat4(), {-1, 2, -3}));
}

TEST(Inverse, GeneralMatricesTimesTheirInverseGiveTheIdentity) {
    const mat4 affine =
        scale(rotate(translate(mat4(), {3, -1, 7}), 37.0f, {1, 2, -1}), {2, 0.5f, 3});
    expectNear(affine * inverse(affine), mat4());
    expectNear(inverse(affine) * affine, mat4());
    const mat4 projective = perspective(60.0f, 1.5f, 0.5f, 50.0f);
    expectNear(projective * inverse(projective), mat4(), 1e-4f);
}

TEST(Transpose, SwapsRowsAndColumns) {
    const mat4 t = transpose(ramp());
    EXPECT_EQ(t[1], ramp()[4]);
    EXPECT_EQ(t[14], ramp()[11]);
    EXPECT_EQ(transpose(t), ramp());

    const mat3 upper(ramp());
    EXPECT_EQ(upper[0], 1.0f);
    EXPECT_EQ(upper[3], 5.0f);
    EXPECT_EQ(upper[8], 11.0f);
    const mat3 ut = transpose(upper);
    EXPECT_EQ(ut[1], upper[3]);
    EXPECT_EQ(ut[5], upper[7]);
}

TEST(Projection, PerspectiveFollowsTheFormula) {
    const mat4 p = perspective(90.0f, 2.0f, 1.0f, 3.0f);
    // tan(45 degrees) * near = 1.
    EXPECT_NEAR(p[0], 0.5f, eps);
    EXPECT_NEAR(p[5], 1.0f, eps);
    EXPECT_EQ(p[10], -2.0f);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_EQ(p[14], -3.0f);
    EXPECT_EQ(p[15], 0.0f);
    // Points on the near and far planes land on clip depth -1 and +1.
    const vec4 nearPoint = p * vec4(0, 0, -1, 1);
    const vec4 farPoint = p * vec4(0, 0, -3, 1);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, -1.0f, eps);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, eps);
}

TEST(Projection, OrthoMatchesTheLightsExactConstants) {
    const mat4 p = ortho(-20, 20, -20, 20, -50, 100);
    EXPECT_EQ(p[0], 0.05f);
    EXPECT_EQ(p[5], 0.05f);
    EXPECT_EQ(p[10], floatFromBits(0xBC5A740E));
    EXPECT_EQ(p[14], floatFromBits(0xBEAAAAAB));
    EXPECT_TRUE(std::signbit(p[12]));
    EXPECT_EQ(p[15], 1.0f);
    const mat4 q = ortho(0, 4, 2, 6, 1, 3);
    EXPECT_EQ(q[12], -1.0f);
    EXPECT_EQ(q[13], -2.0f);
    EXPECT_EQ(q[14], -2.0f);
}

float signedDistance(const Plane& plane, vec3 p) {
    return dot(plane.normal, p) + plane.d;
}

TEST(FrustumPlanes, NewFrustumIsAllZero) {
    const Frustum f;
    for (const Plane& plane : f.planes) {
        EXPECT_EQ(plane.d, 0.0f);
        EXPECT_EQ(plane.normal, vec3(0, 0, 0));
    }
}

TEST(FrustumPlanes, NearAndFarOfThePerspectiveAtTheOrigin) {
    Frustum f;
    f.extractPlanes(perspective(45.0f, 16.0f / 9.0f, 0.1f, 300.0f));
    const Plane& nearPlane = f.planes[Frustum::Near];
    const Plane& farPlane = f.planes[Frustum::Far];
    expectNear(nearPlane.normal, {0, 0, -1});
    EXPECT_NEAR(nearPlane.d, -0.1f, 1e-6f);
    expectNear(farPlane.normal, {0, 0, 1});
    EXPECT_NEAR(farPlane.d, 300.0f, 0.1f);
}

TEST(FrustumPlanes, SidesComeInTheFixedOrderAndMeasureDistance) {
    Frustum f;
    f.extractPlanes(perspective(90.0f, 1.0f, 1.0f, 100.0f));
    // A 90-degree square view: the side planes lean at 45 degrees.
    const float h = std::sqrt(0.5f);
    expectNear(f.planes[Frustum::Right].normal, {-h, 0, -h});
    expectNear(f.planes[Frustum::Left].normal, {h, 0, -h});
    expectNear(f.planes[Frustum::Top].normal, {0, -h, -h});
    expectNear(f.planes[Frustum::Bottom].normal, {0, h, -h});
    for (const Plane& plane : f.planes) {
        EXPECT_NEAR(length(plane.normal), 1.0f, eps);
    }
    // One unit right of the right plane at depth 10: distance -h.
    EXPECT_NEAR(signedDistance(f.planes[Frustum::Right], {11, 0, -10}), -h, 1e-4f);
    EXPECT_GT(signedDistance(f.planes[Frustum::Right], {9, 0, -10}), 0.0f);
}

TEST(FrustumPlanes, FollowTheViewIntoWorldSpace) {
    // An eye at (0, 0, 5) looking down -z: the view is the inverse of its placement.
    const mat4 view = inverse(translate(mat4(), {0, 0, 5}));
    Frustum f;
    f.extractPlanes(perspective(45.0f, 1.0f, 1.0f, 10.0f) * view);
    EXPECT_NEAR(signedDistance(f.planes[Frustum::Near], {0, 0, 0}), 4.0f, 1e-4f);
    EXPECT_LT(signedDistance(f.planes[Frustum::Near], {0, 0, 4.5f}), 0.0f);
    EXPECT_LT(signedDistance(f.planes[Frustum::Far], {0, 0, -6}), 0.0f);
}

TEST(VectorOps, DotCrossLengthNormalize) {
    EXPECT_EQ(dot(vec3(1, 2, 3), vec3(4, -5, 6)), 12.0f);
    expectNear(cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}, 0.0f);
    EXPECT_EQ(length(vec3(2, 3, 6)), 7.0f);
    expectNear(normalize({0, 3, 4}), {0, 0.6f, 0.8f});
    expectNear(vec3(1, 2, 3) - 2.0f * vec3(1, 1, 1) + -vec3(0, 0, 1), {-1, 0, 0}, 0.0f);
    const vec3 upper = mat3(rotate(mat4(), 90.0f, {0, 0, 1})) * vec3(1, 0, 0);
    expectNear(upper, {0, 1, 0});
}

}  // namespace
}  // namespace vantor::scene

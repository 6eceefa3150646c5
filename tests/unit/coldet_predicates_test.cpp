// The overlap predicates at their boundaries: strict box separation, triangle contact through the
// interval, coplanar and epsilon paths, sphere and ray limits, and the matrix inverse.
#include <gtest/gtest.h>

#include <cmath>

#include "collision/coldet/box_tree.hpp"
#include "collision/coldet/overlap_tests.hpp"

namespace COLDET {
namespace {

struct Tri {
    Vector3D p[3];
};

bool touch(const Tri& v, const Tri& u) {
    return trianglesTouch(v.p, u.p);
}

Box box(Vector3D min, Vector3D size) {
    return {min, size, min + size * 0.5f};
}

Matrix3D translation(float x, float y, float z) {
    Matrix3D m;
    m.m[12] = x, m.m[13] = y, m.m[14] = z;
    return m;
}

// Rotation by `degrees` about z, then scaled per axis.
Matrix3D rotationZ(float degrees, Vector3D scale = {1, 1, 1}) {
    const double a = degrees * 3.14159265358979 / 180.0;
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    Matrix3D m;
    m.m[0] = c * scale.x, m.m[1] = s * scale.x;
    m.m[4] = -s * scale.y, m.m[5] = c * scale.y;
    m.m[10] = scale.z;
    return m;
}

TEST(ColdetBoxes, SharedFacesOverlapAndAnyGapSeparates) {
    const Box a = box({0, 0, 0}, {1, 1, 1});
    const RelativePlacement identity{Matrix3D{}};
    EXPECT_TRUE(boxesOverlap(a, box({1, 0, 0}, {1, 1, 1}), identity));
    EXPECT_FALSE(boxesOverlap(a, box({1.0001f, 0, 0}, {1, 1, 1}), identity));
    EXPECT_FALSE(boxesOverlap(a, box({0, 0, -1.5f}, {1, 1, 1}), identity));
    // The placement moves B: a translation by -0.5 brings the gapped box back into contact.
    EXPECT_TRUE(
        boxesOverlap(a, box({1.5f, 0, 0}, {1, 1, 1}), RelativePlacement{translation(-0.5f, 0, 0)}));
    // Flat boxes (size 0) touching face to face still overlap.
    EXPECT_TRUE(boxesOverlap(box({0, 1, 0}, {1, 0, 1}), a, identity));
}

TEST(ColdetBoxes, RotatedAndScaledPlacementsAndTheOtherBoxsAxes) {
    // Two sticks, one along x, the other turned to run along y and lifted on z.
    const Box stick = box({-1, -0.05f, -0.05f}, {2, 0.1f, 0.1f});
    EXPECT_FALSE(boxesOverlap(stick, stick,
                              RelativePlacement{product(translation(0, 0, 0.12f), rotationZ(90))}));
    EXPECT_TRUE(boxesOverlap(stick, stick,
                             RelativePlacement{product(translation(0, 0, 0.09f), rotationZ(90))}));
    // A scale in the placement stretches B: the same lift is bridged by a 3x thicker stick. Its
    // reach along its own (scaled) axis is 9x the half size there; measured unscaled, the boxes
    // would wrongly count as apart.
    EXPECT_TRUE(boxesOverlap(
        stick, stick,
        RelativePlacement{product(translation(0, 0, 0.12f), rotationZ(90, {1, 1, 3}))}));

    // A thin slab facing the cube's corner diagonally: every projection on the cube's axes
    // overlaps, and only the slab's own thin axis separates them.
    const Box cube = box({-0.5f, -0.5f, -0.5f}, {1, 1, 1});
    const Box slab = box({-0.5f, -0.1f, -0.5f}, {1, 0.2f, 1});
    EXPECT_FALSE(boxesOverlap(
        cube, slab, RelativePlacement{product(translation(0.636f, 0.636f, 0), rotationZ(-45))}));
    EXPECT_TRUE(boxesOverlap(
        cube, slab, RelativePlacement{product(translation(0.5f, 0.5f, 0), rotationZ(-45))}));
}

TEST(ColdetTriangles, CrossingSharedEdgeAndSeparatedPairs) {
    const Tri base{{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}};
    EXPECT_TRUE(touch(base, {{{0.5f, 0.5f, -1}, {0.5f, 0.5f, 1}, {3, 3, 1}}}));     // pierces
    EXPECT_FALSE(touch(base, {{{0.5f, 0.5f, 0.1f}, {0.5f, 0.5f, 1}, {3, 3, 1}}}));  // above
    // Shares the edge (0,0,0)-(2,0,0) without being coplanar: both intervals shrink to that edge.
    EXPECT_TRUE(touch(base, {{{0, 0, 0}, {2, 0, 0}, {1, -1, 1}}}));
    // Crosses the plane, but beside the triangle: the intervals on the line are disjoint.
    EXPECT_FALSE(touch(base, {{{3, 3, -1}, {3, 3, 1}, {5, 1, 0}}}));
    // The order of the two arguments does not change the answer.
    EXPECT_TRUE(touch({{{0.5f, 0.5f, -1}, {0.5f, 0.5f, 1}, {3, 3, 1}}}, base));
}

TEST(ColdetTriangles, CoplanarPairsUseEdgesThenContainment) {
    const Tri base{{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}};
    EXPECT_TRUE(touch(base, base));  // corners shared: the ends of the closed ranges count
    EXPECT_TRUE(touch(base, {{{0.2f, 0.2f, 0}, {0.5f, 0.2f, 0}, {0.2f, 0.5f, 0}}}));  // inside
    EXPECT_TRUE(touch({{{0.2f, 0.2f, 0}, {0.5f, 0.2f, 0}, {0.2f, 0.5f, 0}}}, base));
    EXPECT_TRUE(touch(base, {{{1, 1, 0}, {3, 1, 0}, {1, 3, 0}}}));  // corner on the hypotenuse
    EXPECT_FALSE(touch(base, {{{1.1f, 1.1f, 0}, {3, 1.1f, 0}, {1.1f, 3, 0}}}));
    // Coplanar in a tilted plane (projection chosen from the normal).
    const Tri tilted{{{0, 0, 0}, {1, 1, 1}, {0, 1, 2}}};
    const Tri shifted{{{2, 2, 2}, {3, 3, 3}, {2, 3, 4}}};
    EXPECT_FALSE(touch(tilted, shifted));
    EXPECT_TRUE(touch(tilted, {{{0.5f, 0.5f, 0.5f}, {3, 3, 3}, {2, 3, 4}}}));
}

TEST(ColdetTriangles, PlaneDistancesBelowTheEpsilonCountAsZero) {
    // Small triangles (twice the area 0.0002): a corner 0.004 above the plane is 8e-7 in
    // unnormalised distance, so it counts as on the plane and the pair is tested as coplanar.
    const Tri small{{{0, 0, 0}, {0.01f, 0, 0}, {0, 0.02f, 0}}};
    const Tri above{{{0.002f, 0.002f, 0.004f}, {0.003f, 0.002f, 0.004f}, {0.002f, 0.003f, 0.004f}}};
    EXPECT_TRUE(touch(small, above));
    const Tri higher{{{0.002f, 0.002f, 0.01f}, {0.003f, 0.002f, 0.01f}, {0.002f, 0.003f, 0.01f}}};
    EXPECT_FALSE(touch(small, higher));
    // The same shapes 100 times larger are far beyond the epsilon.
    const Tri big{{{0, 0, 0}, {1, 0, 0}, {0, 2, 0}}};
    const Tri bigAbove{{{0.2f, 0.2f, 0.4f}, {0.3f, 0.2f, 0.4f}, {0.2f, 0.3f, 0.4f}}};
    EXPECT_FALSE(touch(big, bigAbove));
}

TEST(ColdetSphereAndRay, BoundariesOfTheSphereAndRayTests) {
    const Vector3D tri[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    Vector3D point;
    // Exactly the radius above the interior: the plane test admits it and the projection is inside.
    EXPECT_TRUE(sphereTouchesTriangle(tri, {1, 1, 0.5f}, 0.5f, point));
    EXPECT_EQ(point.z, 0.0f);
    // Beside the triangle, nearest edge point exactly the radius away: the edge test is strict.
    EXPECT_FALSE(sphereTouchesTriangle(tri, {1, -0.5f, 0}, 0.5f, point));
    EXPECT_TRUE(sphereTouchesTriangle(tri, {1, -0.5f, 0}, 0.5001f, point));
    EXPECT_EQ(point.y, 0.0f);
    // Beyond a corner: the nearest point is the corner itself.
    EXPECT_TRUE(sphereTouchesTriangle(tri, {-0.3f, -0.3f, 0}, 0.5f, point));
    EXPECT_EQ(point.x, 0.0f);

    float t;
    EXPECT_TRUE(rayHitsTriangle(tri, {1, 1, 2}, {0, 0, -1}, 3e30f, t, point));
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_FALSE(rayHitsTriangle(tri, {1, 1, 2}, {0, 0, -1}, 1.9f, t, point));
    EXPECT_FALSE(rayHitsTriangle(tri, {1, 1, 2}, {1, 0, 0}, 3e30f, t, point));   // parallel
    EXPECT_FALSE(rayHitsTriangle(tri, {1, 1, 0}, {0, 0, -1}, 3e30f, t, point));  // starts on it
    EXPECT_FALSE(rayHitsTriangle(tri, {3, 3, 2}, {0, 0, -1}, 3e30f, t, point));  // beside it
    EXPECT_TRUE(rayHitsTriangle(tri, {4, 0, 2}, {0, 0, -1}, 3e30f, t, point));   // on a corner
}

TEST(ColdetSphereAndRay, SegmentAgainstBoxForRaysAndSegments) {
    const Vector3D center{0, 0, 0}, half{1, 1, 1};
    const float ray = 1e31f;
    EXPECT_TRUE(segmentHitsBox(center, half, {-5, 0, 0}, {1, 0, 0}, ray));
    EXPECT_FALSE(segmentHitsBox(center, half, {-5, 0, 0}, {-1, 0, 0}, ray));  // moving away
    EXPECT_FALSE(segmentHitsBox(center, half, {-5, 3, 0}, {1, 0.3f, 0}, ray));
    EXPECT_TRUE(segmentHitsBox(center, half, {-5, 3, 0}, {1, -0.4f, 0}, ray));
    EXPECT_FALSE(segmentHitsBox(center, half, {-5, 0, 0}, {1, 0, 0}, 3.9f));  // ends short
    EXPECT_TRUE(segmentHitsBox(center, half, {-5, 0, 0}, {1, 0, 0}, 4.1f));
    // A diagonal segment passing beside an edge: only a cross-product axis rejects it.
    EXPECT_FALSE(segmentHitsBox(center, half, {0.5f, 0, 3}, {1, 0, -1}, 4.0f));
    EXPECT_TRUE(segmentHitsBox(center, half, {-0.5f, 0, 2}, {1, 0, -1}, 4.0f));
}

TEST(ColdetMatrices, InverseUndoesAndProductComposes) {
    const Matrix3D move = translation(1, -2, 3);
    const Matrix3D back = inverse(move);
    EXPECT_FLOAT_EQ(back.m[12], -1.0f);
    EXPECT_FLOAT_EQ(back.m[13], 2.0f);
    EXPECT_FLOAT_EQ(back.m[14], -3.0f);
    const Matrix3D general = product(move, rotationZ(33, {2, 0.5f, 3}));
    const Matrix3D round = product(general, inverse(general));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(round.m[i], i % 5 == 0 ? 1.0f : 0.0f, 1e-6f);
    // Product order: the right factor applies first.
    const Vector3D p = transformPoint(product(move, rotationZ(90)), {1, 0, 0});
    EXPECT_NEAR(p.x, 1.0f, 1e-6f);
    EXPECT_NEAR(p.y, -1.0f, 1e-6f);
    EXPECT_NEAR(p.z, 3.0f, 1e-6f);
    // A singular matrix gives non-finite values rather than an error.
    Matrix3D flat;
    flat.m[5] = 0;
    EXPECT_FALSE(std::isfinite(inverse(flat).m[0]));
}

}  // namespace
}  // namespace COLDET

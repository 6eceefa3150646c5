// The collision library: box separation on each family of axes, triangle contact at its edges
// (interval, coplanar and epsilon paths), the matrix helpers, the box tree, the order rules, the
// queries at their limits with their hit reports, and collide against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "collision/coldet/collision_model_3d_impl.hpp"
#include "collision/coldet/overlap_tests.hpp"

namespace COLDET {
namespace {

// A turn by `degrees` about coordinate axis `axis`, then a move by `offset`.
Matrix3D placement(float degrees, int axis, Vector3D offset = {}) {
    const double a = degrees * 3.14159265358979 / 180.0;
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    Matrix3D m;
    m.m[5 * i] = c, m.m[4 * i + j] = s, m.m[4 * j + i] = -s, m.m[5 * j] = c;
    m.m[12] = offset.x, m.m[13] = offset.y, m.m[14] = offset.z;
    return m;
}

// Unit cube A against unit cube B placed by `placeB`, both with their corners at -0.5 and 0.5.
bool cubesOverlap(const Matrix3D& placeB) {
    const Box cube{{-0.5f, -0.5f, -0.5f}, {1, 1, 1}, {}};
    return boxesOverlap(cube, cube, RelativePlacement{placeB});
}

TEST(ColdetPredicates, BoxesOverlapWhenTheyTouchAndPartOnEdgeEdgeAxes) {
    EXPECT_TRUE(cubesOverlap(placement(0, 0, {1, 0, 0})));
    EXPECT_FALSE(cubesOverlap(placement(0, 0, {1.0001f, 0, 0})));
    // Turned 45 degrees about x, then about y, edge against edge: only an edge-edge axis parts
    // them.
    Matrix3D skew = product(placement(45, 1), placement(45, 0));
    skew.m[12] = skew.m[14] = 0.98f;
    EXPECT_TRUE(cubesOverlap(skew));
    skew.m[12] = skew.m[14] = 1.05f;
    EXPECT_FALSE(cubesOverlap(skew));
}

void expectTouch(const Vector3D (&v)[3], const Vector3D (&u)[3], bool touch, const char* what) {
    EXPECT_EQ(trianglesTouch(v, u), touch) << what;
    EXPECT_EQ(trianglesTouch(u, v), touch) << what << ", swapped";
}

TEST(ColdetPredicates, TrianglesTouchThroughTheirIntervalsEdgesAndTheEpsilon) {
    const Vector3D base[3] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
    const struct {
        Vector3D u[3];
        bool touch;
        const char* what;
    } others[] = {
        {{{0.5f, 0.5f, -1}, {0.5f, 0.5f, 1}, {3, 3, 1}}, true, "pierces"},
        {{{0.5f, 0.5f, 0.1f}, {0.5f, 0.5f, 1}, {3, 3, 1}}, false, "above"},
        {{{0.5f, 0.5f, 0}, {0.5f, 0.5f, 1}, {3, 3, 1}}, true, "a corner on it"},
        {{{0, 0, 0}, {2, 0, 0}, {1, -1, 1}}, true, "shared edge"},
        {{{2, 0, -1}, {2, 0, 1}, {3, 0, 0}}, true, "intervals meet"},
        {{{2.01f, 0, -1}, {2.01f, 0, 1}, {3, 0, 0}}, false, "intervals apart"},
        {{{3, 3, -1}, {3, 3, 1}, {5, 1, 0}}, false, "beside"},
        {{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, true, "identical"},
        {{{0.2f, 0.2f, 0}, {0.5f, 0.2f, 0}, {0.2f, 0.5f, 0}}, true, "coplanar, inside"},
        {{{1, 1, 0}, {3, 1, 0}, {1, 3, 0}}, true, "coplanar, corner on the hypotenuse"},
        {{{1.1f, 1.1f, 0}, {3, 1.1f, 0}, {1.1f, 3, 0}}, false, "coplanar, apart"},
    };
    for (const auto& other : others) {
        expectTouch(base, other.u, other.touch, other.what);
    }
    const Vector3D tilted[3] = {{0, 0, 0}, {1, 1, 1}, {0, 1, 2}};  // projected by its normal
    expectTouch(tilted, {{2, 2, 2}, {3, 3, 3}, {2, 3, 4}}, false, "tilted, apart");
    expectTouch(tilted, {{0.5f, 0.5f, 0.5f}, {3, 3, 3}, {2, 3, 4}}, true, "tilted, edges cross");
    // Twice the area 0.0002: 0.004 above is 8e-7 unnormalised, below the 1e-6 epsilon.
    const Vector3D small[3] = {{0, 0, 0}, {0.01f, 0, 0}, {0, 0.02f, 0}};
    for (float z : {0.004f, 0.01f}) {
        expectTouch(small, {{0.002f, 0.002f, z}, {0.003f, 0.002f, z}, {0.002f, 0.003f, z}},
                    z < 0.005f, "small, lifted");
    }
    // The matrix helpers that place one model in the other's space: the right factor first.
    Matrix3D dense;
    const float values[16] = {2, 1, 0, 1, 0, 3, 1, -1, 1, 0, 2, 2, 1, -2, 0, 4};
    std::copy(values, values + 16, dense.m);
    const Matrix3D round = product(dense, inverse(dense));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(round.m[i], i % 5 == 0 ? 1.0f : 0.0f, 1e-6f) << i;
    const Vector3D p =
        transformPoint(product(placement(0, 0, {1, -2, 3}), placement(90, 2)), {1, 1, 1});
    EXPECT_TRUE(std::fabs(p.x) < 1e-6f && p.y == -1 && p.z == 4) << p.x << " " << p.y;
}

using Mesh = std::vector<Vector3D>;  // three corners per triangle
using Model = std::unique_ptr<CollisionModel3DImpl>;

Model modelOf(const Mesh& mesh) {
    Model model = std::make_unique<CollisionModel3DImpl>();
    for (std::size_t i = 0; i < mesh.size(); i += 3)
        model->addTriangle(&mesh[i].x, &mesh[i + 1].x, &mesh[i + 2].x);
    model->finalize();
    return model;
}

// n x n cells of two triangles each in the plane y = 0, from -1 to 1.
Model grid(int n) {
    Mesh mesh;
    const float step = 2.0f / n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const Vector3D a(-1 + i * step, 0, -1 + j * step), b = a + Vector3D(step, 0, 0);
            const Vector3D c = a + Vector3D(step, 0, step), d = a + Vector3D(0, 0, step);
            mesh.insert(mesh.end(), {a, b, c, a, c, d});
        }
    return modelOf(mesh);
}

// The 12 triangles of the cube with corners at +-h, the z = -h face first.
Model cube(float h) {
    const Vector3D v[8] = {{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h},
                           {-h, -h, h},  {h, -h, h},  {h, h, h},  {-h, h, h}};
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    Mesh mesh;
    for (const auto& f : faces)
        mesh.insert(mesh.end(), {v[f[0]], v[f[1]], v[f[2]], v[f[0]], v[f[2]], v[f[3]]});
    return modelOf(mesh);
}

Matrix3D at(Vector3D position) {
    return placement(0, 0, position);
}

TEST(ColdetModel, OutOfOrderCallsThrowAndAModelWithoutTrianglesTouchesNothing) {
    CollisionModel3DImpl open, empty;
    const Model built = grid(2);
    const float zero[3] = {0, 0, 0};
    EXPECT_THROW(built->addTriangle(zero, zero, zero), Inconsistency);
    EXPECT_THROW(open.collideRay(zero, zero), Inconsistency);
    EXPECT_THROW(built->collide(&open), Inconsistency);
    empty.finalize();  // its zero box holds the origin, inside the grid's box
    EXPECT_FALSE(empty.collide(built.get()) || built->collide(&empty));
}

TEST(ColdetModel, OnlyTheRelativePlacementCountsAndTheWalkOrderPicksThePair) {
    const Model a = cube(0.5f), b = cube(0.5f), ground = grid(4), block = cube(0.25f);
    b->setTransform(at({2, 0, 0}).m);
    EXPECT_FALSE(a->collide(b.get()));
    EXPECT_TRUE(a->collide(b.get(), -1, 0, at({1, 0, 0}).m));  // in place of b's own transform
    EXPECT_TRUE(a->collide(a.get()));
    a->setTransform(at({3, -2, 7}).m);
    EXPECT_TRUE(a->collide(b.get(), -1, 0, at({4, -2, 7}).m));
    Matrix3D stretched = at({0, 0, 0});  // ten times along z, it reaches 5 units out
    stretched.m[10] = 10;
    a->setTransform(stretched.m);
    EXPECT_TRUE(a->collide(b.get(), -1, 0, at({0, 0, 5.2f}).m));
    ground->setTransform(at({10, 0, 0}).m);
    block->setTransform(at({10.3f, 0.2f, -0.4f}).m);  // its bottom 0.05 below the ground
    ASSERT_TRUE(ground->collide(block.get()));
    // The walk's order (the larger box opened first, second child first) picks the pair.
    int ground1 = -1, block1 = -1;
    ground->lastHitTriangleIndices(ground1, block1);
    EXPECT_TRUE(ground1 == 19 && block1 == 3) << ground1 << " " << block1;
}

// A unit cube at (0, 5, 0): spheres reach a face inclusively and an edge strictly; rays, counted
// in direction lengths, hit faces, edges and corners within their segment, its end included.
TEST(ColdetModel, SphereAndRayQueriesAtTheirLimits) {
    const Model box = cube(0.5f);
    box->setTransform(at({0, 5, 0}).m);
    // Centre, radius, and whether the sphere touches the cube.
    const float spheres[][5] = {{0, 6, 0, 0.5f, 1},        {0, 6, 0, 0.49f, 0},
                                {0, 5.95f, 0.7f, 0.3f, 0}, {0, 5.875f, 1, 0.6251f, 1},
                                {0, 5.875f, 1, 0.625f, 0}, {0.7f, 5.3f, 0.9f, 0.45f, 1}};
    for (const auto& s : spheres) {
        EXPECT_EQ(box->collideSphere(s, s[3]), s[4] != 0) << s[3];
    }
    float point[3];
    ASSERT_TRUE(box->collideSphere(spheres[0], 0.5f));
    box->lastHitPoint(point, false);
    EXPECT_NEAR(point[1], 5.5f, 1e-6f);
    // Origin, direction, the segment's start and end, and whether the ray hits the cube.
    const float rays[][9] = {
        {0.1f, 5.2f, -5, 0, 0, 2, 0, 2.2f, 0},    {0.1f, 5.2f, -5, 0, 0, 2, 0, 2.25f, 1},
        {0.1f, 5.2f, -5, 0, 0, 2, 3, 3.4e38f, 0}, {0.1f, 5.2f, -5, 1, 0, 0, 0, 3.4e38f, 0},
        {0.5f, 5.5f, -5, 0, 0, 1, 0, 9e9f, 1},    {0.5f, 4.5f, 5, 0, 0, -1, 0, 9e9f, 1},
    };
    for (const auto& r : rays) {
        EXPECT_EQ(box->collideRay(r, r + 3, false, r[6], r[7]), r[8] != 0) << r[7];
    }
    ASSERT_TRUE(box->collideRay(rays[1], rays[1] + 3, true));
    box->lastHitPoint(point, true);
    EXPECT_TRUE(point[2] == -0.5f && std::fabs(point[1] - 0.2f) < 1e-6f);
}

using Rng = std::mt19937;

float uniform(Rng& rng, float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

Vector3D randomPoint(Rng& rng, float extent) {
    return {uniform(rng, -extent, extent), uniform(rng, -extent, extent),
            uniform(rng, -extent, extent)};
}

// A soup of up to 300 triangles, or a flat sheet in y = 0 with some triangles added twice (equal
// centroids: buckets).
Mesh randomMesh(Rng& rng) {
    Mesh mesh;
    if (uniform(rng, 0, 1) < 0.5f) {
        for (int i = 1 + static_cast<int>(uniform(rng, 0, 300)); i > 0; --i) {
            const Vector3D center = randomPoint(rng, 1.0f);
            const float size = uniform(rng, 0.02f, 0.6f);
            for (int c = 0; c < 3; ++c)
                mesh.push_back(center + randomPoint(rng, size));
        }
        return mesh;
    }
    const int n = 1 + static_cast<int>(uniform(rng, 0, 11));
    const float step = uniform(rng, 0.05f, 0.3f);
    auto at = [&](int i, int j) { return Vector3D(i * step, 0, j * step); };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const Vector3D a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            mesh.insert(mesh.end(), {a, b, c, a, c, d});
            if (uniform(rng, 0, 1) < 0.1f)
                mesh.insert(mesh.end(), {c, a, b});
        }
    return mesh;
}

// A random linear map (turning, scaling, shearing, mirroring) and a move; one in six is an exact
// quarter turn, so that faces line up exactly and the coplanar and touching-box paths are taken.
Matrix3D randomPlacement(Rng& rng, Vector3D position) {
    Matrix3D m = placement(90.0f * static_cast<int>(uniform(rng, 0, 4)), 1, position);
    if (uniform(rng, 0, 6) < 1)
        return m;
    do {
        for (int k = 0; k < 12; ++k)
            m.m[k] = k % 4 == 3 ? 0.0f : uniform(rng, -1.5f, 1.5f);
    } while (std::fabs(dot(Vector3D(m.m), cross(Vector3D(m.m + 4), Vector3D(m.m + 8)))) < 0.3f);
    return m;
}

// The oracle: whether any triangle pair touches. The triangle test counts unnormalised plane
// distances below 1e-6 as zero, so small or sliver triangles can "touch" while lying apart, and the
// box walk rightly never reaches them; scaled by a power of two, the same corners round alike and
// every distance is far beyond the epsilon.
bool bruteForceTouch(const Mesh& mine, const Mesh& others, const Matrix3D& relative,
                     float scale = 1.0f) {
    for (std::size_t j = 0; j < others.size(); j += 3) {
        const Vector3D placed[3] = {transformPoint(relative, others[j]) * scale,
                                    transformPoint(relative, others[j + 1]) * scale,
                                    transformPoint(relative, others[j + 2]) * scale};
        for (std::size_t i = 0; i < mine.size(); i += 3) {
            const Vector3D own[3] = {mine[i] * scale, mine[i + 1] * scale, mine[i + 2] * scale};
            if (trianglesTouch(placed, own))
                return true;
        }
    }
    return false;
}

// Random meshes under random placements, then the same pair slid along a random direction to where
// brute force's answer flips, and placed at and around that threshold.
TEST(ColdetDifferential, CollideAgreesWithEveryPairBruteForce) {
    Rng rng(20261206);
    int configurations = 0, touching = 0, disagreements = 0, badReports = 0;
    for (int pair = 0; pair < 300; ++pair) {
        const Mesh meshA = randomMesh(rng), meshB = randomMesh(rng);
        const Model a = modelOf(meshA), b = modelOf(meshB);
        const Vector3D origin = randomPoint(rng, 3.0f), direction = randomPoint(rng, 1.0f);
        const Matrix3D aWorld = randomPlacement(rng, origin), bTurn = randomPlacement(rng, {});
        const float reach = 7.5f * (a->boundingRadius() + b->boundingRadius());
        a->setTransform(aWorld.m);
        // collide must find a contact wherever brute force finds one without the epsilon, and
        // report a touching pair: this model's triangle as added, the other's placed in its space.
        auto check = [&](const Matrix3D& bWorld) {
            ++configurations;
            b->setTransform(bWorld.m);
            const Matrix3D relative = product(inverse(aWorld), bWorld);
            if (!a->collide(b.get())) {
                disagreements += bruteForceTouch(meshA, meshB, relative, 1 << 20);
                return;
            }
            ++touching;
            int i = -1, j = -1;
            float reported[18];
            a->lastHitTriangleIndices(i, j);
            a->lastHitTriangles(reported, reported + 9, true);
            bool good = i >= 0 && j >= 0 && 3 * i < static_cast<int>(meshA.size()) &&
                        3 * j < static_cast<int>(meshB.size());
            Vector3D t[6];
            for (int c = 0; good && c < 3; ++c)
                t[c] = meshA[3 * i + c], t[3 + c] = transformPoint(relative, meshB[3 * j + c]);
            for (int k = 0; good && k < 18; ++k)
                good = reported[k] == t[k / 3][k % 3];
            badReports += !(good && trianglesTouch(t, t + 3));
        };
        for (int i = 0; i < 16; ++i)
            check(randomPlacement(rng, origin + randomPoint(rng, reach * 0.4f)));
        auto placedAt = [&](double distance) {
            Matrix3D m = bTurn;
            for (int k = 0; k < 3; ++k)
                m.m[12 + k] = origin[k] + static_cast<float>(direction[k] * distance);
            return m;
        };
        auto touchesAt = [&](double distance) {
            return bruteForceTouch(meshA, meshB, product(inverse(aWorld), placedAt(distance)));
        };
        if (!touchesAt(0.0))
            continue;
        double near = 0.0, apart = reach;
        for (int step = 0; step < 22; ++step)
            (touchesAt(0.5 * (near + apart)) ? near : apart) = 0.5 * (near + apart);
        for (double offset : {3e-2, 1e-2, 3e-3, 1e-3, 3e-4, 1e-4, 3e-5, 1e-5, 3e-6, 1e-6, 0.0})
            for (double sign : {-1.0, 1.0})
                check(placedAt(near * (1.0 + sign * offset)));
    }
    std::printf("%d configurations, %d touching\n", configurations, touching);
    EXPECT_GE(configurations, 10000);
    EXPECT_TRUE(touching > configurations / 5 && touching < configurations * 4 / 5);
    EXPECT_EQ(disagreements, 0);
    EXPECT_EQ(badReports, 0);
}

}  // namespace
}  // namespace COLDET

// The collision library: the matrix helpers; triangle contact and the sphere and ray tests on every
// degenerate contact against independent answers (geometry_oracle.hpp); the order rules; the
// queries on random models against brute force (which box separation answers to) and those answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "collision/coldet/collision_model_3d_impl.hpp"
#include "collision/coldet/overlap_tests.hpp"
#include "unit/geometry_oracle.hpp"

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

TEST(ColdetMatrices, PlaceOneModelInTheOthersSpaceTheRightFactorFirst) {
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

using Rng = std::mt19937;

float uniform(Rng& rng, float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

Vector3D randomPoint(Rng& rng, float extent) {
    return {uniform(rng, -extent, extent), uniform(rng, -extent, extent),
            uniform(rng, -extent, extent)};
}

oracle::Vec toOracle(Vector3D p) {
    return {p.x, p.y, p.z};
}
oracle::Tri toOracle(const Vector3D* t) {
    return {toOracle(t[0]), toOracle(t[1]), toOracle(t[2])};
}

// The library answers as geometry_oracle.hpp does wherever that answer is clear (its margin beyond
// `tolerance`); a near tie, which float rounding may decide either way, is only counted.
struct Tally {
    int clear = 0, touching = 0, unsure = 0;
    // `margin` > 0: the oracle says they do not touch. `what` names the case (the seed is fixed).
    void check(bool library, double margin, double tolerance, const std::string& what) {
        if (std::fabs(margin) < tolerance) {
            ++unsure;
            return;
        }
        ++clear;
        touching += margin <= 0;
        EXPECT_EQ(library, margin <= 0) << what << ", oracle margin " << margin;
    }
    void expectBalanced(const char* what) const {
        std::printf("%s: %d clear (%d touching), %d near ties\n", what, clear, touching, unsure);
        EXPECT_TRUE(touching > clear / 5 && touching < clear * 4 / 5 && unsure < clear / 20);
    }
};

// Axes permuted and mirrored (48), each with every corner order of the triangle (6): float
// arithmetic is exact on them, so no answer may change. Counts those where `differs` says it does.
struct Symmetry {
    int axis[3];
    float sign[3];
    Vector3D operator()(Vector3D p) const {
        return {sign[0] * p[axis[0]], sign[1] * p[axis[1]], sign[2] * p[axis[2]]};
    }
};
constexpr int cornerOrders[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1},
                                    {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};

template <typename Differs>
int countDiffering(const Vector3D* corners, Differs differs) {
    int count = 0, axis[3] = {0, 1, 2};
    do {
        for (int signs = 0; signs < 8; ++signs) {
            const float sign[2] = {1, -1};
            const Symmetry s{{axis[0], axis[1], axis[2]},
                             {sign[signs & 1], sign[signs >> 1 & 1], sign[signs >> 2]}};
            for (const auto& o : cornerOrders) {
                const Vector3D t[3] = {s(corners[o[0]]), s(corners[o[1]]), s(corners[o[2]])};
                count += differs(s, t);
            }
        }
    } while (std::next_permutation(axis, axis + 3));
    return count;
}

// A right triangle whose hypotenuse, (4, 0, 0) to (0, 4, 0), is its longest edge; each edge's
// middle with its outward direction; and a step far beyond rounding but small beside it.
const Vector3D base[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
const struct {
    Vector3D middle, out, along;
} baseEdges[] = {{{2, 0, 0}, {0, -1, 0}, {1, 0, 0}},
                 {{0, 2, 0}, {-1, 0, 0}, {0, 1, 0}},
                 {{2, 2, 0}, {1, 1, 0}, {-1, 1, 0}}};
constexpr float step = 1.0f / 16;
const Vector3D up(0, 0, 2);
const char* byEdge(float s) {
    return s < 0 ? " just inside an edge" : (s > 0 ? " just outside an edge" : " on an edge");
}

// How many symmetries of the pair, each triangle in every corner order and either one first,
// change trianglesTouch's answer from `touch`.
int touchDiffering(const Vector3D* v, const Vector3D* u, bool touch) {
    return countDiffering(v, [&](const Symmetry& s, const Vector3D* a) {
        int wrong = 0;
        for (const auto& o : cornerOrders) {
            const Vector3D b[3] = {s(u[o[0]]), s(u[o[1]]), s(u[o[2]])};
            wrong += (trianglesTouch(a, b) != touch) + (trianglesTouch(b, a) != touch);
        }
        return wrong;
    });
}

TEST(ColdetOracle, TrianglesTouchOnEveryDegenerateContactInEverySymmetry) {
    struct Case {
        bool touch;
        std::string what;
        std::vector<Vector3D> u;
    };
    std::vector<Case> cases = {
        {true, "a shared corner", {{0, 0, 0}, {-2, 1, 3}, {1, -2, 3}}},
        {true, "a corner on the face", {{1, 1, 0}, {1, 1, 2}, {3, 0, 2}}},
        {true, "a shared edge, hinged", {{0, 0, 0}, {4, 0, 0}, {2, -1, 2}}},
        {true, "an edge meeting an edge", {{1, -1, -1}, {1, 1, 1}, {1, -1, 1}}},
        {false, "an edge passing an edge", {{1, -1.0625f, -1}, {1, 0.9375f, 1}, {1, -1.0625f, 1}}},
        {false, "an edge in the plane beside it", {{2, 3, 2}, {-3, 1, 0}, {-1, 1, 0}}},
        {true, "identical", {base, base + 3}},
        {true, "coplanar, inside", {{1, 1, 0}, {2, 1, 0}, {1, 2, 0}}},
        {true, "coplanar, a shared edge", {{0, 0, 0}, {4, 0, 0}, {0, -4, 0}}},
        {true, "coplanar, a shared corner", {{0, 0, 0}, {-4, 0, 0}, {0, -4, 0}}},
        {false, "coplanar, apart", {{3, 3, 0}, {5, 3, 0}, {3, 5, 0}}},
    };
    for (const auto& e : baseEdges)
        for (float s : {-step, 0.0f, step}) {
            const Vector3D p = e.middle + e.out * s, far = p + e.out * 2;
            cases.push_back(
                {s <= 0, std::string("a corner") + byEdge(s), {p, p + up, p + e.out + up}});
            cases.push_back({s <= 0,
                             std::string("coplanar, a corner") + byEdge(s),
                             {p, far + e.along, far - e.along}});
        }
    for (const Case& c : cases) {
        const double margin = oracle::separation(toOracle(base), toOracle(c.u.data()));
        EXPECT_EQ(margin <= 0, c.touch) << c.what << ": oracle " << margin;
        EXPECT_EQ(touchDiffering(base, c.u.data(), c.touch), 0) << c.what;
    }
    // The library's own rule: unnormalised plane distances below 1e-6 count as 0. Twice the area
    // 1/4096 and lifted 1/512, the distance is 4.8e-7: they touch, though the oracle parts them.
    const Vector3D small[3] = {{0, 0, 0}, {1.0f / 64, 0, 0}, {0, 1.0f / 64, 0}};
    for (float lift : {1.0f / 512, 1.0f / 128}) {
        const Vector3D raise(0, 0, lift),
            lifted[3] = {small[0] + raise, small[1] + raise, small[2] + raise};
        EXPECT_GT(oracle::separation(toOracle(small), toOracle(lifted)), 0);
        EXPECT_EQ(touchDiffering(small, lifted, lift < 1.0f / 256), 0) << "lifted " << lift;
    }
}

// A sphere touches a face at its radius (the centre's foot in the closed triangle), an edge or a
// corner only within it. A ray hits edges and corners, t counts in direction lengths, the segment's
// end is included; by the library's own rule, not geometry's, a ray starting in the plane (t = 0)
// or within 1e-8 of parallel to it (the sine of its angle times its length) misses.
TEST(ColdetOracle, SpheresAndRaysOnEveryDegenerateContactInEverySymmetry) {
    constexpr float unbounded = 3.4e38f;
    const Vector3D none, down(0, 0, -1);
    struct Case {
        bool touch;
        std::string what;
        Vector3D at, direction;  // a sphere's centre, or a ray's origin and direction
        float size;              // the radius, or the end of the segment
        bool byRule = false;     // the library's rule, not geometry, decides
    };
    std::vector<Case> cases = {
        {true, "a sphere above the face, at the radius", {1, 1, 1}, none, 1},
        {false, "a sphere above the face, beyond the radius", {1, 1, 1}, none, 1 - step},
        {true, "a sphere below the face, at the radius", {1, 1, -0.5f}, none, 0.5f},
        {true, "a sphere above a corner, at the radius", {0, 0, 1}, none, 1},
        {true, "a sphere beside a corner, within the radius", {-1, -1, 0}, none, 1.5f},
        {false, "a sphere beside a corner, beyond the radius", {-1, -1, 0}, none, 1.375f},
        {true, "a ray through the face", {1, 1, 2}, down, unbounded},
        {false, "a ray away from the face", {1, 1, 2}, {0, 0, 1}, unbounded},
        {true, "a ray through a corner", {0, 0, 2}, down, unbounded},
        {true, "a segment ending on the face", {1, 1, 2}, down * 4, 0.5f},
        {false, "a segment ending before the face", {1, 1, 2}, down * 4, 0.5f - step},
        {false, "a ray starting on the face", {1, 1, 0}, down, unbounded, true},
        {false, "a ray grazing the face", {-2, 1, 3e-9f}, {1, 0, -1e-9f}, unbounded, true},
    };
    for (const auto& e : baseEdges) {
        const float away = std::sqrt(dot(e.out, e.out));  // from the edge to middle + out
        cases.push_back(
            {true, "a sphere above an edge, at the radius", e.middle + up * 0.5f, none, 1});
        cases.push_back(
            {false, "a sphere beside an edge, at the radius", e.middle + e.out, none, away});
        cases.push_back(
            {true, "a sphere beside an edge, within", e.middle + e.out, none, away * (1 + step)});
        for (float s : {-step, 0.0f, step}) {
            const Vector3D p = e.middle + e.out * s;
            cases.push_back(
                {s <= 0, std::string("a sphere's foot") + byEdge(s), p + up * 0.5f, none, 1});
            cases.push_back({s <= 0, std::string("a ray") + byEdge(s), p + up, down, unbounded});
        }
    }
    for (const Case& c : cases) {
        const bool sphere = dot(c.direction, c.direction) == 0;
        const oracle::Tri t = toOracle(base);
        const oracle::Closest near = oracle::closest(t, toOracle(c.at));
        EXPECT_EQ(
            sphere
                ? (near.footInside ? near.distance <= c.size : near.distance < c.size)
                : oracle::crossing(t, toOracle(c.at), toOracle(c.direction), 0, c.size).margin >= 0,
            c.touch != c.byRule)
            << c.what;
        const auto differs = [&](const Symmetry& s, const Vector3D* t) {
            float at;
            Vector3D point;
            return (sphere ? sphereTouchesTriangle(t, s(c.at), c.size, point)
                           : rayHitsTriangle(t, s(c.at), s(c.direction), c.size, at, point)) !=
                   c.touch;
        };
        EXPECT_EQ(countDiffering(base, differs), 0) << c.what;
    }
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

// Random meshes turned and moved; spheres and rays about them (unbounded, bounded, started further
// on, reversed), asked of the model and of the oracle for each triangle in world space. A hit
// reports a triangle the oracle lets touch, and its point: the centre's foot or an edge's nearest
// point, within the sphere; the ray's crossing, the closest one when asked.
TEST(ColdetDifferential, SphereAndRayQueriesAgreeWithEveryTriangleAskedAlone) {
    constexpr double tolerance = 1e-4;
    Rng rng(20261210);
    Tally spheres, rays;
    for (int m = 0; m < 60; ++m) {
        const Mesh mesh = randomMesh(rng);
        const Model model = modelOf(mesh);
        const Matrix3D world = product(
            placement(uniform(rng, 0, 360), 0, randomPoint(rng, 3)),
            product(placement(uniform(rng, 0, 360), 1), placement(uniform(rng, 0, 360), 2)));
        model->setTransform(world.m);
        std::vector<oracle::Tri> placed;  // rounded to float once: far within the tolerance
        for (std::size_t i = 0; i < mesh.size(); i += 3)
            placed.push_back({toOracle(transformPoint(world, mesh[i])),
                              toOracle(transformPoint(world, mesh[i + 1])),
                              toOracle(transformPoint(world, mesh[i + 2]))});
        oracle::Tri hitTriangle;
        float point[3];
        const auto report = [&] {
            int index = -1, unused;
            model->lastHitTriangleIndices(index, unused);
            model->lastHitPoint(point, false);
            hitTriangle = placed.at(index);
            return toOracle(Vector3D(point));
        };
        for (int q = 0; q < 60; ++q) {
            const Vector3D center = transformPoint(world, randomPoint(rng, 1.5f));
            const oracle::Vec c = toOracle(center);
            double nearest = 1e30;
            for (const oracle::Tri& t : placed)
                nearest = std::min(nearest, oracle::closest(t, c).distance);
            const float radius = static_cast<float>(nearest) * uniform(rng, 0.5f, 1.5f);
            const bool touch = model->collideSphere(&center.x, radius);
            const std::string what = "model " + std::to_string(m) + ", query " + std::to_string(q);
            spheres.check(touch, nearest - radius, tolerance, what + ", sphere");
            if (touch) {
                const oracle::Vec p = report(),
                                  unit = normal(hitTriangle) * (1 / length(normal(hitTriangle)));
                bool nearestOfAPart = length(c - unit * dot(c - hitTriangle[0], unit) - p) < 1e-5;
                for (int i = 0; i < 3; ++i)
                    nearestOfAPart |= length(oracle::nearestOnSegment(c, hitTriangle[i],
                                                                      hitTriangle[(i + 1) % 3]) -
                                             p) < 1e-5;
                EXPECT_TRUE(nearestOfAPart && oracle::closest(hitTriangle, p).distance < 1e-5 &&
                            length(p - c) < radius + tolerance)
                    << what << ", sphere";
            }

            const Vector3D origin = transformPoint(world, randomPoint(rng, 3.0f));
            const Vector3D aim = transformPoint(world, mesh[3 * (q % (mesh.size() / 3))]);
            const Vector3D direction =
                (aim - origin + randomPoint(rng, 0.1f)) * uniform(rng, 0.5f, 2);
            const float ends[4][2] = {{0, 3.4e38f},
                                      {0, uniform(rng, 0, 1.5f)},
                                      {uniform(rng, 0, 1), uniform(rng, 0.5f, 2)},
                                      {uniform(rng, 0.5f, 2), uniform(rng, 0, 1)}};
            const float from = ends[q % 4][0], to = ends[q % 4][1];
            const bool closestOnly = q % 8 < 4;
            // On the line origin + t direction, t runs from `from` towards `to`.
            const auto cross = [&](const oracle::Tri& t) {
                return oracle::crossing(t, toOracle(origin), toOracle(direction),
                                        std::min(from, to), std::max(from, to));
            };
            double widest = -1e30, first = 1e30;  // the widest margin, the nearest clear hit
            for (const oracle::Tri& t : placed) {
                const oracle::Crossing c = cross(t);
                first = c.margin > tolerance ? std::min(first, std::fabs(c.t - from)) : first;
                widest = std::isnan(c.margin) ? widest : std::max(widest, c.margin);
            }
            const bool hit = model->collideRay(&origin.x, &direction.x, closestOnly, from, to);
            rays.check(hit, -widest, tolerance, what + ", ray");
            if (hit) {
                const oracle::Vec p = report();
                const oracle::Crossing c = cross(hitTriangle);
                EXPECT_TRUE(c.margin > -tolerance && length(p - c.point) < 1e-3 &&
                            !(closestOnly && std::fabs(c.t - from) > first + tolerance))
                    << what << ", ray";
            }
        }
    }
    spheres.expectBalanced("sphere queries");
    rays.expectBalanced("ray queries");
}

// Every triangle pair, the other's placed in this one's space. `library`: whether the predicate
// finds a pair touching both as placed and scaled by 2^20 (the same roundings, every plane distance
// far beyond the epsilon, by which small or sliver triangles "touch" apart, where the walk rightly
// never goes). `margin`: the oracle's least separation over pairs whose boxes come within `near`.
struct PairsAnswer {
    bool library = false;
    double margin = 1e30;
};

PairsAnswer everyPair(const Mesh& mine, const Mesh& others, const Matrix3D& relative, float near) {
    constexpr float scale = 1 << 20;
    const auto apart = [&](const Vector3D* a, const Vector3D* b) {
        for (int k = 0; k < 3; ++k)
            if (std::max({a[0][k], a[1][k], a[2][k]}) + near <
                    std::min({b[0][k], b[1][k], b[2][k]}) ||
                std::max({b[0][k], b[1][k], b[2][k]}) + near <
                    std::min({a[0][k], a[1][k], a[2][k]}))
                return true;
        return false;
    };
    PairsAnswer answer;
    for (std::size_t j = 0; j < others.size(); j += 3) {
        const Vector3D placed[3] = {transformPoint(relative, others[j]),
                                    transformPoint(relative, others[j + 1]),
                                    transformPoint(relative, others[j + 2])};
        const Vector3D big[3] = {placed[0] * scale, placed[1] * scale, placed[2] * scale};
        for (std::size_t i = 0; i < mine.size(); i += 3) {
            if (apart(placed, &mine[i]))
                continue;
            const Vector3D own[3] = {mine[i] * scale, mine[i + 1] * scale, mine[i + 2] * scale};
            answer.library =
                answer.library || (trianglesTouch(big, own) && trianglesTouch(placed, &mine[i]));
            answer.margin =
                std::min(answer.margin, oracle::separation(toOracle(placed), toOracle(&mine[i])));
        }
    }
    return answer;
}

// Whether a corner's plane distance from the other's plane is within the predicate's epsilon.
bool withinEpsilon(const Vector3D* v, const Vector3D* u) {
    for (const auto& [plane, corners] : {std::pair(v, u), std::pair(u, v)}) {
        const oracle::Tri t = toOracle(plane);
        for (int c = 0; c < 3; ++c)
            if (std::fabs(dot(oracle::normal(t), toOracle(corners[c]) - t[0])) < 1e-6)
                return true;
    }
    return false;
}

// Random meshes under random placements, then slid along a random direction to where the answer
// over every pair flips, and placed around it. The walk must drop no pair that the predicate
// accepts (even at a rounding's distance), and each answer must stand before the oracle.
TEST(ColdetDifferential, CollideAgreesWithEveryPairBruteForce) {
    constexpr float tolerance = 1e-4f;
    Rng rng(20261206);
    int configurations = 0, touching = 0, walkMisses = 0, oracleMisses = 0, badReports = 0;
    for (int pair = 0; pair < 320; ++pair) {
        const Mesh meshA = randomMesh(rng), meshB = randomMesh(rng);
        const Model a = modelOf(meshA), b = modelOf(meshB);
        const Vector3D origin = randomPoint(rng, 3.0f), direction = randomPoint(rng, 1.0f);
        const Matrix3D aWorld = randomPlacement(rng, origin), bTurn = randomPlacement(rng, {});
        const float reach = 7.5f * (a->boundingRadius() + b->boundingRadius());
        a->setTransform(aWorld.m);
        // A reported pair is this model's triangle as added and the other's placed in its space.
        auto check = [&](const Matrix3D& bWorld) {
            ++configurations;
            b->setTransform(bWorld.m);
            const Matrix3D relative = product(inverse(aWorld), bWorld);
            if (!a->collide(b.get())) {
                const PairsAnswer every = everyPair(meshA, meshB, relative, tolerance);
                walkMisses += every.library;
                oracleMisses += every.margin < -tolerance;
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
            badReports += !(good && (oracle::separation(toOracle(t), toOracle(t + 3)) < tolerance ||
                                     withinEpsilon(t, t + 3)));
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
            const Matrix3D relative = product(inverse(aWorld), placedAt(distance));
            return everyPair(meshA, meshB, relative, tolerance).library;
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
    EXPECT_EQ(walkMisses, 0);
    EXPECT_EQ(oracleMisses, 0);
    EXPECT_EQ(badReports, 0);
}

}  // namespace
}  // namespace COLDET

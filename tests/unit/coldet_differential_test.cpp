// collide against brute force: random meshes under random rotations, translations and non-uniform
// scales, many placed right at the edge of contact, must give the answer of a loop over every
// triangle pair with the same relative transform and triangle test, and report a pair that touches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "collision/coldet/collision_model_3d_impl.hpp"
#include "collision/coldet/overlap_tests.hpp"

namespace COLDET {
namespace {

constexpr int meshPairs = 300;
constexpr int randomPlacementsPerPair = 16;
constexpr int bisectionSteps = 22;
// Relative distances from the contact threshold found by bisection.
constexpr double nearOffsets[] = {3e-2, 1e-2, 3e-3, 1e-3, 3e-4, 1e-4, 3e-5, 1e-5, 3e-6, 1e-6, 0.0};
constexpr int maxTriangles = 300;

struct Mesh {
    std::vector<Vector3D> corners;  // three per triangle
    int triangleCount() const { return static_cast<int>(corners.size() / 3); }
    const Vector3D* triangle(int i) const { return &corners[3 * i]; }
};

using Rng = std::mt19937;

float uniform(Rng& rng, float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

int uniformInt(Rng& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

Vector3D randomPoint(Rng& rng, float extent) {
    return {uniform(rng, -extent, extent), uniform(rng, -extent, extent),
            uniform(rng, -extent, extent)};
}

Mesh soup(Rng& rng) {
    Mesh mesh;
    const int count = uniformInt(rng, 1, maxTriangles);
    for (int i = 0; i < count; ++i) {
        const Vector3D center = randomPoint(rng, 1.0f);
        const float size = uniform(rng, 0.02f, 0.6f);
        for (int c = 0; c < 3; ++c)
            mesh.corners.push_back(center + randomPoint(rng, size));
    }
    return mesh;
}

// A closed, bumpy ellipsoid made of latitude and longitude bands.
Mesh ellipsoid(Rng& rng) {
    const int rows = uniformInt(rng, 2, 10), columns = uniformInt(rng, 3, 14);
    const Vector3D radii(uniform(rng, 0.2f, 1.0f), uniform(rng, 0.2f, 1.0f),
                         uniform(rng, 0.2f, 1.0f));
    const float bump = uniform(rng, 0.0f, 0.15f);
    std::vector<Vector3D> grid;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double lat = 3.14159265 * r / rows, lon = 2 * 3.14159265 * c / columns;
            const float k = 1.0f + (r == 0 || r == rows ? 0.0f : uniform(rng, -bump, bump));
            grid.emplace_back(static_cast<float>(std::sin(lat) * std::cos(lon)) * radii.x * k,
                              static_cast<float>(std::cos(lat)) * radii.y * k,
                              static_cast<float>(std::sin(lat) * std::sin(lon)) * radii.z * k);
        }
    Mesh mesh;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int c1 = (c + 1) % columns;
            const Vector3D a = grid[r * columns + c], b = grid[r * columns + c1];
            const Vector3D d = grid[(r + 1) * columns + c], e = grid[(r + 1) * columns + c1];
            // At the poles one triangle of each quad collapses; leave it out.
            if (r + 1 < rows)
                mesh.corners.insert(mesh.corners.end(), {a, d, e});
            if (r > 0)
                mesh.corners.insert(mesh.corners.end(), {a, e, b});
        }
    return mesh;
}

// A flat or gently rolling sheet in y = 0, some triangles added twice (equal centroids: buckets).
Mesh sheet(Rng& rng, bool flat) {
    const int n = uniformInt(rng, 1, 11);
    const float step = uniform(rng, 0.05f, 0.3f);
    Mesh mesh;
    auto height = [&](int i, int j) {
        return flat ? 0.0f : 0.1f * static_cast<float>(std::sin(i * 1.3 + j * 0.7));
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const Vector3D a(i * step, height(i, j), j * step);
            const Vector3D b((i + 1) * step, height(i + 1, j), j * step);
            const Vector3D c((i + 1) * step, height(i + 1, j + 1), (j + 1) * step);
            const Vector3D d(i * step, height(i, j + 1), (j + 1) * step);
            mesh.corners.insert(mesh.corners.end(), {a, b, c, a, c, d});
            if (uniformInt(rng, 0, 9) == 0)
                mesh.corners.insert(mesh.corners.end(), {c, a, b});
        }
    return mesh;
}

Mesh randomMesh(Rng& rng) {
    switch (uniformInt(rng, 0, 3)) {
        case 0:
            return soup(rng);
        case 1:
            return ellipsoid(rng);
        default:
            return sheet(rng, uniformInt(rng, 0, 1) == 0);
    }
}

std::unique_ptr<CollisionModel3DImpl> modelOf(const Mesh& mesh) {
    auto model = std::make_unique<CollisionModel3DImpl>();
    for (int i = 0; i < mesh.triangleCount(); ++i) {
        const Vector3D* t = mesh.triangle(i);
        model->addTriangle(&t[0].x, &t[1].x, &t[2].x);
    }
    model->finalize();
    return model;
}

// Translation * rotation * scale. Some rotations are exact quarter turns with unit scale, so that
// faces line up exactly and the coplanar and touching-box paths are exercised.
Matrix3D randomPlacement(Rng& rng, Vector3D position) {
    Matrix3D m;
    if (uniformInt(rng, 0, 5) == 0) {
        const int turns = uniformInt(rng, 0, 3);
        const float c[4] = {1, 0, -1, 0}, s[4] = {0, 1, 0, -1};
        m.m[0] = c[turns], m.m[2] = -s[turns], m.m[8] = s[turns], m.m[10] = c[turns];
    } else {
        float q[4];
        double length = 0;
        for (float& v : q)
            v = uniform(rng, -1, 1), length += double(v) * v;
        const float inv = static_cast<float>(1.0 / std::sqrt(length));
        const float w = q[0] * inv, x = q[1] * inv, y = q[2] * inv, z = q[3] * inv;
        const Vector3D scale(uniform(rng, 0.4f, 2.5f), uniform(rng, 0.4f, 2.5f),
                             uniform(rng, 0.4f, 2.5f));
        const float r[9] = {
            1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),
            2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),
            2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y)};
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row)
                m.m[4 * col + row] = r[3 * col + row] * scale[col];
    }
    m.m[12] = position.x, m.m[13] = position.y, m.m[14] = position.z;
    return m;
}

// The full loop over every pair: the other's triangles outer, ours inner, as collide tests them.
struct BruteForce {
    const Mesh& mine;
    const Mesh& others;

    // Calls visit(our index, placed triangle of the other) for every touching pair until it
    // returns false; returns whether any pair touched.
    template <typename Visit>
    bool touchingPairs(const Matrix3D& mineWorld, const Matrix3D& othersWorld, Visit visit) const {
        const Matrix3D relative = product(inverse(mineWorld), othersWorld);
        bool any = false;
        for (int j = 0; j < others.triangleCount(); ++j) {
            const Vector3D* t = others.triangle(j);
            const Vector3D placed[3] = {transformPoint(relative, t[0]),
                                        transformPoint(relative, t[1]),
                                        transformPoint(relative, t[2])};
            for (int i = 0; i < mine.triangleCount(); ++i)
                if (trianglesTouch(placed, mine.triangle(i))) {
                    any = true;
                    if (!visit(i, placed))
                        return true;
                }
        }
        return any;
    }

    bool anyTouch(const Matrix3D& mineWorld, const Matrix3D& othersWorld) const {
        return touchingPairs(mineWorld, othersWorld, [](int, const Vector3D*) { return false; });
    }
};

// The triangle test treats unnormalised plane distances below 1e-6 as zero, so a pair of small or
// sliver triangles can "touch" while lying strictly apart, and the box walk, which has no such
// tolerance, rightly never reaches it. Such a pair has a separating axis: a normal, an edge
// against an edge, or an edge within one plane, found here in double precision.
struct DoubleVector {
    double v[3];
};

DoubleVector difference(Vector3D a, Vector3D b) {
    return {{double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}};
}

DoubleVector crossOf(const DoubleVector& a, const DoubleVector& b) {
    return {{a.v[1] * b.v[2] - a.v[2] * b.v[1], a.v[2] * b.v[0] - a.v[0] * b.v[2],
             a.v[0] * b.v[1] - a.v[1] * b.v[0]}};
}

bool gapAlong(const DoubleVector& axis, const Vector3D* a, const Vector3D* b) {
    double loA = 1e300, hiA = -1e300, loB = 1e300, hiB = -1e300;
    for (int c = 0; c < 3; ++c) {
        double pa = 0, pb = 0;
        for (int k = 0; k < 3; ++k) {
            pa += axis.v[k] * a[c][k];
            pb += axis.v[k] * b[c][k];
        }
        loA = std::min(loA, pa), hiA = std::max(hiA, pa);
        loB = std::min(loB, pb), hiB = std::max(hiB, pb);
    }
    return hiA < loB || hiB < loA;
}

bool apartForSure(const Vector3D* a, const Vector3D* b) {
    DoubleVector edgesA[3], edgesB[3];
    for (int i = 0; i < 3; ++i) {
        edgesA[i] = difference(a[(i + 1) % 3], a[i]);
        edgesB[i] = difference(b[(i + 1) % 3], b[i]);
    }
    const DoubleVector normalA = crossOf(edgesA[0], edgesA[1]);
    const DoubleVector normalB = crossOf(edgesB[0], edgesB[1]);
    if (gapAlong(normalA, a, b) || gapAlong(normalB, a, b))
        return true;
    for (int i = 0; i < 3; ++i) {
        if (gapAlong(crossOf(normalA, edgesA[i]), a, b))
            return true;
        if (gapAlong(crossOf(normalB, edgesB[i]), a, b))
            return true;
        for (int j = 0; j < 3; ++j)
            if (gapAlong(crossOf(edgesA[i], edgesB[j]), a, b))
                return true;
    }
    return false;
}

// The walk as plainly written: the full box test on every pair, both children pushed with the
// second on top, triangle pairs in order. collide, with its shortcuts, must report the same hit.
struct Hit {
    bool touched = false;
    int mine = -1, others = -1;
};

Hit plainWalk(CollisionModel3DImpl& a, CollisionModel3DImpl& b, const Matrix3D& relative) {
    if (a.triangleCount() == 0 || b.triangleCount() == 0)
        return {};
    const RelativePlacement placement(
        relative, roundingSlack(relative, a.boundingRadius(), b.boundingRadius()));
    const auto& nodesA = a.tree().nodes();
    const auto& nodesB = b.tree().nodes();
    std::vector<std::pair<int, int>> stack{{0, 0}};
    while (!stack.empty()) {
        const auto [i, j] = stack.back();
        stack.pop_back();
        const BoxTreeNode& na = nodesA[i];
        const BoxTreeNode& nb = nodesB[j];
        if (boxesSeparated(na.center, na.halfSize, nb.center, nb.halfSize, placement))
            continue;
        if (na.isLeaf() && nb.isLeaf()) {
            for (int tb = 0; tb < nb.triangleCount(); ++tb) {
                const LeafTriangle& t = b.tree().triangles()[nb.firstTriangle + tb];
                const Vector3D placed[3] = {transformPoint(relative, t.corners[0]),
                                            transformPoint(relative, t.corners[1]),
                                            transformPoint(relative, t.corners[2])};
                for (int ta = 0; ta < na.triangleCount(); ++ta) {
                    const LeafTriangle& m = a.tree().triangles()[na.firstTriangle + ta];
                    if (trianglesTouch(placed, m.corners))
                        return {true, m.index, t.index};
                }
            }
            continue;
        }
        if (!na.isLeaf() && (nb.isLeaf() || na.volume > nb.volume)) {
            stack.push_back({na.firstChild(), j});
            stack.push_back({BoxTreeNode::secondChild(i), j});
        } else {
            stack.push_back({i, nb.firstChild()});
            stack.push_back({i, BoxTreeNode::secondChild(j)});
        }
    }
    return {};
}

struct Tally {
    int configurations = 0, touching = 0, nearTouching = 0, badReports = 0;
    int disagreements = 0;        // unexplained
    int epsilonOnlyContacts = 0;  // brute force touches only through pairs that lie apart
    int walkDifferences = 0;      // answer or reported pair unlike the plain walk's
};

// One configuration: collide, then check the answer and the reported pair against brute force.
void check(CollisionModel3DImpl& a, CollisionModel3DImpl& b, const BruteForce& brute,
           const Matrix3D& aWorld, const Matrix3D& bWorld, Tally& tally) {
    ++tally.configurations;
    a.setTransform(aWorld.m);
    b.setTransform(bWorld.m);
    const bool collided = a.collide(&b);
    const Hit plain = plainWalk(a, b, product(inverse(aWorld), bWorld));
    if (plain.touched != collided)
        ++tally.walkDifferences;
    if (!collided) {
        bool genuine = false;
        brute.touchingPairs(aWorld, bWorld, [&](int i, const Vector3D* placed) {
            genuine = !apartForSure(brute.mine.triangle(i), placed);
            return !genuine;
        });
        if (genuine)
            ++tally.disagreements;
        else if (brute.anyTouch(aWorld, bWorld))
            ++tally.epsilonOnlyContacts;
        return;
    }
    ++tally.touching;
    int i1 = -1, i2 = -1;
    float t1[9], t2[9];
    a.lastHitTriangleIndices(i1, i2);
    if (plain.touched && (plain.mine != i1 || plain.others != i2))
        ++tally.walkDifferences;
    a.lastHitTriangles(t1, t2, true);
    bool good =
        i1 >= 0 && i1 < brute.mine.triangleCount() && i2 >= 0 && i2 < brute.others.triangleCount();
    if (good) {
        const Matrix3D relative = product(inverse(aWorld), bWorld);
        const Vector3D* mine = brute.mine.triangle(i1);
        const Vector3D* theirs = brute.others.triangle(i2);
        const Vector3D placed[3] = {transformPoint(relative, theirs[0]),
                                    transformPoint(relative, theirs[1]),
                                    transformPoint(relative, theirs[2])};
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                good = good && t1[3 * c + k] == mine[c][k] && t2[3 * c + k] == placed[c][k];
        good = good && trianglesTouch(placed, mine);
    }
    if (!good)
        ++tally.badReports;
}

TEST(ColdetDifferential, CollideAgreesWithEveryPairBruteForce) {
    Rng rng(20261206);
    Tally tally;
    for (int pair = 0; pair < meshPairs; ++pair) {
        const Mesh meshA = randomMesh(rng), meshB = randomMesh(rng);
        auto a = modelOf(meshA), b = modelOf(meshB);
        const BruteForce brute{meshA, meshB};
        const Vector3D origin = randomPoint(rng, 3.0f);
        const Matrix3D aWorld = randomPlacement(rng, origin);
        const Matrix3D bTurn = randomPlacement(rng, {});
        const float reach = 3.0f * (a->boundingRadius() * 2.5f + b->boundingRadius() * 2.5f);

        for (int i = 0; i < randomPlacementsPerPair; ++i) {
            Matrix3D bWorld = randomPlacement(rng, origin + randomPoint(rng, reach * 0.4f));
            check(*a, *b, brute, aWorld, bWorld, tally);
        }

        // Near contact: slide B away from A along a random direction until the brute force answer
        // flips, then place B at and around that threshold.
        const Vector3D direction = randomPoint(rng, 1.0f);
        auto placedAt = [&](double distance) {
            Matrix3D m = bTurn;
            m.m[12] = origin.x + static_cast<float>(direction.x * distance);
            m.m[13] = origin.y + static_cast<float>(direction.y * distance);
            m.m[14] = origin.z + static_cast<float>(direction.z * distance);
            return m;
        };
        if (!brute.anyTouch(aWorld, placedAt(0.0)))
            continue;
        double touching = 0.0, apart = reach;
        for (int step = 0; step < bisectionSteps; ++step) {
            const double middle = 0.5 * (touching + apart);
            (brute.anyTouch(aWorld, placedAt(middle)) ? touching : apart) = middle;
        }
        for (double offset : nearOffsets) {
            for (double sign : {-1.0, 1.0}) {
                ++tally.nearTouching;
                check(*a, *b, brute, aWorld, placedAt(touching * (1.0 + sign * offset)), tally);
            }
        }
    }
    std::printf(
        "%d configurations (%d near contact), %d touching, %d disagreements, %d contacts only "
        "through the plane-distance epsilon between triangles that lie apart, %d differences "
        "from the plain walk\n",
        tally.configurations, tally.nearTouching, tally.touching, tally.disagreements,
        tally.epsilonOnlyContacts, tally.walkDifferences);
    EXPECT_GE(tally.configurations, 10000);
    EXPECT_GT(tally.touching, tally.configurations / 5);
    EXPECT_LT(tally.touching, tally.configurations * 4 / 5);
    EXPECT_EQ(tally.disagreements, 0);
    EXPECT_EQ(tally.badReports, 0);
    EXPECT_EQ(tally.walkDifferences, 0);
}

}  // namespace
}  // namespace COLDET

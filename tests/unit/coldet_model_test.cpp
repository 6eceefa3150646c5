// The collision model's life and tree: box sizes of fitted and single-triangle nodes, buckets,
// the order rules (Inconsistency), the time limit, and the sphere, ray and hit-report queries.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "collision/coldet/collision_model_3d_impl.hpp"

namespace COLDET {
namespace {

using Model = std::unique_ptr<CollisionModel3DImpl>;

std::vector<float> translation(float x, float y, float z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// A square grid of n x n cells (two triangles each) in the plane y = height, from -1 to 1.
Model flatGrid(int n, float height = 0.0f, bool finalize = true) {
    Model model = std::make_unique<CollisionModel3DImpl>();
    const float step = 2.0f / n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const float x0 = -1 + i * step, z0 = -1 + j * step, x1 = x0 + step, z1 = z0 + step;
            model->addTriangle(x0, height, z0, x1, height, z0, x1, height, z1);
            model->addTriangle(x0, height, z0, x1, height, z1, x0, height, z1);
        }
    if (finalize)
        model->finalize();
    return model;
}

// An axis-aligned cube with corners at +-half, 12 triangles.
Model cube(float half = 0.5f) {
    Model model = std::make_unique<CollisionModel3DImpl>();
    const float h = half;
    const float v[8][3] = {{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h},
                           {-h, -h, h},  {h, -h, h},  {h, h, h},  {-h, h, h}};
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    for (const auto& f : faces) {
        model->addTriangle(v[f[0]], v[f[1]], v[f[2]]);
        model->addTriangle(v[f[0]], v[f[2]], v[f[3]]);
    }
    model->finalize();
    return model;
}

struct HitState {
    int index1, index2;
    float triangle1[9], triangle2[9];
};

HitState hitState(CollisionModel3DImpl& model) {
    HitState state{};
    model.lastHitTriangleIndices(state.index1, state.index2);
    model.lastHitTriangles(state.triangle1, state.triangle2, true);
    return state;
}

void expectSameHit(const HitState& a, const HitState& b) {
    EXPECT_EQ(a.index1, b.index1);
    EXPECT_EQ(a.index2, b.index2);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(a.triangle1[i], b.triangle1[i]);
        EXPECT_EQ(a.triangle2[i], b.triangle2[i]);
    }
}

TEST(ColdetTree, FlatModelWidensInnerBoxesButNotSingleTriangleLeaves) {
    const Model model = flatGrid(8);
    const auto& nodes = model->tree().nodes();
    int inner = 0, leaves = 0;
    for (const BoxTreeNode& node : nodes) {
        if (!node.isLeaf()) {
            ++inner;
            EXPECT_FLOAT_EQ(node.size().y, 0.002f);
            EXPECT_FLOAT_EQ(node.center.y, 0.0f);
            EXPECT_GT(node.volume, 0.0f);
        } else {
            ++leaves;
            ASSERT_EQ(node.triangleCount(), 1);
            EXPECT_EQ(node.size().y, 0.0f);
        }
    }
    EXPECT_EQ(leaves, 128);
    EXPECT_EQ(inner, 127);
    // Depth-first layout: every inner node's second child follows it, the first comes later.
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].isLeaf()) {
            EXPECT_GT(nodes[i].link, static_cast<int32_t>(i) + 1);
        }
    }
}

TEST(ColdetTree, TrianglesWithOneCentroidStayABucket) {
    CollisionModel3DImpl model;
    model.addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0);
    model.addTriangle(0.5f, 0, 0, 0.5f, 1, 0, 0, 0, 0);  // same centroid, other corners
    model.finalize();
    const auto& nodes = model.tree().nodes();
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].triangleCount(), 2);
    EXPECT_EQ(nodes[0].childCount(), 0);
    EXPECT_FLOAT_EQ(nodes[0].size().x, 1.0f);
    EXPECT_FLOAT_EQ(nodes[0].size().z, 0.002f);
    // Members keep the order in which they were added.
    EXPECT_EQ(model.tree().triangles()[0].index, 0);
    EXPECT_EQ(model.tree().triangles()[1].index, 1);
}

TEST(ColdetTree, SingleTriangleRootIsAWidenedBucketAndTwoApartSplitOnX) {
    CollisionModel3DImpl single;
    single.addTriangle(0, 0, 0, 2, 0, 0, 0, 0, 2);
    single.finalize();
    ASSERT_EQ(single.tree().nodes().size(), 1u);
    EXPECT_EQ(single.tree().nodes()[0].triangleCount(), 1);
    EXPECT_FLOAT_EQ(single.tree().nodes()[0].size().y, 0.002f);

    CollisionModel3DImpl pair;
    pair.addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0);
    pair.addTriangle(5, 0, 0, 6, 0, 0, 5, 1, 0);
    pair.finalize();
    const auto& nodes = pair.tree().nodes();
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].childCount(), 2);
    const BoxTreeNode& first = nodes[nodes[0].firstChild()];
    const BoxTreeNode& second = nodes[BoxTreeNode::secondChild(0)];
    EXPECT_EQ(first.triangleCount(), 1);
    EXPECT_EQ(pair.tree().triangles()[first.firstTriangle].index, 0);
    EXPECT_EQ(pair.tree().triangles()[second.firstTriangle].index, 1);
    EXPECT_EQ(first.size().z, 0.0f);  // tight box, not widened
    EXPECT_FLOAT_EQ(nodes[0].size().x, 6.0f);
}

TEST(ColdetLifecycle, RadiusIsSquaredUntilFinalizeAndEmptyModelsTouchNothing) {
    CollisionModel3DImpl model;
    model.addTriangle(3, 4, 0, 0, 0, 0, 1, 0, 0);
    EXPECT_FLOAT_EQ(model.boundingRadius(), 25.0f);
    model.finalize();
    EXPECT_FLOAT_EQ(model.boundingRadius(), 5.0f);

    CollisionModel3DImpl empty;
    empty.finalize();
    EXPECT_EQ(empty.boundingRadius(), 0.0f);
    const Model box = cube();
    // The empty root's zero box contains the origin, which lies inside the cube's box.
    EXPECT_FALSE(empty.collide(box.get()));
    EXPECT_FALSE(box->collide(&empty));
    const float center[3] = {0, 0, 0};
    EXPECT_FALSE(empty.collideSphere(center, 10.0f));
}

TEST(ColdetLifecycle, OutOfOrderCallsThrowInconsistencyAndLeaveResultsAlone) {
    Model built = flatGrid(2);
    EXPECT_THROW(built->addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0), Inconsistency);
    const float p[3] = {0, 0, 0};
    EXPECT_THROW(built->addTriangle(p, p, p), Inconsistency);
    EXPECT_THROW(built->finalize(), Inconsistency);
    built->reserveTriangles(1000);  // ignored once finalized

    Model open = flatGrid(2, 0.0f, false);
    EXPECT_THROW(open->reserveTriangles(-1), std::length_error);
    EXPECT_THROW(open->collide(built.get()), Inconsistency);
    EXPECT_EQ(open->lastHitKind(), CollisionModel3DImpl::ModelHit);
    expectSameHit(hitState(*open), HitState{});

    // A finalized model with a recorded hit, asked against an unfinalized one.
    Model other = flatGrid(2);
    ASSERT_TRUE(built->collide(other.get()));
    const float center[3] = {0.1f, 0.05f, 0.1f};
    ASSERT_TRUE(built->collideSphere(center, 0.1f));
    ASSERT_EQ(built->lastHitKind(), CollisionModel3DImpl::SphereHit);
    const HitState before = hitState(*built);
    EXPECT_THROW(built->collide(open.get()), Inconsistency);
    EXPECT_EQ(built->lastHitKind(), CollisionModel3DImpl::ModelHit);
    expectSameHit(before, hitState(*built));

    // A failed query keeps the previous results too.
    const std::vector<float> far = translation(10, 0, 0);
    EXPECT_FALSE(built->collide(other.get(), -1, 0, far.data()));
    expectSameHit(before, hitState(*built));
}

TEST(ColdetCollide, CubesApartSelfCopiesAndExplicitTransforms) {
    const Model a = cube(), b = cube();
    std::vector<float> apart = translation(2, 0, 0);
    b->setTransform(apart.data());
    EXPECT_FALSE(a->collide(b.get()));
    EXPECT_FALSE(a->collide(b.get(), -1, 0, apart.data()));
    // The same model against itself at the same place touches (identical, coplanar triangles).
    EXPECT_TRUE(a->collide(a.get()));
    // A face-to-face touch at exactly x = 0.5 counts.
    const std::vector<float> touching = translation(1, 0, 0);
    EXPECT_TRUE(a->collide(b.get(), -1, 0, touching.data()));
    b->setTransform(touching.data());
    EXPECT_TRUE(a->collide(b.get()));
    // Both cubes moved together keep touching: only the relative placement counts.
    const std::vector<float> shifted = translation(3, -2, 7), both = translation(4, -2, 7);
    a->setTransform(shifted.data());
    EXPECT_TRUE(a->collide(b.get(), -1, 0, both.data()));
    EXPECT_FALSE(a->collide(b.get()));
}

TEST(ColdetCollide, HitReportNamesTouchingTrianglesInThisModelsSpace) {
    const Model ground = flatGrid(4), block = cube(0.25f);
    const std::vector<float> groundPlace = translation(10, 0, 0);
    const std::vector<float> blockPlace = translation(10.3f, 0.2f, -0.4f);  // bottom 0.05 below
    ground->setTransform(groundPlace.data());
    block->setTransform(blockPlace.data());
    ASSERT_TRUE(ground->collide(block.get()));
    HitState hit = hitState(*ground);
    EXPECT_GE(hit.index1, 0);
    EXPECT_LT(hit.index1, 32);
    EXPECT_GE(hit.index2, 0);
    EXPECT_LT(hit.index2, 12);
    // The block's triangle is reported relative to the ground: x near 0.3, not 10.3.
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(hit.triangle2[3 * c], 0.3f, 0.26f);
        EXPECT_EQ(hit.triangle1[3 * c + 1], 0.0f);
    }
    float point[3], world[3];
    ground->lastHitPoint(point, true);
    ground->lastHitPoint(world, false);
    EXPECT_NEAR(point[1], 0.0f, 1e-6f);  // where an edge pierces the other triangle
    EXPECT_NEAR(point[0], 0.3f, 0.2501f);
    EXPECT_NEAR(point[2], -0.4f, 0.2501f);
    EXPECT_FLOAT_EQ(world[0], point[0] + 10.0f);
    float worldTriangle[9];
    ground->lastHitTriangles(worldTriangle, nullptr, false);
    EXPECT_FLOAT_EQ(worldTriangle[0], hit.triangle1[0] + 10.0f);
}

TEST(ColdetCollide, TimeLimitEitherAnswersOrThrowsWithoutTouchingResults) {
    // Two dense parallel grids 0.0005 apart: every inner box pair overlaps, no triangle touches,
    // so the walk visits a great many pairs.
    const Model lower = flatGrid(150), upper = flatGrid(150, 0.0005f);
    const Model probe = cube(0.1f);
    ASSERT_TRUE(lower->collide(probe.get()));
    const HitState before = hitState(*lower);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(lower->collide(upper.get(), -1, 0));
    const double unlimitedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    int timeouts = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        try {
            EXPECT_FALSE(lower->collide(upper.get(), -1, 1));
        } catch (const TimeoutExpired&) {
            ++timeouts;
            EXPECT_EQ(lower->lastHitKind(), CollisionModel3DImpl::ModelHit);
            expectSameHit(before, hitState(*lower));
        }
    }
    // A walk that took several milliseconds unlimited cannot finish within one.
    if (unlimitedMs > 5.0) {
        EXPECT_EQ(timeouts, 5);
    }
    // The result fields still describe the probe hit after all that.
    expectSameHit(before, hitState(*lower));
}

TEST(ColdetQueries, SphereFindsTheNearestFaceAndMissesOutsideItsReach) {
    const Model box = cube();
    const std::vector<float> place = translation(0, 5, 0);
    box->setTransform(place.data());
    const float touching[3] = {0, 5.9f, 0}, near[3] = {0, 5.95f, 0.7f};
    EXPECT_TRUE(box->collideSphere(touching, 0.41f));
    float point[3];
    box->lastHitPoint(point, true);
    EXPECT_NEAR(point[1], 0.5f, 1e-6f);
    box->lastHitPoint(point, false);
    EXPECT_NEAR(point[1], 5.5f, 1e-6f);
    EXPECT_FALSE(box->collideSphere(touching, 0.39f));
    EXPECT_FALSE(box->collideSphere(near, 0.3f));  // the nearest edge point is about 0.49 away
    EXPECT_TRUE(box->collideSphere(near, 0.51f));
}

TEST(ColdetQueries, RayHitsClosestFaceAndRespectsTheSegment) {
    const Model box = cube();
    const float origin[3] = {0.1f, 0.2f, -5.0f}, direction[3] = {0, 0, 2};
    ASSERT_TRUE(box->collideRay(origin, direction, true));
    float point[3];
    box->lastHitPoint(point);
    EXPECT_NEAR(point[2], -0.5f, 1e-6f);
    EXPECT_NEAR(point[0], 0.1f, 1e-6f);
    int index1, index2;
    box->lastHitTriangleIndices(index1, index2);
    EXPECT_LT(index1, 2);  // the z = -0.5 face is added first
    // The segment from 0 to 2 direction lengths (4 units) stops short of the face at 4.5 units.
    EXPECT_FALSE(box->collideRay(origin, direction, false, 0.0f, 2.0f));
    EXPECT_TRUE(box->collideRay(origin, direction, false, 0.0f, 2.3f));
    // Moved start past the box: nothing ahead.
    EXPECT_FALSE(box->collideRay(origin, direction, true, 3.0f));
    const float sideways[3] = {1, 0, 0};
    EXPECT_FALSE(box->collideRay(origin, sideways, true));
}

}  // namespace
}  // namespace COLDET

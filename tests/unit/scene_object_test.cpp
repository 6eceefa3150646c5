// Scene-object transforms: both matrices kept in step, translations carried down the child tree,
// rotations and scales staying with the object, reset, and the parent/child links.
#include "scene/scene_object.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor::scene {
namespace {

constexpr float eps = 1e-5f;

struct Probe : SceneObject {
    explicit Probe(const mat4& initial = mat4()) : SceneObject(initial) {}
    void update(double) override {}
};

// Records the virtual calls that reach it, to see how composite operations are built.
struct Recorder : Probe {
    using Probe::Probe;
    void translate(vec3 offset, TransformSpace space) override {
        calls.push_back("translate");
        Probe::translate(offset, space);
    }
    void rotate(float angle, vec3 axis, TransformSpace space) override {
        calls.push_back("rotate");
        Probe::rotate(angle, axis, space);
    }
    std::vector<std::string> calls;
};

void expectNear(vec3 a, vec3 b, float tolerance = eps) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

void expectNear(const mat4& a, const mat4& b, float tolerance = eps) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
    }
}

void expectInverseInStep(const SceneObject& o) {
    expectNear(o.getModelMatrix() * o.getInverseModelMatrix(), mat4(), 1e-4f);
}

TEST(SceneObjectConstruction, KeepsTheInitialMatrixAndItsInverse) {
    const Probe o(translate(mat4(), {0, 4, 0}));
    expectNear(o.modelMatrix.position(), {0, 4, 0}, 0.0f);
    EXPECT_EQ(o.inverseModelMatrix.column(3).y, -4.0f);
    EXPECT_EQ(o.inverseModelMatrix.column(3).w, 1.0f);
    EXPECT_EQ(o.initialModelMatrix, o.modelMatrix);
    EXPECT_EQ(o.initialInverseModelMatrix, o.inverseModelMatrix);
    EXPECT_EQ(o.parent, nullptr);
    EXPECT_TRUE(o.children.empty());
}

TEST(SceneObjectTranslate, LocalOffsetFollowsTheObjectsAxesAndReachesChildren) {
    Probe parent(translate(mat4(), {2, 0, 0}));
    Probe first(translate(mat4(), {0, 1, 0}));
    Probe second(translate(mat4(), {0, 0, 5}));
    parent.addChild(&first);
    parent.addChild(&second);
    // Local z now points along world +x.
    parent.rotate(90.0f, {0, 1, 0}, World);
    const vec3 parentBefore = parent.modelMatrix.position();

    parent.translate({0, 0, 1}, Local);

    expectNear(parent.modelMatrix.position(), parentBefore + vec3(1, 0, 0));
    expectNear(first.modelMatrix.position(), {1, 1, 0});
    expectNear(second.modelMatrix.position(), {1, 0, 5});
    expectInverseInStep(parent);
    expectInverseInStep(first);
}

TEST(SceneObjectTranslate, LocalOffsetOfAScaledParentMovesChildrenAsFar) {
    Probe parent;
    Probe child;
    parent.addChild(&child);
    parent.scale({1, 1, 3}, Local);
    parent.translate({0, 0, 1}, Local);
    expectNear(parent.modelMatrix.position(), {0, 0, 3});
    expectNear(child.modelMatrix.position(), {0, 0, 3});
}

TEST(SceneObjectTranslate, WorldOffsetReachesTheWholeSubtree) {
    Probe root;
    Probe child(translate(mat4(), {1, 0, 0}));
    Probe grandchild(translate(mat4(), {0, 0, -1}));
    root.addChild(&child);
    child.addChild(&grandchild);
    // A turned child still passes the world offset on unchanged.
    child.rotate(45.0f, {0, 0, 1}, Local);

    root.translate({1, 2, 3}, World);

    expectNear(root.modelMatrix.position(), {1, 2, 3});
    expectNear(child.modelMatrix.position(), {2, 2, 3});
    expectNear(grandchild.modelMatrix.position(), {1, 2, 2});
    expectInverseInStep(grandchild);
}

TEST(SceneObjectRotate, TurnsOnlyTheObject) {
    Probe parent;
    Probe child(translate(mat4(), {3, 0, 0}));
    parent.addChild(&child);
    const mat4 childBefore = child.modelMatrix;

    parent.rotate(90.0f, {0, 1, 0}, World);

    EXPECT_EQ(child.modelMatrix, childBefore);
    expectNear(parent.modelMatrix.column(2).xyz(), {1, 0, 0});
}

TEST(SceneObjectRotate, WorldTurnsAboutTheOriginLocalAboutTheObject) {
    Probe world(translate(mat4(), {1, 0, 0}));
    Probe local(translate(mat4(), {1, 0, 0}));
    world.rotate(90.0f, {0, 1, 0}, World);
    local.rotate(90.0f, {0, 1, 0}, Local);
    expectNear(world.modelMatrix.position(), {0, 0, -1});
    expectNear(local.modelMatrix.position(), {1, 0, 0});
    expectInverseInStep(world);
    expectInverseInStep(local);
}

TEST(SceneObjectRotateAround, IsTwoTranslationsAroundARotation) {
    Recorder o(translate(mat4(), {1, 0, 0}));
    o.rotateAround(90.0f, {0, 1, 0}, {0, 0, 0});
    EXPECT_EQ(o.calls, (std::vector<std::string>{"translate", "rotate", "translate"}));
    expectNear(o.modelMatrix.position(), {0, 0, -1});
}

TEST(SceneObjectRotateAround, AboutItsOwnPositionOnlyTurnsAndChildrenStay) {
    Probe o(translate(mat4(), {4, 5, 6}));
    Probe child(translate(mat4(), {0, 1, 0}));
    o.addChild(&child);
    o.rotateAround(33.0f, {1, 1, 0}, {4, 5, 6});
    expectNear(o.modelMatrix.position(), {4, 5, 6}, 1e-4f);
    expectNear(child.modelMatrix.position(), {0, 1, 0}, 1e-4f);
    expectNear(child.modelMatrix.column(0).xyz(), {1, 0, 0});
    EXPECT_GT(1.0f - o.modelMatrix[0], 0.01f);
}

TEST(SceneObjectScale, ScalesTheObjectButNotItsChildren) {
    Probe o(translate(mat4(), {1, 2, 3}));
    Probe child;
    o.addChild(&child);
    o.scale({2, 4, 0.5f}, Local);
    EXPECT_EQ(o.modelMatrix[0], 2.0f);
    EXPECT_EQ(o.modelMatrix[5], 4.0f);
    EXPECT_EQ(o.modelMatrix[10], 0.5f);
    expectNear(o.modelMatrix.position(), {1, 2, 3}, 0.0f);
    expectInverseInStep(o);
    EXPECT_EQ(child.modelMatrix, mat4());

    o.scale({2, 2, 2}, World);
    expectNear(o.modelMatrix.position(), {2, 4, 6});
    expectInverseInStep(o);
}

TEST(SceneObjectReset, RestoresBothMatricesExactlyAndKeepsTheLinks) {
    Probe parent;
    Probe o(rotate(translate(mat4(), {1, 2, 3}), 17.0f, {0, 1, 1}));
    Probe child;
    parent.addChild(&o);
    o.addChild(&child);
    for (int i = 0; i < 5; ++i) {
        o.translate({0.3f, -1, 2}, Local);
        o.rotate(23.0f, {1, 0.5f, 0}, World);
        o.rotateAround(-71.0f, {0, 0, 1}, {5, 5, 5});
    }
    expectInverseInStep(o);
    const mat4 childMoved = child.modelMatrix;

    o.reset();

    EXPECT_EQ(o.modelMatrix, o.initialModelMatrix);
    EXPECT_EQ(o.inverseModelMatrix, o.initialInverseModelMatrix);
    EXPECT_EQ(o.parent, &parent);
    EXPECT_EQ(o.children.count(&child), 1u);
    EXPECT_EQ(child.modelMatrix, childMoved);
}

TEST(SceneObjectNormalMatrix, IsTheRotationForARigidTransform) {
    Probe o;
    o.rotate(40.0f, {1, 2, 3}, Local);
    o.translate({7, 8, 9}, World);
    const mat3 normal = o.getNormalMatrix();
    const mat3 rotation(o.modelMatrix);
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(normal[i], rotation[i], eps);
    }
}

TEST(SceneObjectNormalMatrix, UndoesANonUniformScaleOnNormals) {
    Probe o;
    o.scale({4, 1, 1}, Local);
    // A normal of a surface stretched along x shrinks along x.
    const vec3 n = o.getNormalMatrix() * vec3(1, 1, 0);
    expectNear(n, {0.25f, 1, 0});
}

TEST(SceneObjectLinks, AddingTwiceKeepsOneEntryAndSetsTheParent) {
    Probe parent;
    Probe other;
    Probe child;
    EXPECT_EQ(parent.addChild(&child), &child);
    parent.addChild(&child);
    EXPECT_EQ(parent.children.size(), 1u);
    EXPECT_EQ(child.parent, &parent);
    // A new parent does not take the child away from the old one.
    other.addChild(&child);
    EXPECT_EQ(child.parent, &other);
    EXPECT_EQ(parent.children.count(&child), 1u);
}

TEST(SceneObjectLinks, RemoveAlwaysClearsTheParent) {
    Probe parent;
    Probe child;
    Probe stranger;
    parent.addChild(&child);
    stranger.parent = &parent;

    EXPECT_EQ(parent.removeChild(&stranger), &stranger);
    EXPECT_EQ(stranger.parent, nullptr);
    EXPECT_EQ(parent.children.size(), 1u);

    parent.removeChild(&child);
    EXPECT_TRUE(parent.children.empty());
    EXPECT_EQ(child.parent, nullptr);

    // A removed child no longer follows.
    parent.translate({1, 0, 0}, World);
    EXPECT_EQ(child.modelMatrix, mat4());
}

}  // namespace
}  // namespace vantor::scene

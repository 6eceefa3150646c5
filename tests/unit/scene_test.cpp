// The scene's geometry: matrix conventions and rotation signs, scene-object transforms and links,
// where camera and light sit with their exact projections, and culling with collision boxes, with
// the strict and inclusive edges of the shapes' overlap tests.
#include <gtest/gtest.h>

#include <cmath>

#include "collision/c_box.hpp"
#include "collision/c_sphere.hpp"
#include "scene/camera.hpp"
#include "scene/light.hpp"
#include "scene/visible_object.hpp"

namespace vantor::scene {
namespace {

using collision::CBox;
using collision::CSphere;

void expectNear(vec3 actual, vec3 expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectEntries(const mat4& m, const mat4& expected, float tolerance = 1e-4f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], tolerance) << "element " << i;
}

vec3 apply(const mat4& m, vec3 p) {
    return (m * vec4(p, 1.0f)).xyz();
}

TEST(Mat4, ColumnMajorTheRightOperandFirstBuildersInTheOwnAxes) {
    // Element (r, c) is 4c + r + 1: no two alike, so swapped indices show.
    const mat4 m({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16});
    EXPECT_TRUE(m[7] == 8 && m.column(3).y == 14 && m.position() == vec3(13, 14, 15));
    EXPECT_EQ((m * m)[9], 2 * 9 + 6 * 10 + 10 * 11 + 14 * 12.0f);  // row 1 by column 2
    EXPECT_EQ((m * vec4(1, 0, 0, 2)).w, 4 + 2 * 16.0f);
    // Scale first, then translate: (1,0,0) -> (2,0,0) -> (3,0,0).
    const mat4 t = translate(mat4(), {1, 0, 0}), s = scale(mat4(), {2, 2, 2});
    expectNear(apply(t * s, {1, 0, 0}), {3, 0, 0});
    expectNear(apply(s * t, {1, 0, 0}), {4, 0, 0});
    // Turned so that local x points along world -z and local z along world +x.
    const mat4 turned = rotate(translate(mat4(), {5, 0, 0}), 90.0f, {0, 1, 0});
    expectNear(turned.position(), {5, 0, 0}, 0.0f);
    expectNear(translate(turned, {1, 2, 3}).position(), {8, 2, -1});
    const mat4 dense({2, 1, 0, 1}, {0, 3, 1, -1}, {1, 0, 2, 2}, {1, -2, 0, 4});
    expectEntries(dense * inverse(dense), mat4());
}

// Counter-clockwise looking down the normalised axis towards the origin; the axis stays fixed.
TEST(Mat4, RotateTurnsCounterClockwise) {
    // Axis, angle in degrees, a point and where it goes.
    const float turns[][10] = {
        {0, 0, 1, 90, 1, 0, 0, 0, 1, 0},          {0, 0, 2, 90, 0, 1, 0, -1, 0, 0},
        {1, 0, 0, 90, 0, 1, 0, 0, 0, 1},          {1, 0, 0, 90, 0, 0, 1, 0, -1, 0},
        {0, 1, 0, 90, 0, 0, 1, 1, 0, 0},          {0, 1, 0, 90, 1, 0, 0, 0, 0, -1},
        {0, 1, 0, 30, 0, 0, 2, 1, 0, 1.7320508f}, {1, 1, 1, 120, 1, 0, 0, 0, 1, 0},
        {1, 1, 1, 120, 0, 1, 0, 0, 0, 1},         {1, 2, 3, 90, 1, 2, 3, 1, 2, 3},
        {-3, 1, 2, 57, -3, 1, 2, -3, 1, 2},
    };
    for (const auto& t : turns) {
        SCOPED_TRACE(testing::Message() << t[3] << " about " << t[0] << t[1] << t[2]);
        expectNear(apply(rotate(mat4(), t[3], {t[0], t[1], t[2]}), {t[4], t[5], t[6]}),
                   {t[7], t[8], t[9]}, 1e-5f);
    }
}

struct Probe : SceneObject {
    explicit Probe(vec3 at = {}) : SceneObject(scene::translate(mat4(), at)) {}
    void update(double) override {}
};

TEST(SceneObject, TranslationsReachTheSubtreeTurnsAndScalesStayWithTheObject) {
    Probe parent({2, 0, 0}), child({0, 1, 0}), grandchild({0, 0, 5});
    parent.addChild(&child);
    child.addChild(&grandchild);
    // The parent's local z now points along world +x; a turned child passes offsets on as given.
    parent.rotate(90.0f, {0, 1, 0}, World);
    child.rotate(45.0f, {0, 0, 1}, Local);
    parent.translate({0, 0, 1}, Local);
    expectNear(parent.modelMatrix.position(), {1, 0, -2});
    expectNear(child.modelMatrix.position(), {1, 1, 0});
    parent.translate({1, 2, 3}, World);
    expectNear(grandchild.modelMatrix.position(), {2, 2, 8});
    Probe local({1, 0, 0}), around({1, 0, 0}), scaled({1, 2, 3}), leaf;
    local.rotate(90.0f, {0, 1, 0}, Local);
    expectNear(local.modelMatrix.position(), {1, 0, 0});
    expectNear(local.modelMatrix.column(0).xyz(), {0, 0, -1});
    around.addChild(&leaf);
    around.rotateAround(90.0f, {0, 1, 0}, {2, 0, 0});
    expectNear(around.modelMatrix.position(), {2, 0, 1});
    expectNear(around.modelMatrix.column(2).xyz(), {1, 0, 0});
    scaled.addChild(&leaf);
    scaled.scale({2, 4, 0.5f}, Local);
    EXPECT_EQ(scaled.modelMatrix, mat4({2, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 0.5f, 0}, {1, 2, 3, 1}));
    scaled.scale({2, 2, 2}, World);
    expectNear(scaled.modelMatrix.position(), {2, 4, 6});
    EXPECT_EQ(leaf.modelMatrix, mat4());
    for (const Probe* o : {&parent, &child, &grandchild, &local, &around, &scaled})
        expectEntries(o->getModelMatrix() * o->getInverseModelMatrix(), mat4());
    // A local offset of a scaled object moves its children as far in the world.
    scaled.translate({0, 1, 0}, Local);
    expectNear(leaf.modelMatrix.position(), {0, 8, 0});
    // Normals take the inverse transpose: stretched along x, then turned so that x points along y.
    Probe o;
    o.scale({4, 1, 1}, Local);
    o.rotate(90.0f, {0, 0, 1}, World);
    expectNear(o.getNormalMatrix() * vec3(1, 0, 0), {0, 0.25f, 0});
    expectNear(o.getNormalMatrix() * vec3(0, 1, 0), {-1, 0, 0});
}

TEST(SceneObject, ResetRestoresBothMatricesAndLinksComeAndGo) {
    Probe parent, o({1, 2, 3}), child;
    EXPECT_EQ(parent.addChild(&o), &o);
    parent.addChild(&o);
    EXPECT_TRUE(parent.children.size() == 1 && o.parent == &parent);
    o.rotate(17.0f, {0, 1, 1}, Local);
    o.translate({0.3f, -1, 2}, Local);
    o.reset();
    EXPECT_TRUE(o.modelMatrix == scene::translate(mat4(), {1, 2, 3}) && o.parent == &parent);
    EXPECT_EQ(o.inverseModelMatrix, scene::translate(mat4(), {-1, -2, -3}));
    EXPECT_EQ(child.removeChild(&o), &o);  // not its child, yet unparented
    EXPECT_EQ(o.parent, nullptr);
    parent.removeChild(&o);
    parent.translate({1, 0, 0}, World);
    EXPECT_TRUE(parent.children.empty() && o.modelMatrix == scene::translate(mat4(), {1, 2, 3}));
}

const mat4 figure = translate(mat4(), {0, 4, 0});
constexpr float sin20 = 0.34202014f, cos20 = 0.93969262f;

// Ten units behind the figure along its z, swung 20 degrees up about its x, looking at it; 45
// degrees vertically over 16:9, with the depth terms of near 0.1 and far 300 as exact floats.
TEST(CameraAndLight, PlacedFromTheFigureWithTheirExactProjections) {
    Camera camera(figure);
    expectNear(camera.modelMatrix.position(), {0, 4 + 10 * sin20, 10 * cos20});
    expectNear(camera.modelMatrix.column(2).xyz(), {0, sin20, cos20});  // -z is the view
    expectNear(Camera(rotate(figure, 90.0f, {0, 1, 0})).modelMatrix.position(),
               {10 * cos20, 4 + 10 * sin20, 0});
    // The depth terms -(far + near) / (far - near) and -2 far near / (far - near), to the bit.
    EXPECT_EQ(camera.getProjectionMatrix(),
              mat4({1.35799503f, 0, 0, 0}, {0, 2.41421342f, 0, 0},
                   {0, 0, floatFromBits(0xBF8015DB), -1}, {0, 0, floatFromBits(0xBE4CDE48), 0}));
    // Turned 135 degrees, 50 units out along its z, tilted 10 degrees about the world line through
    // the origin along its x; an orthographic 40 x 40 volume from -50 to 100 in depth.
    Light light(figure);
    expectNear(light.modelMatrix.position(), {34.32706f, 12.62164f, -34.32706f}, 1e-3f);
    expectNear(light.modelMatrix.column(2).xyz(), {0.696364f, 0.173648f, -0.696364f}, 1e-5f);
    // The depth terms -2 / 150 and -50 / 150, to the bit; x and y offsets of -0.
    const mat4 q = light.getProjectionMatrix();
    EXPECT_EQ(q, mat4({0.05f, 0, 0, 0}, {0, 0.05f, 0, 0}, {0, 0, floatFromBits(0xBC5A740E), 0},
                      {0, 0, floatFromBits(0xBEAAAAAB), 1}));
    EXPECT_TRUE(std::signbit(q[12]) && std::signbit(q[13]));
    // Resets restore everything; the light's update leaves its frustum empty: it culls nothing.
    for (Camera* c : {&camera, static_cast<Camera*>(&light)}) {
        const mat4 placed = c->modelMatrix, placedInverse = c->inverseModelMatrix;
        c->translate({3, -2, 8}, World);
        c->rotate(50.0f, {0, 1, 0}, Local);
        c->reset();
        EXPECT_TRUE(c->modelMatrix == placed && c->inverseModelMatrix == placedInverse);
    }
    light.update(0.016);
    EXPECT_EQ(light.frustum->planes[Frustum::Near].normal, vec3());
}

struct Boxed : VisibleObject {
    Boxed(vec3 min, vec3 max, const mat4& model = mat4()) : VisibleObject(model) {
        collisionShape = new CBox(min, max);
        collisionShape->updateBounds(model);
    }
    void setColliding(bool) override {}
    const CBox& box() const { return *static_cast<const CBox*>(collisionShape); }
};

// With the identity view the camera looks down -z from the origin: at depth d half the width is
// d * tan(22.5) * 16 / 9 = 0.7364 d, half the height 0.4142 d.
TEST(Culling, TheCameraKeepsWhatItsFrustumReachesFromItsFirstUpdateOn) {
    Camera camera(figure);
    Boxed behind({-1, 6, 11}, {1, 8, 12}), straddlingNear({-1, 6, 8}, {1, 8, 11});
    EXPECT_TRUE(camera.isInFrustum(&behind));  // no planes before the first update
    camera.update(0.016);
    EXPECT_FALSE(camera.isInFrustum(&behind));
    EXPECT_TRUE(camera.isInFrustum(&straddlingNear));
    delete behind.collisionShape;
    behind.collisionShape = nullptr;
    EXPECT_TRUE(camera.isInFrustum(&behind));  // a failed model is drawn

    camera.modelMatrix = camera.inverseModelMatrix = mat4();
    camera.update(0.016);
    // A point and whether it is inside, each plane from just inside and just outside.
    const float points[][4] = {
        {0, 0, -0.11f, 1}, {0, 0, -0.09f, 0}, {0, 0, -299, 1},    {0, 0, -301, 0},
        {7.2f, 0, -10, 1}, {7.5f, 0, -10, 0}, {-7.2f, 0, -10, 1}, {-7.5f, 0, -10, 0},
        {0, 4.1f, -10, 1}, {0, 4.2f, -10, 0}, {0, -4.1f, -10, 1}, {0, -4.2f, -10, 0},
    };
    for (const auto& p : points) {
        Boxed dot({p[0], p[1], p[2]}, {p[0], p[1], p[2]});
        EXPECT_EQ(camera.isInFrustum(&dot), p[3] != 0) << p[0] << " " << p[1] << " " << p[2];
    }
    // A box straddling a plane reaches in through its corner farthest along the normal; one
    // exactly on a plane is inside too.
    Boxed right({7, 0, -20}, {100, 100, -10}), left({-100, -100, -20}, {-7, 0, -10});
    EXPECT_TRUE(camera.isInFrustum(&right) && camera.isInFrustum(&left));
    for (Plane& plane : camera.frustum->planes) {
        plane = {5, {-1, 0, 0}};  // inside where x <= 5
    }
    Boxed onPlane({5, 0, 0}, {7, 1, 1});
    EXPECT_TRUE(camera.isInFrustum(&onPlane));
    // Boxes enclose their transformed corners.
    const float r2 = std::sqrt(2.0f);
    const Boxed turned({-1, -1, -1}, {1, 1, 1},
                       rotate(translate(mat4(), {10, 0, 0}), 45, {0, 1, 0}));
    expectNear(turned.box().worldMin, {10 - r2, -1, -r2});
    expectNear(turned.box().worldMax, {10 + r2, 1, r2});
}

// The game culls with shapes but never overlaps them; the interface still has its rules.
TEST(Culling, BoxesThatTouchOverlapSpheresThatTouchDoNot) {
    const Boxed unit({0, 0, 0}, {1, 1, 1}), sharing({1, 0, 0}, {2, 1, 1});
    const Boxed apart({1.001f, 0, 0}, {2, 1, 1}), below({0, -2, 0}, {1, -0.001f, 1});
    const Boxed underneath({0, -2, 0}, {1, 0, 1}), behind({0, 0, -2}, {1, 1, 0});
    const CSphere onFace({2, 0.5f, 0.5f}, 1.0f), intoFace({1.999f, 0.5f, 0.5f}, 1.0f);
    // The edge at x = y = 1 is sqrt(0.5) = 0.7071 from this centre.
    const CSphere reachesEdge({1.5f, 1.5f, 0.5f}, 0.71f), shortOfEdge({1.5f, 1.5f, 0.5f}, 0.70f);
    const CSphere touching({4, 0.5f, 0.5f}, 1.0f), overlapping({3.9f, 0.5f, 0.5f}, 1.0f);
    // The first five overlap the unit box, the others do not.
    const collision::CObject* others[] = {
        sharing.collisionShape, underneath.collisionShape, behind.collisionShape, &intoFace,
        &reachesEdge,           apart.collisionShape,      below.collisionShape,  &onFace,
        &shortOfEdge,
    };
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(unit.collisionShape->collides(others[i]), i < 5) << i;
        EXPECT_EQ(others[i]->collides(unit.collisionShape), i < 5) << i;
    }
    EXPECT_FALSE(onFace.collides(&touching));
    EXPECT_TRUE(onFace.collides(&overlapping));
}

}  // namespace
}  // namespace vantor::scene

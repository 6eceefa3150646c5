// Light placement and its orthographic shadow projection.
#include "scene/light.hpp"

#include <cstdint>

namespace vantor::scene {

namespace {

constexpr float turnDegrees = 135.0f;
constexpr float distance = 50.0f;
constexpr float tiltDegrees = -10.0f;

// ortho(-20, 20, -20, 20, -50, 100): a 40 x 40 unit shadow volume reaching 50 units behind the
// light and 100 in front, with its depth terms kept as exact floats.
constexpr float halfExtentScale = 0.05f;
constexpr std::uint32_t depthScaleBits = 0xBC5A740E;
constexpr std::uint32_t depthOffsetBits = 0xBEAAAAAB;

mat4 lightProjection() {
    mat4 p;
    p[0] = halfExtentScale;
    p[5] = halfExtentScale;
    p[10] = floatFromBits(depthScaleBits);
    p[12] = -0.0f;
    p[13] = -0.0f;
    p[14] = floatFromBits(depthOffsetBits);
    return p;
}

}  // namespace

Light::Light(const mat4& initial) : Camera(initial) {
    Light::reset();
}

void Light::update(double) {}

void Light::reset() {
    SceneObject::reset();
    rotate(turnDegrees, modelMatrix.column(1).xyz(), Local);
    translate(vec3(0.0f, 0.0f, distance), Local);
    // In world space, so the light swings about a line through the world origin.
    rotate(tiltDegrees, modelMatrix.column(0).xyz(), World);
    projectionMatrix = lightProjection();
}

}  // namespace vantor::scene

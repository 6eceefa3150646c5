// Camera placement, projection and frustum culling.
#include "scene/camera.hpp"

#include <cstdint>

#include "collision/c_object.hpp"
#include "scene/visible_object.hpp"

namespace vantor::scene {

namespace {

constexpr float fieldOfViewDegrees = 45.0f;
constexpr float aspectRatio = 16.0f / 9.0f;  // the fixed 1600 x 900 window
constexpr float nearDistance = 0.1f;
constexpr float farDistance = 300.0f;
// -(far + near) / (far - near) and -2 far near / (far - near), kept as the exact floats the
// shaders were tuned against rather than recomputed.
constexpr std::uint32_t depthScaleBits = 0xBF8015DB;
constexpr std::uint32_t depthOffsetBits = 0xBE4CDE48;

constexpr float followDistance = 10.0f;
constexpr float tiltDegrees = -20.0f;

mat4 cameraProjection() {
    mat4 p = perspective(fieldOfViewDegrees, aspectRatio, nearDistance, farDistance);
    p[10] = floatFromBits(depthScaleBits);
    p[14] = floatFromBits(depthOffsetBits);
    return p;
}

}  // namespace

Camera::Camera(const mat4& initial) : SceneObject(initial), projectionMatrix(cameraProjection()) {
    Camera::reset();
    frustum = new Frustum();
}

Camera::~Camera() {
    delete frustum;
}

void Camera::update(double) {
    frustum->extractPlanes(projectionMatrix * inverseModelMatrix);
}

void Camera::reset() {
    SceneObject::reset();
    translate(vec3(0.0f, 0.0f, followDistance), Local);
    rotateAround(tiltDegrees, initialModelMatrix.column(0).xyz(), initialModelMatrix.position());
}

mat4 Camera::getProjectionMatrix() const {
    return projectionMatrix;
}

bool Camera::isInFrustum(VisibleObject* object) {
    if (object->collisionShape == nullptr) {
        return true;
    }
    return object->collisionShape->intersectsFrustum(frustum);
}

}  // namespace vantor::scene

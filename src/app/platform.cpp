// Platforms that start to carry the figure when it lands on them.
#include "app/platform.hpp"

namespace vantor::scene {

Platform::Platform(const mat4& model, float vx, float vy, float vz)
    : VisibleObject(model), velocity(vx, vy, vz) {
    loadModel(modelPath);
    SceneObject::reset();
    moving = false;
}

void Platform::update(double dt) {
    VisibleObject::update(dt);
    if (moving) {
        translate(velocity * static_cast<float>(dt), World);
    }
}

void Platform::reset() {
    SceneObject::reset();
    moving = false;
}

void Platform::setColliding(bool touching) {
    moving = touching;
}

}  // namespace vantor::scene

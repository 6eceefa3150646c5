// The flag's circling and spin.
#include "app/flag.hpp"

namespace vantor::scene {

namespace {

constexpr vec3 up{0.0f, 1.0f, 0.0f};

}  // namespace

Flag::Flag(const mat4& model) : VisibleObject(model) {
    loadModel(modelPath);
    SceneObject::reset();
    translate(startOffset, Local);
}

void Flag::update(double dt) {
    VisibleObject::update(dt);
    if (parent != nullptr) {
        rotateAround(static_cast<float>(dt * circleDegreesPerSecond), up,
                     parent->modelMatrix.position());
    }
    rotate(static_cast<float>(dt * spinDegreesPerSecond), up, Local);
}

void Flag::reset() {
    SceneObject::reset();
    translate(startOffset, Local);
}

}  // namespace vantor::scene

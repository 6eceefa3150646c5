// The goal's back-and-forth motion.
#include "app/end_platform.hpp"

namespace vantor::scene {

EndPlatform::EndPlatform(const mat4& model) : Platform(model, speed, 0.0f, 0.0f) {
    elapsed = 0.0;
    SceneObject::reset();
    translate(startOffset, Local);
    moving = true;
}

void EndPlatform::update(double dt) {
    Platform::update(dt);
    elapsed += dt;
    if (elapsed > legSeconds) {
        velocity = -velocity;
        elapsed = 0.0;
    }
}

void EndPlatform::reset() {
    SceneObject::reset();
    translate(startOffset, Local);
}

}  // namespace vantor::scene

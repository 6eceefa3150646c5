// The figure's vertical motion and grounded state.
#include "app/character.hpp"

namespace vantor::scene {

Character::Character(const mat4& model) : VisibleObject(model) {
    loadModel(modelPath);
    gravity = defaultGravity;
    fellOff = false;
    velocity = vec3(0.0f, 0.0f, 0.0f);
    onGround = false;
    SceneObject::reset();
}

void Character::update(double dt) {
    if (fallHeight > modelMatrix.position().y) {
        fellOff = true;
    }
    if (!onGround) {
        velocity.y = static_cast<float>(velocity.y - gravity * dt);
    }
    translate(velocity * static_cast<float>(dt), Local);
    VisibleObject::update(dt);
}

void Character::reset() {
    fellOff = false;
    velocity = vec3(0.0f, 0.0f, 0.0f);
    onGround = false;
    SceneObject::reset();
}

void Character::setColliding(bool touching) {
    onGround = touching;
    if (touching) {
        velocity.y = 0.0f;
    }
}

}  // namespace vantor::scene

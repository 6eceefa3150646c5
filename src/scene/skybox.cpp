// The sky box is rebuilt from scratch every frame, so the translations it receives as the
// character's child leave no lasting trace.
#include "scene/skybox.hpp"

namespace vantor::scene {

namespace {
constexpr float skyboxScale = 40.0f;
}

Skybox::Skybox(const mat4& initial, SceneObject* target) : VisibleObject(initial), target(target) {
    loadModel("Models/customskybox.obj");
}

void Skybox::update(double dt) {
    VisibleObject::update(dt);
    if (target == nullptr) {
        return;
    }
    const mat4 targetMatrix = target->getModelMatrix();
    // The inverse is left stale on purpose: nothing reads it for the sky box.
    modelMatrix = mat4(skyboxScale);
    modelMatrix[15] = 1.0f;
    modelMatrix[12] = targetMatrix[12];
    modelMatrix[13] = targetMatrix[13];
    modelMatrix[14] = targetMatrix[14];
}

}  // namespace vantor::scene

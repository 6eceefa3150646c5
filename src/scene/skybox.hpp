// Skybox: the textured sky box that stays centred on its target, so the horizon never comes closer.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class Skybox : public VisibleObject {
  public:
    Skybox(const mat4& initial, SceneObject* target);

    // Hands the current matrix to the collision data, then rebuilds it around the target.
    void update(double dt) override;
    void setColliding(bool /*touching*/) override {}

    SceneObject* target;
};

}  // namespace vantor::scene

// LensFlare: one tinted glow sprite; the world update places it on the line from the light
// through the view, at positionFactor of the way, and the sprite pass uploads its colour.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class LensFlare : public VisibleObject {
  public:
    LensFlare(const mat4& initial, const char* modelPath, const vec3& color, float positionFactor);

    void setColliding(bool /*touching*/) override {}

    vec3 color;
    float positionFactor;
};

}  // namespace vantor::scene

// ScreenQuad: the quad every full-screen pass draws; its file stores it in clip coordinates.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class ScreenQuad : public VisibleObject {
  public:
    explicit ScreenQuad(const mat4& initial);

    void setColliding(bool /*touching*/) override {}
};

}  // namespace vantor::scene

// The single directional light: placed like a camera far above and beside its target, with an
// orthographic projection for the shadow pass. It shines along minus column 2 of its model matrix.
#pragma once

#include "scene/camera.hpp"

namespace vantor::scene {

class Light : public Camera {
  public:
    explicit Light(const mat4& initial);

    // The light's frustum is never tested, so there is nothing to refresh.
    void update(double dt) override;
    // Rebuilds the placement from the initial matrix and restores the orthographic projection.
    void reset() override;
};

}  // namespace vantor::scene

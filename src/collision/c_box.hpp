// An axis-aligned world-space box around a model-space box: the collision shape every visible
// object gets from model import, used for view-frustum culling.
#pragma once

#include "collision/c_object.hpp"

namespace vantor::scene::collision {

class CBox : public CObject {
  public:
    // Model-space bounds; the world box stays at zero until the first updateBounds.
    CBox(vec3 min, vec3 max);

    // The world box grows to enclose all eight transformed corners (no division by w).
    void updateBounds(const mat4& model) override;
    // The box follows only the model matrix it is given, so the scale needs no bookkeeping.
    void setScale(float factor) override;
    bool collides(const CObject* other) const override;
    // Strict: a sphere only touching the box does not overlap it.
    bool collidesWithSphere(const CSphere* sphere) const override;
    // Boxes that merely touch overlap.
    bool collidesWithBox(const CBox* other) const override;
    // Positive-vertex test: false as soon as the corner farthest along a plane's normal lies
    // outside it. A box near a frustum corner may be reported inside although it is not.
    bool intersectsFrustum(const Frustum* frustum) const override;

    static constexpr int cornerCount = 8;
    // Model-space corners, w = 1: index bit 0 picks max y, bit 1 max x, bit 2 max z.
    vec4 corners[cornerCount];
    vec3 worldMin;
    vec3 worldMax;
};

}  // namespace vantor::scene::collision

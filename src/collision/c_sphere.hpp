// A sphere shape: a model-space centre and radius that follow the owner's model matrix. The game
// itself uses boxes; the sphere is the other side of the boxes' sphere test.
#pragma once

#include "collision/c_object.hpp"

namespace vantor::scene::collision {

class CSphere : public CObject {
  public:
    // The world sphere starts equal to the model-space one (an identity placement), so a sphere
    // can be used as a query without an owner.
    CSphere(vec3 centre, float radius);

    // The world radius is the model radius times the longest of the model's three axes, so the
    // world sphere always encloses the transformed one.
    void updateBounds(const mat4& model) override;
    // The model matrix already carries the owner's scale.
    void setScale(float factor) override;
    bool collides(const CObject* other) const override;
    // Strict: spheres that only touch do not overlap.
    bool collidesWithSphere(const CSphere* sphere) const override;
    bool collidesWithBox(const CBox* other) const override;
    bool intersectsFrustum(const Frustum* frustum) const override;

    vec3 centre;
    float radius;
    vec3 worldCentre;
    float worldRadius;
};

}  // namespace vantor::scene::collision

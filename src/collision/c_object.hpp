// The coarse bounding-volume interface of a visible object: world bounds that follow the model
// matrix, overlap tests between shapes by double dispatch, and the view-frustum test for culling.
#pragma once

#include "scene/math.hpp"

namespace vantor::scene::collision {

class CBox;
class CSphere;

class CObject {
  public:
    // Recomputes the world-space bounds from the owner's model matrix.
    virtual void updateBounds(const mat4& model) = 0;
    // Told the largest factor whenever the owner is scaled.
    virtual void setScale(float factor) = 0;
    // Overlap with any shape: dispatches to other's test for this shape's kind.
    virtual bool collides(const CObject* other) const = 0;
    virtual bool collidesWithSphere(const CSphere* sphere) const = 0;
    virtual bool collidesWithBox(const CBox* other) const = 0;
    // Whether the shape is at least partly inside all six planes (conservative).
    virtual bool intersectsFrustum(const Frustum* frustum) const = 0;

    // Owners hold shapes through this interface and delete them through it.
    virtual ~CObject() = default;
};

}  // namespace vantor::scene::collision

// A sphere that follows its owner's model matrix, with its overlap and frustum tests.
#include "collision/c_sphere.hpp"

#include <algorithm>

#include "collision/c_box.hpp"

namespace vantor::scene::collision {

CSphere::CSphere(vec3 centre_, float radius_)
    : centre(centre_), radius(radius_), worldCentre(centre_), worldRadius(radius_) {}

void CSphere::updateBounds(const mat4& model) {
    worldCentre = (model * vec4(centre, 1.0f)).xyz();
    const float longestAxis =
        std::max({length(model.column(0).xyz()), length(model.column(1).xyz()),
                  length(model.column(2).xyz())});
    worldRadius = radius * longestAxis;
}

void CSphere::setScale(float) {}

bool CSphere::collides(const CObject* other) const {
    return other->collidesWithSphere(this);
}

bool CSphere::collidesWithSphere(const CSphere* sphere) const {
    const vec3 gap = worldCentre - sphere->worldCentre;
    const float reach = worldRadius + sphere->worldRadius;
    return reach * reach > dot(gap, gap);
}

bool CSphere::collidesWithBox(const CBox* other) const {
    return other->collidesWithSphere(this);
}

bool CSphere::intersectsFrustum(const Frustum* frustum) const {
    for (const Plane& plane : frustum->planes) {
        if (dot(plane.normal, worldCentre) + plane.d < -worldRadius) {
            return false;
        }
    }
    return true;
}

}  // namespace vantor::scene::collision

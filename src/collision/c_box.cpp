// World-space bounds of a model box and its overlap and frustum tests.
#include "collision/c_box.hpp"

#include <algorithm>

#include "collision/c_sphere.hpp"

namespace vantor::scene::collision {

CBox::CBox(vec3 min, vec3 max)
    : corners{{min.x, min.y, min.z, 1.0f}, {min.x, max.y, min.z, 1.0f}, {max.x, min.y, min.z, 1.0f},
              {max.x, max.y, min.z, 1.0f}, {min.x, min.y, max.z, 1.0f}, {min.x, max.y, max.z, 1.0f},
              {max.x, min.y, max.z, 1.0f}, {max.x, max.y, max.z, 1.0f}} {}

void CBox::updateBounds(const mat4& model) {
    vec3 lo = (model * corners[0]).xyz();
    vec3 hi = lo;
    for (int i = 1; i < cornerCount; ++i) {
        const vec3 p = (model * corners[i]).xyz();
        if (lo.x > p.x)
            lo.x = p.x;
        if (lo.y > p.y)
            lo.y = p.y;
        if (lo.z > p.z)
            lo.z = p.z;
        if (hi.x < p.x)
            hi.x = p.x;
        if (hi.y < p.y)
            hi.y = p.y;
        if (hi.z < p.z)
            hi.z = p.z;
    }
    worldMin = lo;
    worldMax = hi;
}

void CBox::setScale(float) {}

bool CBox::collides(const CObject* other) const {
    return other->collidesWithBox(this);
}

bool CBox::collidesWithSphere(const CSphere* sphere) const {
    const vec3 c = sphere->worldCentre;
    const vec3 q(std::min(worldMax.x, std::max(worldMin.x, c.x)),
                 std::min(worldMax.y, std::max(worldMin.y, c.y)),
                 std::min(worldMax.z, std::max(worldMin.z, c.z)));
    const vec3 gap = c - q;
    const float r = sphere->worldRadius;
    return r * r > dot(gap, gap);
}

bool CBox::collidesWithBox(const CBox* other) const {
    return !(worldMin.x > other->worldMax.x || worldMin.y > other->worldMax.y ||
             worldMin.z > other->worldMax.z || other->worldMin.x > worldMax.x ||
             other->worldMin.y > worldMax.y || other->worldMin.z > worldMax.z);
}

bool CBox::intersectsFrustum(const Frustum* frustum) const {
    for (const Plane& plane : frustum->planes) {
        const vec3 n = plane.normal;
        const vec3 p(n.x >= 0.0f ? worldMax.x : worldMin.x, n.y >= 0.0f ? worldMax.y : worldMin.y,
                     n.z >= 0.0f ? worldMax.z : worldMin.z);
        if (dot(n, p) + plane.d < 0.0f) {
            return false;
        }
    }
    return true;
}

}  // namespace vantor::scene::collision

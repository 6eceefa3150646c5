// Building a model and answering its queries.
#include "collision_model_3d_impl.hpp"

namespace COLDET {

void CollisionModel3DImpl::reserveTriangles(int) {}
void CollisionModel3DImpl::addTriangle(const float*, const float*, const float*) {}
void CollisionModel3DImpl::addTriangle(float, float, float, float, float, float, float, float,
                                       float) {}
void CollisionModel3DImpl::finalize() {
    finalized = true;
}
void CollisionModel3DImpl::setTransform(const float*) {}
bool CollisionModel3DImpl::collide(CollisionModel3D*, int, int, const float*) {
    return false;
}
bool CollisionModel3DImpl::collideRay(const float*, const float*, bool, float, float) {
    return false;
}
bool CollisionModel3DImpl::collideSphere(const float*, float) {
    return false;
}
bool CollisionModel3DImpl::lastHitTriangleIndices(int& index1, int& index2) {
    index1 = hitIndex1;
    index2 = hitIndex2;
    return true;
}
bool CollisionModel3DImpl::lastHitTriangles(float*, float*, bool) {
    return true;
}
bool CollisionModel3DImpl::lastHitPoint(float*, bool) {
    return true;
}

}  // namespace COLDET

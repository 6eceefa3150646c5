// Building the flat box tree.
#include "box_tree.hpp"

namespace COLDET {

Vector3D centroidOf(Vector3D p1, Vector3D p2, Vector3D p3) {
    return ((p1 + p2) + p3) * 0.33333334f;
}

BoxedTriangle::BoxedTriangle(Vector3D a, Vector3D b, Vector3D c) : Box{}, Triangle{a, b, c, {}} {}

void BoxTree::build(const std::vector<BoxedTriangle>&) {}
std::size_t BoxTree::memoryBytes() const {
    return 0;
}

}  // namespace COLDET

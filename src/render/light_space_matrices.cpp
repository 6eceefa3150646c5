// The per-frame map from object to light-space matrix.
#include "render/light_space_matrices.hpp"

namespace vantor {

void LightSpaceMatrices::store(const scene::VisibleObject* object, const scene::mat4& matrix) {
    matrices[object] = matrix;
}

const scene::mat4& LightSpaceMatrices::lookup(const scene::VisibleObject* object) {
    return matrices.try_emplace(object, scene::mat4(1.0f)).first->second;
}

}  // namespace vantor

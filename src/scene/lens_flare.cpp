// A flare sprite keeps the tint and line position it was made with; it has no behaviour of its own.
#include "scene/lens_flare.hpp"

namespace vantor::scene {

LensFlare::LensFlare(const mat4& initial, const char* modelPath, const vec3& color,
                     float positionFactor)
    : VisibleObject(initial), color(color), positionFactor(positionFactor) {
    loadModel(modelPath);
}

}  // namespace vantor::scene

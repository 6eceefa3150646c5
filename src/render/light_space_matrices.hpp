// Each object's light-space matrix for one frame: stored by the shadow stage, read by the scene
// stage to place the object in the shadow map. Made empty at the start of a frame, gone at its end.
#pragma once

#include <map>

#include "scene/math.hpp"

namespace vantor {

namespace scene {
class VisibleObject;
}

class LightSpaceMatrices {
  public:
    // Inserts the object's entry or overwrites it.
    void store(const scene::VisibleObject* object, const scene::mat4& matrix);
    // The object's entry; an object without one gets the identity, which is stored for it.
    const scene::mat4& lookup(const scene::VisibleObject* object);
    std::size_t size() const { return matrices.size(); }

  private:
    std::map<const scene::VisibleObject*, scene::mat4> matrices;
};

}  // namespace vantor

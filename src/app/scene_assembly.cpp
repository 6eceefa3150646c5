// Scene assembly, minimal until the scene is built: nothing to make, nothing to release.
#include "app/scene_assembly.hpp"

namespace vantor {

void assembleScene() {}

void cleanUp() {}

}  // namespace vantor

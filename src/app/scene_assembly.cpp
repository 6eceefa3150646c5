// Scene assembly, minimal until the scene is built: only the text overlay's resources, which the
// main loop needs to print its lines; nothing to release.
#include "app/scene_assembly.hpp"

#include "render/text_overlay.hpp"

namespace vantor {

void assembleScene() {
    initText();
}

void cleanUp() {}

}  // namespace vantor

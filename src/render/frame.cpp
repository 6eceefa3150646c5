// The frame, minimal until the passes exist: the screen cleared to the clear colour.
#include "render/frame.hpp"

#include <GL/glew.h>

namespace vantor {

void renderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace vantor

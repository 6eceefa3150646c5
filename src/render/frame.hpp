// One frame: the shadow map, the scene, the flares and the post-processing, ending on the screen.
#pragma once

#include <GL/glew.h>

namespace vantor {

// Draws the frame into the default framebuffer and leaves it bound. Reads the scene and the
// settings; changes nothing of the game.
void renderFrame();

// Sets the magnification and minification filters of the texture bound on the active unit from
// the texture and mipmap sampling settings.
void applyTextureSampling();

struct SamplingFilters {
    GLint magnification;
    GLint minification;
};
SamplingFilters samplingFilters(bool textureBilinear, bool mipmapBilinear);

}  // namespace vantor

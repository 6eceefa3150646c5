// Sprite flares. Reads the light's position and the four flare sprites the world update placed on
// the line from the light through the view. Writes them, tinted and blended, into the scene target
// that the scene stage left bound; nothing at all while the light is out of sight.
#include <GL/glew.h>

#include "app/registry.hpp"
#include "assets/shader_program.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"

namespace vantor {

namespace {

// How far beyond the screen edge, in screen half-extents, a light still throws its flares.
constexpr float screenMargin = 1.8f;

}  // namespace

bool lightIsVisible(scene::vec4 clip) {
    // Each plane (a, b, c, d) hides the light when a*x + b*y + c*z + d*w > 0: the two depth
    // planes first, then the widened top, bottom, right and left.
    const scene::vec4 planes[] = {{0, 0, 1, -1},
                                  {0, 0, -1, -1},
                                  {0, 1, 0, -screenMargin},
                                  {0, -1, 0, -screenMargin},
                                  {1, 0, 0, -screenMargin},
                                  {-1, 0, 0, -screenMargin}};
    for (const scene::vec4& plane : planes) {
        if (scene::dot(plane, clip) > 0.0f) {
            return false;
        }
    }
    return true;
}

void drawSpriteFlares(const FrameValues& frame) {
    const TimedPass timing("sprite flares");
    const scene::mat4 viewProjection = frame.cameraProjection * frame.cameraView;
    const scene::vec4 lightClip =
        viewProjection * registry.light->getModelMatrix() * scene::vec4(0, 0, 0, 1);
    // The sprites lie over everything; blending stays as the scene stage set it.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    if (lightIsVisible(lightClip)) {
        const GLuint program = registry.flareSpriteShader->program;
        glUseProgram(program);
        for (scene::LensFlare* flare : registry.flareList) {
            setUniform(program, "MVP", viewProjection * flare->getModelMatrix());
            setUniform(program, "color", flare->color);
            flare->draw(program);
        }
    }
    // The scene target is this pass's output whether or not the light let it add anything.
    reportDrawn(renderTargets.scene);
}

}  // namespace vantor

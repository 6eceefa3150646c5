// Composition. Reads the scene image and the blurred highlights of the bright target. Writes the
// scene with its glow laid over it the way the bloom blend mode says (mode 0: the scene alone) to
// the screen, or to the compose target when the screen-space lens flare follows.
#include <GL/glew.h>

#include "app/registry.hpp"
#include "app/settings.hpp"
#include "assets/shader_program.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"

namespace vantor {

void composeScene(const RenderTarget& target) {
    const TimedPass timing("composition");
    beginFullScreenPass(target);
    const GLuint program = registry.bloomShader->program;
    glUseProgram(program);
    bindTexture(0, renderTargets.scene.texture);
    setUniform(program, "postProTexture", 0);
    bindTexture(1, renderTargets.bright[0].texture);
    setUniform(program, "bloomTexture", 1);
    setUniform(program, "BlendMode", settings.bloomBlendMode);
    drawScreenQuad(program);
    reportDrawn(target);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace vantor

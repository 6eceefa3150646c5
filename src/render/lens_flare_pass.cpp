// Screen-space lens flare. Reads the composed image. Keeps only its brightest light, blurs it
// at 1/32 of the picture's size, turns it into ghosts, a halo and colour fringes in a quarter-size
// image, and writes the composed image with those features added to the screen.
#include <GL/glew.h>

#include "app/registry.hpp"
#include "assets/shader_program.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"

namespace vantor {

namespace {

constexpr float lensThreshold = 0.95f;
constexpr int lensBlurPasses = 2;
constexpr int lensMipLevel = 5;

// Ghosts and halo from the blurred highlights, which the blur left at its level of the bright
// image, into the blur image: smooth features that the combination magnifies.
void drawFlareFeatures() {
    const RenderTarget& features = renderTargets.brightBlur[0];
    beginFullScreenPass(features);
    const GLuint program = registry.lensFlareShader->program;
    glUseProgram(program);
    bindTexture(0, renderTargets.bright[0].texture);
    drawScreenQuad(program);
    reportDrawn(features);
}

void combineOntoScreen() {
    beginFullScreenPass(screenTarget);
    const GLuint program = registry.lensCombineShader->program;
    glUseProgram(program);
    bindTexture(0, renderTargets.compose.texture);
    setUniform(program, "uInputTex", 0);
    bindTexture(1, renderTargets.brightBlur[0].texture);
    setUniform(program, "uLensFlareTex", 1);
    drawScreenQuad(program);
    reportDrawn(screenTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace

void drawScreenSpaceLensFlare() {
    timedPass("lens bright", [] { runBrightPass(renderTargets.compose, lensThreshold); });
    timedPass("lens blur", [] { runBlurPasses(lensBlurPasses, lensMipLevel); });
    timedPass("lens features", drawFlareFeatures);
    timedPass("lens combine", combineOntoScreen);
}

}  // namespace vantor

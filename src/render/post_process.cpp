// The full-screen steps that bloom and the screen-space lens flare share: the bright pass, which
// keeps what lies above a threshold in a quarter-size image, and the ping-pong blur between the
// two bright images, in place at the small level it reads.
#include <GL/glew.h>

#include "app/registry.hpp"
#include "assets/shader_program.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"
#include "scene/screen_quad.hpp"

namespace vantor {

namespace {

constexpr float horizontalTexelSize = 1.0f / screenWidth;
constexpr float verticalTexelSize = 1.0f / screenHeight;

// One blur step at the level "mipMap" of the picture's size: the shader reads the source there,
// and the step draws into the same level of the target image.
void blurPass(const scene::ShaderProgram& shader, const BrightLevels& source,
              const BrightLevels& target, float texelSize, int mipLevel) {
    const RenderTarget& level = target[mipLevel - brightShrinkLevels];
    const GLuint program = shader.program;
    glUseProgram(program);
    bindTarget(level);
    glClear(GL_COLOR_BUFFER_BIT);
    setUniform(program, "mipMap", mipLevel);
    setUniform(program, "toBlur", 0);
    bindTexture(0, source[0].texture);
    setUniform(program, "texelSize", texelSize);
    drawScreenQuad(program);
    reportDrawn(level);
}

}  // namespace

void drawScreenQuad(GLuint program) {
    registry.screenQuad->draw(program);
}

void beginFullScreenPass(const RenderTarget& target) {
    bindTarget(target);
    if (target.framebuffer == 0) {
        // The picture covers its 16:9 area; where the screen has another shape, the bars
        // around it stay black rather than sky blue.
        GLfloat clearColour[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// Leaves the highlights of the source in the bright image, a quarter of its size, with the levels
// below rebuilt for the blur that reads them. Nothing reads the source's own levels: they are not
// rebuilt.
void runBrightPass(const RenderTarget& source, float threshold) {
    const RenderTarget& bright = renderTargets.bright[0];
    beginFullScreenPass(bright);
    const GLuint program = registry.brightPassShader->program;
    glUseProgram(program);
    setUniform(program, "postProTexture", 0);
    bindTexture(0, source.texture);
    setUniform(program, "threshold", threshold);
    drawScreenQuad(program);
    bindTexture(0, bright.texture);
    glGenerateMipmap(GL_TEXTURE_2D);
    reportDrawn(bright);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, screenWidth, screenHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// Even passes blur the bright image horizontally into the blur image, odd passes blur that back
// vertically; with an even count the result ends in the bright image, at the pass's level.
void runBlurPasses(int count, int mipLevel) {
    const RenderTargets& t = renderTargets;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            blurPass(*registry.blurXShader, t.bright, t.brightBlur, horizontalTexelSize, mipLevel);
        } else {
            blurPass(*registry.blurYShader, t.brightBlur, t.bright, verticalTexelSize, mipLevel);
        }
    }
}

}  // namespace vantor

// The full-screen steps that bloom and the screen-space lens flare share: the bright pass, which
// keeps what lies above a threshold, and the ping-pong blur between the two bright targets.
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

// Reads the source at the given mip level, rebuilt from its current image first.
void blurPass(const scene::ShaderProgram& shader, const RenderTarget& source,
              const RenderTarget& target, float texelSize, int mipLevel) {
    const GLuint program = shader.program;
    glUseProgram(program);
    bindTarget(target);
    glClear(GL_COLOR_BUFFER_BIT);
    setUniform(program, "mipMap", mipLevel);
    setUniform(program, "toBlur", 0);
    bindTexture(0, source.texture);
    glGenerateMipmap(GL_TEXTURE_2D);
    setUniform(program, "texelSize", texelSize);
    drawScreenQuad(program);
    reportDrawn(target);
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

// Leaves the highlights of the source in the bright target, with the source's mipmaps rebuilt.
void runBrightPass(const RenderTarget& source, float threshold) {
    beginFullScreenPass(renderTargets.bright);
    const GLuint program = registry.brightPassShader->program;
    glUseProgram(program);
    setUniform(program, "postProTexture", 0);
    bindTexture(0, source.texture);
    glGenerateMipmap(GL_TEXTURE_2D);
    setUniform(program, "threshold", threshold);
    drawScreenQuad(program);
    reportDrawn(renderTargets.bright);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, screenWidth, screenHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// Even passes blur the bright image horizontally into the blur target, odd passes blur that back
// vertically; with an even count the result ends in the bright target.
void runBlurPasses(int count, int mipLevel) {
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            blurPass(*registry.blurXShader, renderTargets.bright, renderTargets.brightBlur,
                     horizontalTexelSize, mipLevel);
        } else {
            blurPass(*registry.blurYShader, renderTargets.brightBlur, renderTargets.bright,
                     verticalTexelSize, mipLevel);
        }
    }
}

}  // namespace vantor

// Shadow stage. Reads every object of the draw list (never culled: objects out of view still cast
// shadows) and the light's view and projection. Writes the two depth moments as the light sees the
// scene into the shadow target, then blurs them into a map of half its size each way, which the
// scene reads, and stores each object's light-space matrix.
#include <GL/glew.h>

#include "app/registry.hpp"
#include "assets/shader_program.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"
#include "scene/visible_object.hpp"

namespace vantor {

namespace {

constexpr float shadowTexelSize = 1.0f / shadowMapSize;

void blurShadowPass(const scene::ShaderProgram& shader, const RenderTarget& source,
                    const RenderTarget& target) {
    const GLuint program = shader.program;
    bindTarget(target);
    glUseProgram(program);
    glClear(GL_COLOR_BUFFER_BIT);
    setUniform(program, "toBlur", 0);
    // The programs are shared with the post-processing, which leaves its own level behind.
    setUniform(program, "mipMap", 0);
    bindTexture(0, source.texture);
    setUniform(program, "texelSize", shadowTexelSize);
    drawScreenQuad(program);
    reportDrawn(target);
}

}  // namespace

void drawShadowMap(FrameValues& frame) {
    const TimedPass timing("shadow map");
    // Cleared to the start-up clear colour: its red and green read as an occluder far behind
    // everything the light sees.
    bindTarget(renderTargets.shadow);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    // Only back faces reach the map, so lit surfaces never compare against themselves.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glDisable(GL_BLEND);

    const GLuint program = registry.depthShader->program;
    glUseProgram(program);
    for (scene::VisibleObject* object : registry.drawList) {
        const scene::mat4 model = object->getModelMatrix();
        const scene::mat4 modelView = frame.lightView * model;
        const scene::mat4 modelViewProjection = frame.lightProjection * modelView;
        frame.lightSpaceMatrices.store(object, modelViewProjection);
        setUniform(program, "dMV", modelView);
        setUniform(program, "dMVP", modelViewProjection);
        object->draw(program);
    }
    reportDrawn(renderTargets.shadow);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, shadowMapSize, shadowMapSize);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// Vertical, then horizontal, each step halving the map along its axis: every texel of the result
// averages two by two texels of the map. The scene's lookup spreads wider than that, so the
// half-size map holds all the detail the shadows show, at a quarter of the blur's cost.
void blurShadowMap() {
    const TimedPass timing("shadow blur");
    const RenderTargets& t = renderTargets;
    blurShadowPass(*registry.blurYShader, t.shadow, t.shadowBlur);
    blurShadowPass(*registry.blurXShader, t.shadowBlur, t.shadowSoft);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace vantor

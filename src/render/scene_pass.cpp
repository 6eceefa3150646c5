// Scene stage. Reads the sky box, every object of the draw list that survives frustum culling, the
// blurred shadow map with each object's light-space matrix, and the shared normal map. Writes the
// lit scene with its depth into the scene target, which stays bound for the sprite flares.
#include <GL/glew.h>

#include "app/keys.hpp"
#include "app/registry.hpp"
#include "app/settings.hpp"
#include "assets/shader_program.hpp"
#include "render/frame.hpp"
#include "render/gl_helpers.hpp"
#include "render/pass_timer.hpp"
#include "render/passes.hpp"
#include "scene/camera.hpp"
#include "scene/skybox.hpp"
#include "scene/visible_object.hpp"

namespace vantor {

namespace {

constexpr int shadowMapUnit = 10;
constexpr int normalMapUnit = 20;

// Maps clip coordinates in [-1, 1] to shadow-map coordinates in [0, 1].
const scene::mat4 biasMatrix{{0.5f, 0.0f, 0.0f, 0.0f},
                             {0.0f, 0.5f, 0.0f, 0.0f},
                             {0.0f, 0.0f, 0.5f, 0.0f},
                             {0.5f, 0.5f, 0.5f, 1.0f}};

// The sky writes no depth and is seen from inside its box.
void drawSkybox(const FrameValues& frame) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    const GLuint program = registry.skyboxShader->program;
    glUseProgram(program);
    setUniform(program, "MVP",
               frame.cameraProjection * frame.cameraView * registry.skybox->getModelMatrix());
    registry.skybox->draw(program);
}

void drawLitObject(FrameValues& frame, GLuint program, scene::VisibleObject* object,
                   const scene::mat3& normalMatrix, const scene::mat4& model) {
    const scene::mat4 modelView = frame.cameraView * model;
    if (settings.shadowMapping) {
        setUniform(program, "DepthBiasMVP", biasMatrix * frame.lightSpaceMatrices.lookup(object));
        bindTexture(shadowMapUnit, renderTargets.shadowSoft.texture);
        setUniform(program, "shadowMap", shadowMapUnit);
    } else {
        // An empty unit tells the shader there is no shadow map, instead of the stale one from
        // the last frame that had shadows.
        bindTexture(shadowMapUnit, 0);
    }
    setUniform(program, "MVP", frame.cameraProjection * modelView);
    setUniform(program, "MV", modelView);
    setUniform(program, "M", model);
    setUniform(program, "V", frame.cameraView);
    setUniform(program, "normalMatrix", normalMatrix);
    setUniform(program, "LightInvDirection", frame.lightVector);
    bindTexture(normalMapUnit, registry.normalMapTexture);
    setUniform(program, "normalMap", normalMapUnit);
    object->draw(program);
}

}  // namespace

void drawScene(FrameValues& frame) {
    const TimedPass timing("scene");
    glPolygonMode(GL_FRONT_AND_BACK, settings.wireframe ? GL_LINE : GL_FILL);
    bindTarget(renderTargets.scene);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (settings.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }

    drawSkybox(frame);

    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    const GLuint program = registry.shadowMappingShader->program;
    glUseProgram(program);
    // While F4 or F5 is held, each object re-filters the texture the previous draw left bound,
    // culled or not, so a changed sampling setting reaches every texture within a frame or two.
    const bool resample = keyLatches.f4() || keyLatches.f5();
    for (scene::VisibleObject* object : registry.drawList) {
        if (resample) {
            applyTextureSampling();
        }
        const scene::mat3 normalMatrix = object->getNormalMatrix();
        const scene::mat4 model = object->getModelMatrix();
        if (settings.frustumCulling && !registry.camera->isInFrustum(object)) {
            continue;
        }
        drawLitObject(frame, program, object, normalMatrix, model);
    }
    reportDrawn(renderTargets.scene);
}

void closeSceneStage() {
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    if (settings.wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace vantor

// renderFrame as the list of its passes. A switched-off effect is a pass that is not called.
#include "render/frame.hpp"

#include "app/registry.hpp"
#include "app/settings.hpp"
#include "render/passes.hpp"
#include "scene/camera.hpp"
#include "scene/light.hpp"

namespace vantor {

FrameValues beginFrame() {
    FrameValues frame;
    frame.cameraProjection = registry.camera->getProjectionMatrix();
    frame.cameraView = registry.camera->getInverseModelMatrix();
    frame.lightProjection = registry.light->getProjectionMatrix();
    frame.lightView = registry.light->getInverseModelMatrix();
    frame.lightVector = registry.light->getModelMatrix().column(2).xyz();
    return frame;
}

void renderFrame() {
    FrameValues frame = beginFrame();
    if (settings.shadowMapping) {
        drawShadowMap(frame);
        blurShadowMap();
    }
    drawScene(frame);
    if (settings.lensFlareMode == spriteFlares) {
        drawSpriteFlares(frame);
    }
    closeSceneStage();
    if (settings.bloomBlendMode != 0) {
        runBloomChain();
    }
    if (settings.lensFlareMode == screenSpaceLensFlare) {
        composeScene(renderTargets.compose);
        drawScreenSpaceLensFlare();
    } else {
        composeScene(screenTarget);
    }
}

SamplingFilters samplingFilters(bool textureBilinear, bool mipmapBilinear) {
    if (textureBilinear) {
        return {GL_LINEAR, mipmapBilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST};
    }
    return {GL_NEAREST, mipmapBilinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST};
}

void applyTextureSampling() {
    const SamplingFilters filters =
        samplingFilters(settings.textureBilinear, settings.mipmapBilinear);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    static_cast<GLfloat>(filters.magnification));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    static_cast<GLfloat>(filters.minification));
}

}  // namespace vantor

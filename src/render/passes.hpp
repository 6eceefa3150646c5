// The passes of one frame, in the order renderFrame runs them, and the values they share. Each pass
// lives in its own file, which opens with what it reads and what it writes.
#pragma once

#include "render/light_space_matrices.hpp"
#include "render/render_targets.hpp"
#include "scene/math.hpp"

namespace vantor {

// Computed once at the start of a frame, before any pass, whatever the settings.
struct FrameValues {
    scene::mat4 cameraProjection;  // Pc
    scene::mat4 cameraView;        // Vc
    scene::mat4 lightProjection;   // Pl
    scene::mat4 lightView;         // Vl
    scene::vec3 lightVector;       // towards the light: column 2 of its model matrix
    LightSpaceMatrices lightSpaceMatrices;
};

// The values of the lens-flare setting.
enum LensFlareMode { noLensFlare = 0, spriteFlares = 1, screenSpaceLensFlare = 2 };

FrameValues beginFrame();

// shadow_pass.cpp
void drawShadowMap(FrameValues& frame);
void blurShadowMap();

// scene_pass.cpp
void drawScene(FrameValues& frame);
void closeSceneStage();

// flare_pass.cpp
void drawSpriteFlares(const FrameValues& frame);
// Whether the light's clip position lies within the depth range and within 1.8 screen
// half-extents in x and y.
bool lightIsVisible(scene::vec4 clipPosition);

// bloom_pass.cpp
void runBloomChain();

// composition_pass.cpp
void composeScene(const RenderTarget& target);

// lens_flare_pass.cpp
void drawScreenSpaceLensFlare();

// post_process.cpp: the steps the bloom chain and the lens flare share.
void runBrightPass(const RenderTarget& source, float threshold);
void runBlurPasses(int count, int mipLevel);
void drawScreenQuad(GLuint program);
// Binds the target, clears colour and depth, and switches off depth test and face culling.
void beginFullScreenPass(const RenderTarget& target);

}  // namespace vantor

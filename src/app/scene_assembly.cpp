// Start-up assembly of the scene in its fixed order, and its release at shutdown. The order is
// part of the contract: children are linked to parents that already exist, and the flag needs
// the goal that the level file makes.
#include "app/scene_assembly.hpp"

#include <GL/glew.h>

#include <iostream>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/flag.hpp"
#include "app/level_loader.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "assets/model_import.hpp"
#include "assets/shader_program.hpp"
#include "assets/texture_loader.hpp"
#include "render/render_targets.hpp"
#include "render/text_overlay.hpp"
#include "scene/camera.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"
#include "scene/screen_quad.hpp"
#include "scene/skybox.hpp"

namespace vantor {

namespace {

using scene::LensFlare;
using scene::mat4;
using scene::ShaderProgram;
using scene::vec3;

constexpr vec3 characterStart{0.0f, 4.0f, 0.0f};
constexpr const char* normalMapName = "cloud_texture_normal_map.jpg";

void buildPrograms(Registry& r) {
    r.shadowMappingShader =
        new ShaderProgram("Shader/ShadowMapping.vert", "Shader/ShadowMapping.frag");
    r.skyboxShader = new ShaderProgram("Shader/skyBox.vert", "Shader/skybox.frag");
    r.depthShader = new ShaderProgram("Shader/depthShader.vert", "Shader/depthShader.frag");
    r.blurXShader = new ShaderProgram("Shader/passthrough.vert", "Shader/blurShaderX.frag");
    r.blurYShader = new ShaderProgram("Shader/passthrough.vert", "Shader/blurShaderY.frag");
    r.flareSpriteShader = new ShaderProgram("Shader/ovinFlare.vert", "Shader/ovinFlare.frag");
    r.lensFlareShader = new ShaderProgram("Shader/passthrough.vert", "Shader/LensFlare.frag");
    r.lensCombineShader = new ShaderProgram("Shader/passthrough.vert", "Shader/LensCombine.frag");
    r.bloomShader = new ShaderProgram("Shader/passthrough.vert", "Shader/bloom.frag");
    r.brightPassShader = new ShaderProgram("Shader/passthrough.vert", "Shader/brightPass.frag");
}

// Stands in for a normal map that could not be read (the loader has named it): one texel facing
// straight out, so the clouds lose their relief but are lit as flat surfaces. Binding the
// failure name instead would raise a GL error on every frame.
GLuint flatNormalMap() {
    const GLubyte straightOut[4] = {128, 128, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, straightOut);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

}  // namespace

void assembleFigure() {
    Registry& r = registry;
    r.character = new scene::Character(scene::translate(mat4(1.0f), characterStart));
    r.drawList.push_back(r.character);
    r.light = new scene::Light(r.character->getModelMatrix());
    r.character->addChild(r.light);
    r.camera = new scene::Camera(r.character->getModelMatrix());
    r.character->addChild(r.camera);
    r.controller = new scene::PlayerController(r.camera, r.character);
    r.skybox = new scene::Skybox(mat4(1.0f), r.character);
    r.character->addChild(r.skybox);
}

void assembleFlares() {
    Registry& r = registry;
    r.bigGlow = new LensFlare(mat4(1.0f), "Models/bigGlow.obj", vec3(1, 0, 0), 0.15f);
    r.flareList.push_back(r.bigGlow);
    r.smallGlow = new LensFlare(mat4(1.0f), "Models/smallGlow.obj", vec3(0, 1, 0), 0.175f);
    r.flareList.push_back(r.smallGlow);
    r.hexaGlow = new LensFlare(mat4(1.0f), "Models/hexaGlow.obj", vec3(0, 0, 1), 0.285f);
    r.flareList.push_back(r.hexaGlow);
    r.shinyGlow = new LensFlare(mat4(1.0f), "Models/shinyGlow.obj", vec3(1, 0, 0), 0.39f);
    r.flareList.push_back(r.shinyGlow);

    r.light->addChild(r.bigGlow);
    r.light->addChild(r.hexaGlow);
    r.light->addChild(r.smallGlow);
    r.light->addChild(r.shinyGlow);
}

void assembleCourse(const char* levelPath) {
    Registry& r = registry;
    loadLevel(levelPath);
    // The flag marks the goal; a course without one (the loader has said so) runs without it.
    if (r.endPlatform == nullptr) {
        return;
    }
    auto* flag = new scene::Flag(r.endPlatform->getModelMatrix());
    r.drawList.push_back(flag);
    r.endPlatform->addChild(flag);
}

void assembleScene() {
    Registry& r = registry;
    // A course is many copies of one cloud: its file is read once for all of them.
    const scene::ModelImportCache models;
    buildPrograms(r);
    assembleFigure();
    initText();
    assembleFlares();
    r.normalMapTexture = loadTexture(normalMapName);
    if (r.normalMapTexture == FAILED_TEXTURE) {
        r.normalMapTexture = flatNormalMap();
    }
    r.screenQuad = new scene::ScreenQuad(mat4(1.0f));
    assembleCourse(levelPath);
}

namespace {

template <typename T>
void destroy(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

void cleanUp() {
    Registry& r = registry;
    deleteRenderTargets();
    const GLuint normalMap = r.normalMapTexture;
    glDeleteTextures(1, &normalMap);
    r.normalMapTexture = 0;

    // Each program's destructor deletes the program, then its two shaders.
    destroy(r.depthShader);
    destroy(r.shadowMappingShader);
    destroy(r.blurXShader);
    destroy(r.blurYShader);
    destroy(r.skyboxShader);
    destroy(r.bloomShader);
    destroy(r.brightPassShader);
    destroy(r.lensFlareShader);
    destroy(r.lensCombineShader);
    destroy(r.flareSpriteShader);

    destroy(r.controller);

    destroy(r.camera);
    destroy(r.light);
    destroy(r.screenQuad);
    destroy(r.skybox);
    destroy(r.bigGlow);
    destroy(r.smallGlow);
    destroy(r.hexaGlow);
    destroy(r.shinyGlow);
    r.flareList.clear();

    // drawList owns the figure, every platform and goal, and the flag; platforms only lists
    // some of them again.
    for (scene::VisibleObject*& object : r.drawList) {
        destroy(object);
    }
    r.drawList.clear();
    r.platforms.clear();
    r.character = nullptr;
    r.endPlatform = nullptr;
}

}  // namespace vantor

// The one scene of the run: the shader programs, the single objects and the three lists through
// which the world update and the render passes walk the scene. Filled at start-up, released by
// cleanUp.
#pragma once

#include <cstdint>
#include <vector>

namespace vantor::scene {
class ShaderProgram;
class Character;
class Light;
class Camera;
class Skybox;
class LensFlare;
class ScreenQuad;
class EndPlatform;
class Platform;
class VisibleObject;
class PlayerController;
}  // namespace vantor::scene

namespace vantor {

struct Registry {
    scene::ShaderProgram* shadowMappingShader = nullptr;
    scene::ShaderProgram* skyboxShader = nullptr;
    scene::ShaderProgram* depthShader = nullptr;
    scene::ShaderProgram* blurXShader = nullptr;
    scene::ShaderProgram* blurYShader = nullptr;
    scene::ShaderProgram* flareSpriteShader = nullptr;
    scene::ShaderProgram* lensFlareShader = nullptr;
    scene::ShaderProgram* lensCombineShader = nullptr;
    scene::ShaderProgram* bloomShader = nullptr;
    scene::ShaderProgram* brightPassShader = nullptr;

    scene::Character* character = nullptr;
    scene::Light* light = nullptr;    // child of the character
    scene::Camera* camera = nullptr;  // child of the character
    scene::Skybox* skybox = nullptr;  // child of the character
    scene::PlayerController* controller = nullptr;

    // The flare sprites, children of the light.
    scene::LensFlare* bigGlow = nullptr;
    scene::LensFlare* smallGlow = nullptr;
    scene::LensFlare* hexaGlow = nullptr;
    scene::LensFlare* shinyGlow = nullptr;

    std::uint32_t normalMapTexture = 0;  // a GL texture name, shared by every cloud
    scene::ScreenQuad* screenQuad = nullptr;
    // Null when the level file has no goal record: every reader must cope with that.
    scene::EndPlatform* endPlatform = nullptr;

    // Updated, drawn and reset every frame: the character, the platforms and goal(s) in file
    // order, then the flag. This list owns what it holds.
    std::vector<scene::VisibleObject*> drawList;
    // Tested for contact every frame, in file order. Owns nothing: its entries are in drawList.
    std::vector<scene::Platform*> platforms;
    // bigGlow, smallGlow, hexaGlow, shinyGlow. Owns nothing beyond the four pointers above.
    std::vector<scene::LensFlare*> flareList;
};

extern Registry registry;

}  // namespace vantor

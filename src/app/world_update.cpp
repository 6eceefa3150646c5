// The order of one world step matters: steering moves the figure, every update hands its matrix to
// its collision data, and only then does the contact test decide what the figure stands on.
#include "app/world_update.hpp"

#include <algorithm>
#include <cmath>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/game_state.hpp"
#include "app/keys.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "platform/platform.hpp"
#include "scene/camera.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"
#include "scene/skybox.hpp"

namespace vantor {

namespace {

using scene::vec3;

constexpr int resetKey = 'R';

void resetWorld() {
    Registry& r = registry;
    // A figure still standing on a platform would otherwise ride along with the goal's own
    // start offset, which its reset re-applies as a translation, and end up off its start.
    for (scene::Platform* platform : r.platforms) {
        platform->removeChild(r.character);
    }
    for (scene::VisibleObject* object : r.drawList) {
        object->reset();
    }
    r.camera->reset();
    r.controller->resetView();
    r.light->reset();
    gameWon = false;
}

void updateObjects(double step) {
    Registry& r = registry;
    // The camera and the light take the step as measured; the drawn objects and the sky box
    // take it rounded to single precision.
    const double singleStep = static_cast<float>(step);
    r.camera->update(step);
    r.light->update(step);
    for (scene::VisibleObject* object : r.drawList) {
        object->update(singleStep);
    }
    r.skybox->update(singleStep);
}

// The first platform found touching becomes the figure's parent; the ones after it keep what
// they had, since they are not tested this frame.
void resolveContact() {
    Registry& r = registry;
    for (scene::Platform* platform : r.platforms) {
        const bool touching = platform->collidesWith(r.character);
        r.character->setColliding(touching);
        platform->setColliding(touching);
        if (!touching) {
            platform->removeChild(r.character);
            continue;
        }
        platform->addChild(r.character);
        break;
    }
}

// Each sprite sits on the line from the light towards a point as far in front of the camera as
// the light is from it, at its own fraction of the way.
void placeFlares() {
    Registry& r = registry;
    const vec3 cameraPosition = r.camera->modelMatrix.position();
    const vec3 lightPosition = r.light->modelMatrix.position();
    const float distance = scene::length(cameraPosition - lightPosition);
    const vec3 cameraZ = r.camera->modelMatrix.column(2).xyz();
    const vec3 line = cameraPosition + cameraZ * distance - lightPosition;
    for (scene::LensFlare* flare : r.flareList) {
        const vec3 origin =
            flare->parent != nullptr ? flare->parent->modelMatrix.position() : lightPosition;
        const vec3 at = origin + line * flare->positionFactor;
        flare->modelMatrix[12] = at.x;
        flare->modelMatrix[13] = at.y;
        flare->modelMatrix[14] = at.z;
        flare->modelMatrix[15] = 1.0f;
    }
}

}  // namespace

void updateWorld(double dt) {
    const double step = std::clamp(dt, 0.0, maxStep);
    // Two frames at the same clock tick leave the last measured rate standing rather than an
    // infinite one.
    if (step > 0.0) {
        fps = 1.0 / step;
    }
    Registry& r = registry;
    if (r.character == nullptr) {
        return;  // nothing to move before the scene is assembled
    }

    if (r.character->fellOff || keyDownOrTapped(resetKey)) {
        resetWorld();
    }
    r.controller->steer(static_cast<float>(step));
    // The contact test sees only where a step ends. In one step of a slow frame the falling
    // figure can pass a cloud's top without touching it and end inside or under the cloud, so a
    // long step is taken in slices, each followed by the contact and goal tests. An empty step
    // is one slice: it still brings the collision forms and the sky box up to date.
    const int slices = std::max(1, static_cast<int>(std::ceil(step / maxSlice)));
    for (int slice = 0; slice < slices; ++slice) {
        updateObjects(step / slices);
        resolveContact();
        if (r.endPlatform != nullptr) {
            gameWon = gameWon || r.endPlatform->collidesWith(r.character);
        }
    }
    placeFlares();
}

}  // namespace vantor

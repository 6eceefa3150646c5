// handleKeys: every toggling key acts once per press, in a fixed order, even while paused.
#include "app/keys.hpp"

#include <GL/glew.h>

#include "app/settings.hpp"
#include "platform/platform.hpp"

namespace vantor {

KeyLatches keyLatches;
bool screenshotRequested = false;

namespace {

constexpr int bloomBlendModeCount = 4;
constexpr int lensFlareModeCount = 3;

void applyPolygonMode(bool wireframe) {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
}

void applyBlending(bool enabled) {
    if (enabled) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

// True once per press: for a press reported since the last call, even one already released, and for
// a key found down that the last call saw up (held since before the window opened). The latch
// holds whether this call saw the key down or pressed.
bool newlyPressed(int key, bool& latch) {
    const bool tapped = platform::takeKeyPress(key);
    const bool down = platform::getKey(key) == platform::PRESS;
    const bool pressed = tapped || (down && !latch);
    latch = down || tapped;
    return pressed;
}

bool functionKeyPressed(int number) {
    return newlyPressed(platform::KEY_F1 + number - 1, keyLatches.functionKeys[number - 1]);
}

void togglePause() {
    settings.paused = !settings.paused;
    // A paused game hands the pointer back to the desktop; steering measures from the centre.
    if (settings.paused) {
        platform::enable(platform::MOUSE_CURSOR);
    } else {
        platform::disable(platform::MOUSE_CURSOR);
    }
    platform::centreMousePos();
}

}  // namespace

const KeyGlEffects glKeyEffects{applyPolygonMode, applyBlending};

bool keyDownOrTapped(int key) {
    const bool tapped = platform::takeKeyPress(key);
    return tapped || platform::getKey(key) == platform::PRESS;
}

bool handleKeys() {
    return handleKeys(glKeyEffects);
}

bool handleKeys(const KeyGlEffects& effects) {
    if (functionKeyPressed(1)) {
        settings.showHelp = !settings.showHelp;
    }
    if (functionKeyPressed(2)) {
        settings.showFps = !settings.showFps;
    }
    if (functionKeyPressed(3)) {
        settings.wireframe = !settings.wireframe;
        effects.polygonMode(settings.wireframe);
    }
    if (functionKeyPressed(4)) {
        settings.textureBilinear = !settings.textureBilinear;
    }
    if (functionKeyPressed(5)) {
        settings.mipmapBilinear = !settings.mipmapBilinear;
    }
    if (functionKeyPressed(6)) {
        settings.shadowMapping = !settings.shadowMapping;
    }
    if (functionKeyPressed(7)) {
        settings.bloomBlendMode = (settings.bloomBlendMode + 1) % bloomBlendModeCount;
    }
    if (functionKeyPressed(8)) {
        settings.frustumCulling = !settings.frustumCulling;
    }
    if (functionKeyPressed(9)) {
        settings.transparency = !settings.transparency;
        effects.blending(settings.transparency);
    }
    if (functionKeyPressed(10)) {
        settings.lensFlareMode = (settings.lensFlareMode + 1) % lensFlareModeCount;
    }
    if (newlyPressed('P', keyLatches.pause)) {
        togglePause();
    }
    // Escape needs no latch: holding it is enough to end the game.
    const bool escape = keyDownOrTapped(platform::KEY_ESC);
    // Last, so that the picture it asks for shows every setting changed in this frame.
    if (newlyPressed(platform::KEY_F12, keyLatches.screenshot)) {
        screenshotRequested = true;
    }
    if (escape) {
        return false;
    }
    return platform::getWindowParam(platform::OPENED) != 0;
}

}  // namespace vantor

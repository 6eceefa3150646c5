// A scripted stand-in for the player: key states, mouse, wheel, clock and window state that tests
// set directly. While one is installed, the platform's input and time calls read and write it.
#pragma once

#include <array>

#include "platform/key_presses.hpp"
#include "platform/platform.hpp"

namespace vantor::platform {

struct ScriptedInput {
    static constexpr int keyCount = KeyPresses::keyCount;

    std::array<int, keyCount> keys{};  // RELEASE or PRESS per key code
    KeyPresses presses;                // as the window system reports them: once per press
    int mouseX = 0;
    int mouseY = 0;
    int wheel = 0;
    double time = 0.0;
    bool windowOpen = true;
    bool cursorShown = true;  // what enable/disable(MOUSE_CURSOR) asked for last

    void press(int key);
    void release(int key);
    void releaseAll();
};

// Installs a script (nullptr = the real window again). The caller keeps ownership.
void useScriptedInput(ScriptedInput* script);
ScriptedInput* scriptedInput();

}  // namespace vantor::platform

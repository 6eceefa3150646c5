// Key edits of the scripted input; the platform calls that read it live with the real backend.
#include "platform/scripted_input.hpp"

namespace vantor::platform {

namespace {

bool validKey(int key) {
    return key >= 0 && key < ScriptedInput::keyCount;
}

}  // namespace

void ScriptedInput::press(int key) {
    if (validKey(key) && keys[key] != PRESS) {
        keys[key] = PRESS;
        presses.record(key);
    }
}

void ScriptedInput::release(int key) {
    if (validKey(key)) {
        keys[key] = RELEASE;
    }
}

void ScriptedInput::releaseAll() {
    keys.fill(RELEASE);
}

}  // namespace vantor::platform

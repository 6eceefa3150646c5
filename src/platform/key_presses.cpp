// The presses recorded between two reads of a key.
#include "platform/key_presses.hpp"

namespace vantor::platform {

namespace {

bool validKey(int key) {
    return key >= 0 && key < KeyPresses::keyCount;
}

}  // namespace

void KeyPresses::record(int key) {
    if (validKey(key)) {
        pending.set(static_cast<std::size_t>(key));
    }
}

bool KeyPresses::take(int key) {
    if (!validKey(key)) {
        return false;
    }
    const bool pressed = pending.test(static_cast<std::size_t>(key));
    pending.reset(static_cast<std::size_t>(key));
    return pressed;
}

}  // namespace vantor::platform

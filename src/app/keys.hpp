// The function keys: edge-triggered toggles of the render settings, the pause key, the screenshot
// key and Escape.
// The main loop calls handleKeys once per frame; the frame drawing reads the F4/F5 latches.
#pragma once

#include <array>

namespace vantor {

// One latch per toggling key: whether that key was down, or pressed and released, at the latest
// handleKeys call.
struct KeyLatches {
    std::array<bool, 10> functionKeys{};  // F1..F10
    bool pause = false;
    bool screenshot = false;  // F12

    bool f4() const { return functionKeys[3]; }
    bool f5() const { return functionKeys[4]; }
};

extern KeyLatches keyLatches;

// Set by a press of F12; the main loop writes the finished frame to a file and clears it.
extern bool screenshotRequested;

// The two settings that map straight onto GL state. The default applies them to the current
// context; tests hand in recorders so that key handling runs without one.
struct KeyGlEffects {
    void (*polygonMode)(bool wireframe);
    void (*blending)(bool enabled);
};

extern const KeyGlEffects glKeyEffects;

// The keys that act while held (steering, jump, reset, Escape): down now, or tapped since the last
// frame asked, so that a tap shorter than a frame still acts for one frame.
bool keyDownOrTapped(int key);

// Polls the keys once; true while the main loop is to go on, false once Escape is down or the
// window has been closed.
bool handleKeys();
bool handleKeys(const KeyGlEffects& effects);

}  // namespace vantor

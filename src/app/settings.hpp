// The render settings the function keys switch at run time, and the pause switch.
// One shared instance; the key handling writes it, the main loop and the render passes read it.
#pragma once

namespace vantor {

struct Settings {
    bool showHelp = false;         // F1
    bool showFps = false;          // F2
    bool wireframe = false;        // F3
    bool textureBilinear = true;   // F4
    bool mipmapBilinear = true;    // F5
    bool shadowMapping = true;     // F6
    int bloomBlendMode = 1;        // F7, cycles 0..3
    bool frustumCulling = true;    // F8
    bool transparency = true;      // F9
    int lensFlareMode = 2;         // F10, cycles 0..2
    bool paused = false;           // P
};

extern Settings settings;

}  // namespace vantor

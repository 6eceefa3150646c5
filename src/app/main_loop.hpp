// Start-up of the window and GL state, and the main loop: keys, update, frame, overlay lines,
// swap and one GL error report per frame.
#pragma once

#include <string>
#include <vector>

#include "app/settings.hpp"

namespace vantor {

// Brings up the window, the context and the fixed GL state, then assembles the scene. Either
// completes or ends the process with status -1 after printing why.
void initialize();
// The start-up steps once a window's context is current: title, cursor, fixed GL state, scene
// assembly, pointer centring and render targets.
void prepareGame();

// Runs frames until Escape or a closed window, releases the scene and the window; returns 0. In
// the browser the page's frame callback runs the frames, and this returns at once.
int runMainLoop();

// One loop iteration; previousTime is the time of the last unpaused frame. False once the loop
// is to end (the frame has been drawn and swapped all the same).
bool runFrame(double& previousTime);

// Draws the frame's overlay lines (frame rate, help, win message) over whatever is bound.
void drawOverlay();

// Prints "gl error detected: <code>" for one pending GL error, if any.
void reportGlError();

// One overlay line in text overlay units.
struct OverlayLine {
    std::string text;
    int x;
    int y;
    int size;
};

std::string fpsLineText(double fps);
std::vector<OverlayLine> helpLines(const Settings& shown);
// Every line of one frame's overlay in drawing order: frame rate, help, win message.
std::vector<OverlayLine> overlayLines(const Settings& shown, double fps, bool won);

}  // namespace vantor

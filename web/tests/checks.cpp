// The browser checks' program: the game's own start-up on the page's canvas, then, with scripted
// input and time, one view that the browser test compares with its references, named by the
// page's argument:
//   start  the figure settled on the first cloud, as the desktop's reference views settle it;
//   route  the autopilot's way across the course to the goal, and the win drawn with its overlay.
// It prints one line saying what it drew, which the test waits for.
#include <iostream>
#include <string>

#include "app/game_state.hpp"
#include "app/main_loop.hpp"
#include "app/world_update.hpp"
#include "gl/support/autopilot.hpp"
#include "platform/platform.hpp"
#include "platform/scripted_input.hpp"
#include "render/frame.hpp"

namespace {

using namespace vantor;

constexpr double settleStep = 1.0 / 30.0;
constexpr int settleSteps = 90;
constexpr double routeStep = 1.0 / 64.0;

platform::ScriptedInput input;
std::string view;

void drawStartView() {
    for (int i = 0; i < settleSteps; ++i) {
        updateWorld(settleStep);
    }
    updateWorld(0.0);
    renderFrame();
    std::cout << "checks: start view drawn" << std::endl;
}

void drawRoute() {
    test::Autopilot autopilot(input, routeStep);
    const std::string failure = autopilot.crossCourse();
    renderFrame();
    drawOverlay();
    if (!failure.empty()) {
        std::cout << "checks: the route failed: " << failure << std::endl;
    } else {
        std::cout << "checks: the route reached the goal after " << autopilot.playedSeconds()
                  << " s of play"
                  << (gameWon ? ", and the game is won" : ", but the game is not won") << std::endl;
    }
}

// The view is drawn in the page's first frame, which also ends the loop: the canvas keeps it.
bool frame() {
    if (view == "route") {
        drawRoute();
    } else {
        drawStartView();
    }
    return false;
}

void finish() {}

}  // namespace

int main(int argc, char** argv) {
    view = argc > 1 ? argv[1] : "start";
    // Installed first, so that start-up centres the scripted pointer that steering reads.
    platform::useScriptedInput(&input);
    initialize();
    platform::runFrames(frame, finish);
    return 0;
}

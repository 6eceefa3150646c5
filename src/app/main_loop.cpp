// Start-up in its fixed order and the main loop. Fatal start-up errors print one line and end
// the process; everything after start-up goes on, reporting GL errors one per frame.
#include "app/main_loop.hpp"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "app/game_state.hpp"
#include "app/keys.hpp"
#include "app/scene_assembly.hpp"
#include "app/screenshot.hpp"
#include "app/world_update.hpp"
#include "platform/fatal_exit.hpp"
#include "platform/platform.hpp"
#include "render/frame.hpp"
#include "render/kept_frame.hpp"
#include "render/pass_timer.hpp"
#include "render/render_targets.hpp"
#include "render/text_overlay.hpp"

namespace vantor {

namespace {

constexpr int contextMajor = 3;
constexpr int contextMinor = 3;
constexpr int windowWidth = 1600;
constexpr int windowHeight = 900;
constexpr int colourBits = 8;
constexpr int depthBits = 32;
constexpr int stencilBits = 8;

// A zero step (two frames at the same clock tick) makes an infinite rate; the line stays
// readable and bounded whatever the update left behind.
constexpr double maxShownFps = 99999.0;

constexpr int fpsSize = 20;
constexpr int helpX = 0;
constexpr int helpTop = 585;
constexpr int helpSpacing = 15;
constexpr int helpSize = 15;
constexpr int winX = 130;
constexpr int winY = 350;
constexpr int winSize = 50;

[[noreturn]] void fatal(const char* message) {
    std::cout << message << std::endl;
    platform::pauseAndExit();
}

void openWindowAndContext() {
    if (!platform::init()) {
        fatal("failed to init glfw");
    }
    platform::openWindowHint(platform::OPENGL_VERSION_MAJOR, contextMajor);
    platform::openWindowHint(platform::OPENGL_VERSION_MINOR, contextMinor);
    platform::openWindowHint(platform::OPENGL_PROFILE, platform::OPENGL_CORE_PROFILE);
    if (!platform::openWindow(windowWidth, windowHeight, colourBits, colourBits, colourBits,
                              colourBits, depthBits, stencilBits, platform::FULLSCREEN)) {
        platform::terminate();
        fatal("failed to open window");
    }
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        fatal("failed to init glew");
    }
    // The extension loader may leave an error behind; the first frame must not report it.
    glGetError();
}

// The sky blue behind everything the scene does not cover.
constexpr GLfloat clearColour[4] = {0.14f, 0.25f, 0.43f, 0.0f};

void setFixedGlState() {
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
}

const char* onOff(bool value) {
    return value ? "on" : "off";
}
const char* filterName(bool bilinear) {
    return bilinear ? "bilinear" : "nearest";
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, args...);
    return buffer;
}

// The time of the last unpaused frame of the game's loop.
double previousFrameTime = 0.0;

bool nextFrame() {
    return runFrame(previousFrameTime);
}

void endGame() {
    cleanUp();
    releaseKeptFrame();
    platform::terminate();
}

}  // namespace

void drawOverlay() {
    TimedPass pass("overlay");
    // The overlay lies over the picture's 16:9 area, whatever the window's shape.
    const Viewport area = screenViewport();
    glViewport(area.x, area.y, area.width, area.height);
    for (const OverlayLine& line : overlayLines(settings, fps, gameWon)) {
        printText(line.text.c_str(), line.x, line.y, line.size);
    }
}

void initialize() {
    openWindowAndContext();
    prepareGame();
}

void prepareGame() {
    platform::setWindowTitle("Vantor");
    platform::disable(platform::MOUSE_CURSOR);
    setFixedGlState();
    assembleScene();
    // The centre of the window full screen really gave, which steering measures from.
    platform::centreMousePos();
    createRenderTargets();
}

int runMainLoop() {
    previousFrameTime = platform::getTime();
    platform::runFrames(nextFrame, endGame);
    return 0;
}

bool runFrame(double& previousTime) {
    const bool wasPaused = settings.paused;
    const bool keepRunning = handleKeys();
    // While paused the clock is not advanced: the first step afterwards spans the whole pause,
    // and the update clamps it. Paused frames show the last finished frame under the overlay.
    if (!settings.paused) {
        const double now = platform::getTime();
        const double dt = now - previousTime;
        previousTime = now;
        updateWorld(dt);
        renderFrame();
    } else if (!wasPaused) {
        // The pause begins: the world has not moved since the last frame, so drawing it again
        // gives that frame's picture. Keeping a copy only here spares every running frame a
        // full-screen copy.
        renderFrame();
        keepFinishedFrame();
    } else {
        restoreFinishedFrame();
    }
    drawOverlay();
    if (screenshotRequested) {
        screenshotRequested = false;
        takeScreenshot();
    }
    platform::swapBuffers();
    reportGlError();
    return keepRunning;
}

void reportGlError() {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::cout << "gl error detected: " << static_cast<unsigned>(error) << std::endl;
    }
}

std::string fpsLineText(double fps) {
    const double shown = std::isnan(fps) || fps < 0.0 ? 0.0 : std::min(fps, maxShownFps);
    return format("%.0f FPS", shown);
}

std::vector<OverlayLine> helpLines(const Settings& shown) {
    const std::string texts[] = {
        "Movement: WASD",
        format("Pause (P): %s", onOff(shown.paused)),
        "Show FPS (F2)",
        format("Wireframe (F3): %s", onOff(shown.wireframe)),
        format("Texturesampling (F4): %s", filterName(shown.textureBilinear)),
        format("Mipmapsampling (F5): %s", filterName(shown.mipmapBilinear)),
        format("Shadowmapping (F6): %s", onOff(shown.shadowMapping)),
        format("Bloom Blendmode (F7): %i", shown.bloomBlendMode),
        format("Frustum Culling (F8): %s", onOff(shown.frustumCulling)),
        format("Transparency (F9): %s", onOff(shown.transparency)),
        format("Lens Flares (F10): %i", shown.lensFlareMode),
    };
    std::vector<OverlayLine> lines;
    int y = helpTop;
    for (const std::string& text : texts) {
        lines.push_back({text, helpX, y, helpSize});
        y -= helpSpacing;
    }
    return lines;
}

std::vector<OverlayLine> overlayLines(const Settings& shown, double fps, bool won) {
    std::vector<OverlayLine> lines;
    if (shown.showFps) {
        lines.push_back({fpsLineText(fps), 0, 0, fpsSize});
    }
    if (shown.showHelp) {
        for (OverlayLine& line : helpLines(shown)) {
            lines.push_back(std::move(line));
        }
    }
    if (won) {
        lines.push_back({"Yay You Won!", winX, winY, winSize});
    }
    return lines;
}

}  // namespace vantor

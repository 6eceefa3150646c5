// The desktop back end of the platform calls: one window library (GLFW 3) window with its context.
// Input and time go through a scripted stand-in instead while a test has installed one.
#include "platform/platform.hpp"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <iostream>

#include "platform/key_presses.hpp"
#include "platform/scripted_input.hpp"

namespace vantor::platform {

// Key codes go to the window library unchanged: ours must be its own.
static_assert(KEY_SPACE == GLFW_KEY_SPACE && KEY_ESC == GLFW_KEY_ESCAPE && KEY_F1 == GLFW_KEY_F1 &&
                  KEY_F12 == GLFW_KEY_F12 && PRESS == GLFW_PRESS && RELEASE == GLFW_RELEASE,
              "the game's key codes must be the window library's");

namespace {

GLFWwindow* window = nullptr;
ScriptedInput* script = nullptr;
double wheelPosition = 0.0;  // fractional steps of smooth scrolling add up
KeyPresses keyPresses;

struct FramebufferHints {
    int major = 1;
    int minor = 0;
    bool core = false;
};
FramebufferHints hints;

struct Size {
    int width = 0;
    int height = 0;
};
// As the window system last reported them: asking it costs a round trip, and the frame needs them
// several times.
Size windowSize;
Size framebufferSize;

// Callbacks only record state; the game reads it once per frame.
void onScroll(GLFWwindow*, double, double yOffset) {
    wheelPosition += yOffset;
}
void onKey(GLFWwindow*, int key, int, int action, int) {
    // A key held down repeats as GLFW_REPEAT: only the first press counts.
    if (action == GLFW_PRESS) {
        keyPresses.record(key);
    }
}
void onWindowSize(GLFWwindow*, int width, int height) {
    windowSize = {width, height};
}
void onFramebufferSize(GLFWwindow*, int width, int height) {
    framebufferSize = {width, height};
}

void applyContextHints() {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, hints.major);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, hints.minor);
    glfwWindowHint(GLFW_OPENGL_PROFILE,
                   hints.core ? GLFW_OPENGL_CORE_PROFILE : GLFW_OPENGL_ANY_PROFILE);
}

void attachWindow(GLFWwindow* created) {
    window = created;
    wheelPosition = 0.0;
    keyPresses = KeyPresses{};
    glfwMakeContextCurrent(window);
    glfwSetScrollCallback(window, onScroll);
    glfwSetKeyCallback(window, onKey);
    glfwGetWindowSize(window, &windowSize.width, &windowSize.height);
    glfwGetFramebufferSize(window, &framebufferSize.width, &framebufferSize.height);
    glfwSetWindowSizeCallback(window, onWindowSize);
    glfwSetFramebufferSizeCallback(window, onFramebufferSize);
}

}  // namespace

void useScriptedInput(ScriptedInput* installed) {
    script = installed;
}
ScriptedInput* scriptedInput() {
    return script;
}

bool init() {
    return glfwInit() == GLFW_TRUE;
}

void openWindowHint(int target, int hint) {
    switch (target) {
        case OPENGL_VERSION_MAJOR:
            hints.major = hint;
            break;
        case OPENGL_VERSION_MINOR:
            hints.minor = hint;
            break;
        case OPENGL_PROFILE:
            hints.core = hint == OPENGL_CORE_PROFILE;
            break;
        default:
            break;
    }
}

bool openWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode) {
    applyContextHints();
    glfwWindowHint(GLFW_RED_BITS, redBits);
    glfwWindowHint(GLFW_GREEN_BITS, greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, alphaBits);
    // A soft request: the closest format wins, so a driver offering 24 depth bits still opens.
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    GLFWwindow* created = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (created == nullptr) {
        return false;
    }
    attachWindow(created);
    return true;
}

void setWindowTitle(const char* title) {
    if (window != nullptr) {
        glfwSetWindowTitle(window, title);
    }
}

void enable(int feature) {
    if (feature != MOUSE_CURSOR) {
        return;
    }
    if (script != nullptr) {
        script->cursorShown = true;
    } else if (window != nullptr) {
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
    }
}

void disable(int feature) {
    if (feature != MOUSE_CURSOR) {
        return;
    }
    if (script != nullptr) {
        script->cursorShown = false;
    } else if (window != nullptr) {
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    }
}

int getWindowParam(int param) {
    if (param != OPENED) {
        return 0;
    }
    if (script != nullptr) {
        return script->windowOpen ? 1 : 0;
    }
    return window != nullptr && !glfwWindowShouldClose(window) ? 1 : 0;
}

void getWindowSize(int* width, int* height) {
    const Size size = window != nullptr ? windowSize : Size{};
    *width = size.width;
    *height = size.height;
}

void getFramebufferSize(int* width, int* height) {
    const Size size = window != nullptr ? framebufferSize : Size{};
    *width = size.width;
    *height = size.height;
}

void centreMousePos() {
    int width = 0;
    int height = 0;
    getWindowSize(&width, &height);
    setMousePos(width / 2, height / 2);
}

int getKey(int key) {
    if (script != nullptr) {
        return key >= 0 && key < ScriptedInput::keyCount ? script->keys[key] : RELEASE;
    }
    if (window == nullptr) {
        return RELEASE;
    }
    return glfwGetKey(window, key) == GLFW_PRESS ? PRESS : RELEASE;
}

bool takeKeyPress(int key) {
    return script != nullptr ? script->presses.take(key) : keyPresses.take(key);
}

void getMousePos(int* x, int* y) {
    if (script != nullptr) {
        *x = script->mouseX;
        *y = script->mouseY;
        return;
    }
    double cursorX = 0.0;
    double cursorY = 0.0;
    if (window != nullptr) {
        glfwGetCursorPos(window, &cursorX, &cursorY);
    }
    *x = static_cast<int>(cursorX);
    *y = static_cast<int>(cursorY);
}

void setMousePos(int x, int y) {
    if (script != nullptr) {
        script->mouseX = x;
        script->mouseY = y;
    } else if (window != nullptr) {
        glfwSetCursorPos(window, x, y);
    }
}

int getMouseWheel() {
    return script != nullptr ? script->wheel : static_cast<int>(wheelPosition);
}

double getTime() {
    return script != nullptr ? script->time : glfwGetTime();
}

void swapBuffers() {
    if (window != nullptr) {
        glfwSwapBuffers(window);
    }
    glfwPollEvents();
}

void terminate() {
    glfwTerminate();
    window = nullptr;
}

void runFrames(bool (*frame)(), void (*finish)()) {
    while (frame()) {
    }
    finish();
}

void offerFile(const char*) {}

bool openHiddenContext(int width, int height) {
    if (!init()) {
        std::cout << "hidden context: failed to init glfw (is there a display?)" << std::endl;
        return false;
    }
    hints = FramebufferHints{3, 3, true};
    glfwDefaultWindowHints();
    applyContextHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    GLFWwindow* created = glfwCreateWindow(width, height, "Vantor test", nullptr, nullptr);
    if (created == nullptr) {
        std::cout << "hidden context: failed to open a 3.3 core window" << std::endl;
        glfwTerminate();
        return false;
    }
    attachWindow(created);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::cout << "hidden context: failed to init glew" << std::endl;
        closeHiddenContext();
        return false;
    }
    // The extension loader can leave an error pending; tests start from a clean slate.
    glGetError();
    return true;
}

void closeHiddenContext() {
    if (window != nullptr) {
        glfwDestroyWindow(window);
    }
    terminate();
}

}  // namespace vantor::platform

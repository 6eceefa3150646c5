// The browser back end of the platform calls: the browser's window library (GLFW 3 as the compiler
// ships it) on the page's canvas with a WebGL 2 context, the pointer captured by a click, Escape
// turned into the pause (a page is not ended by a key), and the frames run by the browser's frame
// callback. Input and time go through a scripted stand-in instead while one is installed.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <iostream>

#include "platform/key_presses.hpp"
#include "platform/platform.hpp"
#include "platform/scripted_input.hpp"

namespace vantor::platform {

static_assert(KEY_SPACE == GLFW_KEY_SPACE && KEY_ESC == GLFW_KEY_ESCAPE && KEY_F1 == GLFW_KEY_F1 &&
                  KEY_F12 == GLFW_KEY_F12 && PRESS == GLFW_PRESS && RELEASE == GLFW_RELEASE,
              "the game's key codes must be the window library's");

namespace {

constexpr const char* canvas = "#canvas";
constexpr int pauseKey = 'P';
// The browser's key codes of the function keys, F1 to F12.
constexpr unsigned long domF1 = 112;
constexpr unsigned long domF12 = 123;
constexpr unsigned long domEscape = 27;

GLFWwindow* window = nullptr;
ScriptedInput* script = nullptr;
double wheelPosition = 0.0;  // fractional steps of smooth scrolling add up
KeyPresses keyPresses;

// The pointer as steering measures it: where setMousePos put it, moved by the mouse only while the
// canvas holds it captured, so that a mouse passing over the page before the first click or
// during a pause turns nothing.
double pointerX = 0.0;
double pointerY = 0.0;
bool pointerCaptured = false;
// What the game asked for last: the pointer shown (a pause) or hidden and captured (play).
bool pointerShown = true;

// The pause key pressed on the player's behalf, read by the next frame like any press: Escape or
// a capture the browser ended pauses a running game, a click into a paused one resumes it.
void pressPause() {
    keyPresses.record(pauseKey);
}

// Frames and the end of the loop, for the browser's frame callback.
bool (*frameFunction)() = nullptr;
void (*finishFunction)() = nullptr;

void onScroll(GLFWwindow*, double, double yOffset) {
    wheelPosition += yOffset;
}

// A key held down repeats as GLFW_REPEAT: only the first press counts. Escape pauses instead
// (onKey): a page ends with its tab.
void onGlfwKey(GLFWwindow*, int key, int, int action, int) {
    if (action == GLFW_PRESS && key != KEY_ESC) {
        keyPresses.record(key);
    }
}

// Every key of a game that has the page's focus is the game's; only combinations with Control,
// Alt or Meta (the browser's own shortcuts) get through, and function keys never do.
EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    const bool functionKey = event->keyCode >= domF1 && event->keyCode <= domF12;
    if (eventType == EMSCRIPTEN_EVENT_KEYDOWN && event->keyCode == domEscape && !pointerShown) {
        pressPause();
    }
    return functionKey || !(event->ctrlKey || event->altKey || event->metaKey);
}

// The capture holds from the moment the browser grants it; its change event can come a frame
// later, and a move in between would turn nothing.
bool pointerHeld() {
    EmscriptenPointerlockChangeEvent status;
    return emscripten_get_pointerlock_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
           status.isActive;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    if (pointerHeld()) {
        pointerX += event->movementX;
        pointerY += event->movementY;
    }
    return EM_FALSE;
}

EM_BOOL onPointerLockChange(int, const EmscriptenPointerlockChangeEvent* event, void*) {
    const bool released = pointerCaptured && !event->isActive;
    pointerCaptured = event->isActive;
    if (released && !pointerShown) {
        pressPause();
    }
    return EM_FALSE;
}

}  // namespace

// Asks for the capture, which the browser grants within a click or a key press; a refusal (no
// recent press, or a page without focus) only means the next click asks again.
// clang-format off
EM_JS(void, requestPointerCapture, (), {
    var target = Module['canvas'];
    if (document.pointerLockElement === target || !target.requestPointerLock) {
        return;
    }
    var request = target.requestPointerLock();
    if (request && request.catch) {
        request.catch(function() {});
    }
});
// clang-format on

// clang-format off
EM_JS(void, releasePointerCapture, (), {
    if (document.pointerLockElement) {
        document.exitPointerLock();
    }
});
// clang-format on

// A file of the in-memory file system handed to the player as a download under its own name.
// clang-format off
EM_JS(void, downloadFile, (const char* pathText), {
    var path = UTF8ToString(pathText);
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([FS.readFile(path)]));
    link.download = path.split('/').pop();
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
});
// clang-format on

namespace {

// A click captures the pointer (the browser grants that within the click) and goes on from a
// pause.
EM_BOOL onClick(int, const EmscriptenMouseEvent*, void*) {
    if (pointerShown) {
        pressPause();
    }
    requestPointerCapture();
    return EM_FALSE;
}

void listenToPage() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_mousemove_callback(canvas, nullptr, EM_TRUE, onMouseMove);
    emscripten_set_click_callback(canvas, nullptr, EM_TRUE, onClick);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE,
                                              onPointerLockChange);
}

// The browser shows the drawing buffer after each frame and clears it at the next frame's first
// draw; a copy into it (a paused frame's kept picture) does not count as one, so the overlay drawn
// after the copy would clear the copy away. Each frame therefore starts with that clear itself.
void runOneFrame() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!frameFunction()) {
        emscripten_cancel_main_loop();
        finishFunction();
    }
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

// The context is WebGL 2 whatever is asked for.
void openWindowHint(int, int) {}

// The page is the full screen: the canvas keeps the size asked for and the page scales it to the
// window's 16:9 area, so a full-screen request (which needs a click) is never made. The canvas
// is opaque, so that the picture is what shows, not the page behind it.
bool openWindow(int width, int height, int, int, int, int, int depthBits, int stencilBits, int) {
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    glfwWindowHint(GLFW_SAMPLES, 0);
    window = glfwCreateWindow(width, height, "", nullptr, nullptr);
    if (window == nullptr) {
        return false;
    }
    glfwMakeContextCurrent(window);
    glfwSetScrollCallback(window, onScroll);
    glfwSetKeyCallback(window, onGlfwKey);
    wheelPosition = 0.0;
    keyPresses = KeyPresses{};
    listenToPage();
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
        return;
    }
    pointerShown = true;
    releasePointerCapture();
}

void disable(int feature) {
    if (feature != MOUSE_CURSOR) {
        return;
    }
    if (script != nullptr) {
        script->cursorShown = false;
        return;
    }
    pointerShown = false;
    requestPointerCapture();
}

int getWindowParam(int param) {
    if (param != OPENED) {
        return 0;
    }
    if (script != nullptr) {
        return script->windowOpen ? 1 : 0;
    }
    return window != nullptr ? 1 : 0;
}

void getWindowSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (window != nullptr) {
        glfwGetWindowSize(window, width, height);
    }
}

void getFramebufferSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (window != nullptr) {
        glfwGetFramebufferSize(window, width, height);
    }
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
    // Escape pauses instead (onKey): a page ends with its tab.
    if (window == nullptr || key == KEY_ESC) {
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
    *x = static_cast<int>(pointerX);
    *y = static_cast<int>(pointerY);
}

void setMousePos(int x, int y) {
    if (script != nullptr) {
        script->mouseX = x;
        script->mouseY = y;
        return;
    }
    pointerX = x;
    pointerY = y;
}

int getMouseWheel() {
    return script != nullptr ? script->wheel : static_cast<int>(wheelPosition);
}

double getTime() {
    return script != nullptr ? script->time : glfwGetTime();
}

// The browser shows the frame once the frame callback returns; events arrive between frames.
void swapBuffers() {}

void terminate() {
    glfwTerminate();
    window = nullptr;
}

void runFrames(bool (*frame)(), void (*finish)()) {
    frameFunction = frame;
    finishFunction = finish;
    emscripten_set_main_loop(runOneFrame, 0, EM_FALSE);
}

void offerFile(const char* path) {
    downloadFile(path);
}

bool openHiddenContext(int, int) {
    std::cout << "hidden context: a page has no hidden windows" << std::endl;
    return false;
}

void closeHiddenContext() {}

}  // namespace vantor::platform

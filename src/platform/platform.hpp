// The game's window, input and time, one function per call of the classic windowing interface the
// game is written against, and the loop that runs its frames. Behind them sits a back end: the
// desktop's window library (platform.cpp), the browser's (browser_platform.cpp), or for input and
// time a scripted one that tests drive. No other folder talks to the window library directly.
#pragma once

namespace vantor::platform {

// Key codes: letters are their upper-case character codes; the rest follow the window library.
constexpr int KEY_SPACE = 32;
constexpr int KEY_ESC = 256;
constexpr int KEY_F1 = 290;  // F2..F12 follow consecutively
constexpr int KEY_F12 = KEY_F1 + 11;
constexpr int PRESS = 1;
constexpr int RELEASE = 0;

// Window hint targets and values for openWindowHint.
constexpr int OPENGL_VERSION_MAJOR = 1;
constexpr int OPENGL_VERSION_MINOR = 2;
constexpr int OPENGL_PROFILE = 3;
constexpr int OPENGL_CORE_PROFILE = 1;

// Window modes for openWindow, and parameters for enable/disable and getWindowParam.
constexpr int WINDOW = 0;
constexpr int FULLSCREEN = 1;
constexpr int MOUSE_CURSOR = 1;
constexpr int OPENED = 1;

bool init();
void openWindowHint(int target, int hint);
bool openWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode);
void setWindowTitle(const char* title);
void enable(int feature);
void disable(int feature);
int getWindowParam(int param);
// The window's size as the window system last reported it (a change arrives with the events that
// swapBuffers polls); 0 x 0 without a window.
void getWindowSize(int* width, int* height);
// The window's drawable size in pixels, reported the same way: what full screen really gave, which
// need not be the size asked for (a screen that does not switch modes keeps its own), and on some
// screens not the window size either. 0 x 0 without a window.
void getFramebufferSize(int* width, int* height);
// Puts the pointer at the centre of the window as it is now, where steering measures from.
void centreMousePos();
int getKey(int key);
// Whether the key went down since it was last asked for here, as the window system reported it: a
// tap that came and went between two frames, which getKey never sees, still counts once.
bool takeKeyPress(int key);
void getMousePos(int* x, int* y);
void setMousePos(int x, int y);
int getMouseWheel();
double getTime();
void swapBuffers();
void terminate();

// Runs frame() once per displayed frame until it returns false, then finish(). The desktop loops
// here; the browser hands each frame to its frame callback and returns at once, the page going on.
void runFrames(bool (*frame)(), void (*finish)());
// Hands a file the game has written to the player: on the desktop it is already in the working
// directory; the browser offers it as a download.
void offerFile(const char* path);

// For tests: an invisible 3.3 core window whose context is current, with the GL entry points
// loaded. Returns false (after printing why) when no context can be made, e.g. without a display.
bool openHiddenContext(int width, int height);
void closeHiddenContext();

}  // namespace vantor::platform

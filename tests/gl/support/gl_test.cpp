// The process-wide hidden context behind GlTest. It stays open until the process exits, so
// that GL objects made by one suite never outlive the context they belong to.
#include "gl/support/gl_test.hpp"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>

#include "platform/platform.hpp"

namespace vantor::test {
namespace {

// A loaded X server now and then refuses a connection: that failure alone, named by the window
// library, is tried again. Any other ends the process here, since a fixture's set-up or tear-down
// would otherwise call GL through null entry points.
void openContext() {
    for (int attempt = 1;; ++attempt) {
        if (platform::openHiddenContext(contextWidth, contextHeight)) {
            return;
        }
        const char* description = nullptr;
        glfwGetError(&description);
        const bool refused =
            description != nullptr && std::strstr(description, "Failed to open display") != nullptr;
        if (!refused || attempt == 3) {
            std::cerr << "no GL context (" << (description ? description : "no reason given")
                      << "): run GL tests under xvfb-run" << std::endl;
            std::exit(1);
        }
        std::cerr << "the X server refused a connection; trying again" << std::endl;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
}

}  // namespace

void ensureGlContext() {
    static std::once_flag opened;
    std::call_once(opened, openContext);
}

void GlTest::SetUpTestSuite() {
    ensureGlContext();
}

void GlTest::SetUp() {
    ensureGlContext();
    // A previous test may have left an error pending; it must not be blamed on this one.
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace vantor::test

// The process-wide hidden context behind GlTest. It stays open until the process exits, so
// that GL objects made by one suite never outlive the context they belong to.
#include "gl/support/gl_test.hpp"

#include "platform/platform.hpp"

namespace vantor::test {

bool ensureGlContext() {
    static const bool open = platform::openHiddenContext(contextWidth, contextHeight);
    return open;
}

void GlTest::SetUpTestSuite() {
    ensureGlContext();
}

void GlTest::SetUp() {
    ASSERT_TRUE(ensureGlContext()) << "no GL context: run GL tests under xvfb-run";
    // A previous test may have left an error pending; it must not be blamed on this one.
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace vantor::test

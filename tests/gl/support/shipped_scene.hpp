// The shipped game built from data/ on the test process's hidden context by the start-up's own
// steps, with scripted input installed, once per suite; released with cleanUp after the suite.
#pragma once

#include <string>

#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"

namespace vantor::test {

class ShippedSceneTest : public GlTest {
  protected:
    // Builds the scene in data/, then lets the world run `settleSteps` updates of `step` seconds
    // (so the figure can land). A suite whose scene could not be built fails each of its tests.
    static void buildShippedScene(int settleSteps, double step);
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static platform::ScriptedInput& input();

  private:
    static bool ready;
    static std::string previousDirectory;
};

}  // namespace vantor::test

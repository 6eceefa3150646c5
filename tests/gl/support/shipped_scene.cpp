// Builds and releases the shipped scene for the suites that draw or time real frames.
#include "gl/support/shipped_scene.hpp"

#include <unistd.h>

#include <climits>

#include "app/main_loop.hpp"
#include "app/scene_assembly.hpp"
#include "app/settings.hpp"
#include "app/world_update.hpp"

namespace vantor::test {

bool ShippedSceneTest::ready = false;
std::string ShippedSceneTest::previousDirectory;

platform::ScriptedInput& ShippedSceneTest::input() {
    static platform::ScriptedInput script;
    return script;
}

void ShippedSceneTest::buildShippedScene(int settleSteps, double step) {
    if (!ensureGlContext()) {
        return;
    }
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) != nullptr) {
        previousDirectory = buffer;
    }
    if (chdir(VANTOR_DATA_DIR) != 0) {
        return;
    }
    platform::useScriptedInput(&input());
    ::testing::internal::CaptureStdout();  // the start-up's loading lines
    prepareGame();
    ::testing::internal::GetCapturedStdout();
    for (int i = 0; i < settleSteps; ++i) {
        updateWorld(step);
    }
    ready = true;
}

void ShippedSceneTest::TearDownTestSuite() {
    if (ready) {
        cleanUp();
        ready = false;
    }
    platform::useScriptedInput(nullptr);
    if (!previousDirectory.empty()) {
        [[maybe_unused]] const int ignored = chdir(previousDirectory.c_str());
    }
}

void ShippedSceneTest::SetUp() {
    GlTest::SetUp();
    ASSERT_TRUE(ready) << "the scene could not be built from " << VANTOR_DATA_DIR;
    settings = Settings{};
}

void ShippedSceneTest::TearDown() {
    settings = Settings{};
}

}  // namespace vantor::test

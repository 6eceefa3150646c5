// Builds and releases the shipped scene for the suites that draw or time real frames.
#include "gl/support/shipped_scene.hpp"

#include <filesystem>

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
    ensureGlContext();
    std::error_code failed;
    previousDirectory = std::filesystem::current_path().string();
    std::filesystem::current_path(VANTOR_DATA_DIR, failed);
    if (failed) {
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
    cleanUp();
    ready = false;
    platform::useScriptedInput(nullptr);
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory, ignored);
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

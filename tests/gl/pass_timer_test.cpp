// The frame's pass hook: with a timer installed every pass the settings switch on is bracketed
// once, in frame order, begin before end, and nothing else; with none installed nothing is called.
#include "render/pass_timer.hpp"

#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "app/scene_assembly.hpp"
#include "app/settings.hpp"
#include "app/world_update.hpp"
#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"
#include "render/frame.hpp"
#include "render/render_targets.hpp"

namespace vantor::test {
namespace {

using Names = std::vector<std::string>;

class RecordingTimer : public PassTimer {
  public:
    void begin(const char* pass) override {
        if (!open.empty()) {
            nested = true;
        }
        open = pass;
    }
    void end(const char* pass) override {
        if (open != pass) {
            unmatched = true;
        }
        open.clear();
        passes.push_back(pass);
    }

    Names passes;
    std::string open;
    bool nested = false;
    bool unmatched = false;
};

class PassTimerTest : public GlTest {
  protected:
    static void SetUpTestSuite() {
        if (!ensureGlContext()) {
            return;
        }
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer) != nullptr) {
            previous() = buffer;
        }
        if (chdir(VANTOR_DATA_DIR) != 0) {
            return;
        }
        platform::useScriptedInput(&input());
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_CULL_FACE);
        assembleScene();
        createRenderTargets();
        updateWorld(1.0 / 60.0);
        ready() = true;
    }
    static void TearDownTestSuite() {
        if (ready()) {
            cleanUp();
            ready() = false;
        }
        platform::useScriptedInput(nullptr);
        if (!previous().empty()) {
            [[maybe_unused]] const int ignored = chdir(previous().c_str());
        }
    }
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(ready()) << "no scene from " << VANTOR_DATA_DIR;
        settings = Settings{};
    }
    void TearDown() override {
        passTimer = nullptr;
        settings = Settings{};
    }

    Names framePasses() {
        RecordingTimer timer;
        passTimer = &timer;
        renderFrame();
        passTimer = nullptr;
        EXPECT_FALSE(timer.nested) << "a pass began inside another";
        EXPECT_FALSE(timer.unmatched) << "a pass ended under another name";
        EXPECT_TRUE(timer.open.empty()) << "a pass never ended: " << timer.open;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return timer.passes;
    }

    static platform::ScriptedInput& input() {
        static platform::ScriptedInput script;
        return script;
    }
    static bool& ready() {
        static bool value = false;
        return value;
    }
    static std::string& previous() {
        static std::string path;
        return path;
    }
};

TEST_F(PassTimerTest, DefaultFrameBracketsEveryPassInOrder) {
    EXPECT_EQ(framePasses(),
              (Names{"shadow map", "shadow blur", "scene", "bloom bright", "bloom blur",
                     "composition", "lens bright", "lens blur", "lens features", "lens combine"}));
}

TEST_F(PassTimerTest, SwitchedOffPassesAreNotReported) {
    settings.shadowMapping = false;
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = 1;
    EXPECT_EQ(framePasses(), (Names{"scene", "sprite flares", "composition"}));
    settings.lensFlareMode = 0;
    EXPECT_EQ(framePasses(), (Names{"scene", "composition"}));
}

class CountingTimer : public PassTimer {
  public:
    void begin(const char*) override { ++calls; }
    void end(const char*) override { ++calls; }
    int calls = 0;
};

TEST_F(PassTimerTest, NothingIsCalledOnceTheTimerIsRemoved) {
    CountingTimer timer;
    passTimer = &timer;
    renderFrame();
    const int withTimer = timer.calls;
    passTimer = nullptr;
    renderFrame();
    EXPECT_GT(withTimer, 0);
    EXPECT_EQ(timer.calls, withTimer);
}

}  // namespace
}  // namespace vantor::test

// The frame's pass hook: with a timer installed every pass the settings switch on is bracketed
// once, in frame order, begin before end, and nothing else; with none installed nothing is called.
#include "render/pass_timer.hpp"

#include <string>
#include <vector>

#include "app/settings.hpp"
#include "gl/support/shipped_scene.hpp"
#include "render/frame.hpp"

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

class PassTimerTest : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() { buildShippedScene(1, 1.0 / 60.0); }
    void TearDown() override {
        passTimer = nullptr;
        ShippedSceneTest::TearDown();
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

// The frame's pass hook: with a timer installed every pass the settings switch on is bracketed
// once, in frame order, begin before end, and nothing else, and reports inside its bracket each
// target it drew into; with none installed nothing is called.
#include "render/pass_timer.hpp"

#include <string>
#include <utility>
#include <vector>

#include "app/settings.hpp"
#include "gl/support/shipped_scene.hpp"
#include "render/frame.hpp"
#include "render/render_targets.hpp"

namespace vantor::test {
namespace {

using Names = std::vector<std::string>;

std::string targetName(const RenderTarget& target) {
    const RenderTargets& t = renderTargets;
    const std::pair<const RenderTarget*, const char*> roles[] = {
        {&t.shadow, "shadow"},    {&t.shadowBlur, "shadowBlur"}, {&t.scene, "scene"},
        {&t.bright, "bright"},    {&t.brightBlur, "brightBlur"}, {&t.compose, "compose"},
        {&screenTarget, "screen"}};
    for (const auto& [role, name] : roles) {
        if (role->framebuffer == target.framebuffer) {
            return name;
        }
    }
    return "unknown";
}

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
    void drawn(const RenderTarget& target) override {
        outputs.push_back((open.empty() ? "outside" : open) + " > " + targetName(target));
    }

    Names passes;
    Names outputs;
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

    // The passes of one frame; their outputs in `outputs`.
    Names framePasses(Names* outputs = nullptr) {
        RecordingTimer timer;
        passTimer = &timer;
        renderFrame();
        passTimer = nullptr;
        EXPECT_FALSE(timer.nested) << "a pass began inside another";
        EXPECT_FALSE(timer.unmatched) << "a pass ended under another name";
        EXPECT_TRUE(timer.open.empty()) << "a pass never ended: " << timer.open;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        if (outputs != nullptr) {
            *outputs = timer.outputs;
        }
        return timer.passes;
    }
};

TEST_F(PassTimerTest, DefaultFrameBracketsEveryPassInOrder) {
    Names outputs;
    EXPECT_EQ(framePasses(&outputs),
              (Names{"shadow map", "shadow blur", "scene", "bloom bright", "bloom blur",
                     "composition", "lens bright", "lens blur", "lens features", "lens combine"}));
    Names bloomBlur;
    for (int step = 0; step < 4; ++step) {
        bloomBlur.insert(bloomBlur.end(), {"bloom blur > brightBlur", "bloom blur > bright"});
    }
    Names expected{"shadow map > shadow", "shadow blur > shadowBlur", "shadow blur > shadow",
                   "scene > scene", "bloom bright > bright"};
    expected.insert(expected.end(), bloomBlur.begin(), bloomBlur.end());
    expected.insert(expected.end(),
                    {"composition > compose", "lens bright > bright", "lens blur > brightBlur",
                     "lens blur > bright", "lens features > brightBlur", "lens combine > screen"});
    EXPECT_EQ(outputs, expected);
}

TEST_F(PassTimerTest, SwitchedOffPassesAreNotReported) {
    settings.shadowMapping = false;
    settings.bloomBlendMode = 0;
    settings.lensFlareMode = 1;
    Names outputs;
    EXPECT_EQ(framePasses(&outputs), (Names{"scene", "sprite flares", "composition"}));
    // The sprite pass reports the scene target even where the light is out of sight.
    EXPECT_EQ(outputs, (Names{"scene > scene", "sprite flares > scene", "composition > screen"}));
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

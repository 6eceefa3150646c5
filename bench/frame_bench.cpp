// The frame on the shipped scene, whole and pass by pass, under a hidden 1600x900 context. Each
// timing is bracketed by glFinish, since in software rendering the time is spent on the CPU and
// timer queries report nothing useful. Run from anywhere: the scene is read from the data folder.
#include <GL/glew.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>

#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "app/settings.hpp"
#include "app/world_update.hpp"
#include "platform/platform.hpp"
#include "platform/scripted_input.hpp"
#include "render/frame.hpp"
#include "render/passes.hpp"
#include "render/render_targets.hpp"

namespace {

using namespace vantor;

constexpr int windowWidth = 1600;
constexpr int windowHeight = 900;
constexpr double settleStep = 1.0 / 30.0;
constexpr int settleSteps = 90;

platform::ScriptedInput input;

bool openScene() {
    if (!platform::openHiddenContext(windowWidth, windowHeight) || chdir(VANTOR_DATA_DIR) != 0) {
        return false;
    }
    platform::useScriptedInput(&input);
    input.mouseX = windowWidth / 2;
    input.mouseY = windowHeight / 2;
    glClearColor(0.14f, 0.25f, 0.43f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    assembleScene();
    createRenderTargets();
    for (int step = 0; step < settleSteps; ++step) {
        updateWorld(settleStep);
    }
    settings = Settings{};
    renderFrame();
    glFinish();
    return true;
}

// Times one call of work per iteration, with everything queued before it finished first.
template <typename Work>
void timePass(benchmark::State& state, Work work) {
    for (auto _ : state) {
        glFinish();
        work();
        glFinish();
    }
}

void wholeFrame(benchmark::State& state) {
    settings = Settings{};
    settings.bloomBlendMode = static_cast<int>(state.range(0));
    settings.lensFlareMode = static_cast<int>(state.range(1));
    timePass(state, [] { renderFrame(); });
    settings = Settings{};
}
BENCHMARK(wholeFrame)
    ->ArgNames({"bloom", "lens"})
    ->Args({1, 2})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

void shadowDepthPass(benchmark::State& state) {
    timePass(state, [] {
        FrameValues frame = beginFrame();
        drawShadowMap(frame);
    });
}
BENCHMARK(shadowDepthPass)->Unit(benchmark::kMillisecond);

void shadowBlurPasses(benchmark::State& state) {
    timePass(state, [] { blurShadowMap(); });
}
BENCHMARK(shadowBlurPasses)->Unit(benchmark::kMillisecond);

void scenePass(benchmark::State& state) {
    timePass(state, [] {
        FrameValues frame = beginFrame();
        drawShadowMap(frame);
        glFinish();
        drawScene(frame);
        closeSceneStage();
    });
}
BENCHMARK(scenePass)->Unit(benchmark::kMillisecond);

void spriteFlarePass(benchmark::State& state) {
    timePass(state, [] {
        FrameValues frame = beginFrame();
        bindTarget(renderTargets.scene);
        drawSpriteFlares(frame);
        closeSceneStage();
    });
}
BENCHMARK(spriteFlarePass)->Unit(benchmark::kMillisecond);

void bloomChain(benchmark::State& state) {
    timePass(state, [] { runBloomChain(); });
}
BENCHMARK(bloomChain)->Unit(benchmark::kMillisecond);

void compositionPass(benchmark::State& state) {
    timePass(state, [] { composeScene(renderTargets.compose); });
}
BENCHMARK(compositionPass)->Unit(benchmark::kMillisecond);

void screenSpaceLensFlare(benchmark::State& state) {
    timePass(state, [] { drawScreenSpaceLensFlare(); });
}
BENCHMARK(screenSpaceLensFlare)->Unit(benchmark::kMillisecond);

// The world step with the figure standing on the start cloud, at a frame of 60 a second (one
// slice) and at the longest step (six slices, each with its contact and goal tests). Last, since
// it moves the goal and the flag on.
void worldStep(benchmark::State& state) {
    const double step = static_cast<double>(state.range(0)) / 1000.0;
    for (auto _ : state) {
        updateWorld(step);
    }
}
BENCHMARK(worldStep)->ArgName("ms")->Arg(16)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!openScene()) {
        std::fprintf(stderr, "frame benchmark: no GL context or no data folder at %s\n",
                     VANTOR_DATA_DIR);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cleanUp();
    platform::useScriptedInput(nullptr);
    platform::closeHiddenContext();
    return 0;
}

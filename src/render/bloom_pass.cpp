// Bloom chain. Reads the scene image. Writes its highlights above the bloom threshold, blurred wide
// by eight alternating passes at 1/16 of the picture's size, into that level of the bright image
// for the composition.
#include "render/pass_timer.hpp"
#include "render/passes.hpp"

namespace vantor {

namespace {

constexpr float bloomThreshold = 0.8f;
constexpr int bloomBlurPasses = 8;
constexpr int bloomMipLevel = 4;

}  // namespace

void runBloomChain() {
    timedPass("bloom bright", [] { runBrightPass(renderTargets.scene, bloomThreshold); });
    timedPass("bloom blur", [] { runBlurPasses(bloomBlurPasses, bloomMipLevel); });
}

}  // namespace vantor

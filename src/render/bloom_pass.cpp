// Bloom chain. Reads the scene image. Writes its highlights above the bloom threshold, blurred wide
// by eight alternating passes over a small mip level, into the bright target for the composition.
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

// World update, minimal until the world exists: only the frame rate from the clamped step.
#include "app/world_update.hpp"

#include <algorithm>

#include "app/game_state.hpp"

namespace vantor {

namespace {

constexpr double maxStep = 0.2;

}  // namespace

void updateWorld(double dt) {
    const double step = std::min(dt, maxStep);
    fps = step > 0.0 ? 1.0 / step : 0.0;
}

}  // namespace vantor

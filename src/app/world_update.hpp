// The per-frame world update: the one place where game time advances.
#pragma once

namespace vantor {

// The longest step the simulation takes; a longer frame runs the world slower than real time.
inline constexpr double maxStep = 0.2;

// Clamps the step, derives the frame rate, resets the world after a fall or while R is held,
// steers, updates every object, finds the platform under the figure, tests the goal and places
// the flare sprites.
void updateWorld(double dt);

}  // namespace vantor

// The per-frame world update: the one place where game time advances.
#pragma once

namespace vantor {

// The longest step the simulation takes; a longer frame runs the world slower than real time.
inline constexpr double maxStep = 0.2;
// The longest slice of a step between two contact tests. The figure is 2.05 units tall; the
// fastest landing the course allows, from a jump's top at the highest cloud down to the lowest,
// is about 45 units a second, 1.5 units a slice: every landing is seen. A frame of 30 a second or
// more is one slice.
inline constexpr double maxSlice = 1.0 / 30.0;

// Clamps the step, derives the frame rate, resets the world after a fall or while R is held,
// steers, then in slices of at most maxSlice updates every object, finds the platform under the
// figure and tests the goal; places the flare sprites.
void updateWorld(double dt);

}  // namespace vantor

// An autopilot across the shipped course that, like a player, uses the keys only: it knows where
// the clouds are, waits where the next cloud must first come close or level, and jumps across.
// The figure never turns, so its axes are the world's. It drives the world through the scripted
// input, in the GL play-through and in the browser's route check alike.
#pragma once

#include <string>

#include "platform/scripted_input.hpp"

namespace vantor::test {

class Autopilot {
  public:
    // Steps of `step` seconds; the scripted input must be the one installed.
    Autopilot(platform::ScriptedInput& input, double step);

    // From the start to the goal: lands on the first cloud, then hops from cloud to cloud. Returns
    // "" once standing on the goal, else what went wrong.
    std::string crossCourse();
    // One world step; false once the figure has fallen off or three minutes have passed.
    bool advance();
    double playedSeconds() const { return steps * step; }

  private:
    void steerTowards(int cloud);
    bool hop(int next, float reach);

    platform::ScriptedInput& input;
    double step;
    int steps = 1;
};

}  // namespace vantor::test

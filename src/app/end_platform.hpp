// EndPlatform: the goal. A platform that shuttles along world X all the time, reversing after
// each leg of a little over three seconds; touching it wins the game.
#pragma once

#include "app/platform.hpp"

namespace vantor::scene {

class EndPlatform : public Platform {
  public:
    static constexpr float speed = 5.0f;
    static constexpr double legSeconds = 3.0;

    explicit EndPlatform(const mat4& model);

    // Moves every frame; once a leg has run longer than legSeconds the direction flips and the
    // next leg starts from zero (the excess is dropped).
    void update(double dt) override;
    // Back to the start position only: the current leg, its elapsed time and direction go on.
    void reset() override;
    // The goal moves whether or not it is touched.
    void setColliding(bool /*touching*/) override {}

    double elapsed = 0.0;  // seconds since the last reversal

  private:
    // Applied in the goal's own axes after its file placement, so it scales with the goal.
    static constexpr vec3 startOffset{2.0f, 0.0f, 0.0f};
};

}  // namespace vantor::scene

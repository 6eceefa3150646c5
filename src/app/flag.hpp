// Flag: marks the goal. A child of the goal platform, it circles above the goal's centre and spins
// about its own vertical axis; the goal's translations carry it along.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class Flag : public VisibleObject {
  public:
    static constexpr const char* modelPath = "Models/flag.obj";
    static constexpr double circleDegreesPerSecond = 50.0;
    static constexpr double spinDegreesPerSecond = 80.0;

    explicit Flag(const mat4& model);

    // Collision hand-over, a turn about the parent's vertical line, then a spin in place.
    // Without a parent there is no centre to circle, so the flag only spins.
    void update(double dt) override;
    // Back to the start pose relative to the goal's start.
    void reset() override;
    void setColliding(bool /*touching*/) override {}

  private:
    // In the goal's own axes, so it scales with the goal.
    static constexpr vec3 startOffset{2.0f, 4.0f, 0.0f};
};

}  // namespace vantor::scene

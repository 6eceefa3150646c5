// Character: the player's figure. Falls under gravity unless the contact step reports a platform
// under it, and flags itself once it has dropped far below the course so the world can reset.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class Character : public VisibleObject {
  public:
    static constexpr const char* modelPath = "Models/Mark 5.obj";
    static constexpr float defaultGravity = 25.0f;
    // Below this height the figure counts as fallen off the course.
    static constexpr float fallHeight = -100.0f;

    explicit Character(const mat4& model);

    // Fall test, gravity while airborne (semi-implicit: the new velocity moves it), then the
    // collision data follow the moved figure for this frame's contact step.
    void update(double dt) override;
    // Back to the start: no velocity, neither grounded nor fallen, initial transform.
    void reset() override;
    // Told per platform tested; touching grounds the figure and stops its vertical motion.
    void setColliding(bool touching) override;

    bool onGround = false;
    bool fellOff = false;
    float gravity = defaultGravity;
    vec3 velocity;  // units per second in the figure's own axes; only y ever changes
};

}  // namespace vantor::scene

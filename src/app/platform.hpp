// Platform: a cloud placed by the level file. It rests until the figure lands on it, then moves
// with its own velocity in world axes while the figure stays on it, carrying the figure along.
#pragma once

#include "scene/visible_object.hpp"

namespace vantor::scene {

class Platform : public VisibleObject {
  public:
    static constexpr const char* modelPath = "Models/cloudPlatform.obj";

    Platform(const mat4& model, float vx, float vy, float vz);

    // The collision data take the position before this frame's move, then the platform moves
    // (while carrying) and takes its children with it.
    void update(double dt) override;
    // Back to the file position, resting.
    void reset() override;
    // Moves exactly while the figure touches it; stays where it stopped otherwise.
    void setColliding(bool touching) override;

    vec3 velocity;  // world units per second
    bool moving = false;
};

}  // namespace vantor::scene

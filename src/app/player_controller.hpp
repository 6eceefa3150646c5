// PlayerController: turns the mouse, the wheel and the W, A, S, D and space keys into motion of the
// figure and an orbit of the camera around it. One instance, made at start-up.
#pragma once

#include "scene/math.hpp"

namespace vantor::scene {

class Camera;
class Character;

class PlayerController {
  public:
    static constexpr float initialPitch = -20.0f;  // what the camera's own reset gives it
    static constexpr float pitchLimit = 70.0f;
    static constexpr int zoomStepLimit = 10;
    static constexpr int noWheelBase = -1;

    // Reads the window size; every step reads it again and re-centres the pointer on it.
    PlayerController(Camera* camera, Character* character);

    // One step: wheel zoom, mouse yaw and pitch measured from the window centre, walking in the
    // figure's own axes, and the jump impulse while grounded.
    void steer(float dt);
    // What a world reset restores: the camera's pitch, and the wheel position taken as zero.
    void resetView();

    Camera* camera;
    Character* character;
    int windowWidth = 0;
    int windowHeight = 0;
    float cameraPitch = initialPitch;  // degrees, always within +-pitchLimit
    int wheelBase = noWheelBase;       // noWheelBase: the next step takes the wheel's position
    int wheelPosition = 0;             // clamped to wheelBase +- zoomStepLimit

  private:
    int takeZoomSteps();
};

}  // namespace vantor::scene

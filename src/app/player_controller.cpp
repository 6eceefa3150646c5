// Steering: how input becomes motion, in a fixed order each frame.
#include "app/player_controller.hpp"

#include <cmath>

#include "app/character.hpp"
#include "app/keys.hpp"
#include "platform/platform.hpp"
#include "scene/camera.hpp"

namespace vantor::scene {

namespace {

constexpr float walkSpeed = 10.0f;          // units per second
constexpr float jumpSpeed = 25.0f;          // units per second, upwards
constexpr float zoomUnitsPerStep = 100.0f;  // per second of the frame, per wheel step

constexpr vec3 forward{0.0f, 0.0f, -1.0f};
constexpr vec3 back{0.0f, 0.0f, 1.0f};
constexpr vec3 right{1.0f, 0.0f, 0.0f};
constexpr vec3 left{-1.0f, 0.0f, 0.0f};
constexpr vec3 up{0.0f, 1.0f, 0.0f};

struct MoveKey {
    int key;
    vec3 direction;
};

constexpr MoveKey moveKeys[] = {{'W', forward}, {'S', back}, {'D', right}, {'A', left}};

bool pressed(int key) {
    return keyDownOrTapped(key);
}

}  // namespace

PlayerController::PlayerController(Camera* camera_, Character* character_)
    : camera(camera_), character(character_) {
    platform::getWindowSize(&windowWidth, &windowHeight);
    cameraPitch = initialPitch;
    wheelBase = noWheelBase;
}

void PlayerController::resetView() {
    cameraPitch = initialPitch;
    wheelBase = noWheelBase;
}

// Wheel steps since the last step, counting only those within zoomStepLimit of the base.
int PlayerController::takeZoomSteps() {
    if (wheelBase == noWheelBase) {
        wheelBase = platform::getMouseWheel();
        // The wheel's position when the base is taken is zero: this step must not zoom by
        // whatever distance the wheel had from the previous base.
        wheelPosition = wheelBase;
    }
    const int previous = wheelPosition;
    wheelPosition = platform::getMouseWheel();
    if (wheelPosition - wheelBase > zoomStepLimit) {
        wheelPosition = wheelBase + zoomStepLimit;
    } else if (wheelPosition - wheelBase < -zoomStepLimit) {
        wheelPosition = wheelBase - zoomStepLimit;
    }
    return previous - wheelPosition;
}

void PlayerController::steer(float dt) {
    const int zoomSteps = takeZoomSteps();

    int x = 0;
    int y = 0;
    platform::getMousePos(&x, &y);
    // Full screen may settle on another size than the one asked for, after start-up too.
    platform::getWindowSize(&windowWidth, &windowHeight);
    const int centreX = windowWidth / 2;
    const int centreY = windowHeight / 2;
    platform::setMousePos(centreX, centreY);

    const float speed = dt * walkSpeed;
    const float yaw = static_cast<float>(centreX - x) * speed;
    float pitchStep = static_cast<float>(centreY - y) * speed;

    // A step that would leave the limit is dropped whole rather than clipped.
    if (std::fabs(cameraPitch + pitchStep) > pitchLimit) {
        pitchStep = 0.0f;
    } else {
        cameraPitch += pitchStep;
    }

    for (const MoveKey& move : moveKeys) {
        if (pressed(move.key)) {
            character->translate(move.direction * speed, Local);
        }
    }

    if (pressed(platform::KEY_SPACE) && character->onGround) {
        character->velocity.y = jumpSpeed;
    }

    if (yaw != 0.0f) {
        character->rotate(yaw, up, Local);
        const mat4 body = character->getModelMatrix();
        camera->rotateAround(yaw, body.column(1).xyz(), body.position());
    }
    if (pitchStep != 0.0f) {
        const mat4 body = character->getModelMatrix();
        camera->rotateAround(pitchStep, body.column(0).xyz(), body.position());
    }
    if (zoomSteps != 0) {
        camera->translate(vec3(0.0f, 0.0f, static_cast<float>(zoomSteps) * dt * zoomUnitsPerStep),
                          Local);
    }
}

}  // namespace vantor::scene

// Play-throughs of the shipped course on the real assembly, with scripted keys and mouse at a
// fixed 1/60 s step and no frames drawn: an autopilot that sees what a player sees (where the
// clouds are) crosses from the start to the goal, and a fall off the start resets the world.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/game_state.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "app/world_update.hpp"
#include "gl/game_test_support.hpp"
#include "scene/camera.hpp"

namespace vantor::test {
namespace {

using scene::Platform;
using scene::vec3;

constexpr double frame = 1.0 / 60.0;
constexpr float arrived = 0.3f;       // horizontal distance that counts as being there
constexpr float takeOffRange = 9.0f;  // jump once the next cloud's centre is this close
constexpr float edgeFraction = 0.7f;  // or once this far out from the centre of the own cloud
constexpr int legFrameBudget = 60 * 30;

vec3 flat(vec3 v) {
    return vec3(v.x, 0.0f, v.z);
}
float flatDistance(vec3 a, vec3 b) {
    return scene::length(flat(a - b));
}
vec3 centreOf(const scene::SceneObject* object) {
    return object->getModelMatrix().position();
}
float radiusOf(const Platform* platform) {
    return scene::length(platform->getModelMatrix().column(0).xyz());
}

class PlayThrough : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        platform::useScriptedInput(&input);
        assembleScene();
        input.mouseX = centreX();
        input.mouseY = registry.controller->windowHeight / 2;
        gameWon = false;
    }
    void TearDown() override {
        cleanUp();
        platform::useScriptedInput(nullptr);
        gameWon = false;
    }

    int centreX() const { return registry.controller->windowWidth / 2; }
    scene::Character& figure() const { return *registry.character; }
    vec3 where() const { return centreOf(registry.character); }
    Platform* cloud(int index) const { return registry.platforms.at(index); }

    void step() {
        updateWorld(frame);
        ++frames;
        ASSERT_FALSE(figure().fellOff) << "fell during " << leg;
    }

    // Keys in the figure's own axes towards a world point, and the mouse turning the view
    // towards it, as a player looking where they go would.
    void steerTowards(vec3 target) {
        input.release('W');
        input.release('S');
        input.release('A');
        input.release('D');
        const scene::mat4 body = figure().getModelMatrix();
        const vec3 toTarget = flat(target - body.position());
        if (scene::length(toTarget) > arrived) {
            const float side = scene::dot(toTarget, body.column(0).xyz());
            const float ahead = -scene::dot(toTarget, body.column(2).xyz());
            if (side > arrived / 2) {
                input.press('D');
            }
            if (side < -arrived / 2) {
                input.press('A');
            }
            if (ahead > arrived / 2) {
                input.press('W');
            }
            if (ahead < -arrived / 2) {
                input.press('S');
            }
        }
        turnTowards(toTarget);
    }

    void turnTowards(vec3 direction) {
        input.mouseX = centreX();
        if (scene::length(direction) < 2.0f) {
            return;
        }
        const vec3 forward = flat(-figure().getModelMatrix().column(2).xyz());
        const float turn =
            std::atan2(scene::cross(forward, direction).y, scene::dot(forward, direction)) *
            180.0f / M_PI;
        const float degreesPerPixel = static_cast<float>(frame) * 10.0f;
        const int pixels = static_cast<int>(std::lround(turn / degreesPerPixel));
        input.mouseX = centreX() - std::max(-20, std::min(20, pixels));
    }

    void stand() {
        input.releaseAll();
        input.mouseX = centreX();
    }

    bool standingOn(const Platform* target) const {
        return figure().onGround && figure().parent == target;
    }

    // Walks to the take-off point, jumps, and steers onto the target cloud in the air.
    void hop(int target) {
        leg = "the hop to cloud " + std::to_string(target);
        Platform* next = cloud(target);
        const int start = frames;
        auto* own = static_cast<Platform*>(figure().parent);
        while (flatDistance(where(), centreOf(next)) > takeOffRange &&
               (own == nullptr ||
                flatDistance(where(), centreOf(own)) < edgeFraction * radiusOf(own))) {
            steerTowards(centreOf(next));
            step();
            if (HasFatalFailure()) {
                return;
            }
            ASSERT_LT(frames - start, legFrameBudget) << leg;
        }
        input.press(platform::KEY_SPACE);
        while (!standingOn(next)) {
            if (!figure().onGround) {
                input.release(platform::KEY_SPACE);
            }
            steerTowards(centreOf(next));
            step();
            if (HasFatalFailure()) {
                return;
            }
            ASSERT_LT(frames - start, legFrameBudget) << leg;
        }
        stand();
    }

    // Rides the cloud underfoot until the condition holds.
    void rideUntil(const std::string& what, const std::function<bool()>& condition) {
        leg = "the ride " + what;
        stand();
        const int start = frames;
        while (!condition()) {
            step();
            if (HasFatalFailure()) {
                return;
            }
            ASSERT_LT(frames - start, legFrameBudget) << leg;
        }
    }

    platform::ScriptedInput input;
    InDataDirectory inData;
    int frames = 0;
    std::string leg = "the start";
};

TEST_F(PlayThrough, TheShippedCourseCanBeWonFromTheStart) {
    ASSERT_NE(registry.endPlatform, nullptr);
    ASSERT_GE(registry.platforms.size(), 16u);
    // Land on the first cloud.
    while (!standingOn(cloud(0))) {
        step();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_LT(frames, 120) << "the figure does not land on the first cloud";
    }

    for (int target = 1; target <= 5; ++target) {
        ASSERT_NO_FATAL_FAILURE(hop(target));
    }
    ASSERT_NO_FATAL_FAILURE(rideUntil(
        "up the first lift", [&] { return centreOf(cloud(5)).y >= centreOf(cloud(6)).y - 1.0f; }));
    ASSERT_NO_FATAL_FAILURE(hop(6));
    ASSERT_NO_FATAL_FAILURE(hop(7));
    ASSERT_NO_FATAL_FAILURE(rideUntil(
        "on the ferry", [&] { return flatDistance(where(), centreOf(cloud(8))) <= 12.0f; }));
    for (int target = 8; target <= 12; ++target) {
        ASSERT_NO_FATAL_FAILURE(hop(target));
    }
    ASSERT_NO_FATAL_FAILURE(rideUntil(
        "on the side ferry", [&] { return flatDistance(where(), centreOf(cloud(13))) <= 12.0f; }));
    ASSERT_NO_FATAL_FAILURE(hop(13));
    ASSERT_NO_FATAL_FAILURE(hop(14));
    ASSERT_NO_FATAL_FAILURE(hop(15));
    ASSERT_NO_FATAL_FAILURE(rideUntil("up the second lift", [&] {
        return centreOf(cloud(15)).y >= centreOf(cloud(16)).y - 1.0f;
    }));
    ASSERT_NO_FATAL_FAILURE(hop(16));
    ASSERT_NO_FATAL_FAILURE(hop(17));

    // The goal drifts past: wait until it is in front, then jump on.
    leg = "the jump onto the goal";
    ASSERT_NO_FATAL_FAILURE(rideUntil("waiting for the goal", [&] {
        return std::fabs(centreOf(registry.endPlatform).x - where().x) < 2.0f;
    }));
    input.press(platform::KEY_SPACE);
    const int start = frames;
    while (!gameWon) {
        if (!figure().onGround) {
            input.release(platform::KEY_SPACE);
        }
        steerTowards(centreOf(registry.endPlatform));
        step();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_LT(frames - start, legFrameBudget) << leg;
    }
    EXPECT_TRUE(gameWon);
    // About what a first-time player needs, a little less: the autopilot never hesitates.
    EXPECT_LT(frames * frame, 180.0) << "the course takes too long even without mistakes";
}

TEST_F(PlayThrough, AtTheLongestStepTheFigureStillLandsOnTopOfTheFirstCloud) {
    // A slow machine steps the world by the clamp; the first fall must not sink the figure
    // into the start cloud, since landing never pushes it back out.
    const float top = centreOf(cloud(0)).y + 0.3f;
    while (!standingOn(cloud(0))) {
        updateWorld(maxStep);
        ASSERT_LT(++frames, 20) << "the figure does not land on the first cloud";
    }
    EXPECT_LE(where().y, top);
    EXPECT_GE(where().y, top - 0.5f);
}

TEST_F(PlayThrough, WalkingOffTheStartFallsAndTheNextFrameResetsTheWorld) {
    while (!standingOn(cloud(0))) {
        step();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_LT(frames, 120);
    }
    input.press('S');  // backwards, away from the course
    int guard = 0;
    while (!figure().fellOff) {
        updateWorld(frame);
        ASSERT_LT(++guard, 60 * 20) << "the figure never fell below the course";
    }
    input.release('S');
    EXPECT_LT(where().y, -100.0f);

    updateWorld(frame);
    EXPECT_FALSE(figure().fellOff);
    EXPECT_NEAR(where().x, 0.0f, 1e-5f);
    EXPECT_NEAR(where().y, 4.0f - 25.0f * frame * frame, 1e-4f);
    EXPECT_NEAR(where().z, 0.0f, 1e-5f);
    for (Platform* platform : registry.platforms) {
        if (platform == registry.endPlatform) {
            continue;
        }
        EXPECT_EQ(platform->getModelMatrix(), platform->initialModelMatrix);
        EXPECT_FALSE(platform->moving);
    }
    const vec3 goalStart =
        (registry.endPlatform->initialModelMatrix * scene::vec4(2.0f, 0.0f, 0.0f, 1.0f)).xyz();
    EXPECT_NEAR(centreOf(registry.endPlatform).x, goalStart.x, 5.0f * frame + 1e-4f);
    EXPECT_FLOAT_EQ(registry.controller->cameraPitch, -20.0f);
    EXPECT_FALSE(gameWon);
}

}  // namespace
}  // namespace vantor::test

// The world step on a small course: clamping and the frame rate, landing and carrying, the
// contact loop's first-touch rule, the goal, resets, steering and the flare placement.
#include <gtest/gtest.h>

#include <cmath>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/game_state.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/world_update.hpp"
#include "gl/game_test_support.hpp"
#include "scene/camera.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"

namespace vantor::test {
namespace {

using scene::vec3;

constexpr double frame = 1.0 / 60.0;

class WorldUpdate : public GameWorldTest {
  protected:
    void run(int frames) {
        for (int i = 0; i < frames; ++i) {
            updateWorld(frame);
        }
    }
    // Lets the figure fall from its start until it stands on something.
    void settle() {
        for (int i = 0; i < 120 && !registry.character->onGround; ++i) {
            updateWorld(frame);
        }
        ASSERT_TRUE(registry.character->onGround) << "the figure never landed";
    }
    vec3 figurePosition() const { return registry.character->getModelMatrix().position(); }
    vec3 cameraPosition() const { return registry.camera->getModelMatrix().position(); }
};

// One still pad under the start and a goal far away.
constexpr const char* padLevel = "p 0/0/0 0/0/0 12/1/12\ne 100/0/-100 1/1/1\n";

TEST_F(WorldUpdate, StepIsClampedAndAZeroStepKeepsTheLastRate) {
    buildWorld(padLevel);
    updateWorld(0.5);
    EXPECT_DOUBLE_EQ(fps, 5.0);
    EXPECT_NEAR(registry.character->velocity.y, -25.0f * 0.2f, 1e-5f);
    updateWorld(0.0);
    EXPECT_DOUBLE_EQ(fps, 5.0);
    EXPECT_NEAR(registry.character->velocity.y, -25.0f * 0.2f, 1e-5f);
}

TEST_F(WorldUpdate, TheFigureLandsOnTheFirstPlatformAndStaysThere) {
    buildWorld(padLevel);
    settle();
    scene::Platform* pad = registry.platforms[0];
    EXPECT_EQ(registry.character->parent, pad);
    EXPECT_FLOAT_EQ(registry.character->velocity.y, 0.0f);
    const float feet = figurePosition().y;
    EXPECT_LE(feet, 0.31f);
    EXPECT_GT(feet, 0.31f - 25.0f * frame);  // rests where contact was found, not pushed out
    run(60);
    EXPECT_FLOAT_EQ(figurePosition().y, feet);
    EXPECT_TRUE(registry.character->onGround);
}

TEST_F(WorldUpdate, HoldingWForOneSecondWalksTenUnitsAndTheCameraFollows) {
    buildWorld(padLevel);
    settle();
    const vec3 figure = figurePosition();
    const vec3 camera = cameraPosition();
    input.press('W');
    run(60);
    input.release('W');
    const vec3 walked = figurePosition() - figure;
    EXPECT_NEAR(walked.z, -10.0f, 1e-3f);
    EXPECT_NEAR(walked.x, 0.0f, 1e-4f);
    const vec3 followed = cameraPosition() - camera;
    EXPECT_NEAR(followed.z, walked.z, 1e-3f);
}

TEST_F(WorldUpdate, OppositeKeysCancel) {
    buildWorld(padLevel);
    settle();
    const vec3 figure = figurePosition();
    input.press('W');
    input.press('S');
    input.press('A');
    input.press('D');
    run(30);
    const vec3 moved = figurePosition() - figure;
    EXPECT_NEAR(moved.x, 0.0f, 1e-4f);
    EXPECT_NEAR(moved.z, 0.0f, 1e-4f);
}

TEST_F(WorldUpdate, MouseYawTurnsTheFigureAndOrbitsTheCameraByTheSameAngle) {
    buildWorld(padLevel);
    settle();
    const vec3 figure = figurePosition();
    const vec3 before = cameraPosition() - figure;
    input.mouseX -= 100;
    run(1);
    EXPECT_EQ(input.mouseX, registry.controller->windowWidth / 2) << "the pointer is re-centred";
    const float expected = 100.0f * static_cast<float>(frame) * 10.0f;  // about 16.7 degrees
    const vec3 xAxis = registry.character->getModelMatrix().column(0).xyz();
    const double turned = std::atan2(-xAxis.z, xAxis.x) * 180.0 / M_PI;
    EXPECT_NEAR(turned, expected, 1e-3);
    const vec3 after = cameraPosition() - figurePosition();
    const double orbit =
        (std::atan2(-after.z, after.x) - std::atan2(-before.z, before.x)) * 180.0 / M_PI;
    EXPECT_NEAR(orbit, expected, 1e-2);
    EXPECT_NEAR(after.y, before.y, 1e-4f);
}

TEST_F(WorldUpdate, PitchStepsThatWouldLeaveTheLimitAreDroppedWhole) {
    buildWorld(padLevel);
    settle();
    scene::PlayerController& controller = *registry.controller;
    EXPECT_FLOAT_EQ(controller.cameraPitch, -20.0f);
    const int centreY = controller.windowHeight / 2;
    input.mouseY = centreY - 300;  // 300 px up at 1/60 s: +50 degrees
    run(1);
    EXPECT_NEAR(controller.cameraPitch, 30.0f, 1e-4f);
    const vec3 camera = cameraPosition();
    input.mouseY = centreY - 300;  // would reach 80: dropped, not clipped to 70
    run(1);
    EXPECT_NEAR(controller.cameraPitch, 30.0f, 1e-4f);
    EXPECT_NEAR(cameraPosition().y, camera.y, 1e-4f);
    for (int i = 0; i < 50; ++i) {
        input.mouseY = centreY + (i % 3 == 0 ? -250 : 170);
        run(1);
        EXPECT_LE(std::fabs(controller.cameraPitch), 70.0f);
    }
}

TEST_F(WorldUpdate, WheelZoomIsBoundedToTenStepsEitherWay) {
    buildWorld(padLevel);
    settle();
    const vec3 start = cameraPosition();
    const vec3 cameraZ = registry.camera->getModelMatrix().column(2).xyz();
    const float stepTravel = static_cast<float>(frame) * 100.0f;

    input.wheel = 15;
    run(1);
    const vec3 zoomed = cameraPosition() - start;
    EXPECT_NEAR(scene::dot(zoomed, cameraZ), -10.0f * stepTravel, 1e-3f);

    input.wheel = 20;
    run(1);
    EXPECT_NEAR(scene::dot(cameraPosition() - start, cameraZ), -10.0f * stepTravel, 1e-3f);

    input.wheel = 0;
    run(1);
    const vec3 back = cameraPosition() - start;
    EXPECT_NEAR(back.x, 0.0f, 1e-3f);
    EXPECT_NEAR(back.y, 0.0f, 1e-3f);
    EXPECT_NEAR(back.z, 0.0f, 1e-3f);
}

TEST_F(WorldUpdate, AResetTakesTheWheelAsNewZeroWithoutZooming) {
    buildWorld(padLevel);
    const vec3 startOffset = cameraPosition() - figurePosition();
    settle();
    input.wheel = 25;  // ten steps counted, fifteen beyond the limit
    run(1);
    input.press('R');
    run(1);
    input.release('R');
    // The reset frame must not zoom by the wheel's distance from the old base.
    const vec3 offset = cameraPosition() - figurePosition();
    EXPECT_NEAR(offset.x, startOffset.x, 1e-4f);
    EXPECT_NEAR(offset.y, startOffset.y, 1e-4f);
    EXPECT_NEAR(offset.z, startOffset.z, 1e-4f);
}

TEST_F(WorldUpdate, JumpOnlyFromTheGround) {
    buildWorld(padLevel);
    settle();
    scene::Character& figure = *registry.character;
    input.press(platform::KEY_SPACE);
    registry.controller->steer(static_cast<float>(frame));
    EXPECT_FLOAT_EQ(figure.velocity.y, 25.0f);

    figure.setColliding(false);
    figure.velocity.y = -3.0f;
    registry.controller->steer(static_cast<float>(frame));
    EXPECT_FLOAT_EQ(figure.velocity.y, -3.0f);
}

TEST_F(WorldUpdate, HoldingSpaceLiftsTheFigureOffThePlatform) {
    buildWorld(padLevel);
    settle();
    const float ground = figurePosition().y;
    input.press(platform::KEY_SPACE);
    run(10);
    input.release(platform::KEY_SPACE);
    EXPECT_FALSE(registry.character->onGround);
    run(30);
    EXPECT_GT(figurePosition().y, ground + 8.0f);
}

TEST_F(WorldUpdate, OnlyTheFirstTouchingPlatformIsTestedAndCarries) {
    // Two clouds in the same place: the second is never tested while the first is touched.
    buildWorld("p 0/0/0 0/0/0 3/1/3\np 0/0/0 0/0/1 3/1/3\ne 100/0/-100 1/1/1\n");
    scene::Platform* second = registry.platforms[1];
    settle();
    EXPECT_EQ(registry.character->parent, registry.platforms[0]);
    second->moving = true;
    run(30);
    EXPECT_TRUE(second->moving) << "the second platform keeps the state it had";
    EXPECT_NEAR(second->getModelMatrix().position().z, 0.5f, 0.02f);
    EXPECT_EQ(second->children.count(registry.character), 0u);
    EXPECT_EQ(registry.character->parent, registry.platforms[0]);
}

TEST_F(WorldUpdate, ALiftCarriesTheFigureAndStopsWhenItLeaves) {
    buildWorld("p 0/0/0 0/2/0 1/1/1\ne 100/0/-100 1/1/1\n");  // p 0/0/0 0/2/0 1/1/1
    scene::Platform* lift = registry.platforms[0];
    settle();
    const vec3 lift0 = lift->getModelMatrix().position();
    const vec3 figure0 = figurePosition();
    run(60);
    const float rise = lift->getModelMatrix().position().y - lift0.y;
    EXPECT_NEAR(rise, 2.0f, 2.0f * frame + 1e-3f);
    EXPECT_NEAR(figurePosition().y - figure0.y, rise, 1e-3f);

    // Walking off the small cloud: a later frame without contact stops it where it is.
    input.press('D');
    for (int i = 0; i < 120 && registry.character->onGround; ++i) {
        updateWorld(frame);
    }
    input.release('D');
    ASSERT_FALSE(registry.character->onGround);
    const float stoppedAt = lift->getModelMatrix().position().y;
    run(5);
    EXPECT_FALSE(lift->moving);
    EXPECT_FLOAT_EQ(lift->getModelMatrix().position().y, stoppedAt);
    EXPECT_GT(stoppedAt, lift0.y + 1.9f);
}

TEST_F(WorldUpdate, TouchingTheGoalWinsUntilAReset) {
    // The goal starts right under the figure (its start is 2 x 3 to the right of -6).
    buildWorld("e -6/0/0 3/1/3\n");
    EXPECT_FALSE(gameWon);
    settle();
    EXPECT_TRUE(gameWon);

    registry.character->translate(vec3(0, 50, 0), scene::World);  // off the goal
    run(2);
    EXPECT_FALSE(registry.character->onGround);
    EXPECT_TRUE(gameWon) << "leaving the goal does not clear the win";

    input.press('R');
    run(1);
    input.release('R');
    EXPECT_FALSE(gameWon);
}

TEST_F(WorldUpdate, AResetPutsAFigureStandingOnTheGoalBackAtItsStart) {
    buildWorld("e -6/0/0 3/1/3\n");
    settle();
    run(30);  // ridden along with the goal
    ASSERT_EQ(registry.character->parent, registry.endPlatform);
    input.press('R');
    run(1);
    input.release('R');
    const vec3 figure = figurePosition();
    EXPECT_NEAR(figure.x, 0.0f, 1e-4f);
    EXPECT_NEAR(figure.z, 0.0f, 1e-4f);
    EXPECT_NEAR(figure.y, 4.0f, 0.01f);
}

TEST_F(WorldUpdate, HoldingRResetsEveryFrame) {
    buildWorld("p 0/0/0 0/0/-3 12/1/12\ne 100/0/-100 1/1/1\n");
    settle();
    run(30);  // the pad carries the figure away
    scene::Platform* pad = registry.platforms[0];
    ASSERT_LT(pad->getModelMatrix().position().z, -1.0f);
    input.press('R');
    for (int i = 0; i < 30; ++i) {
        updateWorld(frame);
        // Each frame starts from the reset: one frame of fall from the start, nothing more.
        EXPECT_NEAR(figurePosition().y, 4.0f - 25.0f * frame * frame, 1e-4f);
        EXPECT_FLOAT_EQ(pad->getModelMatrix().position().z, 0.0f);
        EXPECT_FALSE(pad->moving);
    }
    input.release('R');
}

TEST_F(WorldUpdate, AFallBelowTheCourseResetsTheWorldOnTheNextFrame) {
    buildWorld("p 0/-20/-60 0/0/0 1/1/1\ne 100/0/-100 1/1/1\n");  // nothing under the start
    input.press('W');
    int frames = 0;
    while (!registry.character->fellOff && frames < 600) {
        updateWorld(frame);
        ++frames;
    }
    input.release('W');
    ASSERT_TRUE(registry.character->fellOff);
    EXPECT_LT(figurePosition().y, -100.0f);
    updateWorld(frame);
    EXPECT_FALSE(registry.character->fellOff);
    EXPECT_NEAR(figurePosition().x, 0.0f, 1e-5f);
    EXPECT_NEAR(figurePosition().y, 4.0f - 25.0f * frame * frame, 1e-4f);
    EXPECT_NEAR(figurePosition().z, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(registry.controller->cameraPitch, -20.0f);
}

TEST_F(WorldUpdate, FlaresSitOnTheLineFromTheLight) {
    buildWorld(padLevel);
    run(3);
    const scene::mat4 camera = registry.camera->getModelMatrix();
    const vec3 light = registry.light->getModelMatrix().position();
    const float distance = scene::length(camera.position() - light);
    const vec3 line = camera.position() + camera.column(2).xyz() * distance - light;
    ASSERT_EQ(registry.flareList.size(), 4u);
    for (scene::LensFlare* flare : registry.flareList) {
        const vec3 expected = light + line * flare->positionFactor;
        const scene::mat4 m = flare->getModelMatrix();
        EXPECT_NEAR(m[12], expected.x, 1e-3f);
        EXPECT_NEAR(m[13], expected.y, 1e-3f);
        EXPECT_NEAR(m[14], expected.z, 1e-3f);
        EXPECT_FLOAT_EQ(m[15], 1.0f);
        EXPECT_FLOAT_EQ(m[0], 1.0f);
    }
}

TEST_F(WorldUpdate, ACourseWithoutGoalRunsWithoutFlag) {
    buildWorld("p 0/0/0 0/0/0 3/1/3\n");
    EXPECT_EQ(registry.endPlatform, nullptr);
    EXPECT_EQ(registry.drawList.size(), 2u);
    settle();
    run(10);
    EXPECT_FALSE(gameWon);
}

}  // namespace
}  // namespace vantor::test

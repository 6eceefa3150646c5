// The game's world without drawing a frame: assembly from level files, the goal and its flag, the
// world step under scripted input, and a play-through of the shipped course. Steps are 1/64 s, a
// binary fraction, so that speeds, turns and falls over whole steps come out exact.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/game_state.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "app/world_update.hpp"
#include "gl/support/autopilot.hpp"
#include "gl/support/shipped_scene.hpp"
#include "scene/camera.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"

namespace vantor::test {
namespace {

using scene::mat4;
using scene::Platform;
using scene::vec3;
using scene::vec4;

constexpr double step = 1.0 / 64.0;
constexpr float stepF = static_cast<float>(step);
// Where the figure is one step after a reset: its start, less one step of falling from rest.
const vec3 firstStep(0.0f, 4.0f - 25.0f * stepF * stepF, 0.0f);
// One still pad under the start and the goal far away.
constexpr const char* padLevel = "p 0/0/0 0/0/0 12/1/12\ne 100/0/-100 1/1/1\n";

vec3 positionOf(const scene::SceneObject* object) {
    return object->getModelMatrix().position();
}
::testing::AssertionResult near(vec3 a, vec3 b, float tolerance) {
    if (scene::length(a - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << a.x << " " << a.y << " " << a.z << " is not near " << b.x << " " << b.y << " " << b.z;
}

// The world built by the start-up's own steps (no programs, no render targets) from a level text
// written for the test, in the data folder where the models are found.
class GameWorld : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_EQ(chdir(VANTOR_DATA_DIR), 0) << VANTOR_DATA_DIR;
        platform::useScriptedInput(&input);
    }
    void TearDown() override {
        cleanUp();
        gameWon = false;
        platform::useScriptedInput(nullptr);
        std::remove(levelPath.c_str());
    }

    // Builds the world from levelText (no level file when null); returns what loading the course
    // printed.
    std::string buildWorld(const char* levelText) {
        std::remove(levelPath.c_str());
        if (levelText != nullptr)
            std::ofstream(levelPath) << levelText;
        assembleFigure();
        assembleFlares();
        ::testing::internal::CaptureStdout();
        assembleCourse(levelPath.c_str());
        input.mouseX = registry.controller->windowWidth / 2;  // as the start-up leaves it
        input.mouseY = registry.controller->windowHeight / 2;
        return ::testing::internal::GetCapturedStdout();
    }
    void run(int steps) {
        for (int i = 0; i < steps; ++i)
            updateWorld(step);
    }
    void settle() {
        for (int i = 0; i < 256 && !registry.character->onGround; ++i)
            updateWorld(step);
        ASSERT_TRUE(registry.character->onGround) << "the figure never landed";
    }
    vec3 figure() const { return positionOf(registry.character); }
    vec3 cameraFromFigure() const { return positionOf(registry.camera) - figure(); }
    // 10 units behind the figure, turned about its X axis by the pitch.
    static vec3 cameraAtPitch(float degrees) {
        const float radians = degrees * static_cast<float>(M_PI) / 180.0f;
        return vec3(0.0f, -10.0f * std::sin(radians), 10.0f * std::cos(radians));
    }

    const std::string levelPath = "/tmp/vantor_level_" + std::to_string(getpid()) + ".lvl";
    platform::ScriptedInput input;
};

TEST_F(GameWorld, RecordsArePlacedInFileOrderTheLastGoalWinsAndCarriesTheFlag) {
    // Of the two goals the first starts under the figure.
    buildWorld("p 5/6/-7 1/2/3 2/3/4\ne -8/0/0 4/1/4\ne 4/0/0 3/1/3\n");
    Registry& r = registry;
    ASSERT_EQ(r.platforms.size(), 3u);
    ASSERT_EQ(r.drawList.size(), 5u);
    EXPECT_EQ(r.drawList[0], r.character);
    EXPECT_EQ(r.platforms[2], r.endPlatform);
    EXPECT_TRUE(std::equal(r.platforms.begin(), r.platforms.end(), r.drawList.begin() + 1));
    // Scaled, then moved: the size does not scale the position.
    EXPECT_EQ(r.platforms[0]->getModelMatrix(),
              mat4(vec4(2, 0, 0, 0), vec4(0, 3, 0, 0), vec4(0, 0, 4, 0), vec4(5, 6, -7, 1)));
    EXPECT_EQ(r.platforms[0]->velocity, vec3(1, 2, 3));
    EXPECT_EQ(r.drawList[4]->parent, r.endPlatform);

    EXPECT_EQ(positionOf(r.character), vec3(0, 4, 0));
    EXPECT_EQ(r.camera->parent, r.character);
    EXPECT_EQ(r.light->parent, r.character);
    const float factors[] = {0.15f, 0.175f, 0.285f, 0.39f};
    const vec3 colours[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    ASSERT_EQ(r.flareList.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.flareList[i]->positionFactor, factors[i]);
        EXPECT_EQ(r.flareList[i]->color, colours[i]);
        EXPECT_EQ(r.flareList[i]->parent, r.light);
    }
    settle();
    EXPECT_EQ(r.character->parent, r.platforms[1]);
    EXPECT_FALSE(gameWon) << "standing on the other goal is not the win";
}

TEST_F(GameWorld, ACourseWithoutGoalOrWithoutLevelFileSaysSoAndStillRuns) {
    // The level, and the last words of loading it.
    const std::pair<const char*, std::string> cases[] = {
        {"p 0/0/0 0/0/0 3/1/3\n",
         levelPath + ": no goal record (e): the course has no goal and no flag\n"},
        {nullptr, "Could not open File: " + levelPath + "\n"},
    };
    for (const auto& [level, lastWords] : cases) {
        SCOPED_TRACE(lastWords);
        const std::string said = buildWorld(level);
        EXPECT_EQ(said.rfind(lastWords), said.size() - lastWords.size()) << said;
        EXPECT_EQ(registry.drawList.size(), level != nullptr ? 2u : 1u);
        run(64);
        cleanUp();
    }
}

TEST_F(GameWorld, TheGoalShuttlesAlongXAndTheFlagCirclesItAnticlockwiseSpinningTheSameWay) {
    buildWorld("e 30/6/-40 2/1/2\n");  // both start offsets are in the goal's own, scaled units
    scene::EndPlatform& goal = *registry.endPlatform;
    scene::VisibleObject& flag = *registry.drawList.back();
    EXPECT_TRUE(near(positionOf(&goal), vec3(34, 6, -40), 1e-5f));
    EXPECT_TRUE(near(positionOf(&flag) - positionOf(&goal), vec3(4, 4, 0), 1e-5f));
    flag.update(0.9);  // 45 degrees round the goal's vertical line, 72 about its own
    const float r = 2.0f * static_cast<float>(M_SQRT2);
    EXPECT_TRUE(near(positionOf(&flag) - positionOf(&goal), vec3(r, 4, -r), 1e-4f))
        << "from +X towards -Z";
    const double turned = (45.0 + 72.0) * M_PI / 180.0;
    const vec3 flagX = vec3(std::cos(turned), 0, -std::sin(turned)) * 2.0f;
    EXPECT_TRUE(near(flag.getModelMatrix().column(0).xyz(), flagX, 1e-4f));

    goal.setColliding(false);  // untouched, it moves all the same
    goal.update(3.0);
    EXPECT_TRUE(near(positionOf(&goal), vec3(49, 6, -40), 1e-4f));
    EXPECT_EQ(goal.velocity, vec3(5, 0, 0)) << "exactly 3 s is not yet more than 3 s";
    goal.update(0.5);  // moves on, then turns, dropping the half second beyond the leg
    goal.update(1.0);
    EXPECT_TRUE(near(positionOf(&goal), vec3(46.5f, 6, -40), 1e-4f));
    goal.reset();  // back to its start, but the leg goes on
    EXPECT_TRUE(near(positionOf(&goal), vec3(34, 6, -40), 1e-5f));
    EXPECT_EQ(goal.velocity, vec3(-5, 0, 0));
    EXPECT_EQ(goal.elapsed, 1.0);
}

TEST_F(GameWorld, TheMouseTurnsFigureAndCameraTheKeysWalkInItsAxesAndSpaceJumps) {
    buildWorld(padLevel);
    settle();
    input.mouseX -= 576;  // 576 pixels left at 1/64 s: 90 degrees
    run(1);
    EXPECT_TRUE(near(registry.character->getModelMatrix().column(2).xyz(), vec3(1, 0, 0), 1e-5f))
        << "turned left, it faces -X";
    const vec3 behind = cameraAtPitch(-20.0f);
    EXPECT_TRUE(near(cameraFromFigure(), vec3(behind.z, behind.y, 0), 1e-4f)) << "and the camera";
    // Each flare on the line from the light to the point as far along the camera's Z.
    const mat4 camera = registry.camera->getModelMatrix();
    const vec3 light = positionOf(registry.light);
    const vec3 line = camera.position() +
                      camera.column(2).xyz() * scene::length(camera.position() - light) - light;
    for (const scene::LensFlare* flare : registry.flareList)
        EXPECT_TRUE(near(positionOf(flare), light + line * flare->positionFactor, 1e-3f));

    // How far each key walks the figure in 1/8 s, facing -X.
    const std::pair<int, vec3> walks[] = {
        {'W', {-1.25f, 0, 0}}, {'S', {1.25f, 0, 0}}, {'D', {0, 0, -1.25f}}, {'A', {0, 0, 1.25f}}};
    for (const auto& [key, walked] : walks) {
        SCOPED_TRACE(static_cast<char>(key));
        const vec3 from = figure();
        input.press(key);
        run(8);
        input.release(key);
        EXPECT_TRUE(near(figure() - from, walked, 1e-4f));
    }

    // A tap that came and went between two frames still jumps.
    input.press(platform::KEY_SPACE);
    input.release(platform::KEY_SPACE);
    registry.controller->steer(stepF);
    EXPECT_EQ(registry.character->velocity.y, 25.0f);
    input.press(platform::KEY_SPACE);
    registry.character->setColliding(false);
    registry.character->velocity.y = -3.0f;
    registry.controller->steer(stepF);
    EXPECT_EQ(registry.character->velocity.y, -3.0f) << "no jump in the air";
}

TEST_F(GameWorld, StepsAreClampedTheMouseTiltsWithinSeventyDegreesAndTheWheelZoomsTenSteps) {
    buildWorld(padLevel);
    updateWorld(0.5);
    EXPECT_EQ(fps, 5.0);
    EXPECT_FLOAT_EQ(registry.character->velocity.y, -25.0f * 0.2f);
    const vec3 before = figure();
    updateWorld(0.0);
    updateWorld(-1.0);
    EXPECT_EQ(fps, 5.0) << "empty and negative steps change nothing";
    EXPECT_EQ(figure(), before);

    settle();
    // Pixels down from the centre (64 at 1/64 s make 10 degrees) and the pitch they lead to.
    const std::pair<int, float> tilts[] = {{-320, 30.0f}, {-320, 30.0f}, {-256, 70.0f},
                                           {-1, 70.0f},   {896, -70.0f}, {1, -70.0f}};
    for (const auto& [pixelsDown, pitch] : tilts) {
        SCOPED_TRACE(pixelsDown);
        input.mouseY = registry.controller->windowHeight / 2 + pixelsDown;
        run(1);
        EXPECT_EQ(registry.controller->cameraPitch, pitch);
        EXPECT_TRUE(near(cameraFromFigure(), cameraAtPitch(pitch), 1e-3f));
    }

    const vec3 start = positionOf(registry.camera);
    const vec3 cameraZ = registry.camera->getModelMatrix().column(2).xyz();
    // Wheel positions and the steps zoomed along the camera's own Z, 100 units a second each.
    const std::pair<int, float> zooms[] = {
        {15, -10.0f}, {20, -10.0f}, {0, 0.0f}, {-15, 10.0f}, {-11, 10.0f}};
    for (const auto& [wheel, steps] : zooms) {
        SCOPED_TRACE(wheel);
        input.wheel = wheel;
        run(1);
        EXPECT_TRUE(
            near(positionOf(registry.camera) - start, cameraZ * (steps * 100.0f * stepF), 1e-3f));
    }
    input.wheel = 25;  // a reset takes the wheel where it is as zero, without zooming
    input.press('R');
    run(1);
    EXPECT_EQ(registry.controller->cameraPitch, -20.0f);
    EXPECT_TRUE(near(cameraFromFigure(), cameraAtPitch(-20.0f), 1e-4f));
}

// Frames of 0.18 s take the falling figure from above the start cloud's top to under it in one
// step: taken whole, it ends standing on the cloud's underside.
TEST_F(GameWorld, ALongFrameIsTakenInSlicesSoTheFigureLandsOnACloudItWouldPass) {
    buildWorld("p 0/1/0 0/0/0 5/1/5\ne 100/0/-100 1/1/1\n");
    settle();
    const float landed = figure().y;
    input.press('R');
    run(1);
    input.release('R');
    for (int i = 0; i < 8 && !registry.character->onGround; ++i)
        updateWorld(0.18);
    ASSERT_TRUE(registry.character->onGround);
    EXPECT_NEAR(figure().y, landed, 0.5f) << "not where steps of 1/64 s land";
}

TEST_F(GameWorld, TheFirstTouchedPlatformCarriesTheFigureAndThoseAfterItAreNotTested) {
    buildWorld(
        "p 40/0/0 0/0/0 1/1/1\n"      // tested first on every step, never touched
        "p 0/0/0 1/-20/-3 12/1/12\n"  // under the start, sinking fast
        "p -40/0/0 0/0/5 1/1/1\n"     // after the touched one: keeps what it had
        "e 100/0/-100 1/1/1\n");
    Platform* const* clouds = registry.platforms.data();
    settle();
    EXPECT_EQ(registry.character->parent, clouds[1]);
    clouds[2]->moving = true;
    const vec3 figureFrom = figure();
    run(64);
    EXPECT_TRUE(near(positionOf(clouds[1]), vec3(1, -20, -3), 1e-4f));
    EXPECT_TRUE(near(figure() - figureFrom, vec3(1, -20, -3), 1e-4f));
    EXPECT_TRUE(near(positionOf(clouds[2]), vec3(-40, 0, 5), 1e-4f));
    input.press('R');  // tapped between two steps: both back at rest, and not a step further
    input.release('R');
    run(1);
    EXPECT_TRUE(positionOf(clouds[1]) == vec3(0, 0, 0) && positionOf(clouds[2]) == vec3(-40, 0, 0));

    // Back on the pad, then off it: it stops on the next step and stays where it stopped.
    settle();
    run(8);
    registry.character->translate(vec3(0, 50, 0), scene::World);
    run(1);
    const vec3 stopped = positionOf(clouds[1]);
    run(8);
    EXPECT_FALSE(clouds[1]->moving);
    EXPECT_EQ(positionOf(clouds[1]), stopped);
}

TEST_F(GameWorld, TouchingTheGoalWinsUntilAResetByROrByAFallBelowMinusOneHundred) {
    buildWorld("e -6/0/0 3/1/3\n");  // the goal starts 2 x 3 to the right: under the figure
    settle();
    EXPECT_TRUE(gameWon);
    run(32);  // carried along by the goal
    ASSERT_EQ(registry.character->parent, registry.endPlatform);
    input.press('R');
    for (int i = 0; i < 2; ++i) {  // held, R resets on every step
        updateWorld(step);
        EXPECT_TRUE(near(figure(), firstStep, 1e-5f)) << "step " << i;
        EXPECT_FALSE(gameWon);
    }
    input.release('R');

    settle();
    ASSERT_TRUE(gameWon);
    registry.character->modelMatrix[13] = -100.0f;  // off the goal, right at the limit
    run(2);
    EXPECT_FALSE(registry.character->fellOff) << "at -100 it is still on the course";
    EXPECT_EQ(registry.character->parent, nullptr) << "and the goal no longer carries it";
    run(1);
    ASSERT_TRUE(registry.character->fellOff);
    EXPECT_TRUE(gameWon) << "leaving the goal keeps the win";
    run(1);
    EXPECT_FALSE(registry.character->fellOff);
    EXPECT_TRUE(near(figure(), firstStep, 1e-5f));
    EXPECT_FALSE(gameWon);
}

// The shipped course, crossed by the autopilot.
class PlayThrough : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() { buildShippedScene(1, step); }
};

TEST_F(PlayThrough, TheShippedCourseIsWonFromTheStartAndRPutsEveryObjectBack) {
    Registry& r = registry;
    const mat4 lightStart = r.light->getModelMatrix();
    const scene::SceneObject* flag = r.drawList.back();
    const vec3 flagFromGoal = positionOf(flag) - positionOf(r.endPlatform);
    const vec3 flagX = flag->getModelMatrix().column(0).xyz();

    Autopilot autopilot(input(), step);
    ASSERT_EQ(autopilot.crossCourse(), "");
    EXPECT_TRUE(gameWon);

    input().press('R');
    autopilot.advance();
    EXPECT_FALSE(gameWon);
    EXPECT_EQ(r.light->getModelMatrix(), lightStart);
    for (const Platform* cloud : r.platforms) {  // only the goal moves on
        EXPECT_EQ(cloud->moving || cloud->getModelMatrix() != cloud->initialModelMatrix,
                  cloud == r.endPlatform);
    }
    // The goal goes on with its leg from its start; the flag is back where it was on the goal.
    const vec3 goalStart = (r.endPlatform->initialModelMatrix * vec4(2, 0, 0, 1)).xyz();
    EXPECT_TRUE(near(positionOf(r.endPlatform), goalStart, 5.0f * stepF + 1e-4f));
    EXPECT_TRUE(near(positionOf(flag) - positionOf(r.endPlatform), flagFromGoal, 1e-4f));
    EXPECT_TRUE(near(flag->getModelMatrix().column(0).xyz(), flagX, 1e-4f));
}

}  // namespace
}  // namespace vantor::test

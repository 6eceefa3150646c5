// Character, Platform, EndPlatform and Flag on their own: gravity and landing, the fall test,
// resets, a platform carrying what stands on it, the goal's legs and the flag's pose.
#include <gtest/gtest.h>

#include <cmath>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/flag.hpp"
#include "app/platform.hpp"
#include "gl/game_test_support.hpp"

namespace vantor::test {
namespace {

using scene::Character;
using scene::EndPlatform;
using scene::Flag;
using scene::mat4;
using scene::Platform;
using scene::vec3;

mat4 at(float x, float y, float z) {
    return scene::translate(mat4(1.0f), vec3(x, y, z));
}

mat4 placed(vec3 position, vec3 size) {
    return scene::translate(mat4(1.0f), position) * scene::scale(mat4(1.0f), size);
}

void expectPosition(const scene::SceneObject& object, float x, float y, float z,
                    float tolerance = 1e-4f) {
    const vec3 p = object.getModelMatrix().position();
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

class GameObjects : public GlTest {
  protected:
    InDataDirectory inData;
};

TEST_F(GameObjects, CharacterFallsFromRestSemiImplicitly) {
    Character figure(at(0, 4, 0));
    figure.update(0.1);
    EXPECT_FLOAT_EQ(figure.velocity.y, -2.5f);
    expectPosition(figure, 0, 4 - 0.25f, 0);
    figure.update(0.1);
    EXPECT_FLOAT_EQ(figure.velocity.y, -5.0f);
    expectPosition(figure, 0, 4 - 0.75f, 0);
    EXPECT_FALSE(figure.onGround);
}

TEST_F(GameObjects, LandingStopsTheFallAndLeavingKeepsTheVelocity) {
    Character figure(at(0, 4, 0));
    figure.velocity.y = -10.0f;
    figure.setColliding(false);
    EXPECT_FLOAT_EQ(figure.velocity.y, -10.0f);
    figure.setColliding(true);
    EXPECT_TRUE(figure.onGround);
    EXPECT_FLOAT_EQ(figure.velocity.y, 0.0f);
    figure.update(0.2);
    EXPECT_FLOAT_EQ(figure.velocity.y, 0.0f);
    expectPosition(figure, 0, 4, 0);
}

TEST_F(GameObjects, FallingOffIsBelowMinusOneHundredStrictly) {
    Character atLimit(at(0, -100.0f, 0));
    atLimit.setColliding(true);
    atLimit.update(0.01);
    EXPECT_FALSE(atLimit.fellOff);

    Character below(at(0, -100.01f, 0));
    below.setColliding(true);
    below.update(0.01);
    EXPECT_TRUE(below.fellOff);
}

TEST_F(GameObjects, CharacterResetReturnsToTheStartStill) {
    Character figure(at(0, 4, 0));
    figure.rotate(75.0f, vec3(0, 1, 0), scene::Local);
    figure.translate(vec3(3, -200, 7), scene::Local);
    figure.update(0.1);
    figure.update(0.1);
    ASSERT_TRUE(figure.fellOff);
    figure.setColliding(true);
    figure.reset();
    EXPECT_EQ(figure.getModelMatrix(), at(0, 4, 0));
    EXPECT_EQ(figure.velocity, vec3(0, 0, 0));
    EXPECT_FALSE(figure.fellOff);
    EXPECT_FALSE(figure.onGround);
}

TEST_F(GameObjects, TheFigureMovesInItsOwnAxes) {
    Character figure(at(0, 4, 0));
    figure.rotate(90.0f, vec3(1, 0, 0), scene::Local);  // its y axis now points along world +z
    figure.update(0.1);
    expectPosition(figure, 0, 4, -0.25f);
}

TEST_F(GameObjects, PlatformCarriesWhileTouchedAndStopsWhereItIs) {
    // p 0/0/0 0/2/0 1/1/1
    Platform lift(placed(vec3(0, 0, 0), vec3(1, 1, 1)), 0, 2, 0);
    Character rider(at(0, 0.5f, 0));
    lift.update(0.5);
    expectPosition(lift, 0, 0, 0);  // resting until touched

    lift.setColliding(true);
    lift.addChild(&rider);
    lift.update(0.5);
    lift.update(0.5);
    expectPosition(lift, 0, 2, 0);
    expectPosition(rider, 0, 2.5f, 0);

    lift.removeChild(&rider);
    lift.setColliding(false);
    lift.update(0.5);
    expectPosition(lift, 0, 2, 0);
    expectPosition(rider, 0, 2.5f, 0);

    lift.setColliding(true);
    lift.reset();
    EXPECT_FALSE(lift.moving);
    expectPosition(lift, 0, 0, 0);
}

TEST_F(GameObjects, PlatformMovesInWorldAxesWhateverItsScale) {
    Platform ferry(placed(vec3(1, 2, 3), vec3(4, 1, 4)), 0, 0, -5);
    ferry.setColliding(true);
    ferry.update(1.0);
    expectPosition(ferry, 1, 2, -2);
}

TEST_F(GameObjects, PlatformHandsOverItsMatrixBeforeItMoves) {
    // The contact test of a frame must see the platform where it was before that frame's move:
    // a figure placed where the platform is only after the move does not touch it yet.
    Platform lift(placed(vec3(0, 0, 0), vec3(1, 1, 1)), 0, 10, 0);
    Platform probe(placed(vec3(0, 10, 0), vec3(1, 1, 1)), 0, 0, 0);
    ASSERT_NE(lift.collisionModel, nullptr) << "the cloud model did not load";
    probe.update(0.0);
    lift.setColliding(true);
    lift.update(1.0);
    expectPosition(lift, 0, 10, 0);
    EXPECT_FALSE(lift.collidesWith(&probe));
    lift.setColliding(false);
    lift.update(0.0);
    EXPECT_TRUE(lift.collidesWith(&probe));
}

TEST_F(GameObjects, GoalStartsOffsetInItsOwnAxes) {
    EndPlatform goal(placed(vec3(30, 6, -40), vec3(2, 1, 2)));  // e 30/6/-40 2/1/2
    expectPosition(goal, 34, 6, -40);
    EXPECT_TRUE(goal.moving);
    EXPECT_EQ(goal.velocity, vec3(5, 0, 0));
    goal.setColliding(false);
    EXPECT_TRUE(goal.moving);
}

TEST_F(GameObjects, GoalReversesAfterMoreThanThreeSecondsDroppingTheExcess) {
    EndPlatform goal(placed(vec3(0, 0, 0), vec3(1, 1, 1)));
    for (int i = 0; i < 3; ++i) {
        goal.update(1.0);
    }
    EXPECT_EQ(goal.velocity, vec3(5, 0, 0)) << "exactly 3 s is not yet more than 3 s";
    expectPosition(goal, 2 + 15, 0, 0);

    goal.update(0.5);
    EXPECT_EQ(goal.velocity, vec3(-5, 0, 0));
    EXPECT_DOUBLE_EQ(goal.elapsed, 0.0);
    expectPosition(goal, 2 + 17.5f, 0, 0);

    goal.update(1.0);
    expectPosition(goal, 2 + 12.5f, 0, 0);
    EXPECT_DOUBLE_EQ(goal.elapsed, 1.0);
}

TEST_F(GameObjects, GoalResetKeepsItsLegGoing) {
    EndPlatform goal(placed(vec3(10, 0, 0), vec3(2, 1, 2)));
    goal.update(3.5);  // one long step: moved, then reversed
    goal.update(1.0);
    goal.reset();
    expectPosition(goal, 14, 0, 0);
    EXPECT_EQ(goal.velocity, vec3(-5, 0, 0));
    EXPECT_DOUBLE_EQ(goal.elapsed, 1.0);
    EXPECT_TRUE(goal.moving);
}

TEST_F(GameObjects, FlagSitsAboveTheGoalAndCirclesItsCentre) {
    EndPlatform goal(placed(vec3(30, 6, -40), vec3(2, 1, 2)));
    Flag flag(goal.getModelMatrix());
    goal.addChild(&flag);
    expectPosition(flag, 38, 10, -40);  // (4, 4, 0) from the goal: the offset scales with it

    flag.update(0.9);  // 45 degrees round the goal's vertical line
    const vec3 offset = flag.getModelMatrix().position() - goal.getModelMatrix().position();
    EXPECT_NEAR(std::hypot(offset.x, offset.z), 4.0f, 1e-4f);
    EXPECT_NEAR(offset.x, 4.0f * std::cos(M_PI / 4), 1e-4f);
    EXPECT_NEAR(offset.y, 4.0f, 1e-4f);

    goal.update(1.0);  // the goal carries its flag
    const vec3 carried = flag.getModelMatrix().position() - goal.getModelMatrix().position();
    EXPECT_NEAR(carried.x, offset.x, 1e-4f);
    EXPECT_NEAR(carried.z, offset.z, 1e-4f);

    goal.reset();
    flag.reset();
    expectPosition(flag, 38, 10, -40);
}

TEST_F(GameObjects, FlagWithoutParentOnlySpins) {
    Flag flag(at(5, 0, 0));
    const vec3 start = flag.getModelMatrix().position();
    flag.update(1.125);  // 90 degrees of spin
    EXPECT_EQ(flag.getModelMatrix().position(), start);
    const vec3 xAxis = flag.getModelMatrix().column(0).xyz();
    EXPECT_NEAR(xAxis.x, 0.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(xAxis.z), 1.0f, 1e-5f);
}

}  // namespace
}  // namespace vantor::test

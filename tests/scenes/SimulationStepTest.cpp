#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "base/Statistics.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace {

constexpr int32_t kStepsPerSecond = 210;
constexpr float kGroundTop = 560.0f;  // a 1000 x 600 world with 40 units of ground

// A walled world with ground at y = 560 (y grows downward) and the game's
// step defaults.
class StepWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Scenes::MakeWalledWorld(mScene, RectF(0.0f, 0.0f, 1000.0f, 600.0f)));
        Scenes::ApplyStepDefaults(mScene);
    }

    // Boxes that do not dent: these tests are about contacts, not about the
    // shape a hard landing leaves.
    Toy* AddBox(const VectorF& centre, float side = 40.0f)
    {
        Toy* toy = Scenes::AddBoxToy(mScene, VectorF(side, side), centre);
        EXPECT_NE(toy, nullptr);
        if (toy) toy->SetAllowPlasticDeform(false);
        return toy;
    }

    void Step(int32_t steps = 1) { Scenes::StepWorld(mScene, mSettings, steps); }

    Scene mScene;
    GameSettings mSettings;
};

TEST_F(StepWorld, DroppedBoxRebondsLowerThenRestsAndSleeps)
{
    Toy* box = AddBox(VectorF(500.0f, 300.0f));
    box->SetRestitutionWithTerrain(0.4f);
    const float dropHeight = kGroundTop - 20.0f - box->mPosition.mY;

    // Falls until it meets the ground, then moves up again.
    int32_t step = 0;
    while (box->mVelocityAfterImpulses.mY >= 0.0f && step < 2 * kStepsPerSecond) {
        Step();
        ++step;
    }
    ASSERT_LT(step, 2 * kStepsPerSecond) << "the box never bounced";
    const float impactSpeed = box->mVelocity.mY;
    const float reboundSpeed = -box->mVelocityAfterImpulses.mY;
    EXPECT_GT(impactSpeed, 500.0f);
    EXPECT_GT(reboundSpeed, 0.0f);
    EXPECT_LT(reboundSpeed, impactSpeed) << "a bounce loses speed";

    // The rebound's peak stays below the drop height.
    float highest = box->mPosition.mY;
    while (box->mVelocityAfterImpulses.mY < 0.0f) {
        Step();
        highest = std::min(highest, box->mPosition.mY);
    }
    const float reboundHeight = kGroundTop - 20.0f - highest;
    EXPECT_GT(reboundHeight, 1.0f);
    EXPECT_LT(reboundHeight, 0.5f * dropHeight);

    // At rest on the ground, and asleep after its quiet steps.
    Step(3 * kStepsPerSecond);
    EXPECT_TRUE(box->GetSleeping());
    EXPECT_NEAR(box->mPosition.mY, kGroundTop - 20.0f, 1.0f);
    EXPECT_NEAR(box->mOrientation, 0.0f, 0.02f);
    for (int32_t i = 0; i < box->GetOutlinePointCount(); ++i)
        EXPECT_LT(box->mOutline[i].mY, kGroundTop + 1.0f) << "point " << i << " sank into the ground";
}

TEST_F(StepWorld, ARestingToySleepsAfterExactlyItsQuietSteps)
{
    Toy* box = AddBox(VectorF(500.0f, 300.0f));
    int32_t quiet = 0;
    for (int32_t step = 0; step < 3 * kStepsPerSecond && !box->GetSleeping(); ++step) {
        const bool wasQuiet = box->mSleepCounter > 0;
        Step();
        quiet = box->mSleepCounter > 0 ? (wasQuiet ? quiet + 1 : 1) : 0;
    }
    ASSERT_TRUE(box->GetSleeping());
    EXPECT_EQ(quiet, box->mSleepDelay);

    // Asleep, the toy keeps its pose and outline: the commit is skipped.
    const VectorF position = box->mPosition;
    const VectorF firstPoint = box->mOutline[0];
    Step(50);
    EXPECT_TRUE(box->GetSleeping());
    EXPECT_EQ(box->mPosition, position);
    EXPECT_EQ(box->mOutline[0], firstPoint);

    // With sleeping switched off it wakes at the next step.
    mSettings.mSleepingEnabled = 0;
    Step();
    EXPECT_FALSE(box->GetSleeping());
}

TEST_F(StepWorld, AFallingToyNeverSleeps)
{
    Toy* box = AddBox(VectorF(500.0f, 100.0f));
    box->mGravity = VectorF();
    mScene.mGravity = VectorF();
    box->SetAirFriction(0.0f);
    Step(60);
    EXPECT_FALSE(box->GetSleeping()) << "at rest in the air, it touches nothing";
    EXPECT_EQ(box->mSleepCounter, 0);
}

TEST_F(StepWorld, StackOfThreeBoxesStandsForTenSeconds)
{
    Toy* boxes[3];
    for (int32_t i = 0; i < 3; ++i) boxes[i] = AddBox(VectorF(500.0f, kGroundTop - 21.0f - 41.0f * i));
    Step(10 * kStepsPerSecond);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(boxes[i]->mPosition.mX, 500.0f, 2.0f) << "box " << i;
        EXPECT_NEAR(boxes[i]->mPosition.mY, kGroundTop - 20.0f - 40.0f * i, 2.0f) << "box " << i;
        EXPECT_NEAR(boxes[i]->mOrientation, 0.0f, 0.05f) << "box " << i;
    }
}

TEST_F(StepWorld, BoxesDroppedOntoEachOtherEndStacked)
{
    Toy* lower = AddBox(VectorF(500.0f, 300.0f));
    Toy* upper = AddBox(VectorF(500.0f, 200.0f));
    Step(4 * kStepsPerSecond);
    EXPECT_NEAR(lower->mPosition.mY, kGroundTop - 20.0f, 2.0f);
    EXPECT_NEAR(upper->mPosition.mY, kGroundTop - 60.0f, 2.0f) << "the upper box rests on the lower one";
    EXPECT_NEAR(upper->mPosition.mX, 500.0f, 10.0f);
    EXPECT_TRUE(lower->GetSleeping());
    EXPECT_TRUE(upper->GetSleeping());
}

TEST_F(StepWorld, SlipperyToySlidesFurtherThanAGrippyOne)
{
    // Both thrown sideways along the ground; slippery 1 keeps the slide.
    Toy* grippy = AddBox(VectorF(200.0f, kGroundTop - 21.0f));
    Toy* slippery = AddBox(VectorF(600.0f, kGroundTop - 21.0f));
    slippery->SetSlippery(1.0f);
    Step(20);
    grippy->SetVelocity(VectorF(300.0f, 0.0f));
    slippery->SetVelocity(VectorF(300.0f, 0.0f));
    Step(kStepsPerSecond / 2);
    const float grippyRun = grippy->mPosition.mX - 200.0f;
    const float slipperyRun = slippery->mPosition.mX - 600.0f;
    EXPECT_GT(slipperyRun, 100.0f);
    EXPECT_LT(grippyRun, 0.5f * slipperyRun);
}

TEST_F(StepWorld, WithEveryStageSwitchedOffNothingMoves)
{
    Statistics statistics;
    statistics.InitItems();
    Statistics* saved = gStatistics;
    gStatistics = &statistics;
    Toy* falling = AddBox(VectorF(300.0f, 200.0f));
    Toy* moving = AddBox(VectorF(700.0f, 200.0f));
    moving->SetVelocity(VectorF(100.0f, -50.0f));
    Step(5);
    for (int32_t k = 1; k <= 12; ++k) mSettings.SetToySubPlayEnabled(k, false);
    for (int32_t item = 19; item <= 30; ++item) statistics.GetItem(item)->Ticks()[0] = -1;
    const uint64_t before = Scenes::HashToyState(mScene);
    const VectorF fallingAt = falling->mPosition;
    const VectorF movingAt = moving->mPosition;
    mScene.mIslandCount = -1;
    Step(20);
    EXPECT_EQ(Scenes::HashToyState(mScene), before);
    EXPECT_EQ(falling->mPosition, fallingAt);
    EXPECT_EQ(moving->mPosition, movingAt);
    EXPECT_EQ(mScene.mIslandCount, 2) << "the islands are still rebuilt";
    for (int32_t item = 19; item <= 30; ++item)
        EXPECT_GE(statistics.GetItem(item)->Ticks()[0], 0) << "stage " << item - 18 << " still timed";
    gStatistics = saved;
}

TEST_F(StepWorld, StageSwitchesStopTheirOwnWork)
{
    Toy* box = AddBox(VectorF(500.0f, 300.0f));
    // Without stage 11 nothing is committed: the pose never changes.
    mSettings.SetToySubPlayEnabled(11, false);
    const VectorF start = box->mPosition;
    Step(30);
    EXPECT_EQ(box->mPosition, start);
    EXPECT_GT(box->mVelocityAfterImpulses.mY, 0.0f) << "but gravity still integrates";
    // Stage 10's switch has nothing to switch.
    mSettings.SetToySubPlayEnabled(11, true);
    mSettings.SetToySubPlayEnabled(10, false);
    Step(30);
    EXPECT_GT(box->mPosition.mY, start.mY);
}

TEST_F(StepWorld, ZeroVelocityIterationsSolveNothing)
{
    Statistics statistics;
    statistics.InitItems();
    Statistics* saved = gStatistics;
    gStatistics = &statistics;
    AddBox(VectorF(500.0f, kGroundTop - 21.0f));
    mSettings.mVelIterations = 0;
    Step(30);
    EXPECT_EQ(StatGetInt(kStatSolverStepsCount), 0);
    mSettings.mVelIterations = 100;
    Step(1);
    EXPECT_GT(StatGetInt(kStatSolverStepsCount), 0);
    gStatistics = saved;
}

TEST_F(StepWorld, AnIslandOfSleepersIsFrozenButALoneSleeperIsSolved)
{
    Toy* lower = AddBox(VectorF(300.0f, kGroundTop - 21.0f));
    Toy* upper = AddBox(VectorF(300.0f, kGroundTop - 62.0f));
    Toy* alone = AddBox(VectorF(700.0f, kGroundTop - 21.0f));
    Step(3 * kStepsPerSecond);
    ASSERT_TRUE(lower->GetSleeping() && upper->GetSleeping() && alone->GetSleeping());
    ASSERT_EQ(mScene.mIslandCount, 2);
    Step();
    EXPECT_EQ(upper->mVelocityAfterImpulses, VectorF()) << "a pile asleep is held still";
    EXPECT_EQ(lower->mStepDisplacement, VectorF());
    EXPECT_LT(alone->mVelocityAfterImpulses.GetLengthSquared(), 40.0f) << "the ground still holds the lone toy";
}

} // namespace
} // namespace KIV

namespace KIV {
namespace {

// How deep the points of one toy's outline lie inside another's: the largest distance from a
// point inside to the other's nearest outline edge (0 when none is inside).
float DeepestPointInside(const Toy& toy, const Toy& other)
{
    const Array<VectorF>& ring = other.mOutline;
    const int32_t n = ring.Count();
    float deepest = 0.0f;
    for (const VectorF& p : toy.mOutline) {
        bool inside = false;
        float nearest = 1e30f;
        for (int32_t i = 0, j = n - 1; i < n; j = i++) {
            const VectorF a = ring[j], b = ring[i];
            if ((a.mY > p.mY) != (b.mY > p.mY) && p.mX < a.mX + (p.mY - a.mY) * (b.mX - a.mX) / (b.mY - a.mY))
                inside = !inside;
            const VectorF ab = b - a;
            const float t = std::clamp(Dot(p - a, ab) / ab.GetLengthSquared(), 0.0f, 1.0f);
            nearest = std::min(nearest, (a + ab * t - p).GetLength());
        }
        if (inside) deepest = std::max(deepest, nearest);
    }
    return deepest;
}

} // namespace

// Two boxes laid over each other at a corner, without gravity, stepped once: the overlap
// shrinks in that step only when the un-penetration stage runs (switched by its stage byte and
// by its own setting).
TEST_F(StepWorld, UnPenetrationShrinksAnOverlapOnlyWhenItRuns)
{
    struct Case {
        bool stage;
        bool setting;
        bool shrinks;
    } const cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(Scenes::MakeWalledWorld(scene, RectF(0.0f, 0.0f, 1000.0f, 600.0f)));
        Scenes::ApplyStepDefaults(scene);
        scene.mGravity = VectorF();
        Toy* a = Scenes::AddBoxToy(scene, VectorF(40.0f, 40.0f), VectorF(500.0f, 300.0f));
        Toy* b = Scenes::AddBoxToy(scene, VectorF(40.0f, 40.0f), VectorF(510.0f, 336.0f));
        ASSERT_TRUE(a && b);
        const float before = DeepestPointInside(*a, *b) + DeepestPointInside(*b, *a);
        ASSERT_GT(before, 3.0f);
        GameSettings settings;
        settings.SetToySubPlayEnabled(5, c.stage);
        settings.mUnPenetrate = c.setting ? 1 : 0;
        Scenes::StepWorld(scene, settings, 1);
        const float after = DeepestPointInside(*a, *b) + DeepestPointInside(*b, *a);
        if (c.shrinks)
            EXPECT_LT(after, 0.5f * before) << "stage " << c.stage << " setting " << c.setting;
        else
            EXPECT_GT(after, 0.9f * before) << "stage " << c.stage << " setting " << c.setting;
    }
}

} // namespace KIV

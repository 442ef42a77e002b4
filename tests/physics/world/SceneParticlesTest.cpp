#include <gtest/gtest.h>
#include <vector>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/world/Scene.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

struct SceneParticles : ::testing::Test {
    Statistics statistics;
    Scene scene;

    void SetUp() override
    {
        ASSERT_TRUE(scene.SetupGrid(RectF(0.0f, 0.0f, 1000.0f, 1000.0f)));
        scene.mStepLength = 1.0f / 210.0f;
    }

    void Step()
    {
        scene.UpdateParticleSystems(false);
        scene.RemoveFinishedParticleSystems();
    }
};

TEST_F(SceneParticles, AListTakes32768SystemsAndRefusesTheNextCleanly)
{
    ParticleSystemList& list = scene.mParticleSystems;
    for (int32_t i = 0; i < ParticleSystemList::kMaxSystems; ++i)
        ASSERT_NE(scene.NewParticleSystem(list), nullptr) << i;
    EXPECT_EQ(scene.CreateParticleSystem("one too many", nullptr, "", 0, false), nullptr);
    EXPECT_EQ(list.Count(), ParticleSystemList::kMaxSystems);
    EXPECT_EQ(list.GetUsedCount(), ParticleSystemList::kMaxSystems);
    // The other list has its own limit.
    EXPECT_NE(scene.CreateParticleSystem("builder", nullptr, "", 0, true), nullptr);

    // A removed system's index is the next one handed out.
    ParticleSystem* gone = list[100];
    const int32_t index = gone->mPoolIndex;
    ASSERT_TRUE(scene.DeleteParticleSystem(list, gone));
    EXPECT_EQ(list.GetUsedCount(), ParticleSystemList::kMaxSystems - 1);
    ParticleSystem* again = scene.CreateParticleSystem("again", nullptr, "", 0, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->mPoolIndex, index);
}

TEST_F(SceneParticles, FinishedSystemsLeaveAndGiveTheirIndexBack)
{
    ParticleSystemList& list = scene.mParticleSystems;
    // Far more short-lived systems than the list has indices.
    for (int32_t round = 0; round < 3; ++round) {
        for (int32_t i = 0; i < ParticleSystemList::kMaxSystems / 2; ++i) {
            ParticleSystem* burst = scene.NewParticleSystem(list);
            ASSERT_NE(burst, nullptr) << "round " << round << ", system " << i;
            burst->SwitchOFFParticleEmitting();
            burst->SetDeleteWhenEmpty(true);
        }
        Step();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.GetUsedCount(), 0);
    }
}

// Finished systems give their pool indices back last to first in the list,
// which decides the index every later system gets. The pass notes those it
// finishes so that their removal need not read every system; however they
// were noted, the indices handed out next are those of deleting the same
// systems by hand from the end of the list.
TEST_F(SceneParticles, FinishedSystemsGoLastToFirstHoweverTheyWereNoted)
{
    struct Case {
        const char* name;
        std::vector<int32_t> firstPass;   // systems finishing in the first pass
        std::vector<int32_t> secondPass;  // and in a second one, before any removal
        bool unlisted;                    // a system the list could not note
    };
    const Case cases[] = {
        {"one pass", {1, 3, 4}, {}, false},
        {"two passes, the later one finishing earlier systems", {4, 5}, {0, 2}, false},
        {"one that could not be noted", {2, 5}, {}, true},
    };
    constexpr int32_t kSystems = 6;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // By hand: the same systems deleted from the end of the list.
        std::vector<int32_t> expected;
        {
            Scene byHand;
            ParticleSystemList& list = byHand.mParticleSystems;
            for (int32_t i = 0; i < kSystems; ++i) byHand.NewParticleSystem(list)->SwitchOFFParticleEmitting();
            std::vector<ParticleSystem*> gone;
            for (int32_t i = kSystems - 1; i >= 0; --i)
                for (const std::vector<int32_t>* pass : {&c.firstPass, &c.secondPass})
                    for (int32_t k : *pass)
                        if (k == i) gone.push_back(list[i]);
            for (ParticleSystem* system : gone) ASSERT_TRUE(byHand.DeleteParticleSystem(list, system));
            for (size_t i = 0; i < gone.size(); ++i) expected.push_back(byHand.NewParticleSystem(list)->mPoolIndex);
        }
        Scene stepped;
        ASSERT_TRUE(stepped.SetupGrid(RectF(0.0f, 0.0f, 1000.0f, 1000.0f)));
        ParticleSystemList& list = stepped.mParticleSystems;
        for (int32_t i = 0; i < kSystems; ++i) stepped.NewParticleSystem(list)->SwitchOFFParticleEmitting();
        std::vector<ParticleSystem*> systems(list.begin(), list.end());
        for (int32_t k : c.firstPass) systems[k]->SetDeleteWhenEmpty(true);
        stepped.UpdateParticleSystems(false);
        if (!c.secondPass.empty()) {
            for (int32_t k : c.secondPass) systems[k]->SetDeleteWhenEmpty(true);
            stepped.UpdateParticleSystems(false);
        }
        if (c.unlisted) {
            list.mFinished.RemoveValue(systems[c.firstPass.back()]);
            list.mFinishedUnlisted = true;
        }
        stepped.RemoveFinishedParticleSystems();
        EXPECT_EQ(list.Count(), kSystems - static_cast<int32_t>(expected.size()));
        EXPECT_TRUE(list.mFinished.IsEmpty());
        std::vector<int32_t> handedOut;
        for (size_t i = 0; i < expected.size(); ++i) handedOut.push_back(stepped.NewParticleSystem(list)->mPoolIndex);
        EXPECT_EQ(handedOut, expected);
    }
}

TEST_F(SceneParticles, ABurstCopyCountsItsParticlesUntilItIsEmpty)
{
    ParticleSystem* burst = scene.NewParticleSystem(scene.mParticleSystems);
    burst->SwitchOFFParticleEmitting();
    burst->SetBounceOffTerrain(false);
    burst->SetBounceOffToys(false);
    burst->SetDeleteWhenEmpty(true);
    burst->SetDoSizing(true);
    burst->SetSizingBy(IntervalF(-2000.0f, -2000.0f));
    burst->SetEmitBoomCountMin(5);
    burst->SetEmitBoomCountMax(5);
    ParticleSystem* copy = scene.SpawnParticleSystemCopy(burst);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(scene.DeleteParticleSystem(scene.mParticleSystems, burst));
    copy->EmitBoom();
    Step();
    EXPECT_EQ(StatGetInt(kStatParticlesTotalCount), 5);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsCount), 1);
    for (int32_t i = 0; i < 10 && scene.mParticleSystems.Count() > 0; ++i) Step();
    EXPECT_EQ(scene.mParticleSystems.Count(), 0);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsCount), 0);
    EXPECT_EQ(scene.SpawnParticleSystemCopy(nullptr), nullptr);
    EXPECT_EQ(scene.mParticleSystems.GetUsedCount(), 0);
}

TEST_F(SceneParticles, TheRobotBuildersSystemsAreNeverUpdated)
{
    ParticleSystem* held = scene.CreateParticleSystem("jet", nullptr, "", 0, true);
    ASSERT_NE(held, nullptr);
    held->SwitchONParticleEmitting();
    held->SetEmittingInterval(IntervalF(0.001f, 0.001f));
    for (int32_t i = 0; i < 20; ++i) Step();
    EXPECT_EQ(held->GetParticleCount(), 0);
    EXPECT_EQ(StatGetInt(kStatParticleSystemsEditCount), 1);
}

TEST_F(SceneParticles, ATextureGetsOneShardSystem)
{
    Texture texture;
    texture.mFileName = "Toys\\crate.png";
    ASSERT_TRUE(scene.EnsureShardParticleSystem(&texture));
    ASSERT_TRUE(scene.EnsureShardParticleSystem(&texture));
    EXPECT_FALSE(scene.EnsureShardParticleSystem(nullptr));
    ASSERT_EQ(scene.mParticleSystems.Count(), 1);
    ParticleSystem* shards = scene.mParticleSystems[0];
    EXPECT_EQ(shards->GetName(), "SHARD PARTICLES");
    EXPECT_TRUE(shards->GetShardSystem());
    EXPECT_EQ(texture.mShardSystems.Get(&scene), shards);
    // The map lets go of a system that leaves.
    ASSERT_TRUE(scene.DeleteParticleSystem(scene.mParticleSystems, shards));
    EXPECT_EQ(texture.mShardSystems.Get(&scene), nullptr);
}

} // namespace

// The step leaves the bounds to be measured when read: a read after any
// number of steps sees the particles where they are then, and none after
// the last one died.
TEST_F(SceneParticles, BoundsReadAfterAStepAreThoseOfTheParticlesThen)
{
    ParticleSystem* ps = scene.NewParticleSystem(scene.mParticleSystems);
    ps->SwitchOFFParticleEmitting();
    ps->SetBounceOffTerrain(false);
    ps->SetBounceOffToys(false);
    ps->SetDoFadeAlpha(true);
    ps->SetFadeAlphaFadeOut(20000.0f); // about 255 / 20000 × 210 ≈ 2.7 steps of life
    const VectorF starts[] = {{100.0f, 200.0f}, {300.0f, 50.0f}};
    const VectorF velocities[] = {{210.0f, 0.0f}, {0.0f, -420.0f}};
    for (int32_t i = 0; i < 2; ++i) {
        const int32_t slot = ps->EmitOne();
        ASSERT_GE(slot, 0);
        ps->mPositions[slot] = starts[i];
        ps->mVelocities[slot] = velocities[i];
    }
    const struct {
        RectF bounds;  // after step k (1-based)
    } afterStep[] = {
        {RectF(101.0f, 48.0f, 300.0f, 200.0f)},
        {RectF(102.0f, 46.0f, 300.0f, 200.0f)},
        {RectF()},
    };
    for (const auto& expected : afterStep) {
        Step();
        const RectF b = ps->GetBounds();
        const float got[] = {b.x1, b.y1, b.x2, b.y2};
        const float want[] = {expected.bounds.x1, expected.bounds.y1, expected.bounds.x2, expected.bounds.y2};
        for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(got[k], want[k], 1e-3f) << "edge " << k;
        EXPECT_EQ(ps->GetBounds(), b) << "a second read measures the same";
    }
}

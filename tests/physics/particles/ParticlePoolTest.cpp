#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

namespace {

// Every slot lies in exactly one of the moving list, the sleeping list and the
// free chain; the lists are linked both ways and their counts are right; the
// free chain ends at the capacity.
::testing::AssertionResult PoolIsWhole(const ParticleSystem& ps)
{
    const int32_t capacity = ps.GetPoolCapacity();
    std::vector<int> seen(capacity, 0);
    auto walkList = [&](int32_t head, int32_t count, const char* name) -> ::testing::AssertionResult {
        int32_t previous = -1, n = 0;
        for (int32_t slot = head; slot >= 0; slot = ps.GetLink(slot).mNext) {
            if (slot >= capacity) return ::testing::AssertionFailure() << name << " runs past the pool";
            if (seen[slot]++) return ::testing::AssertionFailure() << "slot " << slot << " listed twice";
            if (ps.GetLink(slot).mPrevious != previous)
                return ::testing::AssertionFailure() << name << ": slot " << slot << " links back wrongly";
            previous = slot;
            if (++n > capacity) return ::testing::AssertionFailure() << name << " loops";
        }
        if (n != count) return ::testing::AssertionFailure() << name << " holds " << n << ", counts " << count;
        return ::testing::AssertionSuccess();
    };
    if (auto r = walkList(ps.GetMovingHead(), ps.GetMovingCount(), "moving list"); !r) return r;
    if (auto r = walkList(ps.GetSleepingHead(), ps.GetSleepingCount(), "sleeping list"); !r) return r;
    int32_t freeCount = 0, slot = ps.GetFreeHead();
    for (; slot >= 0 && slot < capacity; slot = ps.GetLink(slot).mNext) {
        if (seen[slot]++) return ::testing::AssertionFailure() << "free slot " << slot << " also in use";
        if (++freeCount > capacity) return ::testing::AssertionFailure() << "free chain loops";
    }
    if (slot != capacity) return ::testing::AssertionFailure() << "free chain ends at " << slot;
    if (ps.GetMovingCount() + ps.GetSleepingCount() + freeCount != capacity)
        return ::testing::AssertionFailure() << "moving + sleeping + free != capacity";
    return ::testing::AssertionSuccess();
}

// A system that switches every per-particle feature on, so the arrays that
// must follow the pool all exist.
void SwitchAllFeaturesOn(ParticleSystem& ps)
{
    ps.SetMultiTexture(2, 2);
    ps.SetParticleRotationStyle(1);
    ps.SetAllowSleepingParticles(true);
    ps.SetShardSystem(true);
    ps.SetPenetratingParticles(true);
    ps.SetSizingBy(IntervalF(-1.0f, -2.0f));
    ps.SetDoSizing(true);
    ps.SetFadeAlphaFadeOut(10.0f);
    ps.SetDoFadeAlpha(true);
    ps.SetAirFrictionCoef(IntervalF(0.9f, 1.0f));
    ps.SetDoAirFriction(true);
    ps.SetDoAngleTracker(true);
    ps.SetDoColorBlink(true);
    ps.SetDoAlphaBlink(true);
}

// Capacities of every feature array that is switched on in SwitchAllFeaturesOn.
std::vector<int32_t> FeatureCapacities(const ParticleSystem& ps)
{
    return {ps.mPositions.Capacity(),        ps.mSizes.Capacity(),           ps.mColors.Capacity(),
            ps.mVelocities.Capacity(),       ps.mTexRects.Capacity(),        ps.mAngles.Capacity(),
            ps.mAngularSpeeds.Capacity(),    ps.mSleepCountdowns.Capacity(), ps.mShards.Capacity(),
            ps.mPenetrations.Capacity(),     ps.mSizingFactors.Capacity(),   ps.mFadePhases.Capacity(),
            ps.mFadeStartAlphas.Capacity(),  ps.mAirFrictionCoefs.Capacity(), ps.mAngleTrackerIndices.Capacity(),
            ps.mBlinkColors1.Capacity(),     ps.mBlinkColors2.Capacity(),    ps.mColorBlinkTimers.Capacity(),
            ps.mColorBlinkPhases.Capacity(), ps.mBlinkAlphas1.Capacity(),    ps.mBlinkAlphas2.Capacity(),
            ps.mAlphaBlinkTimers.Capacity(), ps.mAlphaBlinkPhases.Capacity()};
}

} // namespace

TEST(ParticlePool, StaysWholeThroughRandomEmitSleepAndKillSequences)
{
    for (uint32_t seed : {1u, 7u, 12345u}) {
        ParticleSystem ps;
        ps.ApplyAllProperties();
        uint32_t state = seed;
        auto next = [&state] {
            state = state * 1664525u + 1013904223u;
            return state >> 8;
        };
        for (int32_t round = 0; round < 3000; ++round) {
            const uint32_t action = next() % 10;
            if (action < 5) {
                ps.EmitOne();
            } else {
                // Pick the k-th live particle of one list and sleep or free it.
                const bool fromSleeping = action >= 8 && ps.GetSleepingCount() > 0;
                const int32_t count = fromSleeping ? ps.GetSleepingCount() : ps.GetMovingCount();
                if (count == 0) continue;
                int32_t slot = fromSleeping ? ps.GetSleepingHead() : ps.GetMovingHead();
                for (uint32_t k = next() % count; k > 0; --k) slot = ps.GetLink(slot).mNext;
                if (fromSleeping) ps.FreeSleepingParticle(slot);
                else if (action == 5) ps.MoveToSleeping(slot);
                else ps.FreeMovingParticle(slot);
            }
            if (round % 97 == 0) {
                ASSERT_TRUE(PoolIsWhole(ps)) << "seed " << seed << ", round " << round;
            }
        }
        ASSERT_TRUE(PoolIsWhole(ps));
        ps.DeleteAllParticles();
        ASSERT_TRUE(PoolIsWhole(ps));
        EXPECT_EQ(ps.GetFreeHead(), 0);
    }
}

TEST(ParticlePool, FreeingAsAWalkGoesVisitsEverySlotOnce)
{
    ParticleSystem ps;
    for (int i = 0; i < 10; ++i) ps.EmitOne();
    int32_t visited = 0;
    for (int32_t slot = ps.GetMovingHead(); slot >= 0; ++visited) slot = ps.FreeMovingParticle(slot);
    EXPECT_EQ(visited, 10);
    EXPECT_EQ(ps.GetMovingCount(), 0);
    EXPECT_TRUE(PoolIsWhole(ps));
}

TEST(ParticlePool, GrowsByItsGrowthAndChainsTheNewSlotsOn)
{
    ParticleSystem ps;
    ps.mInitialPoolSize = 8;
    ps.mPoolGrowth = 2;  // clamped to 4 when the pool grows
    ps.ApplyAllProperties();
    for (int i = 0; i < 8; ++i) ASSERT_GE(ps.EmitOne(), 0);
    ps.FreeMovingParticle(ps.GetMovingHead());
    ASSERT_GE(ps.EmitOne(), 0);
    EXPECT_EQ(ps.GetPoolCapacity(), 8);
    ASSERT_GE(ps.EmitOne(), 0);
    EXPECT_EQ(ps.GetPoolCapacity(), 12);
    EXPECT_EQ(ps.mPoolGrowth, 4);
    EXPECT_TRUE(PoolIsWhole(ps));
}

TEST(ParticlePool, TheEightThousandthParticleIsTheLast)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    for (int i = 0; i < ParticleSystem::kMaxParticles - 1; ++i) ASSERT_GE(ps.EmitOne(), 0);
    StatSetInt(kStatParticlesEmittedLastFrame, 0);
    EXPECT_GE(ps.EmitOne(), 0);
    EXPECT_EQ(ps.EmitOne(), -1);
    EXPECT_EQ(StatGetInt(kStatParticlesEmittedLastFrame), 1);
    // Sleeping particles count towards the limit as well.
    ps.MoveToSleeping(ps.GetMovingHead());
    EXPECT_EQ(ps.EmitOne(), -1);
    ps.FreeSleepingParticle(ps.GetSleepingHead());
    EXPECT_GE(ps.EmitOne(), 0);
    EXPECT_TRUE(PoolIsWhole(ps));
}

TEST(ParticlePool, APoolThatCannotGrowRefusesTheEmissionAndStaysWhole)
{
    ParticleSystem ps;
    ps.mInitialPoolSize = 16;
    ps.ApplyAllProperties();
    SwitchAllFeaturesOn(ps);
    ps.mPoolGrowth = INT32_MAX;
    for (int i = 0; i < 16; ++i) ASSERT_GE(ps.EmitOne(), 0);
    EXPECT_EQ(ps.EmitOne(), -1);
    EXPECT_EQ(ps.GetPoolCapacity(), 16);
    for (int32_t capacity : FeatureCapacities(ps)) EXPECT_EQ(capacity, 16);
    EXPECT_TRUE(PoolIsWhole(ps));
}

TEST(ParticlePool, FeatureArraysFollowThePoolAsItGrows)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    SwitchAllFeaturesOn(ps);
    for (int i = 0; i < 3000; ++i) ASSERT_GE(ps.EmitOne(), 0);
    ASSERT_EQ(ps.GetPoolCapacity(), 3072);
    const std::vector<int32_t> capacities = FeatureCapacities(ps);
    for (size_t i = 0; i < capacities.size(); ++i) EXPECT_EQ(capacities[i], 3072) << "array " << i;
    // And leave with their features.
    ps.SetDoColorBlink(false);
    ps.SetParticleRotationStyle(2);
    EXPECT_EQ(ps.mColorBlinkTimers.Capacity(), 0);
    EXPECT_EQ(ps.mAngles.Capacity(), 0);
}

TEST(ParticlePool, ABurstStopsAtTheLimitInsteadOfSpinning)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SwitchOFFParticleEmitting();
    // Spinning through two billion refusals would take many seconds.
    ps.SetEmitBoomCountMin(INT32_MAX);
    ps.SetEmitBoomCountMax(INT32_MAX);
    ps.EmitBoom();
    ps.UpdateEmission();
    EXPECT_EQ(ps.GetParticleCount(), ParticleSystem::kMaxParticles);
    EXPECT_EQ(ps.mBoomRequested, 0);
}

TEST(ParticlePool, AllowingSleepReservesTheCountdownsAtOnceAndStartsTheLivingOnes)
{
    ParticleSystem ps;
    ps.SetAllowSleepingParticles(false);
    ps.ApplyAllProperties();
    for (int i = 0; i < 5; ++i) ps.EmitOne();
    EXPECT_EQ(ps.mSleepCountdowns.Capacity(), 0);
    ps.SetAllowSleepingParticles(true);
    ASSERT_EQ(ps.mSleepCountdowns.Capacity(), ps.GetPoolCapacity());
    for (int32_t slot = ps.GetMovingHead(); slot >= 0; slot = ps.GetLink(slot).mNext)
        EXPECT_EQ(ps.mSleepCountdowns[slot], 21);
}

// A feature switched on while particles live gives each of them its start
// values, not whatever the new array's memory held.
TEST(ParticlePool, SwitchingAFeatureOnStartsItForTheLivingParticles)
{
    struct Case {
        const char* name;
        void (*switchOn)(ParticleSystem&);
        bool (*isStarted)(const ParticleSystem&, int32_t slot);
    };
    const Case cases[] = {
        {"fade", [](ParticleSystem& ps) { ps.SetFadeAlphaFadeOut(5.0f); ps.SetDoFadeAlpha(true); },
         [](const ParticleSystem& ps, int32_t s) {
             return ps.mFadePhases[s] == 1 && ps.mFadeStartAlphas[s] == float(ps.mColors[s].mAlpha);
         }},
        {"sizing", [](ParticleSystem& ps) { ps.SetSizingBy(IntervalF(3.0f, 4.0f)); ps.SetDoSizing(true); },
         [](const ParticleSystem& ps, int32_t s) { return ps.mSizingFactors[s] >= 3.0f && ps.mSizingFactors[s] <= 4.0f; }},
        {"air friction", [](ParticleSystem& ps) { ps.SetDoAirFriction(true); },
         [](const ParticleSystem& ps, int32_t s) {
             return ps.mAirFrictionCoefs[s] >= 0.9f && ps.mAirFrictionCoefs[s] <= 1.05f;
         }},
        {"angle tracker", [](ParticleSystem& ps) { ps.SetDoAngleTracker(true); },
         [](const ParticleSystem& ps, int32_t s) {
             return ps.mAngleTrackerIndices[s] >= 0 && ps.mAngleTrackerIndices[s] < ps.mAngleTrackerTable.Count();
         }},
        {"colour blink", [](ParticleSystem& ps) { ps.SetDoColorBlink(true); },
         [](const ParticleSystem& ps, int32_t s) {
             const BlinkTimer t = ps.mColorBlinkTimers[s];
             return t.mElapsed == 0 && t.mPeriod >= 5 && t.mPeriod < 10 && ps.mColorBlinkPhases[s] == 0 &&
                    ps.mBlinkColors1[s] == ColorRGB{255, 255, 255};
         }},
        {"alpha blink", [](ParticleSystem& ps) { ps.SetAlphaBlinkAlpha1(100); ps.SetAlphaBlinkAlpha2(120); ps.SetDoAlphaBlink(true); },
         [](const ParticleSystem& ps, int32_t s) {
             return ps.mAlphaBlinkTimers[s].mPeriod >= 5 && ps.mBlinkAlphas1[s] >= 100 && ps.mBlinkAlphas1[s] <= 120 &&
                    ps.mBlinkAlphas2[s] >= 100 && ps.mBlinkAlphas2[s] <= 120;
         }},
        {"rotation", [](ParticleSystem& ps) { ps.SetParticleRotationStyle(1); },
         [](const ParticleSystem& ps, int32_t s) {
             return ps.mAngles[s] >= 0.0f && ps.mAngles[s] <= kTwoPi && ps.mAngularSpeeds[s] >= -60.0f &&
                    ps.mAngularSpeeds[s] <= 60.0f;
         }},
        {"penetration", [](ParticleSystem& ps) { ps.SetPenetratingParticles(true); },
         [](const ParticleSystem& ps, int32_t s) { return ps.mPenetrations[s].mInside == 0; }},
    };
    for (const Case& c : cases) {
        ParticleSystem ps;
        ps.ApplyAllProperties();
        for (int i = 0; i < 40; ++i) ps.EmitOne();
        for (int i = 0; i < 10; ++i) ps.MoveToSleeping(ps.GetMovingHead());
        c.switchOn(ps);
        int32_t checked = 0;
        for (int32_t head : {ps.GetMovingHead(), ps.GetSleepingHead()})
            for (int32_t slot = head; slot >= 0; slot = ps.GetLink(slot).mNext, ++checked)
                ASSERT_TRUE(c.isStarted(ps, slot)) << c.name << ", slot " << slot;
        EXPECT_EQ(checked, 40) << c.name;
    }
}

TEST(ParticlePool, ARebuiltTrackerTableKeepsTheLivingIndicesInsideIt)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SetAngleTrackerType(1);
    ps.SetDoAngleTracker(true);
    ASSERT_EQ(ps.mAngleTrackerTable.Count(), 1024);
    for (int i = 0; i < 200; ++i) ps.EmitOne();
    ps.SetAngleTrackerType(0);
    ASSERT_EQ(ps.mAngleTrackerTable.Count(), 16);
    for (int32_t slot = ps.GetMovingHead(); slot >= 0; slot = ps.GetLink(slot).mNext)
        ASSERT_LT(ps.mAngleTrackerIndices[slot], 16);
}

TEST(ParticlePool, SteadyEmissionAllocatesNothingOnceThePoolHasItsSize)
{
    ParticleSystem ps;
    ps.PresetRock();
    for (int i = 0; i < 500; ++i) ps.EmitOne();
    ps.DeleteAllParticles();
    const int32_t before = StatGetInt(kStatArrayAllocate) + StatGetInt(kStatArrayReallocate);
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 500; ++i) ASSERT_GE(ps.EmitOne(), 0);
        while (ps.GetMovingHead() >= 0) ps.FreeMovingParticle(ps.GetMovingHead());
    }
    EXPECT_EQ(StatGetInt(kStatArrayAllocate) + StatGetInt(kStatArrayReallocate), before);
}

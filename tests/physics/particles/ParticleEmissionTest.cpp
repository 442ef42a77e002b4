#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

constexpr float kDt = 1.0f / 210.0f;

// A particle's start values, compared bit for bit.
struct Emitted {
    VectorF position, velocity;
    float size;
    uint32_t colour;
    bool operator==(const Emitted& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

std::vector<Emitted> LiveParticles(const ParticleSystem& ps)
{
    std::vector<Emitted> out;
    for (int32_t s = ps.GetMovingHead(); s >= 0; s = ps.GetLink(s).mNext)
        out.push_back({ps.mPositions[s], ps.mVelocities[s], ps.mSizes[s], ps.mColors[s].Pack()});
    return out;
}

// An emitter at (100, 50) with a line (30, -40) (length 50), scattering and
// every randomised start value in play.
void SetUpEmitter(ParticleSystem& ps, int32_t startKind, const IntervalF& interval)
{
    ps.ApplyAllProperties();
    ps.SetTimeStep(kDt);
    ps.SetPositionX(100.0f);
    ps.SetPositionY(50.0f);
    ps.SetLineX(30.0f);
    ps.SetLineY(-40.0f);
    ps.SetParticleStartPosition(startKind);
    ps.SetEmittingInterval(interval);
    ps.SetEmittingCount(2);
    ps.SetScattering(0.5f);
    ps.SetStartSpeedMul(IntervalF(1.0f, 3.0f));
    ps.SetColor2(ColorRGBA(0, 100, 200, 50));
}

float Distance(const VectorF& a, const VectorF& b) { return VectorF::GetDistance(a, b); }

} // namespace

// Each start kind over a few intervals: the same system set up twice emits the
// same particles bit for bit, and every particle starts where its kind says.
TEST(ParticleEmission, StartKindsAndIntervalsRepeatExactlyAndPlaceParticlesByKind)
{
    const VectorF p(100.0f, 50.0f), line(30.0f, -40.0f);
    const std::vector<std::tuple<int32_t, const char*, bool (*)(VectorF, VectorF, VectorF)>> kinds = {
        {0, "emitter", [](VectorF x, VectorF p, VectorF) { return x == p; }},
        {1, "on the line", [](VectorF x, VectorF p, VectorF l) {
             const VectorF d = x - p;
             return std::fabs(Cross(d, l)) < 1e-2f && Dot(d, l) >= 0.0f && d.GetLength() <= l.GetLength() + 1e-3f;
         }},
        {2, "an end of the line", [](VectorF x, VectorF p, VectorF l) { return x == p || x == p + l; }},
        {3, "the far end", [](VectorF x, VectorF p, VectorF l) { return x == p + l; }},
        {4, "inside the box", [](VectorF x, VectorF p, VectorF l) {
             const VectorF d = x - p;
             return d.mX >= 0.0f && d.mX <= l.mX && d.mY <= 0.0f && d.mY >= l.mY;
         }},
        {5, "on the circle", [](VectorF x, VectorF p, VectorF l) { return std::fabs(Distance(x, p) - l.GetLength()) < 1e-3f; }},
        {6, "inside the circle", [](VectorF x, VectorF p, VectorF l) { return Distance(x, p) <= l.GetLength() + 1e-3f; }},
        {7, "emitter", [](VectorF x, VectorF p, VectorF) { return x == p; }},
        {8, "emitter", [](VectorF x, VectorF p, VectorF) { return x == p; }},
        {9, "emitter", [](VectorF x, VectorF p, VectorF) { return x == p; }},
        {10, "emitter (unknown kind)", [](VectorF x, VectorF p, VectorF) { return x == p; }},
        {-3, "emitter (unknown kind)", [](VectorF x, VectorF p, VectorF) { return x == p; }},
    };
    const IntervalF intervals[] = {{0.1f, 0.1f}, {0.001f, 0.003f}, {0.0f, 0.0f}, {-1.0f, -1.0f}};
    for (const auto& [kind, where, isPlaced] : kinds) {
        for (const IntervalF& interval : intervals) {
            ParticleSystem a, b;
            SetUpEmitter(a, kind, interval);
            SetUpEmitter(b, kind, interval);
            for (int step = 0; step < 50; ++step) {
                a.UpdateEmission();
                b.UpdateEmission();
            }
            const std::vector<Emitted> first = LiveParticles(a);
            ASSERT_FALSE(first.empty());
            ASSERT_EQ(first, LiveParticles(b)) << "kind " << kind << ", interval " << interval.mMinValue;
            for (const Emitted& e : first) ASSERT_TRUE(isPlaced(e.position, p, line)) << "kind " << kind << ": " << where;
        }
    }
}

TEST(ParticleEmission, AnIntervalShorterThanTheStepEmitsSeveralBatchesPerUpdate)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SetTimeStep(kDt);
    ps.SetEmittingInterval(IntervalF(0.001f, 0.001f));
    ps.UpdateEmission();
    EXPECT_EQ(ps.GetParticleCount(), 5);
    int32_t total = 5;
    for (int step = 0; step < 100; ++step) {
        ps.UpdateEmission();
        const int32_t batches = ps.GetParticleCount() - total;
        ASSERT_TRUE(batches == 4 || batches == 5) << batches;
        total = ps.GetParticleCount();
    }
}

// A zero or negative interval never moves the timer on: it emits one batch a
// step instead of looping for ever.
TEST(ParticleEmission, ANonPositiveIntervalEmitsOneBatchPerStep)
{
    for (float interval : {0.0f, -0.5f, 1e-30f}) {
        ParticleSystem ps;
        ps.ApplyAllProperties();
        ps.SetTimeStep(kDt);
        ps.SetEmittingCount(3);
        ps.SetEmittingInterval(IntervalF(interval, interval));
        for (int step = 1; step <= 4; ++step) {
            ps.UpdateEmission();
            EXPECT_EQ(ps.GetParticleCount(), 3 * step) << interval;
        }
    }
}

// At the limit the emission stops and owes nothing: once room is made, the
// next step emits one step's batches, not every batch it was refused.
TEST(ParticleEmission, RefusedEmissionStopsTheUpdateAndIsNotMadeUpLater)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SetTimeStep(kDt);
    ps.SetEmittingInterval(IntervalF(0.001f, 0.001f));
    while (ps.GetParticleCount() < ParticleSystem::kMaxParticles) ps.EmitOne();
    for (int step = 0; step < 200; ++step) ps.UpdateEmission();
    for (int i = 0; i < 100; ++i) ps.FreeMovingParticle(ps.GetMovingHead());
    ps.UpdateEmission();
    EXPECT_LE(ps.GetParticleCount(), ParticleSystem::kMaxParticles - 100 + 5);
}

TEST(ParticleEmission, BurstsEmitTheirDrawnCountOnce)
{
    ParticleSystem exact;
    exact.ApplyAllProperties();
    exact.SwitchOFFParticleEmitting();
    exact.SetEmitBoomCountMin(10);
    exact.SetEmitBoomCountMax(10);
    exact.EmitBoom();
    exact.UpdateEmission();
    exact.UpdateEmission();
    EXPECT_EQ(exact.GetParticleCount(), 10);

    std::set<int32_t> counts;
    ParticleSystem ranged;
    ranged.ApplyAllProperties();
    ranged.SwitchOFFParticleEmitting();
    ranged.SetEmitBoomCountMin(0);
    ranged.SetEmitBoomCountMax(3);
    for (int i = 0; i < 300; ++i) {
        const int32_t before = ranged.GetParticleCount();
        ranged.EmitBoom();
        ranged.UpdateEmission();
        counts.insert(ranged.GetParticleCount() - before);
    }
    EXPECT_EQ(counts, (std::set<int32_t>{0, 1, 2}));
}

TEST(ParticleEmission, AStartMoveVectorHoldsUntilSpeedOrDirectionIsSetAgain)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SetStartMoveVector(VectorF(0.0f, -10.0f));
    EXPECT_FLOAT_EQ(ps.GetStartSpeed(), 10.0f);
    EXPECT_FLOAT_EQ(ps.GetStartDirection(), -kPi / 2.0f);
    EXPECT_EQ(ps.mVelocities[ps.EmitOne()], VectorF(0.0f, -10.0f));
    ps.SetStartSpeed(10.0f);
    const VectorF v = ps.mVelocities[ps.EmitOne()];
    EXPECT_NEAR(v.mX, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(v.mY, 10.0f);
}

TEST(ParticleEmission, TheSpeedMultiplierIsInUseUnlessBothBoundsAreOne)
{
    ParticleSystem ps;
    ps.SetStartSpeedMulMax(1.5f);
    ps.SetStartSpeedMulMin(1.0f);
    EXPECT_EQ(ps.mStartSpeedMulInUse, 1);
    ps.SetStartSpeedMulMax(1.0f);
    EXPECT_EQ(ps.mStartSpeedMulInUse, 0);
}

class LinkedEmission : public ::testing::Test {
protected:
    void SetUp() override
    {
        toy.mPosition = VectorF(10.0f, 20.0f);
        toy.mOrientation = 0.0f;
        toy.mVelocity = toy.mVelocityAfterImpulses = VectorF(5.0f, -3.0f);
        toy.mAngularVelocity = toy.mAngularVelocityAfterImpulses = 2.0f;
        toy.mWeight = 10.0f;
        toy.mInverseMass = 0.1f;
        toy.mMomentOfInertia = 100.0f;
        toy.mInverseMoment = 0.01f;
        ps.ApplyAllProperties();
        ps.SetStartMoveVector(VectorF(100.0f, 0.0f));
        ps.SetRobotLink(reinterpret_cast<Robot*>(&robotStandIn), &toy, VectorF(4.0f, 0.0f), 0.0f, true, false);
    }

    int robotStandIn = 0;
    Toy toy;
    ParticleSystem ps;
};

TEST_F(LinkedEmission, WithoutRecoilParticlesTakeTheToysPointVelocityAndLeaveTheToyAlone)
{
    const int32_t slot = ps.EmitOne();
    const VectorF at = toy.LocalToWorld(VectorF(4.0f, 0.0f));
    EXPECT_EQ(ps.mPositions[slot], at);
    EXPECT_EQ(ps.mVelocities[slot], VectorF(100.0f, 0.0f) + toy.GetVelocityAt(at));
    EXPECT_EQ(toy.mVelocityAfterImpulses, VectorF(5.0f, -3.0f));
    EXPECT_EQ(toy.mAngularVelocityAfterImpulses, 2.0f);
}

TEST_F(LinkedEmission, RecoilPushesTheToyBackAlongTheShot)
{
    ps.SetParticleRecoil(1.0f);
    ps.SetParticleWeight(5.0f);
    ps.EmitOne();
    EXPECT_LT(toy.mVelocityAfterImpulses.mX, 5.0f);
}

TEST_F(LinkedEmission, ARobotIsNeededForALink)
{
    ParticleSystem other;
    other.SetRobotLink(nullptr, &toy, VectorF(), 0.0f, true, true);
    EXPECT_FALSE(other.IsLinkedToToy());
    EXPECT_TRUE(ps.IsLinkedToToy());
    EXPECT_TRUE(ps.IsLinkedToRobot());
}

TEST(ParticleEmission, AlphaBlinkRunsBetweenTheSmallerAndTheLargerAlpha)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.SetAlphaBlinkAlpha1(200);
    ps.SetAlphaBlinkAlpha2(40);
    ps.SetDoAlphaBlink(true);
    std::set<int> seen;
    for (int i = 0; i < 500; ++i) {
        const int32_t s = ps.EmitOne();
        for (uint8_t a : {ps.mBlinkAlphas1[s], ps.mBlinkAlphas2[s]}) {
            ASSERT_GE(a, 40);
            ASSERT_LE(a, 200);
            seen.insert(a);
        }
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST(ParticleEmission, AnUnknownTrackerTypeBuildsTheFirstKindsTable)
{
    for (int32_t type : {-1, 7, 1000}) {
        ParticleSystem ps;
        ps.ApplyAllProperties();
        ps.SetAngleTrackerType(type);
        ps.SetAngleTrackerPower(2.0f);
        ps.SetDoAngleTracker(true);
        ASSERT_EQ(ps.mAngleTrackerTable.Count(), 16) << type;
        EXPECT_FLOAT_EQ(ps.mAngleTrackerTable[0].mSin, std::sin(0.6f));
        EXPECT_FLOAT_EQ(ps.mAngleTrackerTable[15].mSin, std::sin(-0.6f));
        EXPECT_LT(ps.mAngleTrackerIndices[ps.EmitOne()], 16);
    }
}

TEST(ParticleEmission, AnAtlasGivesEachParticleOneOfItsCells)
{
    Texture texture;
    ASSERT_TRUE(texture.InitBlank(VectorI(64, 32)));
    ParticleSystem ps;
    ps.ApplyAllProperties();
    ps.mTexture = &texture;
    for (int i = 0; i < 5; ++i) ps.EmitOne();
    ps.SetMultiTexture(4, 2);
    EXPECT_EQ(ps.GetParticleCount(), 0);  // their cells no longer fit
    std::vector<RectF> atlas;
    for (int32_t row = 0; row < 2; ++row)
        for (int32_t column = 0; column < 4; ++column) atlas.push_back(GetAtlasCellTexRect(texture, column, row, 4, 2));
    std::set<size_t> shown;
    for (int i = 0; i < 400; ++i) {
        const RectF r = ps.mTexRects[ps.EmitOne()];
        const auto cell = std::find(atlas.begin(), atlas.end(), r);
        ASSERT_NE(cell, atlas.end());
        shown.insert(cell - atlas.begin());
    }
    EXPECT_EQ(shown.size(), 8u);
    ps.SetMultiTexture(0, -2);
    EXPECT_EQ(ps.GetMultiTexture(), VectorI(1, 1));
    EXPECT_EQ(ps.mTexRects.Capacity(), 0);
}

class ShardEmission : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(texture.InitBlank(VectorI(256, 128)));
        ps.ApplyAllProperties();
        ps.mTexture = &texture;
        ps.SetShardSystem(true);
        ps.SetSizeOnStartMin(20.0f);
        ps.SetSizeOnStartMax(20.0f);
    }

    Texture texture;
    ParticleSystem ps;
};

TEST_F(ShardEmission, AShardShowsAJitteredPentagonOfItsSizeAroundThePoint)
{
    const VectorF point(0.5f, 0.25f);
    for (int i = 0; i < 200; ++i) {
        const int32_t slot = ps.EmitShardPaticle(point);
        ASSERT_GE(slot, 0);
        const ShardRecord& r = ps.mShards[slot];
        EXPECT_EQ(r.mTexCoords[0], point);
        for (int k = 0; k < ShardRecord::kCornerCount; ++k) {
            EXPECT_GT(r.mCorners[k].mX, -1.495f);
            EXPECT_LT(r.mCorners[k].mX, 1.495f);
            EXPECT_GE(r.mCorners[k].mY, -1.2f);
            EXPECT_LE(r.mCorners[k].mY, 1.0f);
            EXPECT_EQ(r.mTexCoords[k + 1], point + r.mCorners[k] * VectorF(0.078125f, 0.15625f));
        }
    }
}

TEST_F(ShardEmission, IsRefusedWithoutEverythingAShardNeeds)
{
    const std::vector<std::pair<const char*, void (*)(ParticleSystem&, Texture&)>> missing = {
        {"shard switch", [](ParticleSystem& ps, Texture&) { ps.SetShardSystem(false); }},
        {"texture", [](ParticleSystem& ps, Texture&) { ps.mTexture = nullptr; }},
        {"storage width", [](ParticleSystem&, Texture& t) { t.mStorageSize.mX = 0; }},
        {"storage height", [](ParticleSystem&, Texture& t) { t.mStorageSize.mY = 0; }},
    };
    for (const auto& [what, remove] : missing) {
        Texture texture;
        ASSERT_TRUE(texture.InitBlank(VectorI(16, 16)));
        ParticleSystem ps;
        ps.ApplyAllProperties();
        ps.mTexture = &texture;
        ps.SetShardSystem(true);
        remove(ps, texture);
        EXPECT_EQ(ps.EmitShardPaticle(VectorF()), -1) << what;
        EXPECT_EQ(ps.GetParticleCount(), 0) << what;
    }
}

TEST(ParticleSystem, StepProgramFollowsTheSwitchesInFlightOrder)
{
    ParticleSystem ps;
    ps.RebuildStepProgram();
    EXPECT_EQ(std::vector<int32_t>(ps.mStepProgram.begin(), ps.mStepProgram.end()), (std::vector<int32_t>{0, 1, 2, 3}));
    ps.SetDoVectorGravity(true);
    ps.SetDoFadeAlpha(true);
    EXPECT_EQ(std::vector<int32_t>(ps.mStepProgram.begin(), ps.mStepProgram.end()),
              (std::vector<int32_t>{0, 1, 2, 3, 7, 5}));
    ps.SetDoSizing(true);  // (2, 2): no factor array, yet the step runs
    EXPECT_EQ(ps.mStepProgram[4], kStepSizing);
    EXPECT_EQ(ps.mSizingFactors.Capacity(), 0);
    EXPECT_EQ(ps.mStepProgram.Capacity(), 32);
}

TEST(ParticleSystem, BoundsCoverTheLiveParticlesAndAreZeroWithoutThem)
{
    ParticleSystem ps;
    ps.ApplyAllProperties();
    EXPECT_FALSE(ps.UpdateBounds());
    EXPECT_EQ(ps.mBounds, RectF());
    ps.SetPositionX(-5.0f);
    ps.EmitOne();
    ps.SetPositionX(7.0f);
    ps.SetPositionY(3.0f);
    ps.MoveToSleeping(ps.EmitOne());
    EXPECT_TRUE(ps.UpdateBounds());
    EXPECT_EQ(ps.mBounds, RectF(-5.0f, 0.0f, 7.0f, 3.0f));
    EXPECT_EQ(ps.GetParticlesCountInfo(), "2 ( 1 + 1 )");
}

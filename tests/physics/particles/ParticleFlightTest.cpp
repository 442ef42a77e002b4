#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "base/Random.h"
#include "base/Statistics.h"
#include "base/WorkTeam.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"

using namespace KIV;

namespace {

constexpr float kDt = 1.0f / 210.0f;

// A 1000 x 1000 world, its grid, and one quiet particle system of the scene
// whose particles the tests place by hand.
struct FlightWorld : ::testing::Test {
    Statistics statistics;
    Scene scene;
    ParticleSystem* ps = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(scene.SetupGrid(RectF(0.0f, 0.0f, 1000.0f, 1000.0f)));
        scene.mStepLength = kDt;
        ps = scene.NewParticleSystem(scene.mParticleSystems);
        ASSERT_NE(ps, nullptr);
        ps->SwitchOFFParticleEmitting();
    }

    int32_t Shoot(const VectorF& at, const VectorF& velocity)
    {
        const int32_t slot = ps->EmitOne();
        EXPECT_GE(slot, 0);
        ps->mPositions[slot] = at;
        ps->mVelocities[slot] = velocity;
        return slot;
    }

    // A square toy of side 2 x half around the centre.
    Toy* AddBox(const VectorF& centre, float half)
    {
        Toy* toy = scene.NewToySlot();
        const VectorF square[4] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
        EXPECT_TRUE(toy->BuildFromPolygon(square, 4, 1.0f, centre, 0.0f));
        EXPECT_TRUE(scene.GetGrid().InsertToy(*toy));
        return toy;
    }

    void AddSlab(const RectF& box)
    {
        const VectorF points[4] = {{box.x1, box.y1}, {box.x2, box.y1}, {box.x2, box.y2}, {box.x1, box.y2}};
        ASSERT_GE(scene.GetGrid().InsertStaticPolygon(points, 4), 0);
    }

    void Step(int32_t steps = 1)
    {
        for (int32_t i = 0; i < steps; ++i) {
            scene.UpdateParticleSystems(false);
            scene.RemoveFinishedParticleSystems();
        }
    }
};

TEST_F(FlightWorld, WithoutBouncingAParticleFollowsGravityExactly)
{
    ps->SetBounceOffTerrain(false);
    ps->SetBounceOffToys(false);
    ps->SetDoVectorGravity(true);
    ps->SetGravityVector(VectorF(0.0f, 800.0f));
    const int32_t slot = Shoot(VectorF(100.0f, 100.0f), VectorF(30.0f, -50.0f));
    VectorF p(100.0f, 100.0f), v(30.0f, -50.0f);
    const VectorF g(0.0f, 800.0f);
    for (int32_t i = 0; i < 20; ++i) {
        Step();
        p += g * (0.5f * kDt * kDt) + v * kDt;
        v += g * kDt;
        ASSERT_EQ(ps->mPositions[slot], p) << "step " << i;
        ASSERT_EQ(ps->mVelocities[slot], v) << "step " << i;
    }
}

TEST_F(FlightWorld, ParticlesDieAsTheyShrinkOrFadeAway)
{
    struct Case {
        const char* name;
        void (*setUp)(ParticleSystem&);
        float lifeSeconds;
    };
    const Case cases[] = {
        {"sizing by -20 from size 10",
         [](ParticleSystem& p) {
             p.SetDoSizing(true);
             p.SetSizingBy(IntervalF(-20.0f, -20.0f));
             p.SetSizeOnStartMin(10.0f);
             p.SetSizeOnStartMax(10.0f);
         },
         0.5f},
        {"fading out by 25 from alpha 25",
         [](ParticleSystem& p) {
             p.SetColor1(ColorRGBA(255, 255, 255, 25));
             p.SetColor2(ColorRGBA(255, 255, 255, 25));
             p.SetDoFadeAlpha(true);
             p.SetFadeAlphaFadeOut(25.0f);
         },
         0.96f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ps = scene.NewParticleSystem(scene.mParticleSystems);
        ps->SwitchOFFParticleEmitting();
        c.setUp(*ps);
        ps->SetBounceOffTerrain(false);
        ps->SetBounceOffToys(false);
        Shoot(VectorF(500.0f, 500.0f), VectorF());
        int32_t steps = 0;
        while (ps->GetParticleCount() > 0 && steps < 1000) {
            Step();
            ++steps;
        }
        EXPECT_NEAR(steps * kDt, c.lifeSeconds, 2.5f * kDt);
    }
}

// A burst that only moves through everything and fades out has its two codes
// run in one walk of its list. Its twin with a sizing code that changes
// nothing runs them one after the other; every step the two must hold the
// same particles, in the same lists, with the same bits. A pool of the
// burst's own size (an effect burst's) is full until the first fades out,
// and is walked slot by slot while it is.
TEST_F(FlightWorld, ABurstMovedAndFadedInOneWalkMatchesTheTwoPasses)
{
    struct Case {
        const char* name;
        int32_t poolSize;
        void (*setUp)(ParticleSystem&);
    };
    const auto ownGravity = [](ParticleSystem& p) {
        p.SetDoVectorGravity(true);
        p.SetGravityVector(VectorF(30.0f, 700.0f));
    };
    const auto sceneGravitySpinning = [](ParticleSystem& p) {
        p.mSceneGravity = VectorF(0.0f, 900.0f);
        p.SetDoVectorGravity(true);
        p.SetUseSceneGravity(true);
        p.SetParticleRotationStyle(1);
    };
    const Case cases[] = {
        {"no pull", 1024, [](ParticleSystem&) {}},
        {"its own gravity", 1024, ownGravity},
        {"the scene's gravity, spinning", 1024, sceneGravitySpinning},
        {"its own gravity, a pool of the burst", 12, ownGravity},
        {"the scene's gravity, spinning, a pool of the burst", 12, sceneGravitySpinning},
        // One alpha for all: they fade out on the same step, and the order
        // they are freed in decides the free chain.
        {"a pool of the burst fading out together", 12,
         [](ParticleSystem& p) { p.SetColor1(ColorRGBA(255, 255, 255, 255)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleSystem* twins[2] = {};
        for (int32_t t = 0; t < 2; ++t) {
            ParticleSystem& p = *scene.NewParticleSystem(scene.mParticleSystems);
            p.SwitchOFFParticleEmitting();
            p.SetBounceOffTerrain(false);
            p.SetBounceOffToys(false);
            p.SetStartSpeed(150.0f);
            p.SetScattering(2.0f);
            // Alphas spread over the range: the particles fade out on different steps.
            p.SetColor1(ColorRGBA(255, 255, 255, 10));
            p.SetColor2(ColorRGBA(255, 255, 255, 255));
            p.SetDoFadeAlpha(true);
            p.SetFadeAlphaFadeOut(300.0f);
            c.setUp(p);
            if (t == 1) {
                p.SetDoSizing(true);
                p.SetSizingBy(IntervalF(0.0f, 0.0f));
            }
            p.mInitialPoolSize = c.poolSize;
            p.ApplyAllProperties();
            p.SetEmitBoomCountMin(12);
            p.SetEmitBoomCountMax(12);
            p.EmitBoom();
            p.UpdateEmission();
            twins[t] = &p;
        }
        ASSERT_TRUE(twins[0]->MovesAndFadesOutOnly());
        ASSERT_FALSE(twins[1]->MovesAndFadesOutOnly());
        const ParticleSystem& a = *twins[0];
        const ParticleSystem& b = *twins[1];
        ASSERT_EQ(a.GetParticleCount(), 12);
        ASSERT_EQ(a.GetPoolCapacity(), c.poolSize);
        for (int32_t step = 0; step < 220 && a.GetParticleCount() > 0; ++step) {
            for (ParticleSystem* p : twins) {
                p->Fly(scene.GetGrid(), false, &scene);
                p->Fly(scene.GetGrid(), true, &scene);
            }
            ASSERT_EQ(a.GetChecksumValue(), b.GetChecksumValue()) << "step " << step;
            ASSERT_EQ(a.GetMovingCount(), b.GetMovingCount()) << "step " << step;
            for (int32_t slot = a.GetMovingHead(); slot >= 0; slot = a.GetLink(slot).mNext) {
                ASSERT_EQ(a.mPositions[slot], b.mPositions[slot]) << "step " << step;
                ASSERT_EQ(a.mVelocities[slot], b.mVelocities[slot]) << "step " << step;
                ASSERT_EQ(a.mColors[slot], b.mColors[slot]) << "step " << step;
                if (a.HasRotation()) {
                    ASSERT_EQ(a.mAngles[slot], b.mAngles[slot]) << "step " << step;
                }
            }
            ASSERT_EQ(a.GetFreeHead(), b.GetFreeHead()) << "step " << step;
            for (int32_t slot = a.GetFreeHead(), n = 0; slot >= 0 && slot < a.GetPoolCapacity() && n < 12;
                 slot = a.GetLink(slot).mNext, ++n)
                ASSERT_EQ(a.GetLink(slot).mNext, b.GetLink(slot).mNext) << "step " << step;
        }
        EXPECT_EQ(a.GetParticleCount(), 0);
    }
}

TEST_F(FlightWorld, AFastParticleStillHitsAThinTerrainEdge)
{
    AddSlab(RectF(0.0f, 500.0f, 1000.0f, 501.0f));
    // 20000 units a second cross about 95 units a step, the slab is 1 thick.
    const int32_t slot = Shoot(VectorF(500.0f, 450.0f), VectorF(0.0f, 20000.0f));
    Step(3);
    EXPECT_LT(ps->mPositions[slot].mY, 500.0f);
    EXPECT_LT(ps->mVelocities[slot].mY, 0.0f) << "bounced back up";
    // The bounce keeps 10 % to 60 % of the speed.
    EXPECT_LE(ps->mVelocities[slot].GetLength(), 0.6f * 20000.0f);
}

// Bounces off terrain take their draws from the system's generator in list
// order and are computed beside each other afterwards; a system whose hits
// dent (so that each bounce is made in its turn) must give the same bits.
TEST_F(FlightWorld, BouncesGiveTheBitsOfBouncingInTurn)
{
    AddSlab(RectF(0.0f, 500.0f, 1000.0f, 540.0f));
    struct Case {
        int32_t rotationStyle;
        int32_t threads;
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{1, 4}}) {
        SCOPED_TRACE(testing::Message() << "rotation style " << c.rotationStyle << ", " << c.threads << " threads");
        ParticleSystem* inTurn = scene.NewParticleSystem(scene.mParticleSystems);
        ParticleSystem* ahead = scene.NewParticleSystem(scene.mParticleSystems);
        ASSERT_NE(inTurn, nullptr);
        ASSERT_NE(ahead, nullptr);
        Random placement;
        for (ParticleSystem* system : {inTurn, ahead}) {
            system->SwitchOFFParticleEmitting();
            system->SetParticleRotationStyle(c.rotationStyle);
            system->SetDoVectorGravity(true);
            system->SetGravityVector(VectorF(0.0f, 800.0f));
            system->SetAllowSleepingParticles(false);
        }
        // The slab belongs to no terrain object: denting asks nothing more of it.
        inTurn->SetDoBulletDeform(true);
        // Enough particles for several chunks of work; some fly up freely
        // between the ones that strike the slab.
        for (int32_t i = 0; i < 700; ++i) {
            const VectorF at(10.0f + 980.0f * placement.NextFloat(), 440.0f + 55.0f * placement.NextFloat());
            const VectorF v(placement.NextFloatInRange(-300.0f, 300.0f), placement.NextFloatInRange(-500.0f, 3000.0f));
            for (ParticleSystem* system : {inTurn, ahead}) {
                const int32_t slot = system->EmitOne();
                ASSERT_GE(slot, 0);
                system->mPositions[slot] = at;
                system->mVelocities[slot] = v;
            }
        }
        WorkTeam& team = WorkTeam::Shared();
        const int32_t saved = team.GetThreadCount();
        team.SetThreadCount(c.threads);
        for (int32_t step = 0; step < 40; ++step) scene.UpdateParticleSystems(c.threads > 1);
        team.SetThreadCount(saved);
        EXPECT_EQ(ahead->mRandom.mSeed, inTurn->mRandom.mSeed);
        ASSERT_EQ(ahead->GetMovingCount(), inTurn->GetMovingCount());
        int32_t mismatches = 0;
        for (int32_t a = ahead->GetMovingHead(), b = inTurn->GetMovingHead(); a >= 0 && b >= 0;
             a = ahead->GetLink(a).mNext, b = inTurn->GetLink(b).mNext) {
            auto differ = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof x) != 0; };
            mismatches += differ(ahead->mPositions[a], inTurn->mPositions[b]) ||
                          differ(ahead->mVelocities[a], inTurn->mVelocities[b]);
            if (c.rotationStyle == 1) mismatches += differ(ahead->mAngularSpeeds[a], inTurn->mAngularSpeeds[b]);
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_NE(ahead->mRandom.mSeed, 1) << "nothing bounced";
        scene.DeleteParticleSystem(scene.mParticleSystems, inTurn);
        scene.DeleteParticleSystem(scene.mParticleSystems, ahead);
    }
}

TEST_F(FlightWorld, DisappearingParticlesDieAtTheirFirstHit)
{
    AddSlab(RectF(0.0f, 500.0f, 1000.0f, 540.0f));
    Toy* toy = AddBox(VectorF(200.0f, 300.0f), 20.0f);
    ps->SetDisappearAfterFirstBounce(true);
    Shoot(VectorF(500.0f, 490.0f), VectorF(0.0f, 3000.0f));
    Shoot(VectorF(170.0f, 300.0f), VectorF(3000.0f, 0.0f));
    Step(2);
    EXPECT_EQ(ps->GetParticleCount(), 0);
    EXPECT_GT(toy->mVelocityAfterImpulses.mX, 0.0f);
}

TEST_F(FlightWorld, AParticleFiredAtAToyPushesItAndMomentumIsKept)
{
    Toy* toy = AddBox(VectorF(500.0f, 500.0f), 20.0f);
    ps->SetParticleWeight(2.0f);
    // Straight at the middle of the left side: no turn.
    const VectorF before(1500.0f, 0.0f);
    const int32_t slot = Shoot(VectorF(475.0f, 500.0f), before);
    Step();
    const VectorF after = ps->mVelocities[slot];
    const float toyMass = 1.0f / toy->mInverseMass;
    const VectorF particleMomentumLost = (before - after) * 2.0f;
    EXPECT_NEAR(toy->mVelocityAfterImpulses.mX * toyMass, particleMomentumLost.mX, 1e-2f * particleMomentumLost.mX);
    EXPECT_NEAR(toy->mVelocityAfterImpulses.mY, 0.0f, 1e-3f);
    EXPECT_NEAR(toy->mAngularVelocityAfterImpulses, 0.0f, 1e-4f);
    // Restitution 0.1 on a hit from rest: the particle comes back slowly.
    const float expectedJ = 1.1f * 1500.0f / (1.0f / 2.0f + toy->mInverseMass);
    EXPECT_NEAR(toy->mVelocityAfterImpulses.mX, expectedJ * toy->mInverseMass, 1e-3f * expectedJ * toy->mInverseMass);
    EXPECT_LT(after.mX, 0.0f);
    EXPECT_LT(ps->mPositions[slot].mX, 480.0f) << "stays outside the toy";
}

TEST_F(FlightWorld, ARestingParticleFallsAsleepAndStaysPut)
{
    AddSlab(RectF(0.0f, 500.0f, 1000.0f, 540.0f));
    ps->SetDoVectorGravity(true);
    ps->SetGravityVector(VectorF(0.0f, 800.0f));
    Shoot(VectorF(500.0f, 495.0f), VectorF(0.0f, 100.0f));
    Step(400);
    ASSERT_EQ(ps->GetSleepingCount(), 1);
    const int32_t slot = ps->GetSleepingHead();
    const VectorF resting = ps->mPositions[slot];
    EXPECT_LT(resting.mY, 500.0f);
    Step(10);
    EXPECT_EQ(ps->mPositions[slot], resting);
}

TEST_F(FlightWorld, AToyRemovedWhileParticlesSitInItLeavesNothingBehind)
{
    Toy* toy = AddBox(VectorF(500.0f, 500.0f), 20.0f);
    ps->SetPenetratingParticles(true);
    ps->mLinkedToy = toy;
    ps->SetDoMoveByLinkedToy(true);
    const int32_t slot = Shoot(VectorF(500.0f, 500.0f), VectorF(10.0f, 0.0f));
    ParticlePenetration& p = ps->mPenetrations[slot];
    p.mInside = 1;
    p.mToy = toy;
    p.mEntryPoint = VectorF(-20.0f, 0.0f);
    p.mExitPoint = VectorF(20.0f, 0.0f);
    p.mEntryDepth = 1.5f;
    p.mExitDepth = 1.9f;
    ASSERT_TRUE(scene.RemoveToy(toy));
    EXPECT_EQ(ps->mLinkedToy, nullptr);
    EXPECT_EQ(p.mToy, nullptr);
    EXPECT_EQ(p.mInside, 0);
    // The flight and the next emission no longer reach the toy.
    ps->SwitchONParticleEmitting();
    Step(3);
    EXPECT_GE(ps->GetParticleCount(), 1);
}

TEST_F(FlightWorld, APassageOfNoLengthCountsAsCrossed)
{
    Toy* toy = AddBox(VectorF(500.0f, 500.0f), 20.0f);
    ps->SetPenetratingParticles(true);
    ps->SetBounceOffTerrain(false);
    // Standing still inside the toy, with entry and exit on the particle.
    const int32_t slot = Shoot(VectorF(500.0f, 500.0f), VectorF());
    ParticlePenetration& p = ps->mPenetrations[slot];
    p = ParticlePenetration{};
    p.mInside = 1;
    p.mEntryAndExit = 1;
    p.mToy = toy;
    p.mEntryDepth = 0.5f;
    p.mExitDepth = 1.5f;
    Step();
    EXPECT_EQ(p.mEntryDone, 1);
    EXPECT_EQ(p.mInside, 0) << "the exit is reached, not waited for for ever";
    EXPECT_TRUE(std::isfinite(toy->mVelocityAfterImpulses.mX));
    EXPECT_TRUE(std::isfinite(toy->mVelocityAfterImpulses.mY));
}

} // namespace

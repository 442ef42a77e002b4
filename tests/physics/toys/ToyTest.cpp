#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include "base/Statistics.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// A toy with the mass values of a built one, without a mesh.
void GiveMass(Toy& toy, float weight, float moment)
{
    toy.mWeight = weight;
    toy.mReferenceWeight = weight;
    toy.mInverseMass = 1.0f / weight;
    toy.mMomentOfInertia = moment;
    toy.mInverseMoment = 1.0f / moment;
}

} // namespace

TEST(Toy, DefaultsAreThoseOfTheRecord)
{
    Toy toy;
    for (uint8_t f : toy.mPairFlags) ASSERT_EQ(f, 1);
    EXPECT_EQ(toy.mSlotIndex, -1);
    EXPECT_EQ(toy.mStoredSlotIndex, -1);
    EXPECT_EQ(toy.mDontBounceOffRobotLinked, 1);
    EXPECT_EQ(toy.mRandom.mSeed, 1);
    EXPECT_EQ(toy.mScale, VectorF(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(toy.GetRestitution(), 0.13f);
    EXPECT_FLOAT_EQ(toy.GetRestitutionWithTerrain(), 0.13f);
    EXPECT_FLOAT_EQ(toy.mDeformMotionFactor, 0.2f);
    EXPECT_FLOAT_EQ(toy.GetMinimalImpulseToDeform(), 100.0f);
    EXPECT_FLOAT_EQ(toy.GetAirFriction(), 0.2f);
    EXPECT_EQ(toy.mSleepDelay, 10);
    EXPECT_FLOAT_EQ(toy.mStoredValue1, 2500.0f);
    EXPECT_FLOAT_EQ(toy.mStoredValue2, 300.0f);
    EXPECT_FLOAT_EQ(toy.GetMinimalImpulseToBreakHull(), 1000.0f);
    EXPECT_FLOAT_EQ(toy.GetMinimalImpulseToBreakCore(), 10000.0f);
    EXPECT_FLOAT_EQ(toy.GetBreakLineDirectionShifter(), 0.1f);
    EXPECT_FLOAT_EQ(toy.GetBreakLineRandomizer(), 0.5f);
    EXPECT_EQ(toy.GetBreakToyToMoreParts(), 5);
    EXPECT_EQ(toy.mHit.mOutlineIndex, -1);
    EXPECT_EQ(toy.mHit.mTriangleIndex, -1);
    EXPECT_FLOAT_EQ(toy.mShotValue1, 1.0f);
    EXPECT_EQ(toy.mGridSlot, -1);
    EXPECT_EQ(toy.mJoints.GetGrowBy(), 4);
    EXPECT_EQ(toy.mContactList2.GetGrowBy(), 32);
    EXPECT_EQ(toy.GetMainTextureFn(), "");
}

TEST(Toy, FieldsTheRecordLeavesUnsetStartAtZeroWhateverTheMemoryHeld)
{
    // Replays compare bits: a toy built over dirty memory must equal one
    // built over clean memory in every field the record leaves unset.
    alignas(Toy) static unsigned char storage[sizeof(Toy)];
    std::memset(storage, 0xCD, sizeof(storage));
    Toy* toy = new (storage) Toy();
    for (float v : toy->mPendingImpulse) EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(toy->mHit.mVelocity, VectorF());
    EXPECT_EQ(toy->mHit.mAngularVelocity, 0.0f);
    EXPECT_EQ(toy->mHit.mBreakCoreToo, 0);
    EXPECT_EQ(toy->mBoxOutline.mTag, 0);
    for (const VectorF& p : toy->mBoxOutline.mPoints) EXPECT_EQ(p, VectorF());
    for (int32_t w : toy->mBoxOutline.mReserved) EXPECT_EQ(w, 0);
    EXPECT_EQ(toy->mBounds, RectF());
    EXPECT_EQ(toy->mContactListsPrepared, 0);
    EXPECT_EQ(toy->mHistoryIndex, 0);
    for (int32_t i = 0; i < Toy::kHistoryLength; ++i) {
        EXPECT_EQ(toy->mVelocityHistory[i], VectorF());
        EXPECT_EQ(toy->mAngularVelocityHistory[i], 0.0f);
    }
    EXPECT_EQ(toy->mPreviousVelocity, VectorF());
    EXPECT_EQ(toy->mGridEntryCount, 0);
    toy->~Toy();
}

TEST(Toy, MassSettersChangeNothingForValuesNotAboveZero)
{
    const float refused[] = {0.0f, -1.0f, kNaN};
    for (float v : refused) {
        Toy toy;
        GiveMass(toy, 50.0f, 400.0f);
        toy.SetDensity(v);
        toy.SetVolumeZ(v);
        EXPECT_EQ(toy.GetDensity(), 1.0f) << v;
        EXPECT_EQ(toy.GetVolumeZ(), 1.0f) << v;
        EXPECT_EQ(toy.GetWeight(), 50.0f) << v;
        EXPECT_EQ(toy.GetMomentOfInertia(), 400.0f) << v;
    }
}

TEST(Toy, MassSettersScaleWeightAndMomentByTheRatio)
{
    struct Case {
        void (Toy::*mSetter)(float);
        float mValue;
        float mRatio;
    } const cases[] = {{&Toy::SetDensity, 2.0f, 2.0f}, {&Toy::SetVolumeZ, 2.0f, 2.0f}, {&Toy::SetDensity, 0.25f, 0.25f}};
    for (const Case& c : cases) {
        Toy toy;
        GiveMass(toy, 50.0f, 400.0f);
        toy.mReferenceWeight = 7.0f;
        (toy.*c.mSetter)(c.mValue);
        EXPECT_FLOAT_EQ(toy.GetWeight(), 50.0f * c.mRatio);
        EXPECT_FLOAT_EQ(toy.GetOrigWeight(), 50.0f * c.mRatio);
        EXPECT_FLOAT_EQ(toy.GetMomentOfInertia(), 400.0f * c.mRatio);
        EXPECT_FLOAT_EQ(toy.mInverseMass, 1.0f / (50.0f * c.mRatio));
        EXPECT_FLOAT_EQ(toy.mInverseMoment, 1.0f / (400.0f * c.mRatio));
    }
}

TEST(Toy, AMassChangeOfAnUnbuiltToyLeavesNoInfiniteInverse)
{
    Toy toy;  // weight 0: a ratio of it stays 0, and 1/0 must not appear
    toy.SetDensity(3.0f);
    EXPECT_EQ(toy.GetDensity(), 3.0f);
    EXPECT_TRUE(std::isfinite(toy.mInverseMass));
    EXPECT_TRUE(std::isfinite(toy.mInverseMoment));
}

TEST(Toy, SettersWithRulesStoreWhatTheRuleSays)
{
    Toy toy;
    toy.SetBreakToyToMoreParts(-3);
    EXPECT_EQ(toy.GetBreakToyToMoreParts(), 0);
    toy.SetBreakToyToMoreParts(7);
    EXPECT_EQ(toy.GetBreakToyToMoreParts(), 7);

    const float frequency = toy.GetEDFrequency();
    for (float bad : {0.0f, -5.0f, kNaN}) {
        toy.SetEDFrequency(bad);
        EXPECT_EQ(toy.GetEDFrequency(), frequency);
    }
    toy.SetEDFrequency(400.0f);
    EXPECT_EQ(toy.GetEDFrequency(), 400.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mSubStepPeriod, 1.0f / 400.0f);

    toy.SetEDDeformImpulseRange(10.0f);
    EXPECT_EQ(toy.mGeometry.mImpactRadius, 10.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mInvImpactRadius, 0.1f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mImpactRadiusSq, 100.0f);
    EXPECT_FLOAT_EQ(toy.mGeometry.mInvImpactRadiusSq, 0.01f);
    toy.SetEDDeformImpulseRange(0.0f);  // would make every derived value infinite
    EXPECT_EQ(toy.mGeometry.mImpactRadius, 10.0f);

    toy.SetVelocity({3.0f, 4.0f});
    toy.SetAngularVelocity(2.0f);
    EXPECT_EQ(toy.mVelocityAfterImpulses, VectorF(3.0f, 4.0f));
    EXPECT_EQ(toy.mAngularVelocityAfterImpulses, 2.0f);

    toy.SetName("a name longer than sixteen");
    EXPECT_EQ(toy.GetName().GetInString(), "a name longer th");
}

TEST(Toy, SpringSetSettersMarkTheLinksForRebuilding)
{
    struct Case {
        const char* mName;
        void (*mSet)(Toy&);
        bool (*mCheck)(const Toy&);
    } const cases[] = {
        {"border 3 on", [](Toy& t) { t.SetEDDoBorderSprings3(true); }, [](const Toy& t) { return t.GetEDDoBorderSprings3(); }},
        {"border 8 power", [](Toy& t) { t.SetEDBorderSprings8Power(0.5f); },
         [](const Toy& t) { return t.GetEDBorderSprings8Power() == 0.5f; }},
        {"mesh off", [](Toy& t) { t.SetEDDoSprings1(false); }, [](const Toy& t) { return !t.GetEDDoSprings1(); }},
        {"ring 12 power", [](Toy& t) { t.SetEDSprings12Power(0.3f); },
         [](const Toy& t) { return t.GetEDSprings12Power() == 0.3f; }},
        {"fourth order", [](Toy& t) { t.SetEDDoRK4(true); }, [](const Toy& t) { return t.GetEDEDDoRK4(); }},
        {"stiffness", [](Toy& t) { t.SetEDSpringsPowerMultiplier(2.0f); },
         [](const Toy& t) { return t.GetEDSpringsPowerMultiplier() == 2.0f; }},
    };
    for (const Case& c : cases) {
        Toy toy;
        toy.mGeometry.mLinksBuilt = 1;
        c.mSet(toy);
        EXPECT_TRUE(c.mCheck(toy)) << c.mName;
        EXPECT_EQ(toy.mGeometry.mLinksBuilt, 0) << c.mName;
    }
    Toy toy;
    EXPECT_TRUE(toy.GetEDDoSprings1()) << "the mesh family is on by default";
    EXPECT_FALSE(toy.GetEDDoSprings(5)) << "no such set";
    toy.mGeometry.mLinksBuilt = 1;
    toy.SetEDDoSprings(5, true);
    EXPECT_EQ(toy.mGeometry.mLinksBuilt, 1) << "a set that does not exist changes nothing";
}

TEST(Toy, PullsPushAndWakeTheToy)
{
    Statistics statistics;
    Statistics* saved = gStatistics;
    gStatistics = &statistics;
    Toy toy;
    toy.mSleeping = 1;
    toy.mSleepCounter = 7;
    toy.mPosition = {10.0f, 10.0f};
    toy.PullTest({10.0f, 20.0f}, true);
    EXPECT_EQ(toy.mForce, VectorF(0.0f, 25000.0f));
    EXPECT_EQ(toy.mSleeping, 0);
    EXPECT_EQ(toy.mSleepCounter, 0);

    toy.PullTest2({5.0f, 0.0f});
    EXPECT_EQ(toy.mTorque, 50.0f);
    toy.PullTest2({10.0f, 0.0f});
    EXPECT_EQ(toy.mTorque, 0.0f);
    toy.PullTest3(false);
    EXPECT_EQ(toy.mTorque, -50.0f);

    toy.mVelocityAfterImpulses = {5000.0f, 0.0f};
    toy.mAngularVelocityAfterImpulses = 60.0f;
    toy.PullTest4({1.0f, 2.0f});
    EXPECT_FLOAT_EQ(toy.mVelocityAfterImpulses.GetLength(), 4000.0f);
    EXPECT_EQ(toy.mAngularVelocityAfterImpulses, 50.0f);
    EXPECT_EQ(StatGetInt(kStatToysLimitedVelocityCount), 1);
    EXPECT_EQ(StatGetInt(kStatToysLimitedAngVelocityCount), 1);
    gStatistics = saved;
}

TEST(Toy, FramesAndPointVelocities)
{
    Toy toy;
    toy.mPosition = {100.0f, 50.0f};
    toy.mOrientation = 0.7f;
    const VectorF p(130.0f, 20.0f);
    const VectorF back = toy.LocalToWorld(toy.WorldToLocal(p));
    EXPECT_NEAR(back.mX, p.mX, 1e-4f);
    EXPECT_NEAR(back.mY, p.mY, 1e-4f);

    toy.mVelocityAfterImpulses = {1.0f, 2.0f};
    toy.mAngularVelocityAfterImpulses = 2.0f;
    toy.mOutline.PushBack({110.0f, 50.0f});
    EXPECT_EQ(toy.GetPointVelocity(0), VectorF(1.0f, 2.0f - 20.0f));
    EXPECT_EQ(toy.GetPointVelocity(-1), VectorF(1.0f, 2.0f));
    EXPECT_EQ(toy.GetPointVelocity(1), VectorF(1.0f, 2.0f));
}

TEST(Toy, ChecksumSumsInUnsignedArithmetic)
{
    struct Case {
        int32_t mSeed;
        VectorF mPosition;
        float mOrientation;
        uint32_t mExpected;
    } const cases[] = {
        {1, {0.25f, 0.5f}, 0.0f, 1u + 2500u + 5000u},
        {5, {-0.25f, 3.0f}, -1.5f, 5u - 2500u - 5000u},  // negative fractions count negative
        {INT32_MAX, {0.9999f, 0.9999f}, 0.9999f, 2147483647u + 3u * 9999u},  // wraps past INT32_MAX
        {7, {kNaN, std::numeric_limits<float>::infinity()}, 0.5f, 7u + 5000u},  // no fraction, no term
    };
    for (const Case& c : cases) {
        Toy toy;
        toy.mRandom.mSeed = c.mSeed;
        toy.mPosition = c.mPosition;
        toy.mOrientation = c.mOrientation;
        EXPECT_EQ(static_cast<uint32_t>(toy.GetChecksumValue()), c.mExpected) << c.mSeed;
    }
}

TEST(Toy, ContactListPreparationSetsGrowthAndClearsTheExtremes)
{
    Toy toy;
    for (float& v : toy.mPendingImpulse) v = 3.0f;
    toy.PrepareContactLists();
    for (float v : toy.mPendingImpulse) EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(toy.mPenetrationContacts.GetGrowBy(), 32);
    EXPECT_GE(toy.mPenetrationContacts.Capacity(), 32);
    EXPECT_EQ(toy.mContactListsPrepared, 1);
}

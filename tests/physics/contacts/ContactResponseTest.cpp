#include <gtest/gtest.h>
#include <cmath>
#include "base/Statistics.h"
#include "physics/contacts/Contacts.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"

namespace KIV {
namespace {

// Two free toys of unit mass and inertia and the contact records between
// them, built by hand so that each rule of the response shows on its own.
class ContactResponseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (Toy* t : {&mA, &mB}) {
            t->mInverseMass = 1.0f;
            t->mInverseMoment = 1.0f;
            t->mWeight = 1.0f;
            t->mStepLength = 1.0f / 210.0f;
            t->mInverseStepLength = 210.0f;
        }
        mA.mPosition = VectorF(-10.0f, 0.0f);
        mB.mPosition = VectorF(10.0f, 0.0f);
    }

    // A contact of toy A at the origin whose normal points out of the partner.
    static ContactRecord Contact(Toy* partner, const VectorF& normal, float restitution, float morph,
                                 const Toy& toy)
    {
        ContactRecord c;
        c.mPoint = VectorF();
        c.mLever = VectorF(-(0.0f - toy.mPosition.mY), 0.0f - toy.mPosition.mX);
        c.mNormal = normal;
        c.mRestitution = -(1.0f + restitution);
        c.mMorph = morph;
        c.mPartnerToy = partner;
        if (partner) {
            c.mPartnerLever = VectorF(-(0.0f - partner->mPosition.mY), 0.0f - partner->mPosition.mX);
            c.mInverseMassSum = toy.mInverseMass + partner->mInverseMass;
        } else {
            c.mStaticSegment = 0;
        }
        return c;
    }

    bool Solve(Toy& toy, float& maxRelative)
    {
        return SolveToyContacts(toy, false, maxRelative, mSettings);
    }

    Toy mA, mB;
    GameSettings mSettings;
};

TEST_F(ContactResponseTest, HeadOnToysBounceWithTheSmallerRestitution)
{
    // A moves right into B, which moves left; the normal points out of B towards A.
    mA.SetRestitution(0.2f);
    mB.SetRestitution(0.8f);
    mA.mVelocityAfterImpulses = VectorF(100.0f, 0.0f);
    mB.mVelocityAfterImpulses = VectorF(-100.0f, 0.0f);
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old response" : "new response");
        mSettings.mOldResponseFunctions = old;
        mA.mVelocityAfterImpulses = VectorF(100.0f, 0.0f);
        mB.mVelocityAfterImpulses = VectorF(-100.0f, 0.0f);
        mA.mPointContacts.Clear();
        // The new response reads the pair's restitution from the record, as
        // the contact gathering fills it: the smaller of the two.
        mA.mPointContacts.PushBack(Contact(&mB, VectorF(-1.0f, 0.0f), 0.2f, 1.0f, mA));
        float maxRelative = 0.0f;
        EXPECT_TRUE(Solve(mA, maxRelative));
        EXPECT_FLOAT_EQ(maxRelative, 200.0f * 200.0f);
        const float separation = mB.mVelocityAfterImpulses.mX - mA.mVelocityAfterImpulses.mX;
        EXPECT_NEAR(separation, 0.2f * 200.0f, 1e-3f);
        EXPECT_FLOAT_EQ(mA.mVelocityAfterImpulses.mX + mB.mVelocityAfterImpulses.mX, 0.0f) << "momentum kept";
        EXPECT_FLOAT_EQ(mA.mAngularVelocityAfterImpulses, 0.0f) << "a central push does not turn";
    }
}

TEST_F(ContactResponseTest, AToyAtRestIsPushedAlongThePairsMotion)
{
    // B falls onto A, which is at rest below it (y grows downward); the
    // contact is in A's list, its normal points out of B towards A. A's own
    // motion is zero and gives no direction: the impulse follows the pair's.
    mA.mPosition = VectorF(0.0f, 10.0f);
    mB.mPosition = VectorF(0.0f, -10.0f);
    mB.mVelocityAfterImpulses = VectorF(0.0f, 100.0f);
    mA.mPointContacts.PushBack(Contact(&mB, VectorF(0.0f, 1.0f), 0.13f, 0.0f, mA));
    float maxRelative = 0.0f;
    EXPECT_TRUE(Solve(mA, maxRelative));
    EXPECT_FLOAT_EQ(mA.mVelocityAfterImpulses.mX, 0.0f);
    EXPECT_GT(mA.mVelocityAfterImpulses.mY, 0.0f) << "A is pushed down, away from B";
    EXPECT_NEAR(mA.mVelocityAfterImpulses.mY - mB.mVelocityAfterImpulses.mY, 13.0f, 1e-3f);
    EXPECT_FLOAT_EQ(mA.mAngularVelocityAfterImpulses, 0.0f);
}

TEST_F(ContactResponseTest, SlipperyShapesTheImpulseBetweenNormalAndMotion)
{
    // A toy slides right while sinking onto terrain below it (y grows
    // downward: the terrain's outward normal points up). The contact point
    // is the toy's centre, so nothing turns.
    mA.mPosition = VectorF();
    struct Case {
        float mSlippery;
        VectorF mVelocityAfter;
    };
    const Case cases[] = {
        {1.0f, VectorF(100.0f, 0.0f)},  // pure normal impulse: the slide goes on
        {0.0f, VectorF(0.0f, 0.0f)},    // along the point's motion: the point stops
    };
    for (bool old : {false, true}) {
        mSettings.mOldResponseFunctions = old;
        for (const Case& k : cases) {
            SCOPED_TRACE(testing::Message() << (old ? "old" : "new") << " slippery " << k.mSlippery);
            mA.SetSlippery(k.mSlippery);
            mA.SetRestitutionWithTerrain(0.0f);
            mA.mVelocityAfterImpulses = VectorF(100.0f, 50.0f);
            mA.mPointContacts.Clear();
            mA.mPointContacts.PushBack(Contact(nullptr, VectorF(0.0f, -1.0f), 0.0f, k.mSlippery, mA));
            float maxRelative = 0.0f;
            EXPECT_TRUE(Solve(mA, maxRelative));
            EXPECT_NEAR(mA.mVelocityAfterImpulses.mX, k.mVelocityAfter.mX, 1e-3f);
            EXPECT_NEAR(mA.mVelocityAfterImpulses.mY, k.mVelocityAfter.mY, 1e-3f);
        }
    }
}

TEST_F(ContactResponseTest, ContactsThatDoNotApproachAreSeparating)
{
    mA.mPosition = VectorF();
    const VectorF velocities[] = {VectorF(100.0f, 0.0f), VectorF(0.0f, -30.0f)};  // along the surface, leaving it
    for (const VectorF& v : velocities) {
        mA.mVelocityAfterImpulses = v;
        mA.mPointContacts.Clear();
        mA.mPointContacts.PushBack(Contact(nullptr, VectorF(0.0f, -1.0f), 0.5f, 1.0f, mA));
        float maxRelative = 0.0f;
        EXPECT_FALSE(Solve(mA, maxRelative));
        EXPECT_EQ(mA.mVelocityAfterImpulses, v);
        EXPECT_EQ(maxRelative, 0.0f);
        EXPECT_EQ(mA.mPointContacts[0].mImpulse, VectorF());
    }
}

TEST_F(ContactResponseTest, LineContactsPushOnlyWhileTheEdgeAdvancesIntoThePartner)
{
    // A's outline edge runs left to right along y = 0 (a clockwise outline on
    // screen has its outside above such an edge); terrain lies above it and
    // its normal points down, towards the toy.
    mA.mPosition = VectorF(0.0f, 10.0f);
    struct Case {
        VectorF mEdge;
        VectorF mVelocity;
        bool mPushed;
    };
    const Case cases[] = {
        {VectorF(1.0f, 0.0f), VectorF(0.0f, -20.0f), true},    // the edge moves up into the terrain
        {VectorF(1.0f, 0.0f), VectorF(0.0f, 20.0f), false},    // it moves away
        {VectorF(-1.0f, 0.0f), VectorF(0.0f, -20.0f), false},  // an edge whose outside is below retreats
    };
    for (const Case& k : cases) {
        ContactRecord c = Contact(nullptr, VectorF(0.0f, 1.0f), 0.0f, 1.0f, mA);
        c.mEdgeVector = k.mEdge;
        c.mImpulse = VectorF(7.0f, 7.0f);
        mA.mVelocityAfterImpulses = k.mVelocity;
        mA.mLineContacts.Clear();
        mA.mLineContacts.PushBack(c);
        float maxRelative = 0.0f;
        EXPECT_EQ(Solve(mA, maxRelative), k.mPushed);
        if (k.mPushed) {
            EXPECT_NEAR(mA.mVelocityAfterImpulses.mY, 0.0f, 1e-4f);
        } else {
            EXPECT_EQ(mA.mVelocityAfterImpulses, k.mVelocity);
            EXPECT_EQ(mA.mLineContacts[0].mImpulse, VectorF()) << "a line contact without impulse forgets its impulse";
        }
    }
}

TEST_F(ContactResponseTest, SolveSwitchesLeaveTheirContactsAlone)
{
    mA.mPosition = VectorF();
    auto reset = [this] {
        mA.mVelocityAfterImpulses = VectorF(0.0f, 50.0f);
        mA.mPointContacts.Clear();
        mA.mPointContacts.PushBack(Contact(nullptr, VectorF(0.0f, -1.0f), 0.0f, 1.0f, mA));
    };
    reset();
    mSettings.mSolvePntColToyToy = 0;
    float maxRelative = 0.0f;
    EXPECT_FALSE(Solve(mA, maxRelative)) << "the new solve skips every point contact";
    reset();
    mSettings.mOldResponseFunctions = 1;
    EXPECT_TRUE(Solve(mA, maxRelative)) << "the old solve always meets terrain";
}

TEST(PendingImpulses, OnlyTheExtremesOfEachDirectionAreApplied)
{
    struct Case {
        float mFirst, mSecond, mExpected;
    };
    const Case cases[] = {{3.0f, 5.0f, 5.0f}, {5.0f, -2.0f, 3.0f}, {-4.0f, -1.0f, -4.0f}, {0.0f, 2.0f, 2.0f}};
    for (const Case& k : cases) {
        Toy toy;
        toy.mInverseMass = 1.0f;
        toy.mInverseMoment = 0.5f;
        GatherPendingImpulse(toy, VectorF(k.mFirst, 0.0f), k.mFirst);
        GatherPendingImpulse(toy, VectorF(k.mSecond, 0.0f), k.mSecond);
        ApplyPendingImpulses(toy);
        EXPECT_FLOAT_EQ(toy.mVelocityAfterImpulses.mX, k.mExpected) << k.mFirst << ", " << k.mSecond;
        EXPECT_FLOAT_EQ(toy.mAngularVelocityAfterImpulses, -0.5f * k.mExpected);
        for (float v : toy.mPendingImpulse) EXPECT_EQ(v, 0.0f) << "applied extremes start again at zero";
    }
}

TEST(PendingImpulses, ImmediateImpulsesOffGathersUntilTheIslandApplies)
{
    Toy toy, other;
    for (Toy* t : {&toy, &other}) {
        t->mInverseMass = 1.0f;
        t->mInverseMoment = 1.0f;
    }
    toy.mPosition = VectorF(-10.0f, 0.0f);
    other.mPosition = VectorF(10.0f, 0.0f);
    toy.mVelocityAfterImpulses = VectorF(10.0f, 0.0f);
    PenetrationRecord r;
    r.mPartner = &other;
    // The chord from the entry crossing down to the exit crossing: the
    // stretch of the toy inside its partner lies to the right of it.
    r.mEdgeStart = VectorF(0.0f, -5.0f);
    r.mEdgeEnd = VectorF(0.0f, 5.0f);
    toy.mPenetrationContacts.PushBack(r);
    GameSettings settings;
    settings.mImmediateImpulses = 0;
    EXPECT_TRUE(SolvePenetrationContacts(toy, true, settings));
    EXPECT_EQ(toy.mVelocityAfterImpulses, VectorF(10.0f, 0.0f)) << "gathered, not yet applied";
    EXPECT_NE(toy.mPenetrationContacts[0].mImpulse, VectorF());
    settings.mImmediateImpulses = 1;
    ApplyPendingImpulses(toy);
    ApplyPendingImpulses(other);
    EXPECT_LT(toy.mVelocityAfterImpulses.mX, 10.0f);
    EXPECT_GT(other.mVelocityAfterImpulses.mX, 0.0f);
}

// A penetration's response takes its chord's normal and levers from the
// toys' positions at the first velocity iteration of a step and keeps them
// for the later ones: a step after the toys moved must answer as a pair that
// was never solved before, not from the geometry of the step before.
TEST(PenetrationContacts, EachStepTakesTheGeometryOfItsOwnFirstIteration)
{
    struct Pair {
        Toy mToy, mOther;
        explicit Pair(const VectorF& toyAt, const VectorF& otherAt)
        {
            for (Toy* t : {&mToy, &mOther}) {
                t->mInverseMass = 1.0f;
                t->mInverseMoment = 0.01f;
            }
            PenetrationRecord r;
            r.mPartner = &mOther;
            r.mEdgeStart = VectorF(0.0f, -5.0f);
            r.mEdgeEnd = VectorF(0.0f, 5.0f);
            mToy.mPenetrationContacts.PushBack(r);
            MoveTo(toyAt, otherAt);
        }
        void MoveTo(const VectorF& toyAt, const VectorF& otherAt)
        {
            mToy.mPosition = toyAt;
            mOther.mPosition = otherAt;
            mToy.mVelocityAfterImpulses = VectorF(10.0f, 3.0f);
            mToy.mAngularVelocityAfterImpulses = 0.5f;
            mOther.mVelocityAfterImpulses = VectorF(-4.0f, 1.0f);
            mOther.mAngularVelocityAfterImpulses = -0.25f;
        }
        void Iterate(const GameSettings& settings)
        {
            for (int32_t i = 0; i < 4; ++i) SolvePenetrationContacts(mToy, i == 0, settings);
        }
    };
    struct Case {
        const char* mName;
        VectorF mToyAt, mOtherAt;  // in the second step
    };
    const Case cases[] = {
        {"the toy moved", VectorF(-10.0f, 6.0f), VectorF(10.0f, 0.0f)},
        {"the partner moved", VectorF(-10.0f, 0.0f), VectorF(7.0f, -8.0f)},
        {"both turned about the chord", VectorF(-6.0f, -8.0f), VectorF(6.0f, 8.0f)},
    };
    GameSettings settings;
    for (const Case& c : cases) {
        Pair twice(VectorF(-10.0f, 0.0f), VectorF(10.0f, 0.0f));
        twice.Iterate(settings);
        twice.MoveTo(c.mToyAt, c.mOtherAt);
        twice.Iterate(settings);
        Pair fresh(c.mToyAt, c.mOtherAt);
        fresh.Iterate(settings);
        EXPECT_EQ(twice.mToy.mVelocityAfterImpulses, fresh.mToy.mVelocityAfterImpulses) << c.mName;
        EXPECT_EQ(twice.mToy.mAngularVelocityAfterImpulses, fresh.mToy.mAngularVelocityAfterImpulses) << c.mName;
        EXPECT_EQ(twice.mOther.mAngularVelocityAfterImpulses, fresh.mOther.mAngularVelocityAfterImpulses) << c.mName;
        EXPECT_EQ(twice.mToy.mPenetrationContacts[0].mImpulse, fresh.mToy.mPenetrationContacts[0].mImpulse)
            << c.mName;
    }
}

class StatisticsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSaved = gStatistics;
        mStatistics.InitItems();
        gStatistics = &mStatistics;
    }
    void TearDown() override { gStatistics = mSaved; }
    Statistics mStatistics;
    Statistics* mSaved = nullptr;
};

using VelocityClamp = StatisticsFixture;

TEST_F(VelocityClamp, SpeedAndTurnAreLimitedAndCounted)
{
    VectorF v(3000.0f, 4000.0f);
    float w = 60.0f;
    ClampVelocity(v, w);
    EXPECT_NEAR(v.GetLength(), 4000.0f, 0.01f);
    EXPECT_NEAR(v.mX / v.mY, 0.75f, 1e-6f) << "the direction is kept";
    EXPECT_EQ(w, 50.0f);
    EXPECT_EQ(StatGetInt(kStatToysLimitedVelocityCount), 1);
    EXPECT_EQ(StatGetInt(kStatToysLimitedAngVelocityCount), 1);
    w = -70.0f;
    VectorF slow(10.0f, 0.0f);
    ClampVelocity(slow, w);
    EXPECT_EQ(w, -50.0f);
    EXPECT_EQ(slow, VectorF(10.0f, 0.0f));
    EXPECT_EQ(StatGetInt(kStatToysLimitedVelocityCount), 1);
    EXPECT_EQ(StatGetInt(kStatToysLimitedAngVelocityCount), 2);
}

TEST_F(VelocityClamp, IntegrationClampsWhatForcesWouldPushBeyond)
{
    Toy toy;
    toy.mStepLength = 1.0f / 210.0f;
    toy.mAirFriction = 0.0f;
    toy.mAirAngularFriction = 0.0f;
    toy.mVelocityAfterImpulses = VectorF(0.0f, 3999.0f);
    toy.mAngularVelocityAfterImpulses = 49.9f;
    toy.mGravity = VectorF(0.0f, 800.0f);
    toy.mTorque = 1000.0f;
    IntegrateToy(toy);
    EXPECT_LE(toy.mVelocityAfterImpulses.GetLength(), 4000.0f + 0.01f);
    EXPECT_EQ(toy.mAngularVelocityAfterImpulses, 50.0f);
    EXPECT_EQ(toy.mVelocity, VectorF(0.0f, 3999.0f)) << "the velocities of the last step became the current ones";
    EXPECT_EQ(toy.mTorque, 0.0f) << "the accumulators start the next step empty";
    EXPECT_EQ(toy.mPredictedPosition, toy.mVelocityAfterImpulses * toy.mStepLength);
}

TEST(ParticleImpulse, ElasticHitPushesTheToyAlongTheNormalAndNeedsMass)
{
    Toy toy;
    toy.mInverseMass = 1.0f;
    toy.mInverseMoment = 1.0f;
    EXPECT_FALSE(toy.ApplyParticleImpulse(0.0f, VectorF(0.0f, 10.0f), VectorF(), VectorF(0.0f, -1.0f)));
    EXPECT_EQ(toy.mVelocityAfterImpulses, VectorF());
    // A particle of mass 1 falling at 10 onto the toy's centre from above.
    EXPECT_TRUE(toy.ApplyParticleImpulse(1.0f, VectorF(0.0f, 10.0f), VectorF(), VectorF(0.0f, -1.0f)));
    EXPECT_FLOAT_EQ(toy.mVelocityAfterImpulses.mY, 10.0f) << "equal masses exchange the velocity";
    EXPECT_FLOAT_EQ(toy.mAngularVelocityAfterImpulses, 0.0f);

    Toy resting;
    resting.mInverseMass = 1.0f;
    resting.mInverseMoment = 1.0f;
    VectorF change;
    EXPECT_FALSE(ApplyParticleImpulseAtWorldPoint(resting, 1.0f, VectorF(0.0f, -10.0f), VectorF(), VectorF(0.0f, -1.0f),
                                                  0.5f, &change))
        << "a particle leaving the surface does not push";
    EXPECT_TRUE(ApplyParticleImpulseAtWorldPoint(resting, 1.0f, VectorF(0.0f, 10.0f), VectorF(), VectorF(0.0f, -1.0f),
                                                 0.5f, &change));
    EXPECT_FLOAT_EQ(change.mY, -7.5f);
    EXPECT_FLOAT_EQ(resting.mVelocityAfterImpulses.mY, 7.5f);
}

} // namespace
} // namespace KIV

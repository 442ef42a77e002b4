#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include "physics/toys/CrossingMemo.h"
#include "physics/toys/PointContactMemo.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/StepWorlds.h"

// A toy's kept crossing walk and kept point contacts against the fresh
// queries: two copies of a settled pile step side by side, one of them made
// to walk and test every toy's paths every step, after the same
// disturbance. Every step's crossing events, point contacts and state must
// be the same bits.

namespace KIV {
namespace {

constexpr int32_t kPileToys = 12;
constexpr int32_t kSettleSteps = 700;
constexpr int32_t kComparedSteps = 40;

uint32_t Bits(float v)
{
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

int32_t IndexOf(const Scene& scene, const Toy* toy)
{
    return toy ? scene.mToys.IndexOf(const_cast<Toy*>(toy)) : -1;
}

// Where two events differ, or an empty string; partners by their place in the list.
std::string EventDifference(const Scene& sa, const ContactRecord& a, const Scene& sb, const ContactRecord& b)
{
    const auto same = [](const VectorF& x, const VectorF& y) { return Bits(x.mX) == Bits(y.mX) && Bits(x.mY) == Bits(y.mY); };
    if (a.mStaticSegment != b.mStaticSegment || (a.mStaticOwner == nullptr) != (b.mStaticOwner == nullptr))
        return "terrain partner";
    if (IndexOf(sa, a.mPartnerToy) != IndexOf(sb, b.mPartnerToy) || a.mPartnerPoint != b.mPartnerPoint)
        return "toy partner";
    if (a.mEdgeIndex != b.mEdgeIndex || Bits(a.mEdgeT) != Bits(b.mEdgeT) || a.mEntering != b.mEntering)
        return "edge";
    if (!same(a.mPoint, b.mPoint) || !same(a.mNormal, b.mNormal) || !same(a.mLever, b.mLever) ||
        !same(a.mPartnerLever, b.mPartnerLever) || !same(a.mEdgeVector, b.mEdgeVector))
        return "geometry";
    if (Bits(a.mRestitution) != Bits(b.mRestitution) || Bits(a.mMorph) != Bits(b.mMorph) ||
        Bits(a.mInverseMassSum) != Bits(b.mInverseMassSum))
        return "material";
    if (a.mPointIndex != b.mPointIndex || Bits(a.mTimeFraction) != Bits(b.mTimeFraction)) return "path";
    if (!same(a.mTarget, b.mTarget)) return "target";
    if (!same(a.mImpulse, b.mImpulse) || !same(a.mPointTerm, b.mPointTerm) || !same(a.mRelativeTerm, b.mRelativeTerm))
        return "impulse";
    return "";
}

// Where two lists of contacts differ, or an empty string.
std::string ListDifference(const Scene& sa, const Array<ContactRecord>& a, const Scene& sb,
                           const Array<ContactRecord>& b)
{
    if (a.Count() != b.Count()) return "count " + std::to_string(a.Count()) + " vs " + std::to_string(b.Count());
    for (int32_t k = 0; k < a.Count(); ++k) {
        const std::string d = EventDifference(sa, a[k], sb, b[k]);
        if (!d.empty()) return d + " of contact " + std::to_string(k);
    }
    return "";
}

struct Situation {
    const char* mName;
    // Applied to both piles alike before each compared step.
    std::function<void(Scene&, GameSettings&, int32_t step)> mDisturb;
};

void PrintTo(const Situation& situation, std::ostream* os) { *os << situation.mName; }

class CrossingMemoTest : public ::testing::TestWithParam<Situation> {
protected:
    void SetUp() override
    {
        for (Scene* scene : {&mKept, &mWalked}) {
            ASSERT_TRUE(Scenes::MakeSoftPile(*scene, kPileToys));
            Scenes::StepWorld(*scene, mSettings, kSettleSteps);
        }
    }

    // Steps both piles once, the second walking and testing every toy
    // afresh, and compares them.
    void StepBoth(int32_t step)
    {
        PhysicsStep(mKept, mSettings);
        for (Toy* toy : mWalked.mToys) {
            ForgetCrossings(*toy);
            ForgetPointContacts(*toy);
        }
        PhysicsStep(mWalked, mSettings);
        ASSERT_EQ(mKept.mToys.Count(), mWalked.mToys.Count());
        EXPECT_EQ(Scenes::HashToyState(mKept), Scenes::HashToyState(mWalked)) << "step " << step;
        for (int32_t i = 0; i < mKept.mToys.Count(); ++i) {
            const Toy& kept = *mKept.mToys[i];
            const Toy& walked = *mWalked.mToys[i];
            ASSERT_EQ(ListDifference(mKept, kept.mLineContacts, mWalked, walked.mLineContacts), "")
                << "crossing events of toy " << i << " step " << step;
            ASSERT_EQ(ListDifference(mKept, kept.mPointContacts, mWalked, walked.mPointContacts), "")
                << "point contacts of toy " << i << " step " << step;
            mReuses += kept.mCrossingMemo.mReused ? 1 : 0;
            mPointReuses += kept.mPointContactMemo.mReused ? 1 : 0;
            EXPECT_FALSE(walked.mCrossingMemo.mReused);
            EXPECT_FALSE(walked.mPointContactMemo.mReused);
        }
    }

    GameSettings mSettings;
    Scene mKept;
    Scene mWalked;
    int64_t mReuses = 0;
    int64_t mPointReuses = 0;
};

TEST_P(CrossingMemoTest, KeptEventsAreTheWalksOwn)
{
    for (int32_t step = 0; step < 3; ++step) StepBoth(step);
    ASSERT_GT(mReuses, 0) << "the settled pile keeps its walks";
    ASSERT_GT(mPointReuses, 0) << "the settled pile keeps its point contacts";
    mReuses = 0;
    mPointReuses = 0;
    for (int32_t step = 0; step < kComparedSteps && !HasFatalFailure(); ++step) {
        GetParam().mDisturb(mKept, mSettings, step);
        GetParam().mDisturb(mWalked, mSettings, step);
        StepBoth(step);
    }
    EXPECT_GT(mReuses, 0) << "the untouched part of the pile still keeps its walks";
    EXPECT_GT(mPointReuses, 0) << "the resting part of the pile still keeps its point contacts";
}

// The lowest toy: the pile rests on it, and it on the ground.
Toy& Bottom(Scene& scene)
{
    Toy* best = scene.mToys[0];
    for (Toy* toy : scene.mToys)
        if (toy->mPosition.mY > best->mPosition.mY) best = toy;
    return *best;
}

// A toy whose crossing events name another toy: the two overlap.
bool TouchingPair(Scene& scene, Toy*& toy, Toy*& partner)
{
    for (Toy* t : scene.mToys)
        for (const ContactRecord& c : t->mLineContacts)
            if (c.mPartnerToy) {
                toy = t;
                partner = c.mPartnerToy;
                return true;
            }
    return false;
}

// Moves the toy's outline and place without waking it or updating the grid,
// as un-penetration moves a sleeping toy's points.
void Shift(Toy& toy, const VectorF& by)
{
    for (int32_t i = 0; i < toy.mOutline.Count(); ++i) toy.mOutline[i] += by;
    toy.mOutline.Data()[toy.mOutline.Count()] = toy.mOutline[0];
    toy.mPosition += by;
}

// A situation that acts once, before the first compared step.
template <typename F>
std::function<void(Scene&, GameSettings&, int32_t)> AtFirstStep(F f)
{
    return [f](Scene& s, GameSettings&, int32_t step) {
        if (step == 0) f(s);
    };
}

const Situation kSituations[] = {
    {"Untouched", AtFirstStep([](Scene&) {})},
    {"ToyWokenByAPush", AtFirstStep([](Scene& s) { Bottom(s).ApplyPointForce(0, VectorF(4000.0f, -2000.0f)); })},
    {"ToyDentedByAParticle", AtFirstStep([](Scene& s) {
         Toy& toy = Bottom(s);
         toy.DentByParticle(toy.mOutline[5], VectorF(0.0f, 3.0f));
     })},
    {"ToyHitByAParticle", AtFirstStep([](Scene& s) {
         Toy& toy = *s.mToys[s.mToys.Count() / 2];
         toy.ApplyParticleImpulse(0.5f, VectorF(0.0f, 900.0f), toy.mOutline[0], VectorF(0.0f, -1.0f));
     })},
    {"SleepingOutlinePointNudged", AtFirstStep([](Scene& s) {
         Toy& toy = *s.mToys[s.mToys.Count() / 2];
         toy.mOutline[3].mX += 0.25f;
         toy.mOutline.Data()[toy.mOutline.Count()] = toy.mOutline[0];
     })},
    {"NeighbourMovedWithoutWaking", AtFirstStep([](Scene& s) {
         Toy* toy = nullptr;
         Toy* partner = nullptr;
         if (TouchingPair(s, toy, partner)) Shift(*partner, VectorF(0.0f, -0.5f));
     })},
    {"NeighbourCentreMovedUnderItsOutline", AtFirstStep([](Scene& s) {
         // As a piece that takes its shape from its outline moves its centre.
         Toy* toy = nullptr;
         Toy* partner = nullptr;
         if (TouchingPair(s, toy, partner)) partner->mPosition.mX += 0.5f;
     })},
    {"NeighbourSlipperinessChanged", AtFirstStep([](Scene& s) {
         Toy* toy = nullptr;
         Toy* partner = nullptr;
         if (TouchingPair(s, toy, partner)) partner->mSlippery = toy->mSlippery + 0.25f;
     })},
    {"PairNoLongerCollides", AtFirstStep([](Scene& s) {
         Toy* toy = nullptr;
         Toy* partner = nullptr;
         if (!TouchingPair(s, toy, partner)) return;
         partner->mPairFlags[toy->mSlotIndex] = 0;
         toy->mPairFlags[partner->mSlotIndex] = 0;
     })},
    {"StopsBouncingOffToys", AtFirstStep([](Scene& s) { Bottom(s).mDontBounceOffToys = 1; })},
    {"GroundDisabledUnderAToyInIt",
     [](Scene& s, GameSettings& settings, int32_t step) {
         // The bottom toy sinks into the ground and stays there, its walks
         // finding the ground's edges; then the ground goes.
         if (step == 0) {
             settings.mUnPenetrate = 0;
             Shift(Bottom(s), VectorF(0.0f, 1.5f));
         }
         // The ground is the first terrain object the pile's world enters.
         if (step == 6) s.GetGrid().SetStaticEntryDisabled(0, true);
     }},
    {"ToyRemoved", AtFirstStep([](Scene& s) { s.RemoveToy(s.mToys[s.mToys.Count() / 2]); })},
    {"TerrainEnteredThroughAToy", AtFirstStep([](Scene& s) {
         // A wedge of terrain appears through the bottom toy's lowest points.
         const Toy& toy = Bottom(s);
         VectorF low = toy.mOutline[0];
         for (int32_t i = 1; i < toy.mOutline.Count(); ++i)
             if (toy.mOutline[i].mY > low.mY) low = toy.mOutline[i];
         const VectorF wedge[3] = {low + VectorF(-6.0f, 2.0f), low + VectorF(0.0f, -5.0f), low + VectorF(6.0f, 2.0f)};
         s.GetGrid().InsertStaticPolygon(wedge, 3);
     })},
};

INSTANTIATE_TEST_SUITE_P(Situations, CrossingMemoTest, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation>& info) { return std::string(info.param.mName); });

} // namespace
} // namespace KIV

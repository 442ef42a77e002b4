#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "physics/joints/Joint.h"
#include "physics/geometry/SampleOutlines.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

#include "physics/MeshSamples.h"

using namespace KIV;
using namespace KIV::MeshSamples;

namespace {

void BuildEllipseToy(Toy& toy, float angle = 0.6f)
{
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 48, 60.0f, 40.0f);
    ASSERT_TRUE(toy.BuildFromPolygon(outline.Data(), outline.Count(), 1.5f, {400, 250}, angle));
    toy.mStepLength = 1.0f / 210.0f;
    toy.SetVelocity({120.0f, -40.0f});
    toy.SetAngularVelocity(2.5f);
}

void BuildSmallEllipseToy(Toy& toy)
{
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 40, 50.0f, 35.0f);
    ASSERT_TRUE(toy.BuildFromPolygon(outline.Data(), outline.Count(), 1.0f, {500, 300}, 0.3f));
}

ContactRecord PointContact(int32_t point, const VectorF& impulse, const VectorF& where)
{
    ContactRecord c;
    c.mPointIndex = point;
    c.mImpulse = impulse;
    c.mPoint = where;
    return c;
}

double TwiceSignedArea(const Array<VectorF>& points, int32_t n)
{
    double s = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const VectorF& a = points[i];
        const VectorF& b = points[(i + 1) % n];
        s += double(a.mX) * b.mY - double(a.mY) * b.mX;
    }
    return s;
}

// A toy broken from an outline point towards its centre.
class ToyBreaking : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildEllipseToy(mToy);
        mToy.SetBreakLineRandomizer(0.0f);
        mToy.SetHitByPosition(5, mToy.mOutline[5], false);
    }
    Toy mToy, mA, mB;
};

} // namespace

TEST_F(ToyBreaking, ConservesAreaMassAndMomentumAndEveryPieceWindsPositive)
{
    const VectorF momentum = mToy.mVelocity * mToy.mWeight;
    const VectorF momentumAfterImpulses = mToy.mVelocityAfterImpulses * mToy.mWeight;
    ASSERT_TRUE(mToy.Break(mA, mB));
    EXPECT_NEAR(mA.GetArea() + mB.GetArea(), mToy.GetArea(), 1e-3f * mToy.GetArea());
    EXPECT_NEAR(mA.GetWeight() + mB.GetWeight(), mToy.GetWeight(), 1e-3f * mToy.GetWeight());
    const VectorF after = mA.mVelocity * mA.mWeight + mB.mVelocity * mB.mWeight;
    const VectorF afterImpulses = mA.mVelocityAfterImpulses * mA.mWeight + mB.mVelocityAfterImpulses * mB.mWeight;
    const float scale = momentum.GetLength();
    EXPECT_NEAR(after.mX, momentum.mX, 1e-3f * scale);
    EXPECT_NEAR(after.mY, momentum.mY, 1e-3f * scale);
    EXPECT_NEAR(afterImpulses.mX, momentumAfterImpulses.mX, 1e-3f * scale);
    EXPECT_NEAR(afterImpulses.mY, momentumAfterImpulses.mY, 1e-3f * scale);
    for (const Toy* piece : {&mA, &mB}) {
        const TracedGeometry& g = piece->mGeometry;
        EXPECT_GT(TwiceSignedArea(g.mPoints, g.mOutlineCount), 0.0);
        for (const IndexTriangle& t : g.mTriangles)
            ASSERT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
        EXPECT_EQ(piece->mOutline.Count(), g.mOutlineCount);
        EXPECT_EQ(piece->mOutline.Data()[piece->mOutline.Count()], piece->mOutline[0]);
        EXPECT_FLOAT_EQ(piece->GetOrientation(), mToy.GetOrientation());
        EXPECT_EQ(piece->mPredictedPosition, piece->mPosition);
        EXPECT_FLOAT_EQ(piece->mAngularVelocity, mToy.mAngularVelocity);
        EXPECT_GT(piece->GetMomentOfInertia(), 0.0f);
    }
    // The pieces lie where their parts of the toy were: their world outlines
    // keep the toy's points (the shared crack ends included).
    for (int32_t i = 0; i < mToy.mGeometry.mOutlineCount; ++i) {
        const PiecePair& pair = mToy.mGeometry.mPiecePairs[i];
        if (pair.mA >= 0) {
            EXPECT_EQ(mA.mOutline[pair.mA], mToy.mOutline[i]);
        }
        if (pair.mB >= 0) {
            EXPECT_EQ(mB.mOutline[pair.mB], mToy.mOutline[i]);
        }
    }
}

TEST_F(ToyBreaking, EachPieceMovesWithItsOwnCentroid)
{
    ASSERT_TRUE(mToy.Break(mA, mB));
    for (const Toy* piece : {&mA, &mB}) {
        const VectorF expected = mToy.GetVelocityAt(piece->mPosition);
        EXPECT_NEAR(piece->mVelocityAfterImpulses.mX, expected.mX, 1e-3f);
        EXPECT_NEAR(piece->mVelocityAfterImpulses.mY, expected.mY, 1e-3f);
    }
    // A spinning toy's halves fly apart: they do not share the toy's velocity.
    EXPECT_GT((mA.mVelocity - mB.mVelocity).GetLength(), 10.0f);
}

TEST_F(ToyBreaking, PiecesTakeTheSettingsAndTheKeptPenetrationValues)
{
    mToy.SetRestitution(0.7f);
    mToy.SetSlippery(0.3f);
    mToy.SetMinimalImpulseToBreakHull(1234.0f);
    mToy.SetName("vase");
    for (int32_t i = 0; i < mToy.mPenetrationValues.Count(); ++i) mToy.mPenetrationValues[i] = 1.0f + float(i);
    ASSERT_TRUE(mToy.Break(mA, mB));
    for (const Toy* piece : {&mA, &mB}) {
        EXPECT_FLOAT_EQ(piece->GetRestitution(), 0.7f);
        EXPECT_FLOAT_EQ(piece->GetSlippery(), 0.3f);
        EXPECT_FLOAT_EQ(piece->GetMinimalImpulseToBreakHull(), 1234.0f);
        EXPECT_FLOAT_EQ(piece->GetDensity(), mToy.GetDensity());
        EXPECT_EQ(piece->GetName(), mToy.GetName());
        EXPECT_EQ(piece->mPenetrationValues.Count(), piece->mGeometry.mOutlineCount);
    }
    for (int32_t i = 0; i < mToy.mGeometry.mOutlineCount; ++i) {
        const PiecePair& pair = mToy.mGeometry.mPiecePairs[i];
        if (pair.mA >= 0) {
            EXPECT_EQ(mA.mPenetrationValues[pair.mA], 1.0f + float(i));
        }
        if (pair.mB >= 0) {
            EXPECT_EQ(mB.mPenetrationValues[pair.mB], 1.0f + float(i));
        }
    }
    // The crack's inner points are new outline points without penetration.
    int32_t fresh = 0;
    for (const Toy* piece : {&mA, &mB})
        for (float v : piece->mPenetrationValues) fresh += v == 0.0f ? 1 : 0;
    EXPECT_EQ(fresh, 2 * (mToy.mGeometry.mCrackPoints.Count() - 2));
}

TEST_F(ToyBreaking, MorePartsAreShared)
{
    const int32_t cases[][3] = {{5, 1, 2}, {1, 0, 0}, {2, 0, 0}, {8, 3, 3}, {0, 0, 0}};
    for (const auto& c : cases) {
        Toy toy, a, b;
        BuildEllipseToy(toy);
        toy.SetBreakToyToMoreParts(c[0]);
        toy.SetHitByPosition(5, {0, 0}, false);
        ASSERT_TRUE(toy.Break(a, b));
        EXPECT_EQ(a.GetBreakToyToMoreParts(), c[1]) << c[0];
        EXPECT_EQ(b.GetBreakToyToMoreParts(), c[2]) << c[0];
    }
}

TEST_F(ToyBreaking, JointsFollowThePieceTheirAnchorLiesInWithTheirInertia)
{
    Toy other;
    BuildEllipseToy(other);
    // One anchor near each end of the toy's long axis: the crack from the
    // top runs down the middle, so they end in different pieces.
    Toy toy;
    BuildEllipseToy(toy, 0.0f);
    toy.SetBreakLineRandomizer(0.0f);
    toy.SetBreakLineDirectionShifter(0.0f);
    toy.SetBreakToyCoreToo(true);  // through the middle, not just a chip off the hull
    Joint left, right;
    left.ConnectToys(&toy, {-45, 0}, &other, {0, 0});
    right.ConnectToys(&other, {0, 0}, &toy, {45, 0});
    toy.AddJoint(&left);
    toy.AddJoint(&right);
    const VectorF leftWorld = toy.LocalToWorld({-45, 0});
    const VectorF rightWorld = toy.LocalToWorld({45, 0});
    // Outline point 36 of 48 is the top of the ellipse (y grows downward).
    toy.SetHitByPosition(36, {0, 0}, false);
    Toy a, b;
    ASSERT_TRUE(toy.Break(a, b));
    EXPECT_EQ(toy.mJoints.Count(), 0);
    ASSERT_NE(left.mToyA, right.mToyB);
    for (Joint* joint : {&left, &right}) {
        Toy* piece = joint == &left ? joint->mToyA : joint->mToyB;
        ASSERT_TRUE(piece == &a || piece == &b);
        EXPECT_TRUE(piece->mJoints.Contains(joint));
        const VectorF anchor = joint == &left ? joint->mAnchorA : joint->mAnchorB;
        const VectorF world = piece->LocalToWorld(anchor);
        const VectorF expected = joint == &left ? leftWorld : rightWorld;
        EXPECT_NEAR(world.mX, expected.mX, 1e-3f);
        EXPECT_NEAR(world.mY, expected.mY, 1e-3f);
        EXPECT_TRUE(IsPointInPolygon(piece->mGeometry.mPoints.Data(), piece->mGeometry.mOutlineCount, anchor));
        const float inertia = joint == &left ? joint->mInertiaA : joint->mInertiaB;
        EXPECT_FLOAT_EQ(inertia, piece->GetMomentOfInertia());
    }
    a.mJoints.Clear();
    b.mJoints.Clear();
    other.mJoints.Clear();
}

TEST_F(ToyBreaking, AHitOutOfRangeOrARefusedSplitLeavesTheToyWhole)
{
    const int32_t n = mToy.mGeometry.mOutlineCount;
    for (const int32_t outline : {n, -2}) {
        mToy.mHit.mOutlineIndex = outline;
        mToy.mHit.mTriangleIndex = -1;
        EXPECT_FALSE(mToy.Break(mA, mB));
        EXPECT_EQ(mToy.mHit.mOutlineIndex, -1);  // used up
    }
    mToy.mHit.mOutlineIndex = 3;
    mToy.mHit.mTriangleIndex = mToy.mGeometry.GetTriangleCount();
    EXPECT_FALSE(mToy.Break(mA, mB));
    // No hit at all: the outline start of -1 is out of range for the crack.
    EXPECT_FALSE(mToy.Break(mA, mB));
    EXPECT_EQ(mA.mGeometry.mTriangles.Count(), 0);
    EXPECT_EQ(mToy.mOutline.Count(), n);
}

// A toy pressed into the ground has its world outline held where contacts and
// terrain stopped its points, units away from its mesh at its pose. Each piece
// of it is centred, weighed and shaped on the outline it has in the world, as
// a toy built from that outline would be; its centre then lies inside it.
TEST(ToyBreakPieces, EachPieceTakesCentreMassAndShapeFromItsWorldOutline)
{
    struct Case {
        const char* name;
        float angle;
        float groundY;  // world outline points below it are held on it
        VectorF shift;  // and every world outline point moved by this
    };
    // The ellipse at (400, 250) reaches y = 290 unturned (y grows downward).
    const Case cases[] = {
        {"outline on the mesh", 0.6f, 1e9f, {0.0f, 0.0f}},
        {"bottom held 4 units up", 0.0f, 286.0f, {0.0f, 0.0f}},
        {"turned, bottom held 3 units up", 0.6f, 283.0f, {0.0f, 0.0f}},
        {"whole outline 2.5 units off", 0.3f, 1e9f, {0.7f, -2.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Toy toy, a, b;
        BuildEllipseToy(toy, c.angle);
        toy.SetBreakLineRandomizer(0.0f);
        toy.SetBreakToyCoreToo(true);
        const int32_t n = toy.mOutline.Count();
        for (int32_t i = 0; i < n; ++i) {
            VectorF& p = toy.mOutline[i];
            p.mY = std::min(p.mY, c.groundY);
            p += c.shift;
        }
        toy.mOutline.Data()[n] = toy.mOutline[0];
        toy.SetHitByPosition(5, {0, 0}, false);
        ASSERT_TRUE(toy.Break(a, b));
        for (const Toy* piece : {&a, &b}) {
            const TracedGeometry& g = piece->mGeometry;
            const int32_t m = g.mOutlineCount;
            ASSERT_EQ(piece->mOutline.Count(), m);
            // Area and centroid of the world outline, in doubles about the centre.
            double twiceArea = 0.0, cx = 0.0, cy = 0.0;
            for (int32_t i = 0; i < m; ++i) {
                const VectorF p = piece->mOutline[i] - piece->mPosition;
                const VectorF q = piece->mOutline[(i + 1) % m] - piece->mPosition;
                const double cross = double(p.mX) * q.mY - double(q.mX) * p.mY;
                twiceArea += cross;
                cx += (double(p.mX) + q.mX) * cross;
                cy += (double(p.mY) + q.mY) * cross;
            }
            const double area = std::fabs(twiceArea) * 0.5;
            EXPECT_NEAR(cx / (3.0 * twiceArea), 0.0, 1e-3);
            EXPECT_NEAR(cy / (3.0 * twiceArea), 0.0, 1e-3);
            EXPECT_TRUE(IsPointInPolygon(piece->mOutline.Data(), m, piece->mPosition));
            EXPECT_NEAR(piece->GetArea(), area, 1e-4 * area);
            EXPECT_FLOAT_EQ(piece->GetWeight(), piece->mVolumeZ * piece->GetArea() * piece->GetDensity());
            EXPECT_FLOAT_EQ(piece->GetMomentOfInertia(), g.ComputeMomentOfInertia(piece->GetArea(), piece->GetWeight()));
            // The mesh at the piece's pose is the world outline; its rest shape is the mesh.
            for (int32_t i = 0; i < m; ++i) {
                const VectorF w = piece->LocalToWorld(g.mPoints[i]);
                EXPECT_NEAR(w.mX, piece->mOutline[i].mX, 2e-3f) << i;
                EXPECT_NEAR(w.mY, piece->mOutline[i].mY, 2e-3f) << i;
                EXPECT_EQ(piece->mLocalOutline[i], g.mPoints[i]);
            }
            for (int32_t i = 0; i < g.mPoints.Count(); ++i) EXPECT_EQ(g.mRestPoints[i], g.mPoints[i]);
            for (const IndexTriangle& t : g.mTriangles)
                ASSERT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
        }
    }
}

// A piece thinner across its longest edge than a contact's stand-off (0.01)
// encloses nothing a contact could hold: it is a sliver and is not made.
TEST(ToyBreakPieces, APieceThinnerThanTheContactStandOffIsASliver)
{
    struct Case {
        const char* name;
        VectorF points[3];
        bool sliver;
    };
    const Case cases[] = {
        {"flat chip 8 long, 0.004 high", {{0, 0}, {8, 0}, {3, 0.004f}}, true},
        {"flat chip 8 long, 0.009 high", {{0, 0}, {8, 0}, {5, 0.009f}}, true},
        {"thin chip 8 long, 0.05 high", {{0, 0}, {8, 0}, {3, 0.05f}}, false},
        {"needle 9 long, 0.3 high", {{0, 0}, {9, 0}, {9, 0.3f}}, false},
        {"small round chip", {{0, 0}, {0.3f, 0}, {0.15f, 0.26f}}, false},
    };
    for (const Case& c : cases) {
        Toy toy;
        ASSERT_TRUE(toy.BuildFromPolygon(c.points, 3, 1.0f, {300, 200}, 0.4f)) << c.name;
        EXPECT_EQ(toy.IsSliver(), c.sliver) << c.name;
    }
    EXPECT_TRUE(Toy().IsSliver()) << "a toy without an outline";
}

TEST(ToyBreakInScene, PiecesReplaceTheToyInTheListAndTheGrid)
{
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid(RectF(0, 0, 2000, 1000)));
    Toy* first = scene.NewToySlot();
    Toy* toy = scene.NewToySlot();
    Toy* last = scene.NewToySlot();
    Array<VectorF> outline;
    MakeEllipseOutline(outline, 48, 60.0f, 40.0f);
    for (Toy* t : {first, toy, last}) {
        ASSERT_TRUE(t->BuildFromPolygon(outline.Data(), outline.Count(), 1.0f, {400, 250}, 0.0f));
        ASSERT_TRUE(scene.GetGrid().InsertToy(*t));
    }
    EXPECT_FALSE(BreakToyInScene(scene, *toy));  // no hit yet: nothing changes
    EXPECT_EQ(scene.GetToyCount(), 3);
    toy->SetHitByPosition(7, {0, 0}, false);
    ASSERT_TRUE(BreakToyInScene(scene, *toy));
    ASSERT_EQ(scene.GetToyCount(), 4);
    EXPECT_EQ(scene.GetToy(0), first);
    EXPECT_EQ(scene.GetToy(3), last);
    for (int32_t i = 1; i <= 2; ++i) {
        Toy* piece = scene.GetToy(i);
        EXPECT_GE(piece->mGridSlot, 0);
        EXPECT_GE(piece->mSlotIndex, 0);
        EXPECT_EQ(piece->mContactListsPrepared, 1);
    }
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), 4);
}

// ---- impacts ----

class ToyImpact : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildSmallEllipseToy(mToy);
        mToy.SetMinimalImpulseToDeform(0.0f);
        mBefore = mToy.mGeometry.mPoints;
    }
    // An impulse along the direction that gives the toy the speed change v.
    VectorF ImpulseFor(const VectorF& direction, float v) const
    {
        VectorF d = direction;
        d.Normalize(v / mToy.mInverseMass);
        return d;
    }
    // The impulse whose size, divided by the toy's mass, is exactly v.
    float ImpactOf(const VectorF& j) const { return SqrtF(j.GetLengthSquared()) * mToy.mInverseMass; }
    bool MeshChanged() const { return MaxPointShift(mToy.mGeometry, mBefore) > 0.0f; }

    Toy mToy;
    Array<VectorF> mBefore;
};

TEST_F(ToyImpact, AnImpactAtTheDentThresholdDentsAndOneAtTheHullThresholdRecordsNoHit)
{
    const VectorF j(0.0f, -3000.0f);
    mToy.mPointContacts.PushBack(PointContact(10, j, mToy.mOutline[10]));
    mToy.SetMinimalImpulseToDeform(ImpactOf(j));
    mToy.SetMinimalImpulseToBreakHull(ImpactOf(j));
    mToy.mDeformStreak = 4;
    mToy.ProcessImpacts();
    EXPECT_TRUE(MeshChanged());
    EXPECT_EQ(mToy.mDeformStreak, 5);
    EXPECT_EQ(mToy.GetDeformedCount(), 1);
    EXPECT_GT(mToy.GetDeformedHowMuch(), 0.0f);
    EXPECT_EQ(mToy.mGeometryChanged, 1);
    EXPECT_FLOAT_EQ(mToy.GetMaxConstraintReached(), 3000.0f);
    EXPECT_EQ(mToy.mHit.mOutlineIndex, -1);
}

// The dent of one contact grows with the square root of its speed change d = J x 0.005 / mass,
// s = sqrt(|d| + 1) - 1 held at 2: the dent is d x s (deform power 1), its size |d| x s.
TEST(ToyDent, DentSizeFollowsTheImpulseUpToTheGrowthClamp)
{
    struct Case {
        float d;     // |d|
        float size;  // deformed how much
    } const cases[] = {
        {0.21f, 0.21f * 0.1f},
        {3.0f, 3.0f * 1.0f},
        {8.0f, 8.0f * 2.0f},   // exactly at the clamp
        {24.0f, 24.0f * 2.0f},  // past it: s would be 4
        {99.0f, 99.0f * 2.0f},  // far past it: s would be 9
    };
    for (const Case& c : cases) {
        Toy toy;
        BuildSmallEllipseToy(toy);
        toy.SetDeformPower(1.0f);
        toy.SetMinimalImpulseToDeform(0.0f);
        toy.SetMinimalImpulseToBreakHull(1e30f);
        toy.SetMinimalImpulseToBreakCore(1e30f);
        const VectorF j(0.0f, -c.d / (0.005f * toy.mInverseMass));
        toy.mPointContacts.PushBack(PointContact(10, j, toy.mOutline[10]));
        toy.ProcessImpacts();
        EXPECT_EQ(toy.GetDeformedCount(), 1) << c.d;
        EXPECT_NEAR(toy.GetDeformedHowMuch(), c.size, 1e-3f * c.size) << c.d;
        EXPECT_EQ(toy.mHit.mOutlineIndex, -1) << c.d;
    }
}

TEST_F(ToyImpact, BelowTheDentThresholdNothingMovesAndTheStreakEnds)
{
    const VectorF j(0.0f, -3000.0f);
    mToy.mPointContacts.PushBack(PointContact(10, j, mToy.mOutline[10]));
    mToy.SetMinimalImpulseToDeform(ImpactOf(j) * 1.01f);
    mToy.mDeformStreak = 4;
    mToy.ProcessImpacts();
    EXPECT_FALSE(MeshChanged());
    EXPECT_EQ(mToy.mDeformStreak, 0);
}

TEST_F(ToyImpact, AboveTheHullThresholdAHitIsRecordedAtTheStrongestContact)
{
    mToy.mPointContacts.PushBack(PointContact(3, {0, -100}, mToy.mOutline[3]));
    mToy.mPointContacts.PushBack(PointContact(12, {0, -5000}, mToy.mOutline[12]));
    const float v = ImpactOf({0, -5000});
    mToy.SetMinimalImpulseToBreakHull(v * 0.5f);
    mToy.SetMinimalImpulseToBreakCore(v * 0.9f);
    mToy.ProcessImpacts();
    EXPECT_EQ(mToy.mHit.mOutlineIndex, 12);
    EXPECT_EQ(mToy.mHit.mTriangleIndex, -1);
    EXPECT_EQ(mToy.mHit.mPosition, mToy.mOutline[12]);
    EXPECT_EQ(mToy.mHit.mBreakCoreToo, 1);
}

TEST_F(ToyImpact, WithPlasticDeformOffOrOnlyPenetrationsNothingHappens)
{
    {
        mToy.SetAllowPlasticDeform(false);
        mToy.mPointContacts.PushBack(PointContact(10, {0, -1e6f}, mToy.mOutline[10]));
        mToy.SetMinimalImpulseToBreakHull(1.0f);
        mToy.ProcessImpacts();
        EXPECT_FALSE(MeshChanged());
        EXPECT_EQ(mToy.mHit.mOutlineIndex, -1);
    }
    {
        Toy toy;
        BuildSmallEllipseToy(toy);
        PenetrationRecord r;
        r.mImpulse = {0, -1e6f};
        r.mFirstPoint = 2;
        r.mLastPoint = 4;
        toy.mPenetrationContacts.PushBack(r);
        toy.SetMinimalImpulseToBreakHull(1.0f);
        toy.ProcessImpacts();
        EXPECT_EQ(toy.GetDeformedCount(), 0);
        EXPECT_EQ(toy.mHit.mOutlineIndex, -1);
    }
}

// Crossing events carry no point index (-1): they dent at the start of the
// edge they cross, never at index -1.
TEST_F(ToyImpact, ACrossingEventDentsAtItsEdgeAndIsHitThere)
{
    ContactRecord crossing;
    crossing.mPointIndex = -1;
    crossing.mEdgeIndex = 7;
    crossing.mImpulse = ImpulseFor({0, -1}, 3000.0f);
    crossing.mPoint = (mToy.mOutline[7] + mToy.mOutline[8]) * 0.5f;
    mToy.mLineContacts.PushBack(crossing);
    mToy.SetMinimalImpulseToBreakHull(1.0f);
    mToy.ProcessImpacts();
    EXPECT_TRUE(MeshChanged());
    EXPECT_EQ(mToy.mHit.mOutlineIndex, 7);
    // The dent centres on point 7: it moved further than the points across the toy.
    const float near = (mToy.mGeometry.mPoints[7] - mBefore[7]).GetLength();
    const float far = (mToy.mGeometry.mPoints[27] - mBefore[27]).GetLength();
    EXPECT_GT(near, far);
}

TEST_F(ToyImpact, AJointAnchorFollowsTheDentAndTheJointItsNewInertia)
{
    Toy other;
    BuildSmallEllipseToy(other);
    Joint joint;
    const VectorF anchor = mToy.mGeometry.mPoints[9] * 0.9f;
    joint.ConnectToys(&mToy, anchor, &other, VectorF());
    mToy.AddJoint(&joint);
    mToy.mPointContacts.PushBack(PointContact(9, ImpulseFor(mToy.mPosition - mToy.mOutline[9], 3000.0f), mToy.mOutline[9]));
    mToy.ProcessImpacts();
    ASSERT_TRUE(MeshChanged());
    EXPECT_NE(joint.mAnchorA, anchor);
    EXPECT_EQ(joint.mAnchorA, mToy.mGeometry.MapSnapshotPointToCurrent(anchor));
    EXPECT_FLOAT_EQ(joint.mInertiaA, mToy.mMomentOfInertia);
    mToy.mJoints.Clear();
}

TEST(ToyHit, ATriangleOutsideTheMeshIsRefused)
{
    Toy toy;
    BuildSmallEllipseToy(toy);
    toy.SetHitByPosition(4, {0, 0}, false);
    EXPECT_EQ(toy.mHit.mPosition, toy.mOutline[4]);  // (0, 0) falls back to the point itself
    for (const int32_t bad : {-1, toy.mGeometry.GetTriangleCount(), 1 << 20}) {
        EXPECT_FALSE(toy.SetHitByTriangleIndex(bad, true));
        EXPECT_EQ(toy.mHit.mOutlineIndex, 4);
        EXPECT_EQ(toy.mHit.mTriangleIndex, -1);
    }
    EXPECT_TRUE(toy.SetHitByTriangleIndex(toy.mGeometry.GetTriangleCount() - 1, true));
    EXPECT_EQ(toy.mHit.mOutlineIndex, -1);
    EXPECT_EQ(toy.mHit.mTriangleIndex, toy.mGeometry.GetTriangleCount() - 1);
    EXPECT_EQ(toy.mHit.mBreakCoreToo, 1);
}

TEST(ToyHit, AParticlePushMovesTheNearestPointAndWakesTheToy)
{
    Toy toy;
    BuildSmallEllipseToy(toy);
    toy.mSleeping = 1;
    const Array<VectorF> before = toy.mGeometry.mPoints;
    toy.DentByParticle(toy.mOutline[6], (toy.mPosition - toy.mOutline[6]) * 0.02f);
    EXPECT_EQ(toy.mSleeping, 0);
    EXPECT_EQ(toy.mGeometryChanged, 1);
    EXPECT_NE(toy.mGeometry.mPoints[6], before[6]);
    EXPECT_NE(toy.mRandom.mSeed, 1);
}

TEST(ToyPlacement, AResetTakesBackTheDentsAndEveryPlacementDropsPendingDentForces)
{
    Toy toy;
    BuildSmallEllipseToy(toy);
    const Array<VectorF> rest = toy.mGeometry.mPoints;
    toy.SetMinimalImpulseToDeform(0.0f);
    VectorF j = toy.mPosition - toy.mOutline[9];
    j.Normalize(3000.0f / toy.mInverseMass);
    toy.mPointContacts.PushBack(PointContact(9, j, toy.mOutline[9]));
    toy.ProcessImpacts();
    ASSERT_GT(MaxPointShift(toy.mGeometry, rest), 0.0f);
    toy.mGeometry.mDentForces[3] = {5, 5};

    toy.SetPlacement({100, 100}, 0.0f, false);
    EXPECT_GT(MaxPointShift(toy.mGeometry, rest), 0.0f);
    EXPECT_TRUE(toy.mGeometry.mDentForces[3].IsZero());
    toy.SetPlacement({100, 100}, 0.0f, true);
    EXPECT_EQ(MaxPointShift(toy.mGeometry, rest), 0.0f);
}

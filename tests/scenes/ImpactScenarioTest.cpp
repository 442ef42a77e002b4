#include <gtest/gtest.h>
#include <cmath>
#include <set>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/world/PhysicsStep.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/ImpactWorlds.h"
#include "scenes/StepWorlds.h"

using namespace KIV;

namespace {

// How far the mesh of a toy lies from the shape it was built in, once its
// rigid place is taken out (the mesh is kept centred and unturned).
float ShapeChange(const Toy& toy)
{
    const TracedGeometry& g = toy.mGeometry;
    float largest = 0.0f;
    for (int32_t i = 0; i < g.mPoints.Count(); ++i)
        largest = std::max(largest, (g.mPoints[i] - g.mRestPoints[i]).GetLength());
    return largest;
}

bool IsFinite(const VectorF& v) { return std::isfinite(v.mX) && std::isfinite(v.mY); }

} // namespace

// A soft toy (one that dents ten times as deeply as the default) thrown onto
// the ground dents and keeps the dent; thrown much harder, it breaks in two,
// and the pieces go on flying, landing and resting.
TEST(ImpactScenario, AHardDropDentsAndAMuchHarderOneBreaksIntoToysThatGoOnSimulating)
{
    GameSettings settings;
    {
        Scene scene;
        Toy* toy = Scenes::MakeDropWorld(scene, 800.0f, 10.0f);
        ASSERT_NE(toy, nullptr);
        Scenes::StepImpactWorld(scene, settings, 420);
        ASSERT_EQ(scene.GetToyCount(), 1) << "this drop should dent, not break";
        EXPECT_GT(toy->GetDeformedCount(), 0);
        EXPECT_EQ(toy->mGeometryChanged, 1);
        const float dent = ShapeChange(*toy);
        EXPECT_GT(dent, 0.5f);
        // The dent is permanent: resting on, the shape stays as it is.
        Scenes::StepImpactWorld(scene, settings, 210);
        EXPECT_NEAR(ShapeChange(*toy), dent, 0.1f * dent);
        for (const IndexTriangle& t : toy->mGeometry.mTriangles) {
            const TracedGeometry& g = toy->mGeometry;
            ASSERT_GT(Cross(g.mPoints[t.mB] - g.mPoints[t.mA], g.mPoints[t.mC] - g.mPoints[t.mA]), 0.0f);
        }
    }
    {
        Scene scene;
        Toy* toy = Scenes::MakeDropWorld(scene, 3000.0f, 10.0f);
        ASSERT_NE(toy, nullptr);
        // Its core gives way too, so the crack runs right through it.
        toy->SetMinimalImpulseToBreakCore(2000.0f);
        const float mass = toy->GetWeight();
        Scenes::StepImpactWorld(scene, settings, 60);
        ASSERT_GT(scene.GetToyCount(), 1) << "this drop should break the toy";
        float pieces = 0.0f;
        for (const Toy* piece : scene.mToys) pieces += piece->GetWeight();
        EXPECT_NEAR(pieces, mass, 0.01f * mass);
        // The pieces fall back, land and come to rest on the ground, inside
        // the world. Chips of an outline point or two (flat sliver triangles)
        // are left out of the resting test: whether the ground catches such a
        // flat piece is the contact code's matter.
        Scenes::StepImpactWorld(scene, settings, 210 * 6);
        int32_t resting = 0;
        for (const Toy* piece : scene.mToys) {
            ASSERT_TRUE(IsFinite(piece->mPosition));
            ASSERT_TRUE(IsFinite(piece->mVelocity));
            if (piece->GetArea() < 100.0f) continue;
            ++resting;
            EXPECT_GT(piece->mPosition.mY, 400.0f);
            EXPECT_LT(piece->mPosition.mY, 560.0f);
            EXPECT_GT(piece->mPosition.mX, 40.0f);
            EXPECT_LT(piece->mPosition.mX, 760.0f);
            EXPECT_LT(piece->mVelocity.GetLength(), 50.0f);
        }
        EXPECT_GE(resting, 2);
    }
}

// Dents and breaks keep the step deterministic: a pile of soft toys thrown
// down hard steps to the same bits twice and on several threads (the
// determinism check program goes on to more threads and steps).
TEST(ImpactScenario, DentsAndBreaksStepToTheSameBitsSerialAndParallel)
{
    int32_t toysAfter = 0, dents = 0;
    auto run = [&](bool parallel, int32_t threads) {
        Scene scene;
        EXPECT_TRUE(Scenes::MakeImpactPile(scene, 16));
        const int32_t toysBefore = scene.GetToyCount();
        GameSettings settings;
        settings.mParallelismEnabled = parallel ? 1 : 0;
        if (parallel) WorkTeam::Shared().SetThreadCount(threads);
        Scenes::StepImpactWorld(scene, settings, 300);
        toysAfter = scene.GetToyCount() - toysBefore;
        dents = 0;
        for (const Toy* toy : scene.mToys) dents += toy->GetDeformedCount();
        return Scenes::HashToyState(scene);
    };
    const uint64_t serial = run(false, 1);
    EXPECT_GT(toysAfter, 0) << "no toy broke";
    EXPECT_GT(dents, 0) << "no toy dented";
    EXPECT_EQ(run(false, 1), serial);
    for (int32_t threads : {2, 4}) EXPECT_EQ(run(true, threads), serial) << threads << " threads";
}

// The pile thrown down hard breaks into many pieces, slivers of three points
// among them, crushed between the ground and the toys above; none of them
// goes through the ground. (The determinism check reports the same count for
// longer runs: 128 toys over 20,000 steps lose none either.)
TEST(ImpactScenario, ThePileThrownDownHardLosesNoPieceThroughTheGround)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeImpactPile(scene, 32));
    const int32_t toysBefore = scene.GetToyCount();
    GameSettings settings;
    // Stepped as StepImpactWorld steps it, watching every piece a break makes:
    // none is a sliver (dents may flatten pieces later; the break makes none).
    std::set<const Toy*> known(scene.mToys.begin(), scene.mToys.end());
    int32_t made = 0;
    for (int32_t step = 0; step < 600; ++step) {
        PhysicsStep(scene, settings);
        Scenes::BreakHitToys(scene);
        for (const Toy* toy : scene.mToys)
            if (known.insert(toy).second) {
                ++made;
                EXPECT_FALSE(toy->IsSliver()) << "step " << step << ": a sliver of area " << toy->GetArea();
            }
    }
    EXPECT_GT(made, 0);
    int32_t fewPointPieces = 0;
    for (const Toy* toy : scene.mToys)
        if (toy->GetOutlinePointCount() <= 4) ++fewPointPieces;
    ASSERT_GT(scene.GetToyCount(), toysBefore) << "no toy broke";
    EXPECT_GT(fewPointPieces, 0) << "no piece of a few points to test";
    EXPECT_EQ(Scenes::CountToysThroughTerrain(scene), 0);
}

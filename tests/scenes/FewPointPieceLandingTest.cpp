#include <gtest/gtest.h>
#include <cmath>
#include <ostream>
#include <vector>
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

using namespace KIV;

namespace {

// An 800 x 600 walled world with its ground at y = 560 (y grows downward) and,
// in the sloped cases, a 30 degree ramp of terrain rising to the right from
// x = 200 to x = 600.
constexpr float kGroundTop = 560.0f;
constexpr float kRampLeft = 200.0f;
constexpr float kRampRight = 600.0f;
const float kRampRise = std::tan(30.0f * 3.14159265f / 180.0f);
constexpr float kDropX = 400.0f;

// Where a point rests: above the ramp or the flat ground.
float SurfaceY(bool sloped, float x)
{
    if (sloped && x > kRampLeft && x < kRampRight) return kGroundTop - (x - kRampLeft) * kRampRise;
    return kGroundTop;
}

// Three-point outlines like those breaking leaves: ear slivers cut off a
// traced outline, a fraction of a unit thick, and a plain small triangle.
struct PieceShape {
    const char* name;
    VectorF points[3];
};
const PieceShape kShapes[] = {
    {"sliver 0.3 thick", {{-4.0f, 0.0f}, {4.0f, 0.0f}, {0.0f, 0.3f}}},
    {"skewed sliver 0.8 thick", {{-6.0f, 0.0f}, {6.0f, 0.4f}, {0.0f, 0.8f}}},
    {"small triangle", {{-3.0f, 0.0f}, {3.0f, 0.0f}, {0.0f, 4.0f}}},
};

struct DropCase {
    bool sloped;
    const PieceShape* shape;
    float height;  // of the piece's lowest corner above the surface, before turning
    float angle;
};

std::ostream& operator<<(std::ostream& out, const DropCase& c)
{
    return out << (c.sloped ? "ramp, " : "flat, ") << c.shape->name << ", dropped " << c.height << " at angle "
               << c.angle;
}

// Depth of the toy's deepest outline point below the surface (negative: all above).
float DeepestBelowSurface(const Toy& toy, bool sloped)
{
    float deepest = -1e9f;
    for (int32_t i = 0; i < toy.mOutline.Count(); ++i) {
        const VectorF& p = toy.mOutline[i];
        deepest = std::max(deepest, p.mY - SurfaceY(sloped, p.mX));
    }
    return deepest;
}

class FewPointPieceLanding : public ::testing::TestWithParam<DropCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Scenes::MakeWalledWorld(mScene, RectF(0.0f, 0.0f, 800.0f, 600.0f)));
        if (GetParam().sloped) {
            Array<VectorF> ramp;
            ramp.PushBack({kRampLeft, kGroundTop});
            ramp.PushBack({kRampRight, kGroundTop - (kRampRight - kRampLeft) * kRampRise});
            ramp.PushBack({kRampRight, kGroundTop});
            ASSERT_GE(Scenes::AddStaticPolygon(mScene, ramp), 0);
        }
    }

    Scene mScene;
    GameSettings mSettings;
};

// A three-point piece lands and rests on the terrain; then a heavy box
// lands on it and presses it down. Between the box and the ground the piece's
// points used to be pushed through the surface, all three at once, and the
// piece fell out of the world.
TEST_P(FewPointPieceLanding, RestsOnTheTerrainAndStaysOnItUnderALandingBox)
{
    const DropCase& c = GetParam();
    Array<VectorF> outline;
    for (const VectorF& p : c.shape->points) outline.PushBack(p);
    const float surface = SurfaceY(c.sloped, kDropX);
    Toy* piece = Scenes::AddPolygonToy(mScene, outline, VectorF(kDropX, surface - 10.0f - c.height), c.angle);
    ASSERT_NE(piece, nullptr);
    ASSERT_EQ(piece->GetOutlinePointCount(), 3);
    Scenes::ApplyStepDefaults(mScene);

    Scenes::StepWorld(mScene, mSettings, 3 * 210);
    EXPECT_LT(DeepestBelowSurface(*piece, c.sloped), 0.1f) << "landed";
    EXPECT_GT(DeepestBelowSurface(*piece, c.sloped), -1.0f) << "resting on the surface";
    EXPECT_LT(piece->mVelocity.GetLength(), 5.0f) << "at rest";

    Toy* box = Scenes::AddBoxToy(mScene, VectorF(30.0f, 30.0f), VectorF(kDropX + 2.0f, surface - 60.0f), 0.3f, 5.0f);
    ASSERT_NE(box, nullptr);
    Scenes::ApplyStepDefaults(mScene);
    box->SetVelocity(VectorF(0.0f, 600.0f));
    Scenes::StepWorld(mScene, mSettings, 2 * 210);
    EXPECT_LT(DeepestBelowSurface(*piece, c.sloped), 0.1f) << "under the box";
    EXPECT_LT(piece->mPosition.mY - SurfaceY(c.sloped, piece->mPosition.mX), 1.0f) << "under the box";
    EXPECT_EQ(Scenes::CountToysThroughTerrain(mScene), 0);
}

std::vector<DropCase> AllDropCases()
{
    std::vector<DropCase> cases;
    for (const bool sloped : {false, true})
        for (const PieceShape& shape : kShapes)
            for (const float height : {2.0f, 30.0f, 150.0f})
                for (const float angle : {0.0f, 0.5f, 1.6f, 2.4f, 3.3f}) cases.push_back({sloped, &shape, height, angle});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Drops, FewPointPieceLanding, ::testing::ValuesIn(AllDropCases()));

} // namespace

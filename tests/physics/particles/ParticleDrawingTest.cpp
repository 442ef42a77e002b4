#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "base/Statistics.h"
#include "physics/particles/ParticleSystem.h"
#include "render/Texture.h"

using namespace KIV;

namespace {

int32_t ArrayStorageChanges()
{
    return StatGetInt(kStatArrayAllocate) + StatGetInt(kStatArrayReallocate) + StatGetInt(kStatArrayFree);
}

// A system drawing a square picture, with particles placed by hand.
struct DrawnSystem : ::testing::Test {
    Statistics statistics;
    Texture texture;
    ParticleSystem ps;
    std::vector<VectorF> positions = std::vector<VectorF>(64);
    std::vector<uint32_t> colours = std::vector<uint32_t>(64);
    std::vector<VectorF> texCoords = std::vector<VectorF>(64);

    void SetUp() override
    {
        texture.mTexCoordOrigin = VectorF(0.0f, 0.0f);
        texture.mTexCoordExtent = VectorF(1.0f, 1.0f);
        ps.mTexture = &texture;
        // The quad of a square cell: A = 90 degrees.
        const float a = 2.0f * std::atan2(1.0f, 1.0f);
        const float quad[5] = {a, std::sin(a), std::cos(a), std::sin(-0.5f * a), std::cos(-0.5f * a)};
        std::copy(quad, quad + 5, ps.mQuadTemplate);
    }

    int32_t Add(const VectorF& at, const VectorF& velocity, float size)
    {
        const int32_t slot = ps.EmitOne();
        ps.mPositions[slot] = at;
        ps.mVelocities[slot] = velocity;
        ps.mSizes[slot] = size;
        return slot;
    }

    int32_t Quads()
    {
        int32_t count = -1;
        ps.BuildStretchedVertices(positions.data(), colours.data(), texCoords.data(), 16, count);
        return count;
    }
};

TEST_F(DrawnSystem, AQuadIsASquareAroundItsParticleAlongItsFlight)
{
    Add(VectorF(100.0f, 50.0f), VectorF(10.0f, 0.0f), 5.0f);
    ASSERT_EQ(Quads(), 1);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(VectorF::GetDistance(positions[k], VectorF(100.0f, 50.0f)), 5.0f, 1e-4f) << k;
        // Neighbouring corners are a side apart, opposite ones a diagonal.
        EXPECT_NEAR(VectorF::GetDistance(positions[k], positions[(k + 1) % 4]), 5.0f * std::sqrt(2.0f), 1e-4f);
    }
    EXPECT_EQ(texCoords[2], VectorF(1.0f, 1.0f));
}

TEST_F(DrawnSystem, NothingIsDrawnWithoutATextureAndARestingParticleIsAPoint)
{
    Add(VectorF(7.0f, 8.0f), VectorF(), 5.0f);
    ASSERT_EQ(Quads(), 1);
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(positions[k], VectorF(7.0f, 8.0f));
    ps.mTexture = nullptr;
    EXPECT_EQ(Quads(), 0);
}

TEST_F(DrawnSystem, BuildingAllocatesNothingAndStopsAtTheRoomGiven)
{
    for (int32_t i = 0; i < 40; ++i) Add(VectorF(float(i), 0.0f), VectorF(1.0f, 1.0f), 2.0f);
    const int32_t before = ArrayStorageChanges();
    EXPECT_EQ(Quads(), 16);
    EXPECT_EQ(ArrayStorageChanges(), before);
}

TEST_F(DrawnSystem, TheMarkerHasItsSegments)
{
    struct Case {
        bool selected, gravityToPoint;
        int32_t segments;
    };
    for (const Case c : {Case{false, false, 12}, Case{false, true, 12}, Case{true, false, 14}, Case{true, true, 16}}) {
        ps.SetDoGravityToPoint(c.gravityToPoint);
        ps.Draw(c.selected);
        EXPECT_EQ(ps.mMarkerShape.mPoints.Count(), 2 * c.segments) << c.selected << c.gravityToPoint;
        EXPECT_EQ(ps.mMarkerShape.mKind, 1);
    }
}

} // namespace

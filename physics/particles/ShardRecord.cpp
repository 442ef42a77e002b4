#include "physics/particles/ShardRecord.h"

namespace KIV {

namespace {

// A unit pentagon, pointing up (y grows downward).
constexpr VectorF kPentagon[ShardRecord::kCornerCount] = {
    {0.0f, -1.0f}, {0.95f, -0.3f}, {0.58f, 0.8f}, {-0.58f, 0.8f}, {-0.95f, -0.3f}};

float Jitter(Random& random)
{
    // Rounded to a float before the scaling, so the jitter repeats bit for bit.
    const float unit = 2.0f * random.NextFloat() - 1.0f;
    return 0.2f * unit;
}

} // namespace

void ShardRecord::BuildRandom(Random& random, ShardRecord& record, const VectorF& point, const VectorF& cellSize)
{
    for (int32_t k = 0; k < kCornerCount; ++k) {
        const float jx = Jitter(random);
        const float jy = Jitter(random);
        record.mCorners[k] = VectorF(kPentagon[k].mX + jx, kPentagon[k].mY + jy);
    }
    const float stretch = 0.7f + 0.6f * random.NextFloat();
    for (VectorF& corner : record.mCorners) corner.mX *= stretch;
    record.mTexCoords[0] = point;
    for (int32_t k = 0; k < kCornerCount; ++k) record.mTexCoords[k + 1] = point + record.mCorners[k] * cellSize;
}

} // namespace KIV

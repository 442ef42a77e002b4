#pragma once
#include "base/Random.h"
#include "base/Vector.h"

namespace KIV {

// What one shard particle shows: a jittered pentagon cut from its system's
// texture. The corners are in units of the particle's size; the texture
// coordinates are the centre and then one per corner, in corner order.
struct ShardRecord {
    static constexpr int32_t kCornerCount = 5;

    VectorF mCorners[kCornerCount];
    VectorF mTexCoords[kCornerCount + 1];

    // Eleven draws of the owner's generator: ten corner jitters, then the
    // stretch of every corner's x. point and cellSize are in texture coordinates.
    static void BuildRandom(Random& random, ShardRecord& record, const VectorF& point, const VectorF& cellSize);
};

} // namespace KIV

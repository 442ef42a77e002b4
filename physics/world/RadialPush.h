#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"

namespace KIV {

class GridQueryContext;
class SpatialGrid;

// A blast: shoves every toy outline point within the radius outwards,
// weaker with distance, and not through terrain edges.
struct RadialPush {
    static constexpr float kMinRadius = 0.00001f;

    VectorF mCentre;
    float mRadius = kMinRadius;
    float mRadiusSquared = kMinRadius * kMinRadius;  // the reach test uses this
    float mStrength = 0.0f;
    uint8_t mIgnoreShielding = 0;
    uint8_t mTimed = 0;  // an untimed push stays until its owner removes it
    float mRemainingTime = 0.0f;
    uint8_t mExpired = 0;

    // A new push as the scene adds it: shielded, timed when time > 0.
    void Set(const VectorF& centre, float radius, float strength, float time);
    void CountDown(float stepLength);
};

// Pushes the outline points that the grid lists in the cells of the push's
// square. A point listed in several cells is pushed once per cell.
void ApplyRadialPush(const RadialPush& push, const SpatialGrid& grid, GridQueryContext& context);
// Timed pushes lose the step length; one that runs out is marked expired
// but still pushes in this step.
void CountDownTimersParallel(PtrArray<RadialPush>& pushes, const float* stepLength, bool parallel);
// Last to first, so later records move down past the deleted ones.
void DeleteExpiredRadialPushes(PtrArray<RadialPush>& pushes);

} // namespace KIV

#include "physics/world/RadialPush.h"
#include <cmath>
#include "base/WorkTeam.h"
#include "physics/grid/SpatialGrid.h"
#include "physics/toys/Toy.h"

namespace KIV {

void RadialPush::Set(const VectorF& centre, float radius, float strength, float time)
{
    mCentre = centre;
    mRadius = radius < kMinRadius ? kMinRadius : radius;
    mRadiusSquared = mRadius * mRadius;
    mStrength = strength;
    mIgnoreShielding = 0;
    mTimed = time > 0.0f ? 1 : 0;
    mRemainingTime = time;
    mExpired = 0;
}

void RadialPush::CountDown(float stepLength)
{
    if (!mTimed) return;
    mRemainingTime -= stepLength;
    mExpired = mRemainingTime <= 0.0f ? 1 : 0;
}

void ApplyRadialPush(const RadialPush& push, const SpatialGrid& grid, GridQueryContext& context)
{
    // The square's corners are truncated to whole units and only the cells
    // of the grid are walked: a NaN centre walks nothing and a huge radius
    // walks the grid once, and no such value is ever converted to an int.
    const VectorF reach(push.mRadius, push.mRadius);
    const VectorF low = push.mCentre - reach;
    const VectorF high = push.mCentre + reach;
    CellRange cells;
    if (!grid.GetCellRange(VectorF(std::trunc(low.mX), std::trunc(low.mY)),
                           VectorF(std::trunc(high.mX), std::trunc(high.mY)), cells))
        return;
    const SlotList& store = grid.GetToyStore();
    for (int32_t column = cells.mColumn0; column <= cells.mColumn1; ++column) {
        for (int32_t row = cells.mRow0; row <= cells.mRow1; ++row) {
            for (int32_t e = store.GetCellHead(grid.GetCellIndex(column, row)); e >= 0;
                 e = store.GetEntry(e).mNextInCell) {
                const ToyEdgeEntry& entry = grid.GetToyEntry(store.GetEntry(e).mNode);
                Toy* toy = entry.mToy;
                if (!toy || entry.mPoint < 0 || entry.mPoint >= toy->GetOutlinePointCount()) continue;
                const VectorF p = toy->mOutline[entry.mPoint];
                VectorF d = p - push.mCentre;
                // A point exactly at the radius is out of reach. The reach
                // test comes before the costlier shielding test; both skip.
                if (!(d.GetLengthSquared() < push.mRadiusSquared)) continue;
                // Only terrain shields; toys do not.
                if (!push.mIgnoreShielding && grid.SegmentTouchesStatic(push.mCentre, p, context)) continue;
                const float length = d.GetLength();
                d.NormalizeInPlace();
                toy->ApplyPointForce(entry.mPoint, d * ((1.0f - length / push.mRadius) * push.mStrength));
            }
        }
    }
}

void CountDownTimersParallel(PtrArray<RadialPush>& pushes, const float* stepLength, bool parallel)
{
    if (!stepLength) return;
    const float dt = *stepLength;
    const int32_t n = pushes.Count();
    // A countdown is a subtraction: only thousands of pushes would pay for a fork.
    WorkTeam::Shared().For(n, 4096, parallel, [&](int32_t i, int32_t) {
        if (RadialPush* push = pushes[i]) push->CountDown(dt);
    });
}

void DeleteExpiredRadialPushes(PtrArray<RadialPush>& pushes)
{
    for (int32_t i = pushes.Count() - 1; i >= 0; --i)
        if (pushes[i] && pushes[i]->mExpired) pushes.DeleteAt(i);
}

} // namespace KIV

#include "physics/terrain/BendFrame.h"
#include <cmath>

namespace KIV {

VectorF CubicBezier::Evaluate(float t) const
{
    const float s = 1.0f - t;
    const float b0 = s * s * s;
    const float b1 = 3.0f * s * s * t;
    const float b2 = 3.0f * s * t * t;
    const float b3 = t * t * t;
    const VectorF p1 = GetStartInner();
    const VectorF p2 = GetEndInner();
    return {mStart.mX * b0 + p1.mX * b1 + p2.mX * b2 + mEnd.mX * b3,
            mStart.mY * b0 + p1.mY * b1 + p2.mY * b2 + mEnd.mY * b3};
}

BendFrame::BendFrame() : mColumns(0), mRows(0), mCurves(1), mCurvesByRow(0), mChanged(1) {}

void BendFrame::SetFromRect(float x1, float y1, float x2, float y2)
{
    const VectorF corners[4] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    for (int32_t k = 0; k < 4; ++k) {
        CubicBezier& side = mSides[k];
        side.mStart = corners[k];
        side.mEnd = corners[(k + 1) & 3];
        const VectorF third = (side.mEnd - side.mStart) / 3.0f;
        side.mStartVector = third;
        side.mEndVector = -third;
    }
    mChanged = 1;
}

bool BendFrame::SetGridSize(int32_t columns, int32_t rows)
{
    if (columns < 1 || rows < 1) return false;
    if (columns == mColumns && rows == mRows) return true;
    mColumns = columns;
    mRows = rows;
    mChanged = 1;
    return true;
}

void BendFrame::Translate(const VectorF& offset)
{
    for (CubicBezier& side : mSides) {
        side.mStart += offset;
        side.mEnd += offset;
    }
    mChanged = 1;
}

void BendFrame::Assign(const BendFrame& from)
{
    for (int32_t k = 0; k < 4; ++k) mSides[k] = from.mSides[k];
    mColumns = from.mColumns;
    mRows = from.mRows;
    mCurvesByRow = from.mCurvesByRow;
    mChanged = 1;
}

bool BendFrame::RebuildCurves()
{
    if (mColumns < 1 || mRows < 1) return false;
    mCurvesByRow = mRows <= mColumns ? 1 : 0;
    const int32_t lines = mCurvesByRow ? mRows : mColumns;
    if (!mCurves.Resize(lines + 1)) return false;
    const CubicBezier& top = mSides[0];
    const CubicBezier& right = mSides[1];
    const CubicBezier& bottom = mSides[2];
    const CubicBezier& left = mSides[3];
    for (int32_t i = 0; i <= lines; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(lines);
        const float s = 1.0f - t;
        CubicBezier& curve = mCurves[i];
        if (mCurvesByRow) {
            // Left to right, from the top side down to the bottom side.
            curve.mStart = left.Evaluate(s);
            curve.mEnd = right.Evaluate(t);
            curve.mStartVector = VectorF::AngularLerp(top.mStartVector, bottom.mEndVector, t, true);
            curve.mEndVector = VectorF::AngularLerp(top.mEndVector, bottom.mStartVector, t, true);
        } else {
            // Top to bottom, from the left side across to the right side.
            curve.mStart = top.Evaluate(t);
            curve.mEnd = bottom.Evaluate(s);
            curve.mStartVector = VectorF::AngularLerp(left.mEndVector, right.mStartVector, t, true);
            curve.mEndVector = VectorF::AngularLerp(left.mStartVector, right.mEndVector, t, true);
        }
    }
    mChanged = 0;
    return true;
}

bool BendFrame::GetGridPoint(int32_t column, int32_t row, VectorF& point)
{
    if (column < 0 || row < 0 || column > mColumns || row > mRows) return false;
    if (mChanged && !RebuildCurves()) return false;
    if (mCurvesByRow) {
        point = mCurves[row].Evaluate(static_cast<float>(column) / static_cast<float>(mColumns));
    } else {
        point = mCurves[column].Evaluate(static_cast<float>(row) / static_cast<float>(mRows));
    }
    return true;
}

VectorF BendFrame::GetHandlePoint(int32_t handle) const
{
    if (handle >= 8) return mSides[handle - 8].mStart;
    const CubicBezier& side = mSides[handle >> 1];
    return (handle & 1) ? side.GetEndInner() : side.GetStartInner();
}

int32_t BendFrame::FindNearestFrameHandle(const VectorF& point, float radius) const
{
    const float limit = radius * radius;
    // Ties keep the lower handle: a later one wins only when strictly nearer.
    auto nearestIn = [&](int32_t first, int32_t end) {
        int32_t best = -1;
        float bestDistance = 0.0f;
        for (int32_t h = first; h < end; ++h) {
            const float d = (GetHandlePoint(h) - point).GetLengthSquared();
            if (best < 0 || d < bestDistance) {
                best = h;
                bestDistance = d;
            }
        }
        return bestDistance < limit ? best : -1;
    };
    const int32_t control = nearestIn(0, 8);
    if (control >= 0) return control;
    return nearestIn(8, kHandleCount);
}

bool BendFrame::ApplyHandleDrag(int32_t handle, const VectorF& drag)
{
    if (handle < 0 || handle >= kHandleCount || drag.IsZero()) return false;
    if (handle < 8) {
        CubicBezier& side = mSides[handle >> 1];
        if (handle & 1) side.mEndVector += drag;
        else side.mStartVector += drag;
    } else {
        const int32_t corner = handle - 8;
        mSides[corner].mStart += drag;
        mSides[(corner + 3) & 3].mEnd = mSides[corner].mStart;
    }
    mChanged = 1;
    return true;
}

VectorF BendFrame::GetCentre() const
{
    VectorF sum;
    for (const CubicBezier& side : mSides) sum += side.mStart;
    return sum / 4.0f;
}

void BendFrame::ScaleAbout(const VectorF& scale, const VectorF& centre)
{
    for (CubicBezier& side : mSides) {
        side.mStart = centre + (side.mStart - centre) * scale;
        side.mEnd = centre + (side.mEnd - centre) * scale;
        side.mStartVector = side.mStartVector * scale;
        side.mEndVector = side.mEndVector * scale;
    }
    mChanged = 1;
}

void BendFrame::RotateAbout(float angle, const VectorF& centre)
{
    for (CubicBezier& side : mSides) {
        side.mStart = centre + (side.mStart - centre).GetRotatedClockwise(angle);
        side.mEnd = centre + (side.mEnd - centre).GetRotatedClockwise(angle);
        side.mStartVector.Rotate(angle);
        side.mEndVector.Rotate(angle);
    }
    mChanged = 1;
}

void BendFrame::Lerp(const BendFrame& a, const BendFrame& b, float t)
{
    for (int32_t k = 0; k < 4; ++k) {
        const CubicBezier& sa = a.mSides[k];
        const CubicBezier& sb = b.mSides[k];
        CubicBezier& side = mSides[k];
        side.mStart = sa.mStart + (sb.mStart - sa.mStart) * t;
        side.mEnd = sa.mEnd + (sb.mEnd - sa.mEnd) * t;
        side.mStartVector = VectorF::AngularLerp(sa.mStartVector, sb.mStartVector, t, true);
        side.mEndVector = VectorF::AngularLerp(sa.mEndVector, sb.mEndVector, t, true);
    }
    mChanged = 1;
}

BendFrameAnimation::BendFrameAnimation()
{
    mKeyFrames.SetGrowBy(1);
    Reset();
}

void BendFrameAnimation::Reset()
{
    mKeyFrames.DeleteAll();
    mScratch = BendFrame();
    mStepCounter = 0;
    mDuration = 60;
    mFromKey = 0;
    mToKey = 1;
    mDurationMin = 150;
    mDurationMax = 250;
    mRandom = Random();
}

void BendFrameAnimation::Advance()
{
    const int32_t count = mKeyFrames.Count();
    if (count == 0) return;
    if (mStepCounter < mDuration) ++mStepCounter;
    if (mStepCounter < mDuration) return;
    mFromKey = (mFromKey + 1) % count;
    mToKey = (mToKey + 1) % count;
    mStepCounter = 1;
    const float r = mRandom.NextFloat();
    mDuration = mDurationMin + static_cast<int32_t>(static_cast<float>(mDurationMax - mDurationMin) * r);
}

float BendFrameAnimation::GetBlendFactor() const
{
    const uint32_t done = static_cast<uint32_t>(mStepCounter);
    const uint32_t total = static_cast<uint32_t>(mDuration);
    if (total == 0) return 0.0f;
    if (done >= total) return 1.0f;
    const float x = static_cast<float>(done) / static_cast<float>(total);
    if (x == 0.0f) return 0.0f;
    return (1.0f - std::cos(kPi * x)) * 0.5f;
}

bool BendFrameAnimation::Apply(BendFrame& frame)
{
    const int32_t count = mKeyFrames.Count();
    if (count == 0) return false;
    // Keys may have been deleted by the editor since the pair was chosen.
    mFromKey = mFromKey < 0 ? 0 : (mFromKey >= count ? count - 1 : mFromKey);
    mToKey = mToKey < 0 ? 0 : (mToKey >= count ? count - 1 : mToKey);
    frame.Lerp(*mKeyFrames[mFromKey], *mKeyFrames[mToKey], GetBlendFactor());
    return true;
}

} // namespace KIV

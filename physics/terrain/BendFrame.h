#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Random.h"
#include "base/Vector.h"

namespace KIV {

// One cubic Bezier. The control vectors are relative to their own end, so
// moving an end point carries its control point along.
struct CubicBezier {
    VectorF mStart;
    VectorF mEnd;
    VectorF mStartVector;
    VectorF mEndVector;

    VectorF GetStartInner() const { return mStart + mStartVector; }
    VectorF GetEndInner() const { return mEnd + mEndVector; }
    // Exactly the start at t = 0 and exactly the end at t = 1.
    VectorF Evaluate(float t) const;
};

// A frame of four cubic Bezier sides that bends a picture. Sides run
// clockwise on screen from corner 0 (top left) over 1 (top right), 2 (bottom
// right) and 3 (bottom left); each corner is stored as the end of one side
// and the start of the next, and every edit keeps both copies equal.
class BendFrame {
public:
    static constexpr int32_t kHandleCount = 12;  // 8 control vectors, then the 4 corners

    BendFrame();

    // Straight sides along the rectangle, inner points at 1/3 and 2/3.
    void SetFromRect(float x1, float y1, float x2, float y2);
    // False when either is below 1; no change (and still clean) when equal.
    bool SetGridSize(int32_t columns, int32_t rows);
    // Only the corners move: the control vectors are relative.
    void Translate(const VectorF& offset);
    // Sides, grid size and curve direction; the curves are rebuilt on the next use.
    void Assign(const BendFrame& from);

    // The interpolated grid lines; false (the frame stays changed) without a usable grid.
    bool RebuildCurves();
    // False outside 0..columns × 0..rows or when the curves cannot be rebuilt.
    bool GetGridPoint(int32_t column, int32_t row, VectorF& point);

    // 0..7 control vectors (2k start, 2k + 1 end of side k), 8..11 corners, -1 none.
    // Control handles win over a nearer corner so they stay reachable where they overlap.
    int32_t FindNearestFrameHandle(const VectorF& point, float radius) const;
    bool ApplyHandleDrag(int32_t handle, const VectorF& drag);
    VectorF GetHandlePoint(int32_t handle) const;

    VectorF GetCorner(int32_t k) const { return mSides[k].mStart; }
    // Mean of the four corners: the pivot of scaling and rotation.
    VectorF GetCentre() const;
    void ScaleAbout(const VectorF& scale, const VectorF& centre);
    void RotateAbout(float angle, const VectorF& centre);

    // Corners blend linearly, control vectors turn with AngularLerp; the grid size stays this frame's.
    void Lerp(const BendFrame& a, const BendFrame& b, float t);

    int32_t GetColumns() const { return mColumns; }
    int32_t GetRows() const { return mRows; }
    bool IsChanged() const { return mChanged != 0; }
    void MarkChanged() { mChanged = 1; }

    CubicBezier mSides[4];
    int32_t mColumns;
    int32_t mRows;
    Array<CubicBezier> mCurves;
    uint8_t mCurvesByRow;  // one curve per row (between sides 3 and 1), else one per column
    uint8_t mChanged;
};

// The roles in which the terrain code uses a frame: the editable fragment
// frame and the saved start-of-level copy are the same record.
using FragmentsRecord = BendFrame;
using SavedStateRecord = BendFrame;

// Blends the current frame between key frames that follow each other in a
// loop, each blend taking a random number of steps.
class BendFrameAnimation {
public:
    BendFrameAnimation();
    BendFrameAnimation(const BendFrameAnimation&) = delete;
    BendFrameAnimation& operator=(const BendFrameAnimation&) = delete;

    // Back to a new animation: no key frames, counters and generator from the start.
    void Reset();
    bool HasKeyFrames() const { return mKeyFrames.Count() > 0; }
    // Advances the step counter and moves to the next pair of keys when a blend has ended.
    void Advance();
    // Eased progress of the running blend, 0 at its start and 1 once it has ended.
    float GetBlendFactor() const;
    // Blends the frame between the running pair of keys; false without key frames.
    bool Apply(BendFrame& frame);

    PtrArray<BendFrame> mKeyFrames;
    BendFrame mScratch;
    int32_t mStepCounter;
    int32_t mDuration;
    int32_t mFromKey;
    int32_t mToKey;
    int32_t mDurationMin;
    int32_t mDurationMax;
    Random mRandom;
};

} // namespace KIV

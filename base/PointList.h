#pragma once
#include "base/MathUtil.h"
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

// Operations over a contiguous run of n points.
VectorF SumPoints(const VectorF* list, int n);
VectorF AveragePoints(const VectorF* list, int n);
void TranslatePoints(VectorF* list, int n, const VectorF& offset);
void SubtractOffsetFromPoints(VectorF* list, int n, const VectorF& offset);
void AddPointLists(VectorF* p, int n, const VectorF* q);
void SubtractPointLists(VectorF* p, int n, const VectorF* q);
void ScalePoints(VectorF* list, int n, const VectorF& scale);
void RotatePoints(VectorF* list, int n, const SinCos& pair);
// One point rotated as RotatePoints turns each of its points.
inline VectorF RotatedBy(const VectorF& v, const SinCos& pair)
{
    return {v.mX * pair.mCos + v.mY * pair.mSin, v.mY * pair.mCos - v.mX * pair.mSin};
}
int FindNearestPointIndex(const VectorF* list, int n, const VectorF& p);
bool ComputePointsBounds(const VectorF* list, int n, RectF& out);
RectF GetPointsBounds(const VectorF* list, int n);
bool IsDirectionBetween(const VectorF& p, const VectorF& a, const VectorF& b);

// Sets a record of four vectors to zero.
inline void ClearFourVectors(VectorF* record)
{
    for (int i = 0; i < 4; ++i) record[i] = VectorF();
}

} // namespace KIV

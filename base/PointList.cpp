#include "base/PointList.h"

namespace KIV {

VectorF SumPoints(const VectorF* list, int n)
{
    VectorF s;
    for (int i = 0; i < n; ++i) s += list[i];
    return s;
}

VectorF AveragePoints(const VectorF* list, int n)
{
    if (n < 1) return {};
    return SumPoints(list, n) / static_cast<float>(n);
}

void TranslatePoints(VectorF* list, int n, const VectorF& offset)
{
    for (int i = 0; i < n; ++i) list[i] += offset;
}

void SubtractOffsetFromPoints(VectorF* list, int n, const VectorF& offset)
{
    for (int i = 0; i < n; ++i) list[i] -= offset;
}

void AddPointLists(VectorF* p, int n, const VectorF* q)
{
    for (int i = 0; i < n; ++i) p[i] += q[i];
}

void SubtractPointLists(VectorF* p, int n, const VectorF* q)
{
    for (int i = 0; i < n; ++i) p[i] -= q[i];
}

void ScalePoints(VectorF* list, int n, const VectorF& scale)
{
    for (int i = 0; i < n; ++i) list[i] = list[i] * scale;
}

void RotatePoints(VectorF* list, int n, const SinCos& pair)
{
    for (int i = 0; i < n; ++i) list[i] = RotatedBy(list[i], pair);
}

int FindNearestPointIndex(const VectorF* list, int n, const VectorF& p)
{
    if (n < 1) return -1;
    int best = 0;
    float bestD = (list[0] - p).GetLengthSquared();
    for (int i = 1; i < n; ++i) {
        float d = (list[i] - p).GetLengthSquared();
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

bool ComputePointsBounds(const VectorF* list, int n, RectF& out)
{
    if (n < 1) return false;
    RectF r(list[0].mX, list[0].mY, list[0].mX, list[0].mY);
    for (int i = 1; i < n; ++i) r.IncludePoint(list[i]);
    out = r;
    return true;
}

RectF GetPointsBounds(const VectorF* list, int n)
{
    RectF r;
    ComputePointsBounds(list, n, r);
    return r;
}

bool IsDirectionBetween(const VectorF& p, const VectorF& a, const VectorF& b)
{
    if (Cross(a, b) > 0.0f) return Cross(p, a) > 0.0f || Cross(p, b) < 0.0f;
    return Cross(p, a) > 0.0f && Cross(p, b) < 0.0f;
}

} // namespace KIV

#include "render/DrawGroup.h"
#include <algorithm>
#include <cmath>

namespace KIV {

bool DrawGroup::HasSameLights(const DrawGroup& other) const
{
    if (mLightCount != other.mLightCount) return false;
    for (int32_t i = 0; i < other.mLightCount; ++i) {
        // Lists filled in the same order match at once; the search wraps for any other order.
        bool found = false;
        for (int32_t step = 0; step < mLightCount && !found; ++step)
            found = mLights[(i + step) % mLightCount] == other.mLights[i];
        if (!found) return false;
    }
    return true;
}

bool SetSingleDrawGroup(Array<DrawGroup>& groups, const RectF& rect, int32_t triangleCount)
{
    if (!groups.SetCapacity(1, 1)) return false;
    groups[0] = DrawGroup{};
    groups[0].mRect = rect;
    groups[0].mTriangleCount = triangleCount;
    return true;
}

bool MarkSameLightGroups(Array<DrawGroup>& groups)
{
    if (groups.Count() == 0) return false;
    groups[0].mSameLights = 0;
    for (int32_t i = 1; i < groups.Count(); ++i)
        groups[i].mSameLights = groups[i].HasSameLights(groups[i - 1]) ? 1 : 0;
    return true;
}

namespace {

RectF TriangleRect(const Array<VectorF>& points, const IndexTriangle& t)
{
    const VectorF& a = points[t.mA];
    RectF r(a.mX, a.mY, a.mX, a.mY);
    r.IncludePoint(points[t.mB]);
    r.IncludePoint(points[t.mC]);
    return r;
}

bool TriangleInRange(const Array<VectorF>& points, const IndexTriangle& t)
{
    return t.mA < points.Count() && t.mB < points.Count() && t.mC < points.Count();
}

int32_t CellsAlong(float extent, float cellSize)
{
    float n = std::trunc(extent / cellSize);
    if (!(n >= 1.0f)) return 1;
    return n >= float(kMaxDrawGroupCellsPerSide) ? kMaxDrawGroupCellsPerSide : int32_t(n);
}

// The cell an offset along one side falls in. Points from a damaged record can
// make the offset infinite or NaN, which has no integer value at all.
int32_t CellOf(float offset, float cellSize, int32_t cells)
{
    const float at = std::trunc(offset / cellSize);
    if (!(at >= 0.0f)) return 0;
    return at >= float(cells - 1) ? cells - 1 : int32_t(at);
}

} // namespace

bool GroupTrianglesByCell(float cellSize, const RectF& bounds, const Array<VectorF>* points,
                          const Array<IndexTriangle>& source, Array<IndexTriangle>* destination,
                          Array<DrawGroup>& groups)
{
    const int32_t triangleCount = source.Count();
    if (!points || !destination || triangleCount == 0 || bounds.IsEmpty() || destination == &source) {
        groups.Free();
        return false;
    }
    // A triangle pointing past the points would read outside them; such a list is refused whole.
    for (const IndexTriangle& t : source)
        if (!TriangleInRange(*points, t)) {
            groups.Free();
            return false;
        }

    if (!(cellSize > 0.0f)) {
        if (!SetSingleDrawGroup(groups, bounds, triangleCount)) return false;
        return true;
    }

    const int32_t columns = CellsAlong(bounds.x2 - bounds.x1, cellSize);
    const int32_t rows = CellsAlong(bounds.y2 - bounds.y1, cellSize);
    const float cellWidth = (bounds.x2 - bounds.x1) / float(columns);
    const float cellHeight = (bounds.y2 - bounds.y1) / float(rows);
    if (!groups.Resize(columns * rows)) return false;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
            DrawGroup& g = groups[r * columns + c];
            g = DrawGroup{};
            g.mRect = RectF(bounds.x1 + float(c) * cellWidth, bounds.y1 + float(r) * cellHeight,
                            bounds.x1 + float(c + 1) * cellWidth, bounds.y1 + float(r + 1) * cellHeight);
        }

    Array<int32_t> cellOf;
    if (!cellOf.Resize(triangleCount)) return false;
    for (int32_t i = 0; i < triangleCount; ++i) {
        RectF tr = TriangleRect(*points, source[i]);
        VectorF centre = tr.GetCenter();
        const int32_t c = CellOf(centre.mX - bounds.x1, cellWidth, columns);
        const int32_t r = CellOf(centre.mY - bounds.y1, cellHeight, rows);
        DrawGroup& g = groups[r * columns + c];
        g.mRect.Include(tr);
        g.mTriangleCount += 1;
        cellOf[i] = r * columns + c;
    }

    int32_t first = 0;
    for (DrawGroup& g : groups) {
        g.mFirstTriangle = first;
        first += g.mTriangleCount;
    }

    // Sized to the source, so the stable counting sort never writes past the destination's end.
    if (!destination->SetCount(triangleCount)) return false;
    for (int32_t i = 0; i < triangleCount; ++i) {
        DrawGroup& g = groups[cellOf[i]];
        (*destination)[g.mFirstTriangle + g.mFillCounter] = source[i];
        g.mFillCounter += 1;
    }

    int32_t kept = 0;
    for (int32_t i = 0; i < groups.Count(); ++i)
        if (groups[i].mTriangleCount > 0) groups[kept++] = groups[i];
    return groups.SetCapacity(kept, kept);
}

} // namespace KIV

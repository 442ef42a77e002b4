#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Rect.h"
#include "render/DrawState.h"
#include "render/LightSource.h"

namespace KIV {

// A run of a shape's triangles whose centres share one grid cell; the renderer culls it as a whole.
struct DrawGroup {
    RectF mRect;
    int32_t mFirstTriangle = 0;
    int32_t mTriangleCount = 0;
    int32_t mFillCounter = 0;
    const LightSource* mLights[kMaxLightsPerGroup] = {};
    int32_t mLightCount = 0;
    uint8_t mSameLights = 1;  // the lights equal the previous group's

    // Same count and every light of the other group among ours, in any order.
    bool HasSameLights(const DrawGroup& other) const;
};

// A very large picture with a small cell size would otherwise ask for millions of groups.
inline constexpr int32_t kMaxDrawGroupCellsPerSide = 128;

// Sorts the source triangles by the cell that holds each triangle's centre into the destination
// (sized to the source) and makes one group per non-empty cell, row by row. False, with the groups
// freed, when there is nothing to group.
bool GroupTrianglesByCell(float cellSize, const RectF& bounds, const Array<VectorF>* points,
                          const Array<IndexTriangle>& source, Array<IndexTriangle>* destination,
                          Array<DrawGroup>& groups);

// The list becomes exactly one group covering the first triangleCount triangles (text shapes).
bool SetSingleDrawGroup(Array<DrawGroup>& groups, const RectF& rect, int32_t triangleCount);

// Marks each group whose lights equal the previous group's, so the renderer can join them in one draw.
bool MarkSameLightGroups(Array<DrawGroup>& groups);

} // namespace KIV

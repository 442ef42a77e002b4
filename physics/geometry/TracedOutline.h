#pragma once
#include <cstdint>
#include <memory>
#include "base/Array.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "render/Texture.h"

namespace KIV {

struct ImageFile;
class TracedGeometry;

// The boundary of a picture's opaque area as a polygon, with the settings it
// was traced with. Points run clockwise on screen (y grows downward); the slot
// after the last point always holds a copy of the first (not counted).
struct OutlineRecord {
    OutlineRecord();
    OutlineRecord(const OutlineRecord&) = delete;
    OutlineRecord& operator=(const OutlineRecord&) = delete;
    ~OutlineRecord();

    // Template settings for a toy: threshold 10, anchors 3 to 6 pixels apart,
    // centred on the centroid. The points are emptied.
    void SetToyPreset(const VectorF& scale, float maxDeviation, bool circle);
    // Copies the settings (centroid and everything after it).
    static void CopySettings(OutlineRecord& destination, const OutlineRecord& source);
    // The cache key: the segment settings count only when simplifying.
    static bool SettingsEqual(const OutlineRecord& a, const OutlineRecord& b);

    Array<VectorF> mPoints;
    // The mesh built for the first toy of this outline; later toys copy it.
    std::unique_ptr<TracedGeometry> mCachedMesh;
    VectorF mCentroid;             // unscaled stored-picture pixels
    uint8_t mAlphaThreshold = 128; // opaque when alpha is at least this
    bool mCentreOnCentroid = false;
    VectorF mScale{1.0f, 1.0f};
    bool mCircle = false;
    bool mSimplify = true;
    int32_t mMinSegmentLength = 3;
    int32_t mMaxSegmentLength = 32;
    float mMaxDeviation = 1.0f;
};

// A texture's traced outlines, one per settings. Records stay until the
// texture's picture is reloaded or removed; callers hold plain pointers and
// fetch again after a rescan.
class OutlineCache : public TextureCacheList<OutlineRecord> {
public:
    // On entry record is a template holding the wanted settings; on success it
    // points at the cached record with those settings. rect is the texture's
    // source rectangle in full-picture pixels.
    bool GetOrTrace(ImageFile* picture, OutlineRecord*& record, const RectI& rect);
    bool HasEntryFor(OutlineRecord*& record) const;
};

// The outline cache of a texture's picture, made on first use. Per-toy
// instances of a picture ("name|n") share the cache of the plain name.
OutlineCache* GetOutlineCache(Texture* texture);

// Crack-following trace of the first opaque region (in reading order) inside
// rect, on the corner lattice of the stored pixels. False when nothing opaque
// lies in the rectangle or the picture has no usable pixels. Reads no pixel
// outside the rectangle.
bool TraceOutline(ImageFile* picture, OutlineRecord& record, uint8_t threshold, const RectI& rect);
// Keeps anchor points between the minimum and maximum segment length whose
// skipped points deviate at most the maximum deviation from the chord.
bool SimplifyOutline(OutlineRecord& record);
// Unsigned area of the closed polygon.
float PolygonArea(const VectorF* points, int32_t count);
// Centroid of the closed polygon for either orientation; area is the
// unsigned area of PolygonArea.
VectorF PolygonCentroid(const VectorF* points, int32_t count, float area);
// Makes sure the slot after the last point exists and holds point 0.
bool CloseOutline(Array<VectorF>& points);

} // namespace KIV

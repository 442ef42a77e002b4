#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class TracedGeometry;

// Elastic deformation of a geometry record: links between mesh points, made
// from the enabled link families, pull every point towards its rest place
// relative to its partners. The correction runs in sub-steps of a fixed
// period, independent of the physics step, and every point moves through the
// record's elastic guarded move (TryMovePointElastic).

// Makes the links from the enabled families (mesh, rings 2, 3, 4, 8, 12,
// outline 1 to 8) unless they are built; the elastic state lists are sized
// to the point count and zeroed.
void BuildElasticLinks(TracedGeometry& record);
// One link; its rest offset and length come from the rest shape.
void AddElasticLink(TracedGeometry& record, int32_t a, int32_t b, float factor);
// A link from every point to every point exactly hops mesh steps away.
void AddRingLinks(TracedGeometry& record, int32_t hops, float factor);
// Drops the links and the elastic state lists; the next build makes them anew.
void FreeElasticLinks(TracedGeometry& record);

// Sub-steps of the elastic correction for a step of dt seconds, then the
// shape is re-centred and its rigid rotation removed. held (may be null, else
// one byte per point) marks points that keep their place this step. Every
// whole period of the accumulated time runs; only an absurdly small period
// meets a guard on the sub-steps of one call, beyond which its time is dropped.
void ElasticStep(TracedGeometry& record, float dt, const uint8_t* held);

// Adds an impact at a position of the record's frame to the elastic forces,
// weighted by the falloff mode over the impact radius.
void ApplyElasticImpact(TracedGeometry& record, const VectorF& position, const VectorF& impulse);

// Moves the points so that the outline centroid is the origin; with keepArea
// also scales them so that the outline area equals the total triangle (rest)
// area again. A degenerate outline (area 0) is left where it is.
void RecentreShape(TracedGeometry& record, bool keepArea);
// Turns the points (and elastic velocities) back by the mean turn of the
// outline edges from their rest angles.
void RemoveRigidRotation(TracedGeometry& record);

} // namespace KIV

#pragma once
#include <cstdint>
#include "base/Vector.h"
#include "physics/contacts/Contact.h"

namespace KIV {

class Toy;
class SpatialGrid;
class GridQueryContext;
struct GameSettings;

// Which side of an outline edge is outside. Outlines wind like the mesh's
// triangles (positive shoelace sum: clockwise on screen, where y grows
// downward), so the outside of an edge d lies where Cross(d, p - start) < 0,
// on the side of its normal (d.y, -d.x). The grid hits edges from that side
// and calls a crossing "entering" when it starts there; the response wants
// its normals pointing out of the partner, towards the toy they push. Every
// side test of the step is derived from this one sign.
inline constexpr float kOutsideSign = -1.0f;

// Unit normal of an edge direction, pointing to the edge's outside.
VectorF OutsideNormal(const VectorF& edge);
// Unit normal of a penetration chord (entry crossing to exit crossing),
// pointing away from the stretch of the toy that went into its partner.
VectorF PenetrationNormal(const VectorF& chord);

// ---- velocity side ----

// One toy's share of an island's velocity iteration: its line contacts, its
// point contacts, its joints and its penetration contacts, by the response
// the settings select. Counts one call in statistics item 53. true when any
// contact produced an impulse; maxRelativeSquared takes the largest squared
// relative velocity of an approaching contact.
bool SolveToyContacts(Toy& toy, bool firstIteration, float& maxRelativeSquared, const GameSettings& settings);
// The toy's penetration contacts: an impulse at each chord's midpoint,
// gathered for both toys. true when any impulse was produced. The first
// velocity iteration of a step takes the records' geometry for the rest.
bool SolvePenetrationContacts(Toy& toy, bool firstIteration, const GameSettings& settings);

// Pending impulses: per component the most negative and the most positive
// impulse since they were last applied, so that two contacts pushing the
// same way do not add up.
void GatherPendingImpulse(Toy& toy, const VectorF& impulse, float angularImpulse);
void ApplyPendingImpulses(Toy& toy);
void ClearPendingImpulses(Toy& toy);

// Velocity limits: |v| <= 4000 (statistics item 41) and |w| <= 50 (item 42).
void ClampVelocity(VectorF& velocity, float& angularVelocity);

// The end of a toy's stage-1 step: forces, gravity and air friction into the
// velocities after impulses, then the predicted pose.
void IntegrateToy(Toy& toy);

// ---- position side ----

// A point's move from `from` to `to` that would cross a terrain edge from its
// outside ends a hair in front of that edge instead; true when it was cut
// short. Moves that start inside terrain are let go: they lead out of it.
bool StopInFrontOfTerrain(const SpatialGrid& grid, GridQueryContext& context, const VectorF& from, VectorF& to);

// Stage 5: outline points that went into a partner are pushed back across
// the penetration chord (or just across the partner's nearest edge).
void UnPenetrate(Toy& toy, const SpatialGrid& grid, GridQueryContext& context);
// Stage 6: where each point contact leaves its point at the end of the step.
void ComputePointContactTargets(Toy& toy, const SpatialGrid& grid, GridQueryContext& context);
// Stage 2: pairs the toy's crossing events (entering with leaving, per
// partner) and marks every outline point inside or outside a partner.
void MarkInsidePoints(Toy& toy);

// ---- particle hits ----

// A particle hit at a world point: the toy is pushed when the particle
// approaches its surface. particleVelocityChange (may be null) receives the
// particle's own change. false when nothing was applied.
bool ApplyParticleImpulseAtWorldPoint(Toy& toy, float particleMass, const VectorF& particleVelocity,
                                      const VectorF& hitPoint, const VectorF& normal, float restitution,
                                      VectorF* particleVelocityChange);
// The same for a hit point in the toy's own frame.
bool ApplyParticleImpulseAtLocalPoint(Toy& toy, float particleMass, const VectorF& particleVelocity,
                                      const VectorF& localHitPoint, const VectorF& normal, float restitution,
                                      VectorF* particleVelocityChange);

} // namespace KIV

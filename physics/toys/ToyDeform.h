#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class TracedGeometry;

// Plastic deformation of a geometry record: an impulse spread as dent forces
// over nearby points, then relaxation passes over the springs. Every point
// moves through the record's guarded move (TryMovePoint), so a dent never
// turns a triangle over, never crushes or overstretches an edge, and never
// moves a core point.

// Spreads an impulse from mesh point hitPoint into the dent forces: within
// the near dent radius a share falling off linearly, and with a far radius a
// share falling off as 1 / (1 + d / far). Nothing for an index outside the
// mesh or with both radii 0.
void ApplyImpactForces(TracedGeometry& record, int32_t hitPoint, const VectorF& impulse);

// One relaxation pass: forces into velocities, the springs pull towards their
// rest lengths, the mean velocity is removed, each point tries its move (an
// accepted point moves by twice its velocity), and the forces are spent.
void RelaxDent(TracedGeometry& record);

// A whole dent: the forces are saved, then three rounds of 15 relaxation
// passes each followed by re-centring (with the record's plastic keep-area byte).
void Dent(TracedGeometry& record);

// Copies the rest shape back over the points when restoreShape is set; the
// dent forces and velocities always go back to zero.
void ResetDeformation(TracedGeometry& record, bool restoreShape);

} // namespace KIV

#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/Vector.h"
#include "physics/contacts/Contact.h"
#include "physics/grid/GridReads.h"
#include "physics/toys/KeptGridReads.h"
#include "physics/toys/QueriedFields.h"

namespace KIV {

class GridQueryContext;
class SpatialGrid;
class Toy;

// A toy's crossing events (its line contacts) are a function of what its
// grid walk reads: its own outline and a few of its fields, the cell lists
// of the cells its edges cover, the terrain edges listed there, and the
// outlines and fields of the toys listed there. A settled pile mostly sleeps:
// none of that changes from one step to the next, and the walk, the largest
// part of a sleeping toy's step, would make the same events again. The memo
// keeps the last walk's events with the cells it read (KeptGridReads), and
// gives the events back only when nothing the walk read has changed, so the
// result is the walk's own.
//
// The toys' own parts are judged once per step, each by its toy, before any
// walk (NoteCrossingInputs): a toy whose outline and fields are the bits it
// had at the previous step is steady in this step. A walk may then be reused
// when it was made or reused in the previous step, its toy and every toy its
// cells list are steady, and the cells' change counts are the same.

struct CrossingMemo {
    // The toy's own inputs, noted once per step.
    uint64_t mNotedPass = 0;  // 0: never noted
    uint64_t mSteadyPass = 0;
    QueriedFields mFields;
    Array<VectorF> mOutline;

    // The last walk and what it read; mWalkPass 0 when there is none.
    uint64_t mWalkPass = 0;
    bool mReused = false;  // whether the last step took the kept events
    KeptGridReads mReads;
    GridReadLog mLog;
    Array<ContactRecord> mEvents;
};

// Compares the toy's outline and fields with the last step's note and notes
// them for this pass. Call for every toy of the step before any toy walks.
void NoteCrossingInputs(Toy& toy, uint64_t pass);

// The toy's line contacts for this pass: the kept events when nothing their
// walk read has changed, else a fresh walk, which is kept when the toy is
// steady (a toy that moves would not meet it again).
void CollectCrossingsWithMemo(Toy& toy, const SpatialGrid& grid, GridQueryContext& context, uint64_t pass);

// Drops the kept walk: the next collection walks the grid.
void ForgetCrossings(Toy& toy);

} // namespace KIV

#pragma once
#include <cstdint>
#include "base/Array.h"
#include "physics/grid/GridReads.h"

namespace KIV {

class SpatialGrid;
class Toy;

// A toy the kept reads' cells listed, with the pair flag it holds for the
// reading toy (the queries' filters read it).
struct ReadPartner {
    const Toy* mToy = nullptr;
    uint8_t mPairFlag = 0;
};

// What a toy's grid queries read, for a memo of their answers: the cells
// with their change counts, and every other toy those cells list. The
// answers are the queries' own again while the cells hold (GridReadRecord),
// the reading toy is what it was, and so is every toy listed: the grid
// cannot tell when a toy's points or fields changed without a relink, so
// each memo notes its toys' inputs once per step, and judges a listed toy by
// that note.
struct KeptGridReads {
    GridReadRecord mCells;
    Array<ReadPartner> mPartners{8};  // each toy once
};

// The pass in which a toy's inputs were last noted, or found steady (the
// same bits as at the previous note); each memo keeps its own.
using NotedPassOf = uint64_t (*)(const Toy&);

// Keeps the log's cells and the toys they list. false (nothing kept) when
// the lists cannot grow or a listed toy's inputs were not noted in this
// pass: a later note could not tell whether it changed since the reads.
bool KeepGridReads(KeptGridReads& kept, const Toy& toy, const SpatialGrid& grid, const GridReadLog& log,
                   NotedPassOf noted, uint64_t pass);

// Whether the kept reads are still what the queries would read in this
// pass: the cells hold, and every listed toy is steady in it with the same
// pair flag. The toy's own inputs are its memo's to judge.
bool GridReadsHold(const KeptGridReads& kept, const Toy& toy, const SpatialGrid& grid, NotedPassOf steady,
                   uint64_t pass);

} // namespace KIV

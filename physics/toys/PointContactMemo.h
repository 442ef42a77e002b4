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

// A toy's point contacts and their targets are a function of its outline
// and predicted outline, its pose and a few fields, what the grid lists in
// the cells its points' paths and the targets' terrain tests read, and the
// outlines, poses and fields of the toys listed there. A toy of a resting
// pile has the same of all of that every step (its island keeps no speed,
// so it integrates from rest to the same predicted pose), and its points'
// paths would find the same contacts again. The memo keeps the last
// contacts with their targets and what they read (KeptGridReads), and gives
// them back only when nothing read has changed.
//
// The toys' own inputs are noted once per step, after un-penetration has
// moved the outlines and before any toy's paths are tested: at the first
// predicted outline of the step (Toy::BuildPredictedOutline). The step's
// pass is the crossing memo's, noted at the step's start.

// The fields of a toy that the point contacts read, its own or a partner's:
// what the queries read, and the pose the targets follow.
struct PointContactFields {
    QueriedFields mQueried;
    VectorF mPredictedPosition;
    float mOrientation = 0.0f;
    float mPredictedOrientation = 0.0f;
};

struct PointContactMemo {
    // The toy's own inputs, noted once per step.
    uint64_t mNotedPass = 0;  // 0: never noted
    uint64_t mSteadyPass = 0;
    PointContactFields mFields;
    Array<VectorF> mOutline;
    Array<VectorF> mPredictedOutline;

    // The last contacts and what they read; mKeptPass 0 when there are none.
    uint64_t mKeptPass = 0;
    bool mReused = false;   // whether this step took the kept contacts
    bool mLogging = false;  // this step's queries note their cells in mLog
    KeptGridReads mReads;
    GridReadLog mLog;
    Array<ContactRecord> mContacts;
};

// Compares the toy's point-contact inputs with the previous step's note and
// notes them, once per step; later calls in the same step do nothing.
void NotePointContactInputs(Toy& toy);

// Gives the toy the kept contacts, targets and all, when nothing they read
// has changed (true); else starts noting what the fresh contacts read, when
// the toy is steady (a toy that moves would not meet them again).
bool TakeKeptPointContacts(Toy& toy, const SpatialGrid& grid, GridQueryContext& context);

// After the fresh contacts' targets: keeps them with what they read.
void KeepPointContacts(Toy& toy, const SpatialGrid& grid, GridQueryContext& context);

// Drops the kept contacts: the next step tests the paths anew.
void ForgetPointContacts(Toy& toy);

} // namespace KIV

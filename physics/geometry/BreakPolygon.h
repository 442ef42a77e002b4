#pragma once
#include <cstdint>
#include "base/Random.h"
#include "base/Vector.h"

namespace KIV {

class TracedGeometry;

// Why a break was refused; the code goes to statistics item 57. A refusal
// for a single triangle or for a piece left without triangles writes none.
enum BreakPolygonError : int32_t {
    kBreakStartOutOfRange = 1,       // start triangle or start outline point out of range
    kBreakBadInnerEdge = 2,          // an inner edge at the crack point does not contain it
    kBreakCrackTooShort = 3,         // the crack has fewer than 2 points
    kBreakSideAToB = 4,              // a crack triangle going to piece A has an edge of piece B
    kBreakSideBToA = 5,              // a crack triangle going to piece B has an edge of piece A
    kBreakSpreadAToB = 6,            // a triangle reached across an edge of A has an edge of B
    kBreakSpreadBToA = 7,            // a triangle reached across an edge of B has an edge of A
    kBreakEdgeWithoutSide = 8,       // an edge taken from the work queue has no side
    kBreakLinkNoIndex = 9,           // an inner edge given to a piece has no index there
    kBreakLinkFirstTriangle = 10,    // its first triangle is not of that piece
    kBreakLinkSecondTriangle = 11,   // its second triangle is not of that piece
    kBreakLinkUnassigned = 12,       // an inner edge reached neither piece
    kBreakCrackEndsInside = 13,      // the crack does not reach the outline at both ends
    kBreakTriangleOffCrack = 105,    // a triangle beside crack edge k lacks crack point k
};

// Where a crack starts and how it runs.
struct CrackRequest {
    int32_t mStartTriangle = -1;      // -1: start from the outline point below
    int32_t mStartOutlinePoint = -1;
    float mDirectionShifter = 0.0f;   // turn per step of the walk
    float mDirectionRandomiser = 0.0f;
    bool mBreakCoreToo = false;       // false: the crack may not follow a core edge
    VectorF mDirection;               // heading of the walk, in the record's frame
};

// The crack that a successful (or refused) break found.
struct CrackResult {
    int32_t mFirstPoint = -1;
    int32_t mLastPoint = -1;
    int32_t mPointCount = 0;
};

// Cuts a meshed body into two along a crack of mesh points that runs from
// outline to outline, and builds the two pieces as geometry records whose
// origin is their own outline centroid (kept, in the source's frame, in each
// piece's mBreakValue1/mBreakValue2). Both pieces wind like the source: every
// triangle has Cross(Pb - Pa, Pc - Pa) > 0. The walk draws from the generator
// only when the shifter and randomiser are not 0.
//
// Every call counts in statistics item 58. A refusal returns false and leaves
// the source's mesh as it was (its break working lists and the pieces may
// hold partial results); the reason, where there is one, is written to item 57.
// result (may be null) receives the crack's ends and point count.
bool BreakPolygon(TracedGeometry& record, const CrackRequest& request, TracedGeometry& pieceA,
                  TracedGeometry& pieceB, Random& random, CrackResult* result);

// Finishes a piece after the cut: per-point lists, triangle areas, springs,
// inverse edge lengths, then moves the piece so that its outline centroid is
// its origin, and stores bounding radius and rest shape. Returns the centroid
// (in the frame the piece was cut in).
VectorF BuildPieceMesh(TracedGeometry& piece);

} // namespace KIV

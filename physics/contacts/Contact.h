#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Toy;

// A contact of one toy: a point contact (the path of an outline point hit
// something) or a crossing event (an outline edge crosses a terrain edge or
// another toy's edge). Partners are kept as values - a grid segment index and
// a toy with its outline point - never as pointers into the grid's tables,
// which move when the grid grows.
struct ContactRecord {
    int32_t mStaticSegment = -1;         // grid static segment, -1 for a toy partner
    const void* mStaticOwner = nullptr;  // the terrain object owning that segment
    Toy* mPartnerToy = nullptr;          // toy partner, null against terrain
    int32_t mPartnerPoint = -1;          // the partner edge runs from this outline point to the next
    int32_t mPointIndex = -1;            // the toy's contact point; -1 for crossing events
    float mTimeFraction = 0.0f;
    VectorF mPoint;
    VectorF mTarget;
    VectorF mImpulse;
    VectorF mLever;         // turned by a right angle: point velocity = w * lever - v
    VectorF mPartnerLever;  // likewise
    VectorF mNormal;
    float mRestitution = 0.0f;
    float mMorph = 0.0f;
    float mInverseMassSum = 0.0f;
    VectorF mPointTerm;
    VectorF mRelativeTerm;
    int32_t mEdgeIndex = -1;  // crossing events: the toy's outline edge
    float mEdgeT = 0.0f;      // position along that edge, the sort key
    uint8_t mEntering = 0;
    int32_t mLink = -1;
    VectorF mEdgeVector;
};

// A stretch of the outline that went into a partner between an entering and
// a leaving crossing.
struct PenetrationRecord {
    Toy* mPartner = nullptr;
    VectorF mEdgeStart;
    VectorF mEdgeEnd;
    int32_t mFirstPoint = -1;
    int32_t mLastPoint = -1;
    int32_t mPartnerEdgeA = -1;
    int32_t mPartnerEdgeB = -1;
    float mDepth = 0.0f;
    float mSharedDepth = 0.0f;
    VectorF mImpulse;
    // The response's geometry, set by the first velocity iteration of a step
    // (the toys hold still through the iterations): the chord's normal and
    // the levers from the toys to its midpoint, turned by a right angle.
    VectorF mNormal;
    VectorF mLever;
    VectorF mPartnerLever;
};

// A radial push on one outline point.
struct VelocityChangeRecord {
    int32_t mPointIndex = -1;
    VectorF mChange;
};

// Per outline point: what it is inside of after the crossing events were paired.
struct PointInsideRecord {
    const void* mTerrainObject = nullptr;
    Toy* mPartner = nullptr;
    int32_t mReserved[2] = {0, 0};
    uint8_t mInside = 0;
};

} // namespace KIV

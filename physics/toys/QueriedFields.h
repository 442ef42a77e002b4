#pragma once
#include <cstdint>
#include "base/Vector.h"

namespace KIV {

class Robot;
class Toy;

// The fields of a toy that its own grid queries and its partners' read
// besides its outline: its filters, and what a contact with it takes of it.
// The step's memos note them with the outline once per step.
struct QueriedFields {
    VectorF mPosition;
    float mRestitution = 0.0f;
    float mRestitutionWithTerrain = 0.0f;
    float mSlippery = 0.0f;
    float mInverseMass = 0.0f;
    const Robot* mOwningRobot = nullptr;
    int32_t mSlotIndex = -1;
    uint8_t mDontBounceOffToys = 0;
    uint8_t mDontBounceOffRobotLinked = 0;
};

QueriedFields ReadQueriedFields(const Toy& toy);
// Bit equality of every field.
bool SameQueriedFields(const QueriedFields& a, const QueriedFields& b);

} // namespace KIV

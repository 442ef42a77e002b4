#include "physics/toys/QueriedFields.h"
#include "physics/toys/MemoBits.h"
#include "physics/toys/Toy.h"

namespace KIV {

QueriedFields ReadQueriedFields(const Toy& toy)
{
    QueriedFields f;
    f.mPosition = toy.mPosition;
    f.mRestitution = toy.mRestitution;
    f.mRestitutionWithTerrain = toy.mRestitutionWithTerrain;
    f.mSlippery = toy.mSlippery;
    f.mInverseMass = toy.mInverseMass;
    f.mOwningRobot = toy.mOwningRobot;
    f.mSlotIndex = toy.mSlotIndex;
    f.mDontBounceOffToys = toy.mDontBounceOffToys;
    f.mDontBounceOffRobotLinked = toy.mDontBounceOffRobotLinked;
    return f;
}

bool SameQueriedFields(const QueriedFields& a, const QueriedFields& b)
{
    return SameBits(a.mPosition, b.mPosition) && SameBits(a.mRestitution, b.mRestitution) &&
           SameBits(a.mRestitutionWithTerrain, b.mRestitutionWithTerrain) && SameBits(a.mSlippery, b.mSlippery) &&
           SameBits(a.mInverseMass, b.mInverseMass) && a.mOwningRobot == b.mOwningRobot &&
           a.mSlotIndex == b.mSlotIndex && a.mDontBounceOffToys == b.mDontBounceOffToys &&
           a.mDontBounceOffRobotLinked == b.mDontBounceOffRobotLinked;
}

} // namespace KIV

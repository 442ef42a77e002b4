#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/FastName.h"

namespace KIV {

// One pose of a joint: the angle the joint takes in the named pose. Every
// joint of a robot carries the same poses in the same order.
struct PoseAngle {
    FastName mName;
    float mAngle = 0.0f;
    int32_t mFurther = 0;  // kept for the robot code, never read here
};

// Index of the first pose whose name matches all 16 bytes; -1 when none.
inline int32_t FindPoseIndex(const Array<PoseAngle>& poses, const FastName& name)
{
    for (int32_t i = 0; i < poses.Count(); ++i)
        if (poses[i].mName == name) return i;
    return -1;
}

} // namespace KIV

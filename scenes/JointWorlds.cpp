#include "scenes/JointWorlds.h"
#include "physics/joints/Joint.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace Scenes {

namespace {

constexpr float kLinkLength = 36.0f;
constexpr float kLinkThickness = 12.0f;
constexpr float kChainRow = 90.0f;
constexpr float kWall = 40.0f;

void StopColliding(Toy& a, Toy& b)
{
    if (a.mSlotIndex >= 0 && a.mSlotIndex < Toy::kMaxToys) b.mPairFlags[a.mSlotIndex] = 0;
    if (b.mSlotIndex >= 0 && b.mSlotIndex < Toy::kMaxToys) a.mPairFlags[b.mSlotIndex] = 0;
}

} // namespace

Joint* JoinToys(Scene& scene, Toy* a, Toy* b, const VectorF& worldPoint)
{
    if (!a || !b) return nullptr;
    Joint* joint = scene.CreateJoint(scene.mJoints, "link", a, a->WorldToLocal(worldPoint), b,
                                     b->WorldToLocal(worldPoint), nullptr);
    if (!joint) return nullptr;
    a->AddJoint(joint);
    b->AddJoint(joint);
    StopColliding(*a, *b);
    return joint;
}

Joint* PinToWorld(Scene& scene, Toy* toy, const VectorF& worldPoint)
{
    if (!toy) return nullptr;
    Joint* joint =
        scene.CreateJoint(scene.mJoints, "pin", toy, toy->WorldToLocal(worldPoint), nullptr, worldPoint, nullptr);
    if (!joint) return nullptr;
    toy->AddJoint(joint);
    return joint;
}

bool MakeChains(Scene& scene, int32_t toyCount)
{
    if (toyCount < 1) return false;
    const int32_t chains = (toyCount + kChainLinks - 1) / kChainLinks;
    // Chains side by side in columns, rows of chains above each other; a
    // hanging chain swings down through the room below its row.
    int32_t columns = 1;
    while (columns * columns < chains) ++columns;
    const int32_t rows = (chains + columns - 1) / columns;
    const float chainWidth = kChainLinks * kLinkPitch + 40.0f;
    const float width = static_cast<float>(columns) * chainWidth + 2.0f * kWall + 80.0f;
    const float height = static_cast<float>(rows) * kChainRow + kChainLinks * kLinkPitch + kWall + 200.0f;
    if (!MakeWalledWorld(scene, RectF(0.0f, 0.0f, width, height), kWall)) return false;
    ApplyStepDefaults(scene);

    int32_t made = 0;
    for (int32_t chain = 0; chain < chains; ++chain) {
        const float left = kWall + 40.0f + static_cast<float>(chain % columns) * chainWidth;
        const float y = 60.0f + static_cast<float>(chain / columns) * kChainRow;
        const int32_t links = toyCount - made < kChainLinks ? toyCount - made : kChainLinks;
        if (!AddChain(scene, VectorF(left, y), links, chain % 2 == 0)) return false;
        made += links;
    }
    ApplyStepDefaults(scene);
    return true;
}

bool AddChain(Scene& scene, const VectorF& start, int32_t links, bool pinned)
{
    Toy* previous = nullptr;
    for (int32_t link = 0; link < links; ++link) {
        const float x = start.mX + (static_cast<float>(link) + 0.5f) * kLinkPitch;
        Toy* toy = AddBoxToy(scene, VectorF(kLinkLength, kLinkThickness), VectorF(x, start.mY));
        if (!toy) return false;
        const VectorF pin(x - 0.5f * kLinkPitch, start.mY);
        if (previous) {
            if (!JoinToys(scene, previous, toy, pin)) return false;
        } else if (pinned && !PinToWorld(scene, toy, pin)) {
            return false;
        }
        previous = toy;
    }
    return true;
}

} // namespace Scenes
} // namespace KIV

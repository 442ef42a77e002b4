#include "scenes/PlaygroundWorld.h"
#include "base/Random.h"
#include "physics/world/Scene.h"
#include "scenes/JointWorlds.h"
#include "scenes/Scenes.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace Scenes {

namespace {

constexpr int32_t kBinColumns = 4;  // a pile falls from rows this wide
constexpr float kWall = 40.0f;
constexpr float kDivider = 20.0f;  // the walls between bins
constexpr float kDividerHeight = 600.0f;  // above a settled pile, so none spills over
constexpr float kBinWidth = kBinColumns * kPileCell + 40.0f;
constexpr float kChainWidth = kChainLinks * kLinkPitch + 60.0f;

} // namespace

bool MakePlayground(Scene& scene, int32_t toyCount)
{
    if (toyCount < 1) return false;
    int32_t chains = toyCount / 64;
    if (chains < 1) chains = 1;
    int32_t chainToys = chains * kChainLinks;
    if (chainToys > toyCount) chainToys = toyCount;
    chains = (chainToys + kChainLinks - 1) / kChainLinks;
    const int32_t pileToys = toyCount - chainToys;
    const int32_t piles = (pileToys + kPlaygroundPileToys - 1) / kPlaygroundPileToys;
    const int32_t rows = (kPlaygroundPileToys + kBinColumns - 1) / kBinColumns;

    const float pilesWidth = static_cast<float>(piles) * (kBinWidth + kDivider);
    const float width = 2.0f * kWall + pilesWidth + static_cast<float>(chains) * kChainWidth + 40.0f;
    const float height = 2.0f * static_cast<float>(rows) * kPileCell + kWall + 200.0f;
    if (!MakeWalledWorld(scene, RectF(0.0f, 0.0f, width, height), kWall)) return false;
    const float groundY = height - kWall;
    ApplyStepDefaults(scene);

    Random random;
    int32_t left = pileToys;
    for (int32_t pile = 0; pile < piles; ++pile) {
        const float x = kWall + static_cast<float>(pile) * (kBinWidth + kDivider);
        if (pile > 0 && AddStaticBox(scene, {x - kDivider, groundY - kDividerHeight, x, groundY}) < 0) return false;
        const int32_t toys = left < kPlaygroundPileToys ? left : kPlaygroundPileToys;
        if (!AddSoftToyRows(scene, random, toys, kBinColumns, VectorF(x + 20.0f, groundY - 60.0f))) return false;
        left -= toys;
    }
    // The chains hang in a hall of their own beyond the last bin.
    const float chainsLeft = kWall + pilesWidth;
    if (piles > 0 && AddStaticBox(scene, {chainsLeft - kDivider, groundY - kDividerHeight, chainsLeft, groundY}) < 0)
        return false;
    int32_t links = chainToys;
    for (int32_t chain = 0; chain < chains; ++chain) {
        const int32_t n = links < kChainLinks ? links : kChainLinks;
        const VectorF start(chainsLeft + 40.0f + static_cast<float>(chain) * kChainWidth, 80.0f);
        if (!AddChain(scene, start, n, chain % 2 == 0)) return false;
        links -= n;
    }
    ApplyStepDefaults(scene);
    return true;
}

} // namespace Scenes
} // namespace KIV

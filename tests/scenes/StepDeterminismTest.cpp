#include <gtest/gtest.h>
#include <omp.h>
#include "physics/GameSettings.h"
#include "physics/Scene.h"
#include "physics/Toy.h"
#include "scenes/StepWorlds.h"

namespace KIV {
namespace {

constexpr int32_t kPileToys = 12;
constexpr int32_t kSteps = 2000;

// The pile of mixed soft toys falls, collides and settles for kSteps steps;
// the hash covers every outline point, pose and velocity bit.
uint64_t RunPile(int32_t threads)
{
    Scene scene;
    EXPECT_TRUE(Scenes::MakeSoftPile(scene, kPileToys));
    GameSettings settings;
    settings.mParallelismEnabled = threads > 1 ? 1 : 0;
    const int32_t saved = omp_get_max_threads();
    omp_set_num_threads(threads);
    Scenes::StepWorld(scene, settings, kSteps);
    omp_set_num_threads(saved);
    int32_t touching = 0;
    for (const Toy* toy : scene.mToys) touching += toy->mPointContacts.Count() + toy->mLineContacts.Count();
    EXPECT_GT(touching, kPileToys) << "the pile must have collided, or the hash proves little";
    return Scenes::HashToyState(scene);
}

TEST(StepDeterminism, SamePileSteppedTwiceGivesTheSameBits)
{
    EXPECT_EQ(RunPile(1), RunPile(1));
}

TEST(StepDeterminism, ParallelStepsGiveTheSerialBits)
{
    const uint64_t serial = RunPile(1);
    for (int32_t threads : {2, 4, 8}) EXPECT_EQ(RunPile(threads), serial) << threads << " threads";
}

} // namespace
} // namespace KIV

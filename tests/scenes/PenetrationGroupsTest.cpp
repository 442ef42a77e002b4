#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"
#include "scenes/StepWorlds.h"

// Un-penetration runs its groups side by side, so a group must hold every
// toy whose pushes read another member's outline, in list order, and no toy
// may appear twice or in two groups; inside a group, the later of two
// partners waits for the earlier.

namespace KIV {
namespace {

TEST(PenetrationGroups, PartnersShareAGroupAndKeepTheListOrder)
{
    Scene scene;
    ASSERT_TRUE(Scenes::MakeSoftPile(scene, 100));
    GameSettings settings;
    int32_t checkedSteps = 0, largestGroup = 0;
    // While the pile lands its toys go into each other in many places at once.
    for (int32_t step = 0; step < 400 && checkedSteps < 40; ++step) {
        Scenes::StepWorld(scene, settings, 1);
        scene.BuildPenetrationGroups();
        const ToyGroups& groups = scene.mPenetrationGroups;
        if (groups.Count() < 2) continue;
        ++checkedSteps;

        std::map<const Toy*, int32_t> listIndex, groupOf, memberOf;
        for (int32_t k = 0; k < groups.Members().Count(); ++k) memberOf[groups.Members()[k]] = k;
        for (int32_t i = 0; i < scene.mToys.Count(); ++i) listIndex[scene.mToys[i]] = i;
        int32_t previousFirst = -1;
        for (int32_t g = 0; g < groups.Count(); ++g) {
            const int32_t first = groups.Start()[g], end = groups.Start()[g + 1];
            ASSERT_LT(first, end) << "an empty group";
            largestGroup = std::max(largestGroup, end - first);
            EXPECT_GT(listIndex[groups.Members()[first]], previousFirst) << "groups out of their first toys' order";
            previousFirst = listIndex[groups.Members()[first]];
            for (int32_t k = first; k < end; ++k) {
                const Toy* toy = groups.Members()[k];
                EXPECT_TRUE(groupOf.emplace(toy, g).second) << "a toy in two places";
                if (k > first) {
                    EXPECT_GT(listIndex[toy], listIndex[groups.Members()[k - 1]]) << "members out of list order";
                }
            }
        }
        for (const Toy* toy : scene.mToys) {
            const bool penetrates = !toy->mPenetrationContacts.IsEmpty();
            EXPECT_EQ(groupOf.count(toy), penetrates ? 1u : 0u);
            for (const PenetrationRecord& r : toy->mPenetrationContacts)
                if (r.mPartner && !r.mPartner->mPenetrationContacts.IsEmpty()) {
                    EXPECT_EQ(groupOf[r.mPartner], groupOf[toy]) << "partners apart";
                    // Side by side, the later partner must wait for the earlier.
                    const int32_t a = memberOf[toy], b = memberOf[r.mPartner];
                    const int32_t later = std::max(a, b), earlier = std::min(a, b);
                    bool waits = false;
                    for (int32_t k = groups.WaitStart()[later]; k < groups.WaitStart()[later + 1]; ++k)
                        waits |= groups.Waits()[k] == earlier;
                    EXPECT_TRUE(waits) << "partners unordered";
                }
        }
    }
    EXPECT_GT(checkedSteps, 0) << "the pile never penetrated in two places at once";
    EXPECT_GT(largestGroup, 1) << "no two penetrating partners were ever grouped";
}

} // namespace
} // namespace KIV

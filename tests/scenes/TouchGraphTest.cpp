#include <gtest/gtest.h>
#include <vector>
#include "base/WorkTeam.h"
#include "physics/world/GameSettings.h"
#include "physics/world/Scene.h"
#include "scenes/JointWorlds.h"
#include "scenes/StepWorlds.h"

// The touch graph's records are read side by side: each toy's links must
// come out in the order one thread finds them, for the island walk, and so
// each island's chain order, follows that order.

namespace KIV {
namespace {

struct TouchWorld {
    const char* mName;
    bool (*mBuild)(Scene&, int32_t);
    int32_t mToys;
    int32_t mSteps;  // stepped before each comparison
};

struct Graph {
    std::vector<int32_t> mStart, mLinks, mIslandSizes;
    explicit Graph(const Scene& s)
        : mStart(s.mIslandLinkStart.begin(), s.mIslandLinkStart.end()),
          mLinks(s.mIslandLinks.begin(), s.mIslandLinks.end()),
          mIslandSizes(s.mIslandSizes.begin(), s.mIslandSizes.end())
    {
    }
};

TEST(TouchGraph, SideBySideGivesTheLinksOfOneThreadInTheirOrder)
{
    const TouchWorld worlds[] = {
        {"a falling pile", Scenes::MakeSoftPile, 300, 60},
        {"chains", Scenes::MakeChains, 200, 80},
    };
    WorkTeam& team = WorkTeam::Shared();
    const int32_t threadsBefore = team.GetThreadCount();
    team.SetThreadCount(4);
    for (const TouchWorld& w : worlds) {
        SCOPED_TRACE(w.mName);
        Scene scene;
        ASSERT_TRUE(w.mBuild(scene, w.mToys));
        GameSettings settings;
        int32_t linked = 0;
        for (int32_t round = 0; round < 4; ++round) {
            Scenes::StepWorld(scene, settings, w.mSteps);
            scene.BuildContactIslands(false);
            const Graph alone(scene);
            // Both ways of the loops, as their timings pick them.
            for (int32_t run = 0; run < 3; ++run) {
                scene.BuildContactIslands(true);
                const Graph shared(scene);
                EXPECT_EQ(shared.mStart, alone.mStart);
                EXPECT_EQ(shared.mLinks, alone.mLinks);
                EXPECT_EQ(shared.mIslandSizes, alone.mIslandSizes);
            }
            linked += static_cast<int32_t>(alone.mLinks.size());
        }
        EXPECT_GT(linked, 0) << "nothing touched";
    }
    team.SetThreadCount(threadsBefore);
}

} // namespace
} // namespace KIV

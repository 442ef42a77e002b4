#include <gtest/gtest.h>
#include <set>
#include "base/HandleTable.h"

using namespace KIV;

namespace {
struct Thing {
    ObjectHandle mScriptHandle;
};
struct Other {};
} // namespace

TEST(HandleTableTest, HandlesNameTheirObjectOnlyWhileItLivesAndOnlyAsItsKind)
{
    HandleTable table;
    int a = 1, b = 2;
    int32_t ha = table.Acquire(&a, HandleKindOf<Thing>());
    int32_t hb = table.Acquire(&b, HandleKindOf<Thing>());
    ASSERT_GT(ha, 0);
    ASSERT_GT(hb, 0);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(table.Resolve(ha, HandleKindOf<Thing>()), &a);
    EXPECT_EQ(table.Resolve(ha, HandleKindOf<Other>()), nullptr);
    for (int32_t madeUp : {0, -1, 123, hb + 1, hb + (1 << HandleTable::kIndexBits), 0x7fffffff})
        EXPECT_EQ(table.Resolve(madeUp, HandleKindOf<Thing>()), nullptr) << madeUp;

    table.Release(ha);
    EXPECT_EQ(table.Resolve(ha, HandleKindOf<Thing>()), nullptr);
    table.Release(ha);  // a second release changes nothing
    EXPECT_EQ(table.GetLiveCount(), 1);
    // The slot comes back under a new generation: the old number stays dead.
    int32_t hc = table.Acquire(&a, HandleKindOf<Thing>());
    EXPECT_NE(hc, ha);
    EXPECT_EQ(table.Resolve(ha, HandleKindOf<Thing>()), nullptr);
    EXPECT_EQ(table.Resolve(hc, HandleKindOf<Thing>()), &a);
    EXPECT_EQ(table.Acquire(nullptr, HandleKindOf<Thing>()), 0);
}

TEST(HandleTableTest, ASlotReusedManyTimesNeverRepeatsAHandle)
{
    HandleTable table;
    int x = 0;
    std::set<int32_t> seen;
    for (int i = 0; i < 5000; ++i) {
        int32_t h = table.Acquire(&x, HandleKindOf<Thing>());
        ASSERT_GT(h, 0);
        EXPECT_TRUE(seen.insert(h).second) << "handle repeated after " << i << " reuses";
        table.Release(h);
    }
}

TEST(HandleTableTest, AnObjectsHandleGoesWithItAndIsNotCopied)
{
    int32_t handle = 0;
    {
        Thing thing;
        handle = thing.mScriptHandle.Get(&thing);
        EXPECT_EQ(thing.mScriptHandle.Get(&thing), handle);  // taken once
        EXPECT_EQ(ObjectHandles().Resolve(handle, HandleKindOf<Thing>()), &thing);
        Thing copy = thing;
        EXPECT_FALSE(copy.mScriptHandle.IsTaken());
    }
    EXPECT_EQ(ObjectHandles().Resolve(handle, HandleKindOf<Thing>()), nullptr);
}

#include <gtest/gtest.h>
#include "base/Array.h"
#include "base/Vector.h"

using namespace KIV;

namespace {
// Reads the allocation counters around a block of array operations.
struct CounterWatch {
    int32_t alloc0 = StatGetInt(kStatArrayAllocate);
    int32_t realloc0 = StatGetInt(kStatArrayReallocate);
    int32_t free0 = StatGetInt(kStatArrayFree);
    int32_t Allocs() const { return StatGetInt(kStatArrayAllocate) - alloc0; }
    int32_t Reallocs() const { return StatGetInt(kStatArrayReallocate) - realloc0; }
    int32_t Frees() const { return StatGetInt(kStatArrayFree) - free0; }
};
} // namespace

TEST(Array, SetCapacityRulesAndCounters)
{
    Array<int32_t> a;
    {
        CounterWatch w;
        EXPECT_TRUE(a.SetCapacity(0, 0));
        EXPECT_EQ(w.Frees(), 0);
    }
    EXPECT_FALSE(a.SetCapacity(5, 6));
    EXPECT_FALSE(a.SetCapacity(-1, 0));
    EXPECT_EQ(a.Capacity(), 0);
    {
        CounterWatch w;
        EXPECT_TRUE(a.PushBack(1));
        EXPECT_EQ(w.Allocs(), 1);
        EXPECT_TRUE(a.PushBack(2));
        EXPECT_EQ(w.Reallocs(), 1);
    }
    for (int v = 3; v <= 5; ++v) a.PushBack(v);
    EXPECT_TRUE(a.SetCapacity(2, 2));
    ASSERT_EQ(a.Count(), 2);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    {
        CounterWatch w;
        a.Free();
        EXPECT_EQ(w.Frees(), 1);
        EXPECT_EQ(a.Capacity(), 0);
    }
}

TEST(Array, GrowthIsLinearAndNeverStallsOnABadStep)
{
    Array<int32_t> a(32);
    a.PushBack(7);
    EXPECT_EQ(a.Capacity(), 32);
    for (int32_t growBy : {0, -5}) {
        Array<int32_t> b(growBy);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(b.PushBack(i));
        EXPECT_EQ(b.Count(), 3);
        EXPECT_TRUE(b.InsertAt(0, 9));
        EXPECT_EQ(b[0], 9);
    }
}

TEST(Array, InsertRemoveAndSearch)
{
    Array<int32_t> a;
    EXPECT_FALSE(a.InsertAt(1, 5));
    a.InsertAt(0, 3);
    a.InsertAt(0, 1);
    a.InsertAt(1, 2);
    ASSERT_EQ(a.Count(), 3);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    EXPECT_EQ(a[2], 3);
    EXPECT_FALSE(a.AddUnique(2));
    EXPECT_TRUE(a.AddUnique(4));
    EXPECT_TRUE(a.RemoveValue(2));
    EXPECT_FALSE(a.RemoveValue(2));
    EXPECT_EQ(a.IndexOf(4), 2);
    EXPECT_TRUE(a.FillMinusOne());
    EXPECT_EQ(a[1], -1);
    Array<int32_t> empty;
    EXPECT_FALSE(empty.Fill(3));
}

TEST(Array, AssignKeepsTheTargetWhenTheSourceIsItself)
{
    Array<int32_t> a;
    a.PushBack(4);
    a.Assign(a);
    EXPECT_EQ(a.Count(), 1);
    Array<int32_t> b(8);
    b.PushBack(1);
    b.PushBack(2);
    Array<int32_t> c(b);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Capacity(), 8);
    EXPECT_EQ(c.GetGrowBy(), 8);
    EXPECT_NE(c.Data(), b.Data());
}

TEST(Array, WriteRangeIsBoundedByCapacity)
{
    Array<VectorF> a;
    a.SetCapacity(4, 1);
    VectorF src[3] = {{1, 1}, {2, 2}, {3, 3}};
    EXPECT_TRUE(a.WriteRange(1, 3, src));
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Data()[3], VectorF(3, 3));
    EXPECT_FALSE(a.WriteRange(2, 3, src));
    EXPECT_FALSE(a.WriteRange(-1, 1, src));

    a.SetCapacity(4, 2);
    float dst[6] = {};
    EXPECT_FALSE(a.CopyToInterleaved(dst, 16));
    EXPECT_TRUE(a.CopyToInterleaved(dst, 24));
    EXPECT_EQ(dst[4], 1.0f);
}

namespace {
struct Item {
    static int sAlive;
    int mValue = 0;
    Item() { ++sAlive; }
    Item(const Item& o) : mValue(o.mValue) { ++sAlive; }
    ~Item() { --sAlive; }
};
int Item::sAlive = 0;
} // namespace

TEST(PtrArray, SelectionFollowsInsertionsAndDeletions)
{
    struct Case {
        const char* what;
        int count;
        int selected;
        int deleteAt;
        int expected;
    } cases[] = {
        {"only element", 1, 0, 0, -1},
        {"second selected, first deleted", 2, 1, 0, 0},
        {"first selected, second deleted", 2, 0, 1, 0},
        {"first selected, first deleted", 2, 0, 0, 0},
        {"nothing selected", 3, -1, 1, -1},
    };
    for (const Case& c : cases) {
        PtrArray<Item> list;
        for (int i = 0; i < c.count; ++i) list.AppendNew();
        list.SetSelectedIndex(c.selected);
        EXPECT_TRUE(list.DeleteAt(c.deleteAt)) << c.what;
        EXPECT_EQ(list.GetSelectedIndex(), c.expected) << c.what;
    }
    EXPECT_EQ(Item::sAlive, 0);
}

TEST(PtrArray, AppendInsertAndOwnership)
{
    PtrArray<Item> list;
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    Item* a = list.AppendNew();
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    list.AppendNew();
    list.AppendNew();
    list.AppendNew();
    list.SetSelectedIndex(3);
    list.AppendNew();
    EXPECT_EQ(list.GetSelectedIndex(), 3);
    list.SetSelectedIndex(0);
    EXPECT_NE(list.InsertNew(0), nullptr);
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_EQ(list.GetSelected(), a);
    EXPECT_EQ(list.InsertNew(99), nullptr);
    EXPECT_FALSE(list.DeleteAt(99));
    PtrArray<Item> empty;
    empty.InsertNew(0);
    EXPECT_EQ(empty.GetSelectedIndex(), -1);
    EXPECT_EQ(empty.GetSelected(), nullptr);
    list.DeleteAll();
    empty.DeleteAll();
    EXPECT_EQ(Item::sAlive, 0);
}

TEST(StringArray, InsertKeepsOrderAndSlotsAreConstructed)
{
    StringArray s;
    s.PushBack("a");
    s.PushBack("b");
    s.PushBack("c");
    EXPECT_TRUE(s.InsertAt(2, "m1"));
    EXPECT_TRUE(s.InsertAt(3, "m2"));
    EXPECT_FALSE(s.InsertAt(9, "x"));
    const char* expected[] = {"a", "b", "m1", "m2", "c"};
    ASSERT_EQ(s.Count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s[i], expected[i]);
    EXPECT_EQ(s.IndexOf("m2"), 3);
    EXPECT_EQ(s.IndexOf("M2"), -1);
    StringArray t(s);
    EXPECT_EQ(t[4], "c");
    s.SetCapacity(8, 1);
    EXPECT_EQ(s[1], "");
}

TEST(Array, AppendingAnOwnElementSurvivesTheGrowth)
{
    // Growth by one slot reallocates on every append, moving the storage.
    Array<VectorF> a;
    a.PushBack({1, 2});
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(a.PushBack(a[0]));
        ASSERT_TRUE(a.InsertAt(1, a[a.Count() - 1]));
    }
    for (const VectorF& v : a) EXPECT_EQ(v, VectorF(1, 2));
}

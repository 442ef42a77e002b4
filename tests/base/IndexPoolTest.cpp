#include <gtest/gtest.h>
#include <vector>
#include "base/IndexPool.h"

using namespace KIV;

namespace {

enum class PoolOp { kInit, kAllocate, kRelease };

struct PoolStep {
    PoolOp op;
    int32_t arg;     // capacity for kInit, slot for kRelease
    int32_t expect;  // answer of Allocate / Release
};

struct PoolCase {
    const char* name;
    std::vector<PoolStep> steps;
    std::vector<int32_t> walk;  // used slots from head, newest first
};

PoolStep Init(int32_t n) { return {PoolOp::kInit, n, 0}; }
PoolStep Alloc(int32_t expect) { return {PoolOp::kAllocate, 0, expect}; }
PoolStep Release(int32_t slot, int32_t expect) { return {PoolOp::kRelease, slot, expect}; }

std::vector<int32_t> WalkFromHead(const IndexPool& pool)
{
    std::vector<int32_t> walk;
    for (int32_t s = pool.GetHead(); s != -1 && walk.size() <= 64; s = pool.GetNext(s)) walk.push_back(s);
    return walk;
}

std::vector<int32_t> WalkFromTail(const IndexPool& pool)
{
    std::vector<int32_t> walk;
    for (int32_t s = pool.GetTail(); s != -1 && walk.size() <= 64; s = pool.GetPrev(s)) walk.insert(walk.begin(), s);
    return walk;
}

} // namespace

TEST(IndexPool, AllocateReleaseAndWalk)
{
    const PoolCase cases[] = {
        {"full pool answers -1", {Init(2), Alloc(0), Alloc(1), Alloc(-1)}, {1, 0}},
        {"release answers the next slot of the walk", {Init(4), Alloc(0), Alloc(1), Alloc(2), Release(1, 0)}, {2, 0}},
        {"released slot is handed out first", {Init(4), Alloc(0), Alloc(1), Alloc(2), Release(1, 0), Alloc(1)},
         {1, 2, 0}},
        {"releasing the only slot empties the chain", {Init(4), Alloc(0), Release(0, -1)}, {}},
        {"releasing the head", {Init(3), Alloc(0), Alloc(1), Alloc(2), Release(2, 1)}, {1, 0}},
        {"releasing the tail", {Init(3), Alloc(0), Alloc(1), Alloc(2), Release(0, -1)}, {2, 1}},
        {"release while walking empties the pool",
         {Init(3), Alloc(0), Alloc(1), Alloc(2), Release(2, 1), Release(1, 0), Release(0, -1), Alloc(0)}, {0}},
        {"out-of-range slots are refused", {Init(4), Alloc(0), Release(-1, -1), Release(4, -1), Release(99, -1)}, {0}},
        // A second release would put slot 1 on the free chain twice and hand it to two owners.
        {"double release is refused",
         {Init(4), Alloc(0), Alloc(1), Alloc(2), Release(1, 0), Release(1, -1), Alloc(1), Alloc(3), Alloc(-1)},
         {3, 1, 2, 0}},
        {"a slot never handed out cannot be released", {Init(4), Alloc(0), Release(2, -1), Alloc(1)}, {1, 0}},
        {"re-init frees every slot", {Init(4), Alloc(0), Alloc(1), Alloc(2), Init(2), Alloc(0), Alloc(1), Alloc(-1)},
         {1, 0}},
        {"a pool never initialised hands out nothing", {Alloc(-1), Release(0, -1)}, {}},
    };
    for (const PoolCase& c : cases) {
        SCOPED_TRACE(c.name);
        IndexPool pool;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const PoolStep& step = c.steps[i];
            if (step.op == PoolOp::kInit) EXPECT_TRUE(pool.Init(step.arg));
            else if (step.op == PoolOp::kAllocate) EXPECT_EQ(pool.Allocate(), step.expect);
            else EXPECT_EQ(pool.Release(step.arg), step.expect);
        }
        EXPECT_EQ(WalkFromHead(pool), c.walk);
        EXPECT_EQ(WalkFromTail(pool), c.walk);
        EXPECT_EQ(pool.GetUsedCount(), static_cast<int32_t>(c.walk.size()));
        for (int32_t s : c.walk) EXPECT_TRUE(pool.IsInUse(s));
    }
}

namespace {

std::vector<int32_t> BucketValues(const BucketList& list, int32_t bucket)
{
    std::vector<int32_t> values;
    for (int32_t n = list.GetBucketHead(bucket); n != -1 && values.size() <= 64; n = list.GetNext(n))
        values.push_back(list.GetValue(n));
    return values;
}

} // namespace

TEST(BucketList, GrowsByGrowByWhenTheLastNodeIsReachedKeepingEveryList)
{
    struct Push {
        int32_t value;
        int32_t bucket;
        bool accepted;
        int32_t nodeCount;  // after the push
    };
    const Push pushes[] = {
        {10, 0, true, 4},  {11, 1, true, 4},  {12, 0, true, 4},
        {13, 2, true, 6},  // the free head reached the last node: one growth by 2
        {99, -1, false, 6}, {99, 3, false, 6},  // no such bucket; no node is used
        {14, 1, true, 6},  {15, 0, true, 8},  {16, 2, true, 8},
    };
    BucketList list;
    ASSERT_TRUE(list.Init(4, 3));
    list.SetGrowBy(2);
    for (const Push& p : pushes) {
        SCOPED_TRACE(p.value);
        EXPECT_EQ(list.PushFront(p.value, p.bucket), p.accepted);
        EXPECT_EQ(list.GetNodeCount(), p.nodeCount);
    }
    EXPECT_EQ(BucketValues(list, 0), (std::vector<int32_t>{15, 12, 10}));
    EXPECT_EQ(BucketValues(list, 1), (std::vector<int32_t>{14, 11}));
    EXPECT_EQ(BucketValues(list, 2), (std::vector<int32_t>{16, 13}));
}

TEST(BucketList, PoolSizedToNothingStillTakesValues)
{
    BucketList list;
    ASSERT_TRUE(list.Init(0, 1));
    for (int32_t v = 0; v < 5; ++v) EXPECT_TRUE(list.PushFront(v, 0));
    EXPECT_EQ(BucketValues(list, 0), (std::vector<int32_t>{4, 3, 2, 1, 0}));
}

namespace {

std::vector<int32_t> KeyWalk(const KeyedListPool& pool, int32_t key)
{
    std::vector<int32_t> nodes;
    for (int32_t n = pool.GetHead(key); n != -1 && nodes.size() <= 64; n = pool.GetNext(n)) nodes.push_back(n);
    return nodes;
}

} // namespace

TEST(KeyedListPool, HandsOutNodesPerKeyNewestFirst)
{
    struct Add {
        int32_t key;
        int32_t expect;
    };
    struct Case {
        const char* name;
        int32_t nodes, keys;
        std::vector<Add> adds;
        std::vector<std::pair<int32_t, std::vector<int32_t>>> walks;
    };
    const Case cases[] = {
        {"two nodes, then full", 2, 8, {{5, 0}, {5, 1}, {5, -1}}, {{5, {1, 0}}, {0, {}}}},
        {"keys out of range change nothing", 2, 8, {{8, -1}, {-1, -1}, {3, 0}}, {{3, {0}}}},
        {"lists of several keys", 4, 2, {{0, 0}, {1, 1}, {0, 2}, {0, 3}}, {{0, {3, 2, 0}}, {1, {1}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyedListPool pool;
        ASSERT_TRUE(pool.Init(c.nodes, c.keys));
        for (const Add& a : c.adds) EXPECT_EQ(pool.Add(a.key), a.expect);
        for (const auto& [key, walk] : c.walks) EXPECT_EQ(KeyWalk(pool, key), walk);
    }
}

TEST(KeyedListPool, InitEmptiesAndCopiesAreIndependent)
{
    KeyedListPool pool;
    ASSERT_TRUE(pool.Init(3, 4));
    pool.Add(1);
    pool.Add(1);
    KeyedListPool copy = pool;
    EXPECT_EQ(copy.Add(1), 2);
    EXPECT_EQ(KeyWalk(pool, 1), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(KeyWalk(copy, 1), (std::vector<int32_t>{2, 1, 0}));

    ASSERT_TRUE(pool.Init(2, 2));
    EXPECT_EQ(KeyWalk(pool, 1), std::vector<int32_t>{});
    EXPECT_EQ(pool.Add(0), 0);
    EXPECT_EQ(pool.GetKeyCount(), 2);
}

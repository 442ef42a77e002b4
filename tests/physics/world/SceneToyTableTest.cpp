#include <gtest/gtest.h>
#include <vector>
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

using namespace KIV;

namespace {

// A toy with a plain outline, entered into the scene's grid.
void GiveOutline(Scene& scene, Toy* toy, const VectorF& at)
{
    const VectorF corners[3] = {{0, 0}, {10, 0}, {0, 10}};
    for (const VectorF& c : corners) toy->mOutline.PushBack(at + c);
    toy->mPosition = at;
    ASSERT_TRUE(scene.GetGrid().InsertToy(*toy));
}

std::vector<Toy*> ListOf(const Scene& scene)
{
    std::vector<Toy*> list;
    for (Toy* t : scene.GetToys()) list.push_back(t);
    return list;
}

} // namespace

TEST(SceneToyTable, The2049thToyIsRefusedAndNothingChanges)
{
    Scene scene;
    for (int32_t i = 0; i < Scene::kMaxToys; ++i) ASSERT_NE(scene.NewToySlot(), nullptr) << i;
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), Scene::kMaxToys);
    const int32_t selected = scene.GetToys().GetSelectedIndex();
    EXPECT_EQ(scene.NewToySlot(), nullptr);
    EXPECT_EQ(scene.NewShotToySlot(scene.GetToy(0)), nullptr);
    EXPECT_EQ(scene.GetToyCount(), Scene::kMaxToys);
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), Scene::kMaxToys);
    EXPECT_EQ(scene.GetToys().GetSelectedIndex(), selected);

    // A removal frees exactly one slot, and the next toy takes it.
    Toy* victim = scene.GetToy(100);
    const int32_t slot = victim->mSlotIndex;
    ASSERT_TRUE(scene.RemoveToy(victim));
    Toy* again = scene.NewToySlot();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->mSlotIndex, slot);
}

TEST(SceneToyTable, ShotToysGoDirectlyAfterTheShooter)
{
    struct Case {
        const char* mName;
        int32_t mShooter;  // index in a list of 4, -1 for a toy not in the list
        int32_t mSelected;
        int32_t mExpectedIndex;
        int32_t mExpectedSelected;
    } const cases[] = {
        {"middle shooter", 1, 0, 2, 0},
        {"selection behind the insertion moves", 0, 2, 1, 3},
        {"selection at the insertion point moves", 2, 3, 3, 4},
        {"last shooter appends", 3, 3, 4, 3},
        {"unknown shooter inserts at the front", -1, 1, 0, 2},
    };
    for (const Case& c : cases) {
        Scene scene;
        for (int32_t i = 0; i < 4; ++i) scene.NewToySlot();
        scene.GetToys().Select(c.mSelected);
        Toy stranger;
        const Toy* shooter = c.mShooter >= 0 ? scene.GetToy(c.mShooter) : &stranger;
        Toy* shot = scene.NewShotToySlot(shooter);
        ASSERT_NE(shot, nullptr) << c.mName;
        EXPECT_EQ(scene.GetToys().IndexOf(shot), c.mExpectedIndex) << c.mName;
        EXPECT_EQ(scene.GetToys().GetSelectedIndex(), c.mExpectedSelected) << c.mName;
        EXPECT_EQ(shot->mSlotIndex, 4) << c.mName;
    }
    Scene empty;
    Toy stranger;
    ASSERT_NE(empty.NewShotToySlot(&stranger), nullptr);
    EXPECT_EQ(empty.GetToys().GetSelectedIndex(), 0) << "a list that becomes non-empty selects its first toy";
}

TEST(SceneToyTable, RemovingAToyNotInTheListReleasesNothing)
{
    Scene scene;
    Toy* a = scene.NewToySlot();
    scene.NewToySlot();
    EXPECT_FALSE(scene.RemoveToy(nullptr));
    // A toy of another scene that happens to hold slot 0: releasing that
    // slot here would hand it to two toys.
    Scene other;
    Toy* foreign = other.NewToySlot();
    ASSERT_EQ(foreign->mSlotIndex, a->mSlotIndex);
    EXPECT_FALSE(scene.RemoveToy(foreign));
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), 2);
    EXPECT_TRUE(scene.GetToySlots().IsInUse(a->mSlotIndex));
    EXPECT_EQ(scene.GetToyCount(), 2);
}

TEST(SceneToyTable, RemovalLeavesNothingPointingAtTheToy)
{
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid({0, 0, 500, 500}));
    Toy* a = scene.NewToySlot();
    Toy* b = scene.NewToySlot();
    Toy* c = scene.NewToySlot();
    GiveOutline(scene, a, {100, 100});
    GiveOutline(scene, b, {105, 105});
    GiveOutline(scene, c, {300, 300});
    // b has seen a in every list; c refuses a's slot; an island names a.
    ContactRecord withA;
    withA.mPartnerToy = a;
    ContactRecord withC;
    withC.mPartnerToy = c;
    b->mPointContacts.PushBack(withA);
    b->mPointContacts.PushBack(withC);
    b->mContactList2.PushBack(withA);
    b->mLineContacts.PushBack(withC);
    b->mLineContacts.PushBack(withA);
    b->mLineContacts[0].mLink = 1;
    PenetrationRecord penetration;
    penetration.mPartner = a;
    b->mPenetrationContacts.PushBack(penetration);
    PointInsideRecord inside;
    inside.mPartner = a;
    b->mPointRecords.PushBack(inside);
    c->mPairFlags[a->mSlotIndex] = 0;
    scene.mIslandOwners[0] = a;
    const int32_t slot = a->mSlotIndex;
    const int32_t entries = scene.GetGrid().GetToyStore().GetUsedNodeCount();

    ASSERT_TRUE(scene.RemoveToy(a));

    EXPECT_EQ(scene.GetGrid().GetToyStore().GetUsedNodeCount(), entries - 3) << "its grid entries went";
    EXPECT_EQ(scene.GetGrid().GetToyStore().GetUsedObjectCount(), 2);
    ASSERT_EQ(b->mPointContacts.Count(), 1);
    EXPECT_EQ(b->mPointContacts[0].mPartnerToy, c);
    EXPECT_EQ(b->mContactList2.Count(), 0);
    ASSERT_EQ(b->mLineContacts.Count(), 1);
    EXPECT_EQ(b->mLineContacts[0].mLink, -1) << "links into the shortened list are dropped";
    EXPECT_EQ(b->mPenetrationContacts.Count(), 0);
    EXPECT_EQ(b->mPointRecords[0].mPartner, nullptr);
    EXPECT_EQ(c->mPairFlags[slot], 1) << "the next toy in this slot starts colliding";
    EXPECT_EQ(scene.mIslandOwners[0], nullptr);
    EXPECT_FALSE(scene.GetToySlots().IsInUse(slot));

    // Every query still finds only live toys.
    GridSegmentQuery q;
    q.mFrom = {90, 130};
    q.mTo = {130, 90};
    GridSegmentHit hit;
    if (scene.GetGrid().QuerySegment(q, scene.GetGrid().GetQueryContext(), hit)) {
        EXPECT_NE(hit.mToy, a);
    }
}

TEST(SceneToyTable, DeleteAllToysEmptiesTheTableAndTheGrid)
{
    Scene scene;
    ASSERT_TRUE(scene.SetupGrid({0, 0, 500, 500}));
    for (int32_t i = 0; i < 5; ++i) GiveOutline(scene, scene.NewToySlot(), {50.0f * i, 40.0f});
    scene.DeleteAllToys();
    EXPECT_EQ(scene.GetToyCount(), 0);
    EXPECT_EQ(scene.GetToys().GetSelectedIndex(), -1);
    EXPECT_EQ(scene.GetToySlots().GetUsedCount(), 0);
    EXPECT_EQ(scene.GetGrid().GetToyStore().GetUsedObjectCount(), 0);
    EXPECT_EQ(scene.GetGrid().GetToyStore().GetUsedEntryCount(), 0);
}

TEST(SceneToyTable, MarkToyPairsSetsBothDirections)
{
    Scene scene;
    Toy* a = scene.NewToySlot();
    Toy* b = scene.NewToySlot();
    Toy* c = scene.NewToySlot();
    for (Toy* t : {a, b, c})
        for (Toy* u : {a, b, c}) t->mPairFlags[u->mSlotIndex] = 0;
    Toy* list[3] = {b, nullptr, c};
    Scene::MarkToyPairs(list, 3, a);
    EXPECT_EQ(a->mPairFlags[b->mSlotIndex], 1);
    EXPECT_EQ(b->mPairFlags[a->mSlotIndex], 1);
    EXPECT_EQ(a->mPairFlags[c->mSlotIndex], 1);
    EXPECT_EQ(c->mPairFlags[a->mSlotIndex], 1);
    EXPECT_EQ(b->mPairFlags[c->mSlotIndex], 0) << "pairs outside the toy are left alone";
    EXPECT_EQ(ListOf(scene).size(), 3u);
}

TEST(SceneToyTable, SumsOverTheList)
{
    Scene scene;
    Toy* a = scene.NewToySlot();
    Toy* b = scene.NewToySlot();
    a->mOutline.Resize(5);
    b->mOutline.Resize(7);
    b->mPenetrationContacts.Resize(2);
    Toy* list[3] = {a, nullptr, b};
    EXPECT_EQ(Scene::SumToyPointCounts(list, 3), 12);
    EXPECT_EQ(Scene::SumToyContactCounts(list, 3), 2);
}

#include <gtest/gtest.h>
#include "game/LayerList.h"

using namespace KIV;

TEST(LayerList, DefaultStack)
{
    LayerList l;
    l.SetDefaultLayers();
    EXPECT_EQ(l.GetMinIndex(), -13);
    EXPECT_EQ(l.GetMaxIndex(), 13);
    EXPECT_EQ(l.GetLayerCount(), 27);
    EXPECT_EQ(l.GetLayer(-13)->mFactor, 0.05f);
    EXPECT_EQ(l.GetLayer(13)->mFactor, 1.9f);
    EXPECT_EQ(l.GetLayer(-4)->mFactor, 0.9f);
    EXPECT_FALSE(l.AddLayer(15, 1.0f));
    EXPECT_TRUE(l.AddLayer(14, 2.0f));
    EXPECT_EQ(l.GetMaxIndex(), 14);
    EXPECT_EQ(l.GetLayer(14)->mFactor, 2.0f);
}

TEST(LayerList, TheFirstLayerIsAlwaysZero)
{
    for (int32_t index : {0, 1, -1}) {
        LayerList l;
        EXPECT_TRUE(l.AddLayer(index, 0.5f));
        EXPECT_TRUE(l.LayerExists(0));
        EXPECT_EQ(l.GetMinIndex(), 0);
        EXPECT_EQ(l.GetMaxIndex(), 0);
    }
}

TEST(LayerList, ViewsAndConversions)
{
    LayerList l;
    l.SetDefaultLayers();
    l.UpdateViews({1920, 1080}, {100, 50}, VectorF(0.3f, 0.3f) * 1.2f, 0.0f);
    DepthLayer* front = l.GetLayer(0);
    EXPECT_NEAR(front->mViewMax.mX - front->mViewMin.mX, 480.0f, 0.1f);
    EXPECT_NEAR(front->mViewMax.mY - front->mViewMin.mY, 270.0f, 0.1f);
    DepthLayer* back = l.GetLayer(-13);
    EXPECT_NEAR(back->mViewMax.mX - back->mViewMin.mX, 9600.0f, 1.0f);
    EXPECT_NEAR(back->mViewMax.mY - back->mViewMin.mY, 5400.0f, 1.0f);

    VectorF w = l.ConvertPoint(0, {0.5f, 0.5f});
    EXPECT_NEAR(w.mX, 100.0f, 1e-3f);
    VectorF v = l.WorldToView(0, w);
    EXPECT_NEAR(v.mX, 0.5f, 1e-5f);
    EXPECT_EQ(l.ConvertPoint(40, {0.25f, 0.75f}), VectorF(0.25f, 0.75f));
    EXPECT_EQ(l.ConvertVector(-40, {2, 3}), VectorF(2, 3));
}

TEST(LayerList, ItemListsFindObjectsThatMoved)
{
    LayerList l;
    l.SetDefaultLayers();
    auto* a = reinterpret_cast<BendObject*>(0x10);
    auto* b = reinterpret_cast<BendObject*>(0x20);
    EXPECT_TRUE(l.AddTerrainObject(a, 2));
    EXPECT_TRUE(l.AddTerrainObject(b, 2));
    EXPECT_FALSE(l.AddTerrainObject(a, 20));
    EXPECT_FALSE(l.AddTerrainObject(nullptr, 0));
    // The object now claims layer 5 but is still listed in layer 2.
    EXPECT_TRUE(l.RemoveTerrainObject(a, 5));
    EXPECT_EQ(l.GetLayer(2)->mTerrainObjects.Count(), 1);
    EXPECT_FALSE(l.RemoveTerrainObject(a, 2));
    EXPECT_FALSE(l.RemoveTerrainObject(nullptr, 2));
}

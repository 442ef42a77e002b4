#pragma once
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>
#include "base/Notices.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

namespace KIV {

// A game object over a temporary data root with one ground picture, and the
// settings record restored afterwards.
class GameFixture : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        // Damaged files are loaded on purpose: their notices are checked, not printed.
        Notices().Clear();
        Notices().SetEchoToStderr(false);
        mSavedSettings = *gSettings;
        Write("Ground\\g.png", TestPicture::Filled(64, 32, 90, 60, 30));
        // Every level start shows rock debris, as in the shipped tree.
        Write("Particles\\rock.png", TestPicture::Filled(16, 16, 200, 200, 200));
        mGame = std::make_unique<KIVGame>();
        mTextures = std::make_unique<TextureLib>(Root());
        mGame->mTextureLib = mTextures.get();
        mGame->mDataRoot = mFolder.Path();
        mGame->SetupGrid(RectF(-4000, -4000, 4000, 4000));
        mGame->mLayers.SetDefaultLayers();
    }
    void TearDown() override
    {
        mGame.reset();
        mTextures.reset();
        *gSettings = mSavedSettings;
        Notices().SetEchoToStderr(true);
        Notices().Clear();
        PictureFolderTest::TearDown();
    }
    BendObject* AddGround(int32_t layer, const VectorF& offset)
    {
        BendObject* o = mGame->mTerrainObjects.AppendNew();
        EXPECT_TRUE(o->SetTexture(*mTextures, "Ground\\g.png"));
        o->Move(offset);
        o->SetLayer(layer);
        return o;
    }
    std::string Bytes(const std::string& path) { return mFolder.ReadFile(path.substr(mFolder.Path().size())); }

    GameSettings mSavedSettings;
    std::unique_ptr<KIVGame> mGame;
    std::unique_ptr<TextureLib> mTextures;
};

// A round toy: outline points every few units, as a traced picture gives.
inline Toy* AddRoundToy(KIVGame& g, float side, const VectorF& at)
{
    VectorF ring[40];
    for (int i = 0; i < 40; ++i) {
        float a = kTwoPi * float(i) / 40.0f;
        ring[i] = VectorF(std::cos(a), std::sin(a)) * (0.5f * side);
    }
    Toy* toy = g.NewToySlot();
    if (!toy || !toy->BuildFromPolygon(ring, 40, 1.0f, at, 0.0f)) return nullptr;
    g.mGrid.InsertToy(*toy);
    return toy;
}

} // namespace KIV

#pragma once
#include <memory>
#include <string>
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

// A textures folder made at test time with a texture library over it, for the
// terrain-object tests. Pictures go in sub-folders so the library lists them.
class TerrainPictureTest : public PictureFolderTest {
protected:
    static TestPicture Opaque(int32_t w, int32_t h)
    {
        TestPicture p(w, h);
        p.FillRect(0, 0, w, h, 120, 90, 60);
        return p;
    }
    // Writes the pictures first, then opens the library so its scan lists them.
    KIV::TextureLib& Library()
    {
        if (!mLibrary) {
            std::string root = mFolder.Path();
            root.pop_back();
            mLibrary = std::make_unique<KIV::TextureLib>(root);
        }
        return *mLibrary;
    }
    void TearDown() override
    {
        mLibrary.reset();
        PictureFolderTest::TearDown();
    }

    std::unique_ptr<KIV::TextureLib> mLibrary;
};

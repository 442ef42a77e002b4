#include <gtest/gtest.h>
#include <unistd.h>
#include <chrono>
#include <filesystem>
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

// Counts how many caches of a texture were dropped.
struct CountingCache : TextureCache {
    explicit CountingCache(int* dropped) : mDropped(dropped) {}
    ~CountingCache() override { ++*mDropped; }
    int* mDropped;
};

class TextureLibTest : public PictureFolderTest {
protected:
    static TestPicture Opaque(int32_t w, int32_t h) { return TestPicture::Filled(w, h, 9, 8, 7); }
    void Touch(const std::string& name, int seconds)
    {
        const auto path = OsPath(name);
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(seconds));
    }
    static std::vector<std::string> Names(const StringArray& list)
    {
        std::vector<std::string> v;
        for (int32_t i = 0; i < list.Count(); ++i) v.push_back(list[i]);
        return v;
    }
};

TEST_F(TextureLibTest, ScanListsSubFoldersDepthFirstAndFilesGroupedByMask)
{
    Write("top.png", Opaque(2, 2));  // lies directly in the folder: not listed
    Write("B\\b.png", Opaque(2, 2));
    Write("A\\z.png", Opaque(2, 2));
    Write("A\\b.jpg", Opaque(2, 2));
    Write("A\\c.jpeg", Opaque(2, 2));
    Write("A\\A1\\deep.png", Opaque(2, 2));
    mFolder.WriteFile("A\\notes.txt", "x");

    TextureLib lib(Root());
    EXPECT_EQ(gTextureLib, &lib);
    EXPECT_EQ(Names(lib.mCurrent.mFolderNames), (std::vector<std::string>{"A", "A\\A1", "B"}));
    EXPECT_EQ(Names(lib.mCurrent.mFileNames),
              (std::vector<std::string>{"A\\z.png", "A\\b.jpg", "A\\c.jpeg", "A\\A1\\deep.png", "B\\b.png"}));
    ASSERT_EQ(lib.mCurrent.mFolderRanges.Count(), 3);
    EXPECT_EQ(lib.mCurrent.mFolderRanges[0].mEnd, 3);
    EXPECT_EQ(lib.mCurrent.mFolderRanges[2].mFirst, 4);
    EXPECT_EQ(lib.mCurrent.mFileTimes.Count(), 5);
    // One record per file, none read yet.
    EXPECT_EQ(lib.GetNamedTextureCount(), 5);
    EXPECT_EQ(mRegistry.Count(), 0);

    // A file lying directly in the folder can still be requested by name.
    ASSERT_NE(lib.GetTexture("top.png"), nullptr);
    EXPECT_EQ(lib.GetNamedTextureCount(), 6);
}

TEST_F(TextureLibTest, GetTextureCreatesOnceAndRetriesAMissingFileOnEveryRequest)
{
    Write("S\\a.png", Opaque(3, 3));
    TextureLib lib(Root());
    const int32_t count = lib.GetNamedTextureCount();

    EXPECT_EQ(lib.GetTexture(""), nullptr);
    EXPECT_EQ(lib.GetNamedTextureCount(), count);

    Texture* a = lib.GetTexture("S\\a.png");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->mReady);
    EXPECT_EQ(lib.GetTexture("S\\a.png"), a);

    EXPECT_EQ(lib.GetTexture("S\\late.png"), nullptr);
    EXPECT_EQ(lib.GetTexture("S\\late.png"), nullptr);
    EXPECT_EQ(lib.GetNamedTextureCount(), count + 1);
    Write("S\\late.png", Opaque(4, 2));
    Texture* late = lib.GetTexture("S\\late.png");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->mTextureSize, VectorI(4, 2));
    EXPECT_EQ(lib.GetNamedTextureCount(), count + 1);
}

TEST_F(TextureLibTest, PicturesComeFromTheLibraryFolderNotTheCurrentDirectory)
{
    Write("S\\a.png", Opaque(3, 3));
    TempFolder elsewhere;
    elsewhere.WriteFile("junk", "");
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(ToOsPath(elsewhere.Path()));
    TextureLib lib(Root());
    Texture* a = lib.GetTexture("S\\a.png");
    std::filesystem::current_path(saved);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->mTextureSize, VectorI(3, 3));
    EXPECT_EQ(GetTexturesDirectory(), Root() + "\\");
}

TEST_F(TextureLibTest, RescanAfterATouchReloadsThatPictureAndDropsOnlyItsCaches)
{
    Write("S\\a.png", Opaque(3, 3));
    Write("S\\b.png", Opaque(2, 2));
    TextureLib lib(Root());
    Texture* a = lib.GetTexture("S\\a.png");
    Texture* aCrop = lib.GetTexture("S\\a.png:0,0,2,2");
    Texture* b = lib.GetTexture("S\\b.png");
    ASSERT_TRUE(a && aCrop && b);
    int droppedA = 0, droppedB = 0;
    a->SetCache(kTextureOutlineCache, std::make_unique<CountingCache>(&droppedA));
    aCrop->SetCache(kTextureFragmentCache, std::make_unique<CountingCache>(&droppedA));
    b->SetCache(kTextureOutlineCache, std::make_unique<CountingCache>(&droppedB));
    TextureUpload* fakeHandle = reinterpret_cast<TextureUpload*>(0x10);
    a->SetRendererHandle(fakeHandle);
    b->SetRendererHandle(fakeHandle);

    lib.Rescan();
    EXPECT_EQ(droppedA, 0) << "nothing changed";

    Write("S\\a.png", Opaque(5, 4));
    Touch("S\\a.png", 10);
    lib.Rescan();
    EXPECT_EQ(droppedA, 2);
    EXPECT_EQ(droppedB, 0);
    EXPECT_EQ(a->GetRendererHandle(), nullptr);
    EXPECT_EQ(b->GetRendererHandle(), fakeHandle);
    EXPECT_TRUE(a->mReady);
    EXPECT_EQ(a->mTextureSize, VectorI(5, 4));
    EXPECT_EQ(lib.GetTexture("S\\a.png"), a);
}

TEST_F(TextureLibTest, RescanAfterADeleteResetsAndAfterARestorePreparesAgain)
{
    Write("S\\a.png", Opaque(3, 3));
    TextureLib lib(Root());
    Texture* a = lib.GetTexture("S\\a.png");
    ASSERT_NE(a, nullptr);
    ImageFile* image = a->mImage;

    std::filesystem::remove(OsPath("S\\a.png"));
    lib.Rescan();
    EXPECT_FALSE(a->mReady);
    EXPECT_EQ(a->mImage, nullptr);
    EXPECT_FALSE(image->mLoaded);
    EXPECT_EQ(mRegistry.Count(), 1) << "the record stays registered";
    EXPECT_EQ(lib.GetTexture("S\\a.png"), nullptr);
    EXPECT_EQ(lib.mCurrent.mFileNames.Count(), 0);

    Write("S\\a.png", Opaque(6, 2));
    lib.Rescan();
    EXPECT_EQ(lib.mCurrent.mFileNames.Count(), 1);
    Texture* again = lib.GetTexture("S\\a.png");
    ASSERT_EQ(again, a);
    EXPECT_TRUE(a->mReady);
    EXPECT_EQ(a->mImage, image);
    EXPECT_EQ(a->mTextureSize, VectorI(6, 2));
}

TEST_F(TextureLibTest, RescanFindsNewFoldersAndAFileThatNoLongerDecodesIsDropped)
{
    Write("S\\a.png", Opaque(3, 3));
    Write("T\\t.png", Opaque(3, 3));
    TextureLib lib(Root());
    Texture* a = lib.GetTexture("S\\a.png");
    ASSERT_NE(a, nullptr);

    Write("S\\Sub\\n.png", Opaque(2, 2));
    mFolder.WriteFile("S\\a.png", "no longer a picture");
    Touch("S\\a.png", 10);
    lib.Rescan();
    EXPECT_EQ(Names(lib.mCurrent.mFolderNames), (std::vector<std::string>{"S", "S\\Sub", "T"}));
    EXPECT_NE(lib.FindTexture("S\\Sub\\n.png"), nullptr);
    EXPECT_FALSE(a->mReady);
    EXPECT_EQ(a->mImage, nullptr);
    EXPECT_EQ(lib.GetTexture("S\\a.png"), nullptr);
}

TEST_F(TextureLibTest, BlankTexturesSelectionAndForgettingGLTextures)
{
    TextureLib lib(Root());
    EXPECT_EQ(lib.CreateTexture({100, 64}), nullptr);
    EXPECT_EQ(lib.GetGeneratedTextureCount(), 0);
    Texture* blank = lib.CreateTexture({64, 64});
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(lib.GetGeneratedTextureCount(), 1);

    Write("S\\a.png", Opaque(3, 3));
    Texture* a = lib.GetTexture("S\\a.png");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(lib.SelectTexture("S\\a.png"));
    EXPECT_FALSE(lib.SelectTexture("S\\unknown.png"));
    EXPECT_EQ(lib.mSelectedName, "S\\a.png");

    TextureUpload* fakeHandle = reinterpret_cast<TextureUpload*>(0x10);
    a->SetRendererHandle(fakeHandle);
    blank->SetRendererHandle(fakeHandle);
    lib.ForgetGLTextures();
    EXPECT_EQ(a->GetRendererHandle(), nullptr);
    EXPECT_EQ(blank->GetRendererHandle(), nullptr);
}

TEST_F(TextureLibTest, ToyInstancesShareTheirPictureCachesAndAreReleased)
{
    Write("S\\a.png", Opaque(3, 3));
    TextureLib lib(Root());
    static int released = 0;
    released = 0;
    lib.SetReleaseHandler([](Texture&) { ++released; });

    EXPECT_EQ(lib.MakeInstanceName("S\\a.png"), "S\\a.png|1");
    EXPECT_EQ(lib.MakeInstanceName("S\\a.png"), "S\\a.png|2");
    EXPECT_EQ(lib.MakeInstanceName("S\\a.png|x"), "S\\a.png|x");
    EXPECT_EQ(lib.GetInstanceCounter(), 2);

    Texture* base = lib.FindTexture("S\\a.png");
    ASSERT_NE(base, nullptr);
    const int32_t count = lib.GetNamedTextureCount();
    for (int i = 0; i < 50; ++i) {
        Texture* t = lib.AcquireTexture(lib.MakeInstanceName("S\\a.png"));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->GetCacheOwner(), base);
        EXPECT_EQ(t->mKeptPixels.Count(), 9);
        EXPECT_TRUE(lib.ReleaseTexture(t));
    }
    EXPECT_EQ(lib.GetNamedTextureCount(), count);
    EXPECT_EQ(released, 50);

    // A shared picture stays however often it is let go.
    ASSERT_EQ(lib.AcquireTexture("S\\a.png"), base);
    EXPECT_FALSE(lib.ReleaseTexture(base));
    EXPECT_FALSE(lib.ReleaseTexture(base));
    EXPECT_EQ(lib.FindTexture("S\\a.png"), base);
    EXPECT_EQ(base->GetCacheOwner(), base);

    // An instance held twice (a name given with its "|" part) lives until
    // its last holder lets go.
    Texture* twice = lib.AcquireTexture("S\\a.png|saved");
    ASSERT_EQ(lib.AcquireTexture("S\\a.png|saved"), twice);
    EXPECT_FALSE(lib.ReleaseTexture(twice));
    EXPECT_EQ(lib.FindTexture("S\\a.png|saved"), twice);
    EXPECT_TRUE(lib.ReleaseTexture(twice));
    EXPECT_EQ(lib.FindTexture("S\\a.png|saved"), nullptr);

    // A failed request leaves no instance, but the plain picture's record stays.
    EXPECT_EQ(lib.AcquireTexture("S\\c.png|1"), nullptr);
    EXPECT_EQ(lib.FindTexture("S\\c.png|1"), nullptr);
    EXPECT_NE(lib.FindTexture("S\\c.png"), nullptr);
    EXPECT_EQ(lib.GetNamedTextureCount(), count + 1);
}

} // namespace

#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include "GLFixture.h"
#include "base/Statistics.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"
#include "support/PictureFolder.h"

// A GL test with a textures folder made at test time and a texture library
// over it (the program-wide one while it lives); the picture registry and the
// textures folder are put back afterwards. Pictures are written first, then
// OpenLibrary scans them.
class LibraryGLTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped()) return;
        mSavedRegistry = KIV::gImageFiles;
        mSavedDirectory = KIV::GetTexturesDirectory();
        KIV::gImageFiles = &mRegistry;
        mStatistics.InitItems();
    }
    void TearDown() override
    {
        mLib.reset();
        if (mSavedRegistry) KIV::gImageFiles = mSavedRegistry;
        if (!mSavedDirectory.empty()) KIV::SetTexturesDirectory(mSavedDirectory);
        GLTest::TearDown();
    }
    void Write(const std::string& name, const TestPicture& picture)
    {
        std::filesystem::create_directories(std::filesystem::path(KIV::ToOsPath(mFolder.PathOf(name))).parent_path());
        ASSERT_TRUE(picture.Save(mFolder.PathOf(name)));
    }
    void OpenLibrary()
    {
        std::string root = mFolder.Path();
        root.pop_back();
        mLib = std::make_unique<KIV::TextureLib>(root);
    }

    TempFolder mFolder;
    KIV::ImageFileRegistry mRegistry;
    KIV::ImageFileRegistry* mSavedRegistry = nullptr;
    std::string mSavedDirectory;
    std::unique_ptr<KIV::TextureLib> mLib;
    KIV::Statistics mStatistics;
};

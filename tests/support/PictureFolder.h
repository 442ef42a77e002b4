#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include "render/ImageFile.h"
#include "support/PictureWriter.h"
#include "support/TempFolder.h"

// A temporary textures folder with a fresh image registry of its own, so
// pictures of one test never meet another test's records.
class PictureFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedRegistry = KIV::gImageFiles;
        mSavedDirectory = KIV::GetTexturesDirectory();
        KIV::gImageFiles = &mRegistry;
        KIV::SetTexturesDirectory(mFolder.Path());
    }
    void TearDown() override
    {
        KIV::gImageFiles = mSavedRegistry;
        KIV::SetTexturesDirectory(mSavedDirectory);
    }

    // name relative to the textures folder, "\" separated
    void Write(const std::string& name, const TestPicture& picture)
    {
        std::filesystem::create_directories(std::filesystem::path(KIV::ToOsPath(mFolder.PathOf(name))).parent_path());
        ASSERT_TRUE(picture.Save(mFolder.PathOf(name))) << name;
    }
    // The folder without its trailing "\", as a texture library takes it.
    std::string Root() const
    {
        std::string root = mFolder.Path();
        root.pop_back();
        return root;
    }
    std::string OsPath(const std::string& name) const { return KIV::ToOsPath(mFolder.PathOf(name)); }

    TempFolder mFolder;
    KIV::ImageFileRegistry mRegistry;
    KIV::ImageFileRegistry* mSavedRegistry = nullptr;
    std::string mSavedDirectory;
};

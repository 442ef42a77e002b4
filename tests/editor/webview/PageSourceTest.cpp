#include <gtest/gtest.h>

#include "base/Notices.h"
#include "base/Platform.h"
#include "editor/webview/PageSource.h"
#include "editor/webview/pak/PakWriter.h"
#include "support/TempFolder.h"

#include <filesystem>

using namespace KIV;

namespace {

class PageSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mRoot = ToOsPath(mFolder.Path());
        mRoot.pop_back();
        std::filesystem::create_directories(mRoot + "/Editor");
        mFolder.WriteFile("Editor\\loose.html", "from the folder");
        mFolder.WriteFile("secret.txt", "not a page");
        PakWriter pack;
        pack.Add("packed.html", {'p', 'a', 'k'});
        pack.Add("loose.html", {'o', 'l', 'd'});
        pack.Add("img/pic.png", {'P', 'N', 'G'});
        ASSERT_EQ(pack.WriteTo(mRoot + "/Editor.pak"), "");
        mPages.AllowFolder(mRoot + "/Editor");
        Notices().SetEchoToStderr(false);
        Notices().Clear();
    }
    void TearDown() override { Notices().SetEchoToStderr(true); }

    std::string Fetch(const std::string& path, std::string& error)
    {
        std::vector<uint8_t> bytes;
        error = mPages.Fetch(path, bytes);
        return std::string(bytes.begin(), bytes.end());
    }

    TempFolder mFolder;
    std::string mRoot;
    PageSource mPages;
};

} // namespace

TEST_F(PageSourceTest, FilesComeFromTheFolderFirstThenFromThePack)
{
    std::string error;
    EXPECT_EQ(Fetch(mRoot + "/Editor/loose.html", error), "from the folder");
    EXPECT_EQ(error, "");
    EXPECT_EQ(Fetch(mRoot + "/Editor/packed.html", error), "pak");
    EXPECT_EQ(Fetch(mRoot + "/Editor/img/pic.png", error), "PNG");
    Fetch(mRoot + "/Editor/none.html", error);
    EXPECT_NE(error.find("no such page"), std::string::npos);
}

TEST_F(PageSourceTest, NothingOutsideTheAllowedFoldersIsServed)
{
    const std::string refused[] = {
        mRoot + "/secret.txt",
        mRoot + "/Editor/../secret.txt",
        mRoot + "/Editor/./loose.html",
        mRoot + "/Editor.pak",
        "/etc/passwd",
        "relative/page.html",
        mRoot + "/Editorial/x.html",
    };
    for (const std::string& path : refused) {
        std::string error;
        EXPECT_EQ(Fetch(path, error), "") << path;
        EXPECT_NE(error.find("refused"), std::string::npos) << path << ": " << error;
    }
}

TEST_F(PageSourceTest, ADamagedPackIsReportedOnceAndServesNothing)
{
    std::string bytes = mFolder.ReadFile("Editor.pak");
    bytes.resize(bytes.size() - 1);
    mFolder.WriteFile("Editor.pak", bytes);
    std::string error;
    EXPECT_EQ(Fetch(mRoot + "/Editor/packed.html", error), "");
    EXPECT_NE(error.find("Editor.pak"), std::string::npos) << error;
    Fetch(mRoot + "/Editor/img/pic.png", error);
    EXPECT_EQ(Notices().GetReportedCount(), 1);
    EXPECT_NE(Notices().GetLast().find("cut"), std::string::npos) << Notices().GetLast();
    // The folder still serves its own files.
    EXPECT_EQ(Fetch(mRoot + "/Editor/loose.html", error), "from the folder");
}

TEST(PageSourceMime, TypesFollowTheExtensionWithoutCase)
{
    EXPECT_EQ(PageSource::GetMimeType("/a/B.HTML"), "text/html");
    EXPECT_EQ(PageSource::GetMimeType("/a/s.js"), "text/javascript");
    EXPECT_EQ(PageSource::GetMimeType("/a.b/noext"), "application/octet-stream");
}

// The page-description tool, run as the build runs it: its file is what the
// builder reads back, and a description it cannot take stops the build.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "base/MemoryStream.h"
#include "base/Platform.h"
#include "editor/EdyBuilder.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {

class PageGenTest : public ::testing::Test {
protected:
    // Every mode page gets a one-line description unless the test wrote its own.
    void WriteDescriptions(const std::string& common, const std::string& scene)
    {
        mFolder.WriteFile("common.js", common);
        for (int32_t i = 0; i < EdyBuilder::kPageCount; ++i) {
            const std::string name = std::string(EdyBuilder::kPageNames[i]) + ".js";
            mFolder.WriteFile(name, i == 0 ? scene : "add_new_line(\"nl" + std::to_string(i) + "\", \"\");\n");
        }
    }
    int Run()
    {
        std::string folder = ToOsPath(mFolder.Path());
        folder.pop_back();
        const std::string command = std::string(KIV_PAGEGEN_PROGRAM) + " '" + folder + "' '" +
                                    ToOsPath(mFolder.PathOf("out.kiv")) + "' 2>'" + ToOsPath(mFolder.PathOf("err.txt")) +
                                    "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempFolder mFolder;
};

TEST_F(PageGenTest, EveryModePageStartsWithTheCommonControlsAndKeepsCommasInsideItsTexts)
{
    WriteDescriptions("// the switch\nadd_button(\"nav0\", \"Scene\", 56, \"\", \"kiv:EdyRequestEditWhat(0)\");\n",
                      "add_label(\"l\", \"a, b\", \"kiv:EdyUpdateLabel('l', f(1, 2))\", \"\", \"\", true, \"\");\n");
    ASSERT_EQ(Run(), 0) << mFolder.ReadFile("err.txt");

    MemoryStream stream;
    ASSERT_TRUE(stream.LoadFromFile(mFolder.PathOf("out.kiv")));
    EdyBuilder builder;
    builder.Read(stream);
    ASSERT_EQ(builder.GetPageCount(), EdyBuilder::kPageCount);
    for (int32_t i = 0; i < EdyBuilder::kPageCount; ++i) {
        const EdyPage* page = builder.GetPage(i);
        EXPECT_EQ(page->mName, EdyBuilder::kPageNames[i]);
        ASSERT_EQ(page->mControls.size(), 2u) << page->mName;
        EXPECT_EQ(page->mControls[0]->mType, "button");
        EXPECT_EQ(page->mControls[0]->mValues[4], "\"kiv:EdyRequestEditWhat(0)\"");
    }
    const EdyControl& label = *builder.GetPage(0)->mControls[1];
    EXPECT_EQ(label.mType, "label");
    EXPECT_EQ(label.mValues[1], "\"a, b\"");
    EXPECT_EQ(label.mValues[2], "\"kiv:EdyUpdateLabel('l', f(1, 2))\"");
}

TEST_F(PageGenTest, AStatementThePageCannotTakeStopsTheBuildAndNamesItsLine)
{
    struct Case {
        const char* mScene;
        const char* mMessage;
    };
    const Case cases[] = {
        {"add_label(\"a\", \"A\");\nadd_labell(\"b\", \"B\");\n", "kiv_edit_scene.js:2:"},
        {"add_label(\"a\", \"A\");\n\nadd_label(\"a\", \"again\");\n", "kiv_edit_scene.js:3:"},
    };
    for (const Case& c : cases) {
        WriteDescriptions("", c.mScene);
        EXPECT_EQ(Run(), 1) << c.mScene;
        EXPECT_NE(mFolder.ReadFile("err.txt").find(c.mMessage), std::string::npos) << mFolder.ReadFile("err.txt");
    }
}

} // namespace

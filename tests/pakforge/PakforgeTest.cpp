#include <gtest/gtest.h>

#include "editor/webview/pak/PakReader.h"
#include "support/TempFolder.h"

#include <sys/wait.h>

#include <filesystem>

using namespace KIV;

namespace {

struct RunResult {
    int mExit = 0;
    std::string mOut;
    std::string mErr;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class PakforgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mBase = ToOsPath(mFolder.Path());
        std::filesystem::create_directories(mBase + "in/css/.svn");
        std::filesystem::create_directories(mBase + "in/deep/er");
        std::filesystem::create_directories(mBase + "out");
        mFolder.WriteFile("in\\index.html", "<html>index</html>");
        mFolder.WriteFile("in\\css\\style.css", "body { margin: 0 }");
        mFolder.WriteFile("in\\css\\.svn\\entries", "svn");
        mFolder.WriteFile("in\\deep\\er\\data.bin", std::string("\0\1\2\xff", 4));
        mFolder.WriteFile("in\\Project.SUO", "suo");
        mFolder.WriteFile("in\\empty.txt", "");
    }

    RunResult Pakforge(const std::vector<std::string>& args)
    {
        std::string command = KIV_PAKFORGE_PROGRAM;
        for (const std::string& a : args) command += " " + Quote(a);
        command += " >" + Quote(mBase + "stdout") + " 2>" + Quote(mBase + "stderr");
        const int status = std::system(command.c_str());
        RunResult run;
        run.mExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
        run.mOut = mFolder.ReadFile("stdout");
        run.mErr = mFolder.ReadFile("stderr");
        return run;
    }

    std::map<std::string, std::string> ReadPack(const std::string& osPath)
    {
        PakFile pack;
        EXPECT_EQ(pack.Load(osPath), "");
        std::map<std::string, std::string> files;
        for (const PakReader::Entry& e : pack.GetReader().GetEntries()) {
            std::span<const uint8_t> bytes;
            EXPECT_TRUE(pack.GetReader().Find(e.mName, bytes));
            files[e.mName] = std::string(bytes.begin(), bytes.end());
        }
        return files;
    }

    TempFolder mFolder;
    std::string mBase;
};

} // namespace

TEST_F(PakforgeTest, EveryFileReadsBackByteEqualAndTwoRunsGiveTheSameBytes)
{
    const RunResult run = Pakforge({"pages", mBase + "in", mBase + "out"});
    EXPECT_EQ(run.mExit, 0) << run.mErr;
    EXPECT_EQ(run.mOut, "Successfully wrote 6 files to PAK file.\n");
    EXPECT_EQ(run.mErr, "");
    const std::map<std::string, std::string> expected = {
        {"Project.SUO", "suo"},
        {"css/.svn/entries", "svn"},
        {"css/style.css", "body { margin: 0 }"},
        {"deep/er/data.bin", std::string("\0\1\2\xff", 4)},
        {"empty.txt", ""},
        {"index.html", "<html>index</html>"},
    };
    EXPECT_EQ(ReadPack(mBase + "out/pages.pak"), expected);

    const std::string first = mFolder.ReadFile("out\\pages.pak");
    std::filesystem::rename(mBase + "out/pages.pak", mBase + "first.pak");
    // Files written in another order, later: the same bytes.
    std::filesystem::remove(mBase + "in/index.html");
    mFolder.WriteFile("in\\index.html", "<html>index</html>");
    ASSERT_EQ(Pakforge({"pages", mBase + "in", mBase + "out"}).mExit, 0);
    EXPECT_EQ(mFolder.ReadFile("out\\pages.pak"), first);
}

TEST_F(PakforgeTest, IgnoredExtensionsLeaveOutFilesAndFoldersWithoutCase)
{
    const RunResult run = Pakforge({"pages", mBase + "in", mBase + "out", ".svn,.suo, TXT", "ignored fifth"});
    EXPECT_EQ(run.mExit, 0) << run.mErr;
    EXPECT_EQ(run.mOut, "Successfully wrote 3 files to PAK file.\n");
    const auto files = ReadPack(mBase + "out/pages.pak");
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files.count("css/.svn/entries"), 0u);
    EXPECT_EQ(files.count("Project.SUO"), 0u);
    EXPECT_EQ(files.count("empty.txt"), 0u);
}

TEST_F(PakforgeTest, ThePackGoesToOutputDirBackslashNameDotPak)
{
    // The pack path is joined with a backslash, which the layer reads as a
    // separator; a trailing one in the folder doubles it harmlessly.
    const RunResult run = Pakforge({"a", mBase + "in", mBase + "out\\"});
    EXPECT_EQ(run.mExit, 0) << run.mErr;
    EXPECT_TRUE(std::filesystem::exists(mBase + "out/a.pak"));
    // The pack written inside the folder it packs is not packed into itself.
    ASSERT_EQ(Pakforge({"self", mBase + "in", mBase + "in"}).mExit, 0);
    const std::string first = mFolder.ReadFile("in\\self.pak");
    const RunResult again = Pakforge({"self", mBase + "in", mBase + "in"});
    EXPECT_EQ(again.mOut, "Successfully wrote 6 files to PAK file.\n");
    EXPECT_EQ(mFolder.ReadFile("in\\self.pak"), first);
}

TEST_F(PakforgeTest, TooFewArgumentsPrintTheUsageAndFail)
{
    const std::string usage =
        "Invalid arguments. Usage is: <pak_name> <input_dir> <output_dir> <ext_to_ignore (optional)>\n"
        "\tFor example: pakforge.exe mypakfile C:\\input_dir\\ C:\\output_dir\\ .svn,.suo\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"a"}, {"a", mBase + "in"}}) {
        const RunResult run = Pakforge(args);
        EXPECT_EQ(run.mExit, 255);
        EXPECT_EQ(run.mErr, usage);
        EXPECT_EQ(run.mOut, "");
    }
    EXPECT_FALSE(std::filesystem::exists(mBase + "a.pak"));
}

TEST_F(PakforgeTest, FailuresPrintTheOneMessageAndLeaveNoPack)
{
    struct Case {
        const char* mWhat;
        std::vector<std::string> mArgs;
        std::string mPack;
    };
    const Case cases[] = {
        {"missing input folder", {"p", mBase + "nothing", mBase + "out"}, mBase + "out/p.pak"},
        {"input is a file", {"p", mBase + "in/index.html", mBase + "out"}, mBase + "out/p.pak"},
        {"missing output folder", {"p", mBase + "in", mBase + "no/such"}, mBase + "no/such/p.pak"},
    };
    for (const Case& c : cases) {
        const RunResult run = Pakforge(c.mArgs);
        EXPECT_EQ(run.mExit, 255) << c.mWhat;
        EXPECT_EQ(run.mOut, "") << c.mWhat;
        EXPECT_NE(run.mErr.find("Failed to write PAK file.\n"), std::string::npos) << c.mWhat << run.mErr;
        EXPECT_FALSE(std::filesystem::exists(c.mPack)) << c.mWhat;
    }
}

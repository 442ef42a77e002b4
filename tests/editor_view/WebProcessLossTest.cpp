#include "ViewFixture.h"

#include "editor/EditWindowManager.h"

#include <csignal>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace KIV;

namespace {

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16) | (0xFFu << 24); }

std::string Page(const char* colour)
{
    return std::string("<!DOCTYPE html><html><head><style>body { margin: 0; background: ") + colour +
           "; }</style></head><body></body></html>";
}

// The web engine's processes this program started, however deep below it
// (a sandbox may stand between): by the parent ids in /proc.
std::vector<pid_t> WebProcesses()
{
    std::vector<std::pair<pid_t, pid_t>> parents; // pid, parent
    std::vector<std::pair<pid_t, std::string>> names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        // "pid (comm) state ppid ...": the name may hold spaces, the last ')' ends it.
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        const pid_t pid = std::stoi(name);
        parents.emplace_back(pid, parent);
        names.emplace_back(pid, line.substr(open + 1, close - open - 1));
    }
    std::set<pid_t> below{getpid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parents)
            if (below.count(parent) && below.insert(pid).second) grew = true;
    }
    std::vector<pid_t> found;
    for (const auto& [pid, comm] : names)
        if (pid != getpid() && below.count(pid) && comm.rfind("WebKitWebProces", 0) == 0) found.push_back(pid);
    return found;
}

// Two edit windows over real views, as the game has them: their pages share
// one web process.
class WebProcessLossTest : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        mManager.SetViewFactory(ViewFactory());
        const struct {
            const char* mFile;
            const char* mColour;
        } pages[] = {{"Editor/first_panel.html", "#ff0000"}, {"Editor/second_panel.html", "#0000ff"}};
        for (const auto& page : pages) {
            const int32_t index = mManager.AddWindow(true, EditWindow::kTextureLibrary, "PANEL",
                                                     WritePage(page.mFile, Page(page.mColour)), {300, 200}, {0, 0});
            mManager.GetWindow(index)->Show();
        }
    }
    void TearDown() override
    {
        mOwner.reset();
        ViewFixture::TearDown();
    }

    // Every window's page is loaded and its texture shows the page's colour.
    bool AllDrawn()
    {
        const uint32_t colours[] = {Rgba(255, 0, 0), Rgba(0, 0, 255)};
        for (int32_t i = 0; i < 2; ++i) {
            EditWindow& w = *mManager.GetWindow(i);
            if (!w.IsPageLoaded()) return false;
            w.CopySurfaceToTexture();
            if (w.GetContentTexture().mOwnPixels[20 * w.GetContentTexture().mStorageSize.mX + 20] != colours[i])
                return false;
        }
        return true;
    }

    std::unique_ptr<EditWindowManager> mOwner = std::make_unique<EditWindowManager>();
    EditWindowManager& mManager = *mOwner;
};

} // namespace

// The web process killed as a crash would end it: the player is told which
// pages went, every page loads again by itself, is drawn into its window's
// texture again and answers scripts; the pages' windows and what the game
// holds stay as they were.
TEST_F(WebProcessLossTest, EveryPageComesBackAfterItsProcessIsKilled)
{
    ASSERT_TRUE(PumpUntil([&] { return AllDrawn(); }));
    const std::vector<pid_t> processes = WebProcesses();
    ASSERT_FALSE(processes.empty()) << "no web process found below this program";
    for (int32_t i = 0; i < 2; ++i) {
        Array<uint32_t>& pixels = mManager.GetWindow(i)->GetContentTexture().mOwnPixels;
        for (int32_t p = 0; p < pixels.Count(); ++p) pixels[p] = 0;
    }
    Notices().Clear();
    for (pid_t pid : processes) kill(pid, SIGKILL);

    ASSERT_TRUE(PumpUntil([&] { return Notices().GetReportedCount() > 0; }))
        << "the lost pages were not reported";
    const std::string notice = Notices().GetLast();
    EXPECT_NE(notice.find("crashed"), std::string::npos) << notice;
    EXPECT_NE(notice.find("first_panel.html"), std::string::npos) << notice;
    EXPECT_NE(notice.find("second_panel.html"), std::string::npos) << notice;
    // Until a page is back its window sends it nothing.
    EXPECT_FALSE(mManager.GetWindow(0)->IsPageLoaded());

    ASSERT_TRUE(PumpUntil([&] { return AllDrawn(); })) << "the pages did not come back";
    EXPECT_EQ(Js(mManager.GetWindow(1)->GetView(), "document.body.style.background || 'ok'"), "ok");
    EXPECT_EQ(Notices().GetReportedCount(), 1);
    EXPECT_TRUE(mManager.GetWindow(0)->IsVisible());
}

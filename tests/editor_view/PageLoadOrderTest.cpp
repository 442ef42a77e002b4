#include "ViewFixture.h"

#include <algorithm>
#include <vector>

using namespace KIV;

namespace {

std::string Page(const char* colour)
{
    return std::string("<!DOCTYPE html><html><head><title>") + colour + "</title><style>body { background: " +
           colour + "; }</style></head><body>" + colour + "</body></html>";
}

// What every view of a test reports, in the order it came.
struct LoadEvents : ListenerLog {
    int mIndex = 0;
    std::vector<std::string>* mAll = nullptr;
    void OnBeginLoadingFrame(WebView*, const WebURL&) override { mAll->push_back("begin " + std::to_string(mIndex)); }
    void OnDocumentReady(WebView* view, const WebURL& url) override
    {
        ListenerLog::OnDocumentReady(view, url);
        mAll->push_back("ready " + std::to_string(mIndex));
    }
};

class PageLoadOrderTest : public ViewFixture {};

} // namespace

// Pages asked for together load a few at a time, first asked first: the
// first page is ready before the last one has begun, and every page loads.
TEST_F(PageLoadOrderTest, PagesAskedTogetherLoadInTurnsFirstAskedFirst)
{
    constexpr int kPages = 6;
    const char* colours[kPages] = {"red", "green", "blue", "yellow", "white", "black"};
    std::vector<std::string> events;
    LoadEvents logs[kPages];
    for (int i = 0; i < kPages; ++i) {
        logs[i].mIndex = i;
        logs[i].mAll = &events;
        Load(MakeView(300, 200, logs[i]), WritePage(std::string("Editor/") + colours[i] + ".html", Page(colours[i])));
    }
    ASSERT_TRUE(PumpUntil([&] {
        for (const LoadEvents& log : logs)
            if (log.mReady == 0) return false;
        return true;
    })) << "not every page loaded";
    const auto at = [&](const std::string& event) { return std::find(events.begin(), events.end(), event); };
    EXPECT_LT(at("ready 0"), at("begin " + std::to_string(kPages - 1)));
    for (int i = 0; i < kPages; ++i) {
        EXPECT_EQ(Js(mViews[i], "document.title"), colours[i]);
        EXPECT_EQ(logs[i].mFailed, 0) << logs[i].mFailReason;
    }
}

// The view warmed up ahead is the next one asked for, and its window hears
// its own page's ready report, whether it asks for the warm page (still
// coming or already in) or another one.
TEST_F(PageLoadOrderTest, TheWarmViewGoesToTheNextAskerAndReportsItsPage)
{
    const struct {
        const char* mName;
        bool mSamePage;
        bool mWarmPageIn;
    } cases[] = {
        {"the warm page, still coming", true, false},
        {"the warm page, already in", true, true},
        {"another page", false, false},
    };
    const std::string warm = WritePage("Editor/warm.html", Page("olive"));
    const std::string other = WritePage("Editor/other.html", Page("navy"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        sCore->WarmUp(WebURL(WebString::CreateFromUTF8(warm.c_str(), warm.size())));
        ListenerLog log;
        WebView* view = MakeView(320, 240, log);
        if (c.mWarmPageIn) ASSERT_TRUE(PumpUntil([&] { return !view->IsLoading(); }));
        // A second view is a view of its own, not the warm one again.
        ListenerLog otherLog;
        EXPECT_NE(MakeView(320, 240, otherLog), view);
        log.mReady = 0;
        Load(view, c.mSamePage ? warm : other);
        ASSERT_TRUE(PumpUntil([&] { return log.mReady > 0; })) << log.mFailReason;
        EXPECT_EQ(Js(view, "document.title"), c.mSamePage ? "olive" : "navy");
        EXPECT_EQ(view->GetWidth(), 320);
        EXPECT_EQ(log.mFailed, 0) << log.mFailReason;
    }
}

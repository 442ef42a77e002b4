// A window size asked for by a script: kept until the frame's end, then given
// to the window system's video mode, or refused with a notice.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "base/Notices.h"
#include "game/ScriptAPI.h"
#include "script/ScriptHost.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

class WindowSizeRequestFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        mHost.InitScriptVM(&RegisterScriptAPI);
    }
    std::string Eval(const std::string& chunk)
    {
        EXPECT_TRUE(mHost.RunScriptText(chunk, true)) << chunk;
        std::string value;
        mHost.PopScriptString(value);
        mHost.ClearScriptStack();
        return value;
    }
    // The frame's end, with a video mode setter that records what it was asked.
    bool EndFrame(bool modeAccepted = true)
    {
        return mGame->ApplyWannaResize([&](int32_t w, int32_t h) {
            mModes.push_back(VectorI(w, h));
            return modeAccepted;
        });
    }
    ScriptHost mHost;
    std::vector<VectorI> mModes;
};

} // namespace

TEST_F(WindowSizeRequestFixture, TheAskedSizeIsKeptUntilTheFrameEndsAndThenSet)
{
    EXPECT_EQ(Eval("return kiv:GetWannaResizeWindowSizeX() .. 'x' .. kiv:GetWannaResizeWindowSizeY()"), "1024x768");
    EXPECT_FALSE(EndFrame()) << "nothing was asked";
    EXPECT_TRUE(mModes.empty());

    Eval("kiv:SetWannaResizeWindowSizeX(800); kiv:SetWannaResizeWindowSizeY(600); kiv:AskToResizeWindow()");
    EXPECT_EQ(Eval("return kiv:GetWannaResizeWindowSizeX() .. 'x' .. kiv:GetWannaResizeWindowSizeY()"), "800x600");
    EXPECT_EQ(mGame->mWindowWidth, 1024) << "nothing happens before the frame ends";
    EXPECT_FALSE(mGame->mResize.mPending);
    EXPECT_TRUE(EndFrame());
    ASSERT_EQ(mModes.size(), 1u);
    EXPECT_EQ(mModes[0], VectorI(800, 600));
    // The GL context follows as after any resize: the pending resize counts down first.
    EXPECT_TRUE(mGame->mResize.mPending);
    EXPECT_EQ(mGame->mResize.mWidth, 800);
    EXPECT_EQ(mGame->mResize.mHeight, 600);
    // One request, one change: the next frame does nothing.
    EXPECT_FALSE(EndFrame());
    EXPECT_EQ(mModes.size(), 1u);
}

TEST_F(WindowSizeRequestFixture, ASizeThatCannotBeHadIsRefusedWithANotice)
{
    struct Case {
        const char* what;
        int32_t width;
        int32_t height;
        bool fullScreen;
        bool modeAccepted;
        bool modeAsked;
        const char* notice;  // "" when none
    };
    const Case cases[] = {
        {"no width", 0, 600, false, true, false, "each side must be 1 to 16384 pixels"},
        {"a negative height", 800, -5, false, true, false, "each side must be 1 to 16384 pixels"},
        {"too wide", 16385, 600, false, true, false, "each side must be 1 to 16384 pixels"},
        {"in full screen", 800, 600, true, true, false, "full screen keeps the screen's size"},
        {"refused by the window system", 800, 600, false, false, true, "the window system refused"},
        {"the size it has", 1024, 576, false, true, false, ""},
        {"the largest", 16384, 16384, false, true, true, ""},
    };
    for (const Case& c : cases) {
        mModes.clear();
        mGame->mResize = PendingResize{};
        mGame->mFullScreen = c.fullScreen;
        Eval("kiv:SetWannaResizeWindowSizeX(" + std::to_string(c.width) + "); kiv:SetWannaResizeWindowSizeY(" +
             std::to_string(c.height) + "); kiv:AskToResizeWindow()");
        const int32_t notices = Notices().GetReportedCount();
        const bool applied = EndFrame(c.modeAccepted);
        EXPECT_EQ(mModes.size(), c.modeAsked ? 1u : 0u) << c.what;
        const bool refused = std::string(c.notice).size() > 0;
        EXPECT_EQ(applied, !refused) << c.what;
        EXPECT_EQ(mGame->mResize.mPending, c.modeAsked && c.modeAccepted) << c.what;
        EXPECT_EQ(mGame->mWindowWidth, 1024) << c.what;
        EXPECT_EQ(Notices().GetReportedCount(), notices + (refused ? 1 : 0)) << c.what;
        if (refused) {
            EXPECT_NE(Notices().GetLast().find(c.notice), std::string::npos) << c.what << ": " << Notices().GetLast();
            EXPECT_NE(Notices().GetLast().find(std::to_string(c.width) + " x " + std::to_string(c.height)),
                      std::string::npos)
                << c.what;
        }
        EXPECT_FALSE(EndFrame()) << c.what << ": the request is used up";
    }
}

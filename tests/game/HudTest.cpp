#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "base/Notices.h"
#include "game/Hud.h"
#include "script/ScriptHost.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

class HudFixture : public GameFixture {
protected:
    const HudText* Find(const std::string& text)
    {
        BuildHudTexts(*mGame, 1024.0f, 576.0f, false, mTexts);
        auto it = std::find_if(mTexts.begin(), mTexts.end(), [&](const HudText& t) { return t.mText == text; });
        return it == mTexts.end() ? nullptr : &*it;
    }
    std::vector<HudText> mTexts;
};

} // namespace

TEST_F(HudFixture, ModeLinesAndTheirHelp)
{
    struct Case {
        bool gameMode;
        bool log;
        const char* shown;
        const char* hidden;
    } const cases[] = {
        {true, false, "GAME MODE", "EDIT MODE"},
        {true, false, "F9: RESET LEVEL", "edit what keys: 0..9"},
        {false, false, "EDIT MODE", "ROBOT CONTROL:"},
        {false, false, "edit what keys: 0..9", "LOG  (CTRL+F1)"},
        // With the log window on in edit mode the edit-key help gives way.
        {false, true, "LOG  (CTRL+F1)", "edit what keys: 0..9"},
    };
    for (const Case& c : cases) {
        mGame->mGameMode = c.gameMode;
        mGame->mLogDisplay = c.log;
        EXPECT_NE(Find(c.shown), nullptr) << c.shown;
        EXPECT_EQ(Find(c.hidden), nullptr) << c.hidden;
    }
    mGame->mGameMode = true;
    const HudText* mode = Find("GAME MODE");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->mSize, 12.0f);
    EXPECT_EQ(mode->mAt, VectorF(15.0f, 15.0f));
}

TEST_F(HudFixture, ReplayDeterminismAndPauseNotices)
{
    EXPECT_EQ(Find("PLAYING A RECORDING NOW"), nullptr);
    EXPECT_EQ(Find("DETERMINISM OK"), nullptr);
    mGame->mReplaying = true;
    EXPECT_NE(Find("DETERMINISM OK"), nullptr);
    mGame->mDeterminismOk = false;
    const HudText* lost = Find("DETERMINISM CORRUPTED");
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->mColour.mRed, 255);
    EXPECT_EQ(lost->mColour.mGreen, 0);

    EXPECT_EQ(Find("PAUSED"), nullptr);
    mGame->mPaused = true;
    ASSERT_NE(Find("PAUSED"), nullptr);
    EXPECT_EQ(Find("PAUSED")->mAt, VectorF(1024.0f * 0.5f - 36.0f, 576.0f * 0.3f));
}

TEST_F(HudFixture, SavedNoticePhysicsPanelAndScriptErrorsShowOnlyWhenDue)
{
    // Right after start the saved counter is at its limit: nothing was saved.
    EXPECT_EQ(Find("SCENE HAVE BEEN SAVED"), nullptr);
    mGame->mSavedNoticeCounter = 0;
    BuildHudTexts(*mGame, 1024.0f, 576.0f, false, mTexts);
    EXPECT_EQ(std::count_if(mTexts.begin(), mTexts.end(),
                            [](const HudText& t) { return t.mText == "SCENE HAVE BEEN SAVED"; }),
              2); // the shadow and the text

    EXPECT_EQ(Find("Physics Frequency: 210"), nullptr);
    gSettings->mShowPhysicsPanel = 1;
    EXPECT_NE(Find("Physics Frequency: 210"), nullptr);
    EXPECT_NE(Find("Gravity: 800.00"), nullptr);
    EXPECT_NE(Find("play 12: Yes"), nullptr);

    std::unique_ptr<ScriptHost> host;
    if (!gScriptHost) host = std::make_unique<ScriptHost>();
    mGame->mAcknowledgedResultsCounter = gScriptHost->GetResults().GetChangeCounter();
    EXPECT_EQ(Find("LUA ERRORS DETECTED (F5 to see them)"), nullptr);
    gScriptHost->GetResults().Add("attempt to call a nil value", "f()", "test");
    ASSERT_NE(Find("LUA ERRORS DETECTED (F5 to see them)"), nullptr);
    EXPECT_EQ(Find("LUA ERRORS DETECTED (F5 to see them)")->mAt, VectorF(50.0f, 576.0f - 20.0f));
}

TEST_F(HudFixture, NoticesToThePlayerAreShown)
{
    Notices().SetEchoToStderr(false);
    ReportNotice("the recording x.kir was not loaded");
    Notices().SetEchoToStderr(true);
    EXPECT_NE(Find("the recording x.kir was not loaded"), nullptr);
    Notices().Clear();
}

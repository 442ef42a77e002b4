#include "game/Hud.h"
#include <cstdio>
#include "base/Notices.h"
#include "base/Statistics.h"
#include "base/TextFormat.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "render/BitmapFont.h"

namespace KIV {

namespace {
const ColorRGBA kWhite(255, 255, 255, 255);
const ColorRGBA kGreen(0, 255, 0, 255);
const ColorRGBA kYellow(255, 255, 0, 255);
const ColorRGBA kRed(255, 0, 0, 255);
const ColorRGBA kMagenta(255, 0, 255, 255);
const ColorRGBA kNoticeColour(255, 210, 80, 255);

// The statistics items of the log window in reading order; -1 leaves a line empty.
constexpr int16_t kLogItems[] = {1,  2,  3,  4,  5,  -1, 6,  7,  8,  11, 12, 13, 14, 16, 17, 18, 15, 19, 20, 21,
                                 22, 23, 24, 25, 26, 27, 28, 29, 30, -1, 31, -1, 9,  32, 33, 34, 35, 36, -1, 37,
                                 38, 40, 43, 44, 48, 49, 50, 51, 52, -1, 45, 46, 47, -1, 54, 55, 56, 57, 58, 53,
                                 -1, 62, 63, -1, 59, 60, 61, -1, 41, 42};

std::string Fixed(float v, int decimals)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, double(v));
    return text;
}

void Add(std::vector<HudText>& out, std::string text, float x, float y, float size, const ColorRGBA& colour,
         bool centred = false)
{
    out.push_back({std::move(text), VectorF(x, y), size, colour, centred});
}
} // namespace

void BuildLogWindowTexts(float x, float y, std::vector<HudText>& out)
{
    Add(out, "LOG  (CTRL+F1)", x, y, 8.0f, kMagenta);
    y += 20.0f;
    for (int16_t item : kLogItems) {
        if (item >= 0 && gStatistics) Add(out, gStatistics->FormatItemLine(item, 0), x, y, 8.0f, kWhite);
        y += 10.0f;
    }
}

void BuildHudTexts(const KIVGame& game, float w, float h, bool showEditWindowsHint, std::vector<HudText>& out)
{
    out.clear();
    if (game.mGameMode) Add(out, "GAME MODE", 15.0f, 15.0f, 12.0f, kGreen);
    else Add(out, "EDIT MODE", 15.0f, 15.0f, 12.0f, kYellow);
    float y = 35.0f;
    Add(out, "F1: HELP", 15.0f, y, 8.0f, kWhite);
    y += 12.0f;
    Add(out, "F2: GAME MODE / EDIT MODE", 15.0f, y, 8.0f, kWhite);
    y += 12.0f;
    Add(out, "FPS: " + (gStatistics ? gStatistics->FormatValue(kStatFps) : IntToText(game.GetCurrentFPS())), 15.0f,
        y, 8.0f, kWhite);
    y += 20.0f;
    if (game.mGameMode) {
        Add(out, "ROBOT CONTROL:", 15.0f, y, 8.0f, kGreen);
        for (const char* line : {"W,S,A,D,SPACE BAR,ENTER & MOUSE", "SELECT NEXT, PREVIOUS ROBOT: E,Q",
                                 "F9: RESET LEVEL"}) {
            y += 12.0f;
            Add(out, line, 15.0f, y, 8.0f, kWhite);
        }
        y += 20.0f;
    }
    if (game.mLogDisplay) BuildLogWindowTexts(15.0f, y, out);
    else if (!game.mGameMode) Add(out, "edit what keys: 0..9", 15.0f, y, 8.0f, kWhite);

    if (game.mPaused) {
        Add(out, "PAUSED", w * 0.5f - 36.0f, h * 0.3f, 12.0f, kWhite);
        Add(out, "(press P to resume)", w * 0.5f - 74.0f, h * 0.3f + 16.0f, 8.0f, kWhite);
    }
    if (game.mReplaying) {
        Add(out, "PLAYING A RECORDING NOW", 600.0f, 10.0f, 8.0f, kGreen);
        if (game.mDeterminismOk) Add(out, "DETERMINISM OK", 600.0f, 20.0f, 8.0f, kGreen);
        else Add(out, "DETERMINISM CORRUPTED", 600.0f, 20.0f, 8.0f, kRed);
    }

    if (gSettings && gSettings->mShowPhysicsPanel) {
        const GameSettings& s = *gSettings;
        float py = 100.0f;
        auto line = [&](const std::string& text) {
            Add(out, text, 500.0f, py, 8.0f, kWhite);
            py += 10.0f;
        };
        line("Physics Frequency: " + IntToText(s.mPhysicsFrequency));
        line("Gravity: " + Fixed(s.mGravity, 2));
        line("Joints SSP: " + Fixed(s.mJointsSSP, 4));
        line("Vel. iterations: " + IntToText(s.mVelIterations));
        for (int32_t i = 0; i < 12; ++i)
            line("play " + IntToText(i + 1) + ": " + (s.mToySubPlayEnabled[i] ? "Yes" : "No"));
    }

    if (game.mSavedNoticeCounter < KIVGame::kSavedNoticeFrames) {
        Add(out, "SCENE HAVE BEEN SAVED", w * 0.5f - 124.0f, h * 0.3f - 68.0f, 12.0f, ColorRGBA(60, 60, 0, 255));
        Add(out, "SCENE HAVE BEEN SAVED", w * 0.5f - 126.0f, h * 0.3f - 70.0f, 12.0f, kYellow);
    }
    if (!game.mGameMode && showEditWindowsHint)
        Add(out, "PRESS F3 TO SHOW EDIT WINDOWS OR F2 TO CANCEL EDIT MODE", w * 0.5f, 20.0f, 8.0f, kYellow, true);
    if (!game.mGameMode && game.mControlsInEditMode)
        Add(out, "ROBOT CONTROL IS NOW ENABLED WHILE EDITING (CTRL + F2)", w * 0.5f, 40.0f, 8.0f, kYellow, true);

    // The player's notices above the script-errors line, newest lowest.
    const std::vector<std::string> notices = Notices().GetShown();
    float ny = h - 34.0f - 12.0f * float(notices.size());
    for (const std::string& notice : notices) {
        ny += 12.0f;
        Add(out, notice, 15.0f, ny, 8.0f, kNoticeColour);
    }
    if (game.GetScriptResultsCounter() != game.mAcknowledgedResultsCounter)
        Add(out, "LUA ERRORS DETECTED (F5 to see them)", 50.0f, h - 20.0f, 8.0f, kRed);
}

bool LayOutHudTexts(Shape& shape, const std::vector<HudText>& texts)
{
    if (!DrawTextWhite(shape, "", 8.0f, kWhite, VectorF())) return false;
    for (const HudText& t : texts) {
        if (t.mCentred) BitmapFont::DrawTextAligned(shape, t.mText, t.mSize, t.mColour, true, true, t.mAt);
        else BitmapFont::DrawString(shape, t.mText, t.mSize, t.mColour, t.mAt);
    }
    return true;
}

} // namespace KIV

#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

class KIVGame;
class Shape;

// One line of the HUD in screen pixels from the top left; centred lines are
// placed by the font's centring rule.
struct HudText {
    std::string mText;
    VectorF mAt;
    float mSize = 8.0f;
    ColorRGBA mColour{255, 255, 255, 255};
    bool mCentred = false;
};

// The texts drawn over the scene each rendered frame, in drawing order: mode
// and help lines, frames per second, the log window, pause and replay
// notices, the physics panel, the saved and edit-mode notices, the player's
// notices and the script-errors line. Kept apart from the drawing so what the
// player is told can be checked without a window.
void BuildHudTexts(const KIVGame& game, float width, float height, bool showEditWindowsHint,
                   std::vector<HudText>& out);
// The log window: its title, then one statistics line per item, from (x, y).
void BuildLogWindowTexts(float x, float y, std::vector<HudText>& out);
// Lays the texts into the shape; false when the font picture cannot be had.
bool LayOutHudTexts(Shape& shape, const std::vector<HudText>& texts);

} // namespace KIV

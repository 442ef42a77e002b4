#pragma once
#include <cstdint>

namespace KIV {

class InputDevices;

// Key symbols of the window system that the game's commands use.
namespace Key {
inline constexpr int32_t kBackspace = 8;
inline constexpr int32_t kTab = 9;
inline constexpr int32_t kReturn = 13;
inline constexpr int32_t kEscape = 27;
inline constexpr int32_t kComma = 44;
inline constexpr int32_t kPeriod = 46;
inline constexpr int32_t kBackquote = 96;
inline constexpr int32_t kMinus = 45;
inline constexpr int32_t kEquals = 61;
inline constexpr int32_t kLeftBracket = 91;
inline constexpr int32_t kRightBracket = 93;
inline constexpr int32_t kDelete = 127;
inline constexpr int32_t kUp = 273;
inline constexpr int32_t kDown = 274;
inline constexpr int32_t kRight = 275;
inline constexpr int32_t kLeft = 276;
inline constexpr int32_t kInsert = 277;
inline constexpr int32_t kHome = 278;
inline constexpr int32_t kEnd = 279;
inline constexpr int32_t kPageUp = 280;
inline constexpr int32_t kPageDown = 281;
inline constexpr int32_t kF1 = 282; // F2..F12 follow in order
inline constexpr int32_t kRShift = 303;
inline constexpr int32_t kLShift = 304;
inline constexpr int32_t kRCtrl = 305;
inline constexpr int32_t kLCtrl = 306;
inline constexpr int32_t kRAlt = 307;
inline constexpr int32_t kLAlt = 308;
inline constexpr int32_t kMode = 313;
constexpr int32_t F(int32_t n) { return kF1 + n - 1; }
constexpr int32_t Letter(char c) { return static_cast<int32_t>(c); }
} // namespace Key

// Exact key combinations of keyboard 0. Ctrl, Shift and Alt each match the
// left or the right key; two modifiers must come from the same side.
enum class ComboWhen { kPressed, kHeld, kReleased };
enum ComboModifiers : uint32_t { kNoMod = 0, kCtrl = 1, kShift = 2, kAlt = 4 };
bool IsCombo(const InputDevices& input, ComboWhen when, uint32_t modifiers, int32_t key);

} // namespace KIV

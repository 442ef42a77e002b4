#pragma once
#include <cstdint>
#include <string>
#include "base/Color.h"
#include "base/Interval.h"
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

// The JavaScript calls the game queues for its pages, as exact texts. A page
// runs them as written, so every text that lands inside a quoted JavaScript
// string goes through EscapeJsString or PercentEncodeText first; control ids
// are the page's own and are sent as they stand.

std::string BoolToJsText(bool value);
// A backslash before ', ", \ and /; line feeds, carriage returns, the other
// control bytes and the line and paragraph separators (U+2028, U+2029) as
// escapes, since any of them would end the string literal in the page.
std::string EscapeJsString(const std::string& text);
// Floats as the pages read them: 4 decimals, a whole number without them.
std::string JsNumberText(float value);

namespace PageCalls {

std::string UpdateCheckbox(const std::string& id, bool value);
std::string UpdateRadio(const std::string& id, int32_t value);
std::string UpdateSlider(const std::string& id, float value);
std::string UpdateNumber(const std::string& id, float value);
std::string UpdateTextbox(const std::string& id, const std::string& text);
std::string UpdateButton(const std::string& id, const std::string& text);
std::string UpdateButtonVisibility(const std::string& id, bool shown);
std::string UpdateTexture(const std::string& id, const std::string& file, VectorI size = VectorI(1, 1));
std::string UpdateLuaBox(const std::string& id, const std::string& text);
// items is an array text, inserted as it stands.
std::string UpdateListBox(const std::string& id, const std::string& items, int32_t selected);
std::string UpdateColor(const std::string& id, const ColorRGB& colour);
std::string RefreshColor(const ColorRGBA& colour);
// a, b and c are the page's snippets for the change and the undo series around
// it, percent-encoded by the page: they reach the picker as they came.
std::string PickColorStart(const std::string& id, const ColorRGBA& colour, const std::string& a, const std::string& b,
                           const std::string& c);
std::string PickColorStart(const std::string& id, const ColorRGB& colour, const std::string& a, const std::string& b,
                           const std::string& c);
std::string SelectInLibrary(const std::string& prefix, const std::string& what, const std::string& name);
std::string WriteLuaResult(const std::string& value);
std::string ReloadEdyPage(const std::string& pageScript);
// Asks the player on the page whether to go on; going on queues the snippet.
std::string ConfirmForced(const std::string& question, const std::string& snippet);

// update_label with the value text of each value type.
std::string UpdateLabel(const std::string& id, bool value);
std::string UpdateLabel(const std::string& id, const std::string& text);
std::string UpdateLabel(const std::string& id, float value);
std::string UpdateLabel(const std::string& id, const VectorF& value);
std::string UpdateLabel(const std::string& id, const VectorI& value);
std::string UpdateLabel(const std::string& id, const ColorRGB& value);
std::string UpdateLabel(const std::string& id, const ColorRGBA& value);
std::string UpdateLabel(const std::string& id, const ColorRGBAF& value);
std::string UpdateLabel(const std::string& id, const IntervalI& value);
std::string UpdateLabel(const std::string& id, const IntervalF& value);
std::string UpdateLabel(const std::string& id, const Line& value);
std::string UpdateLabel(const std::string& id, const RectI& value);
std::string UpdateLabel(const std::string& id, const RectF& value);
std::string UpdateLabel(const std::string& id, const Timex& value);

} // namespace PageCalls
} // namespace KIV

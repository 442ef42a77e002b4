#include "editor/PageCalls.h"
#include "base/TextFormat.h"

namespace KIV {

std::string BoolToJsText(bool value) { return value ? "true" : "false"; }

std::string EscapeJsString(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\'': case '"': case '\\': case '/':
            out += '\\';
            out += static_cast<char>(c);
            continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            continue;
        }
        // U+2028 and U+2029 in UTF-8: E2 80 A8 and E2 80 A9.
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) == 0xA8 || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

std::string JsNumberText(float value) { return FloatToText(4, value, false); }

namespace PageCalls {

namespace {
std::string Quoted(const std::string& text) { return "'" + text + "'"; }
std::string Call(const char* name, const std::string& id, const std::string& quotedValue)
{
    return std::string(name) + "('" + id + "','" + quotedValue + "');";
}
std::string Int(int32_t v) { return IntToText(v); }
std::string Pair(const std::string& a, const std::string& b) { return a + "," + b; }
std::string Range(const std::string& a, const std::string& b) { return a + ".." + b; }
} // namespace

std::string UpdateCheckbox(const std::string& id, bool value) { return Call("update_checkbox", id, BoolToJsText(value)); }
std::string UpdateRadio(const std::string& id, int32_t value) { return Call("update_radio", id, Int(value)); }
std::string UpdateSlider(const std::string& id, float value) { return Call("update_slider", id, JsNumberText(value)); }
std::string UpdateNumber(const std::string& id, float value) { return Call("update_number", id, JsNumberText(value)); }
std::string UpdateTextbox(const std::string& id, const std::string& text)
{
    return Call("update_textbox", id, PercentEncodeText(text));
}
std::string UpdateButton(const std::string& id, const std::string& text)
{
    return Call("update_button", id, EscapeJsString(text));
}
std::string UpdateButtonVisibility(const std::string& id, bool shown)
{
    return std::string(shown ? "enable_button('" : "disable_button('") + id + "');";
}
std::string UpdateTexture(const std::string& id, const std::string& file, VectorI size)
{
    return "update_texture('" + id + "','" + PercentEncodeText(file) + "'," + Int(size.mX) + "," + Int(size.mY) + ");";
}
std::string UpdateLuaBox(const std::string& id, const std::string& text)
{
    return Call("update_luabox", id, PercentEncodeText(text));
}
std::string UpdateListBox(const std::string& id, const std::string& items, int32_t selected)
{
    return "update_listbox('" + id + "'," + items + "," + Int(selected) + ");";
}
std::string UpdateColor(const std::string& id, const ColorRGB& c)
{
    return "update_color('" + id + "'," + Quoted(Int(c.mRed)) + "," + Quoted(Int(c.mGreen)) + "," +
           Quoted(Int(c.mBlue)) + ");";
}
std::string RefreshColor(const ColorRGBA& c)
{
    return "refresh_color(" + Quoted(Int(c.mRed)) + "," + Quoted(Int(c.mGreen)) + "," + Quoted(Int(c.mBlue)) + "," +
           Quoted(Int(c.mAlpha)) + ");";
}
std::string PickColorStart(const std::string& id, const ColorRGBA& c, const std::string& a, const std::string& b,
                           const std::string& d)
{
    return "pick_color_start_rgba('" + id + "'," + Quoted(Int(c.mRed)) + "," + Quoted(Int(c.mGreen)) + "," +
           Quoted(Int(c.mBlue)) + "," + Quoted(Int(c.mAlpha)) + "," + Quoted(EscapeJsString(a)) + "," +
           Quoted(EscapeJsString(b)) + "," + Quoted(EscapeJsString(d)) + ");";
}
std::string PickColorStart(const std::string& id, const ColorRGB& c, const std::string& a, const std::string& b,
                           const std::string& d)
{
    return "pick_color_start_rgb('" + id + "'," + Quoted(Int(c.mRed)) + "," + Quoted(Int(c.mGreen)) + "," +
           Quoted(Int(c.mBlue)) + "," + Quoted(EscapeJsString(a)) + "," + Quoted(EscapeJsString(b)) + "," +
           Quoted(EscapeJsString(d)) + ");";
}
std::string SelectInLibrary(const std::string& prefix, const std::string& what, const std::string& name)
{
    return prefix + "select_" + what + "('" + PercentEncodeText(name) + "');";
}
std::string WriteLuaResult(const std::string& value) { return "write_lua_result('" + EscapeJsString(value) + "');"; }
std::string ReloadEdyPage(const std::string& pageScript) { return "reload_edy_page(" + pageScript + ");"; }
std::string ConfirmForced(const std::string& question, const std::string& snippet)
{
    return "kiv_confirm_forced('" + EscapeJsString(question) + "','" + EscapeJsString(snippet) + "');";
}

std::string UpdateLabel(const std::string& id, bool value) { return Call("update_label", id, value ? "Yes" : "No"); }
std::string UpdateLabel(const std::string& id, const std::string& text)
{
    return Call("update_label", id, EscapeJsString(text));
}
std::string UpdateLabel(const std::string& id, float value) { return Call("update_label", id, JsNumberText(value)); }
std::string UpdateLabel(const std::string& id, const VectorF& v)
{
    return Call("update_label", id, Pair(JsNumberText(v.mX), JsNumberText(v.mY)));
}
std::string UpdateLabel(const std::string& id, const VectorI& v)
{
    return Call("update_label", id, Pair(Int(v.mX), Int(v.mY)));
}
std::string UpdateLabel(const std::string& id, const ColorRGB& c)
{
    return Call("update_label", id, Int(c.mRed) + "," + Int(c.mGreen) + "," + Int(c.mBlue));
}
std::string UpdateLabel(const std::string& id, const ColorRGBA& c)
{
    return Call("update_label", id, Int(c.mRed) + "," + Int(c.mGreen) + "," + Int(c.mBlue) + "," + Int(c.mAlpha));
}
std::string UpdateLabel(const std::string& id, const ColorRGBAF& c)
{
    return Call("update_label", id,
                JsNumberText(c.mRed) + "," + JsNumberText(c.mGreen) + "," + JsNumberText(c.mBlue) + "," +
                    JsNumberText(c.mAlpha));
}
std::string UpdateLabel(const std::string& id, const IntervalI& v)
{
    return Call("update_label", id, Range(Int(v.mMinValue), Int(v.mMaxValue)));
}
std::string UpdateLabel(const std::string& id, const IntervalF& v)
{
    return Call("update_label", id, Range(JsNumberText(v.mMinValue), JsNumberText(v.mMaxValue)));
}
std::string UpdateLabel(const std::string& id, const Line& l)
{
    return Call("update_label", id,
                Range(Pair(JsNumberText(l.x1), JsNumberText(l.y1)), Pair(JsNumberText(l.x2), JsNumberText(l.y2))));
}
std::string UpdateLabel(const std::string& id, const RectI& r)
{
    return Call("update_label", id, Range(Pair(Int(r.mP1.mX), Int(r.mP1.mY)), Pair(Int(r.mP2.mX), Int(r.mP2.mY))));
}
std::string UpdateLabel(const std::string& id, const RectF& r)
{
    return Call("update_label", id,
                Range(Pair(JsNumberText(r.x1), JsNumberText(r.y1)), Pair(JsNumberText(r.x2), JsNumberText(r.y2))));
}
std::string UpdateLabel(const std::string& id, const Timex& t)
{
    // Whole seconds and milliseconds: the two parts a time is kept in.
    const int32_t seconds = static_cast<int32_t>(t.mSeconds);
    const int32_t millis = static_cast<int32_t>((t.mSeconds - seconds) * 1000.0);
    return Call("update_label", id, Int(seconds) + "/" + Int(millis));
}

} // namespace PageCalls
} // namespace KIV

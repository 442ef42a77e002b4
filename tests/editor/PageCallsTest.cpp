#include <gtest/gtest.h>
#include "editor/PageCalls.h"

using namespace KIV;

TEST(PageCalls, EachCallHasItsExactText)
{
    struct Case {
        std::string made;
        const char* expected;
    };
    const Case cases[] = {
        {PageCalls::UpdateCheckbox("c1", true), "update_checkbox('c1','true');"},
        {PageCalls::UpdateCheckbox("c1", false), "update_checkbox('c1','false');"},
        {PageCalls::UpdateRadio("r", -3), "update_radio('r','-3');"},
        {PageCalls::UpdateSlider("s", 0.5f), "update_slider('s','0.5000');"},
        {PageCalls::UpdateSlider("s", 2.0f), "update_slider('s','2');"},
        {PageCalls::UpdateNumber("n", -0.25f), "update_number('n','-0.2500');"},
        {PageCalls::UpdateTextbox("t", "a b'c"), "update_textbox('t','a%20b%27c');"},
        {PageCalls::UpdateButton("b", "it's"), "update_button('b','it\\'s');"},
        {PageCalls::UpdateButtonVisibility("b", true), "enable_button('b');"},
        {PageCalls::UpdateButtonVisibility("b", false), "disable_button('b');"},
        {PageCalls::UpdateTexture("x", "a b.png"), "update_texture('x','a%20b%2Epng',1,1);"},
        {PageCalls::UpdateTexture("x", "p", VectorI(64, 32)), "update_texture('x','p',64,32);"},
        {PageCalls::UpdateLuaBox("l", "x=1"), "update_luabox('l','x%3D1');"},
        {PageCalls::UpdateListBox("l", "['a','b']", 1), "update_listbox('l',['a','b'],1);"},
        {PageCalls::UpdateColor("c", ColorRGB(1, 2, 3)), "update_color('c','1','2','3');"},
        {PageCalls::RefreshColor(ColorRGBA(1, 2, 3, 4)), "refresh_color('1','2','3','4');"},
        {PageCalls::PickColorStart("c", ColorRGBA(1, 2, 3, 4), "x%3D%24r", "", "it's"),
         "pick_color_start_rgba('c','1','2','3','4','x%3D%24r','','it\\'s');"},
        {PageCalls::PickColorStart("c", ColorRGB(1, 2, 3), "a", "b", "c"), "pick_color_start_rgb('c','1','2','3','a','b','c');"},
        {PageCalls::SelectInLibrary("texlib_", "texture", "a b"), "texlib_select_texture('a%20b');"},
        {PageCalls::WriteLuaResult("it's"), "write_lua_result('it\\'s');"},
        {PageCalls::ConfirmForced("Go on?", "f('a', true)"), "kiv_confirm_forced('Go on?','f(\\'a\\', true)');"},
        {PageCalls::UpdateLabel("l", true), "update_label('l','Yes');"},
        {PageCalls::UpdateLabel("l", false), "update_label('l','No');"},
        {PageCalls::UpdateLabel("l", 1.5f), "update_label('l','1.5000');"},
        {PageCalls::UpdateLabel("l", VectorF(1.5f, -2.0f)), "update_label('l','1.5000,-2');"},
        {PageCalls::UpdateLabel("l", VectorI(3, 4)), "update_label('l','3,4');"},
        {PageCalls::UpdateLabel("l", ColorRGB(1, 2, 3)), "update_label('l','1,2,3');"},
        {PageCalls::UpdateLabel("l", ColorRGBA(1, 2, 3, 4)), "update_label('l','1,2,3,4');"},
        {PageCalls::UpdateLabel("l", IntervalI(1, 5)), "update_label('l','1..5');"},
        {PageCalls::UpdateLabel("l", IntervalF(0.5f, 1.0f)), "update_label('l','0.5000..1');"},
        {PageCalls::UpdateLabel("l", RectI(1, 2, 3, 4)), "update_label('l','1,2..3,4');"},
        {PageCalls::UpdateLabel("l", Line{1, 2, 3, 4}), "update_label('l','1,2..3,4');"},
        {PageCalls::UpdateLabel("l", std::string("a'b")), "update_label('l','a\\'b');"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.made, c.expected);
}

// Whatever a text holds, it cannot end the string it is put in.
TEST(PageCalls, EscapingLeavesNoWayOutOfTheString)
{
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"'\"\\/", "\\'\\\"\\\\\\/"},
        {"a\nb\rc", "a\\nb\\rc"},
        {std::string("t\tz\0", 4), "t\\x09z\\x00"},
        {"x\xE2\x80\xA8y\xE2\x80\xA9z", "x\\u2028y\\u2029z"},
        {"\xE2\x80\xA0 kept", "\xE2\x80\xA0 kept"},
        {"\xE2\x80", "\xE2\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(EscapeJsString(c.text), c.expected);
    // The label of a text is escaped like every other text.
    EXPECT_EQ(PageCalls::UpdateLabel("l", std::string("');alert(1);('\n")),
              "update_label('l','\\');alert(1);(\\'\\n');");
}

#include "ViewFixture.h"

#include "editor/webview/JavascriptString.h"
#include "editor/webview/VirtualKeys.h"
#include "editor/webview/pak/PakWriter.h"

#include <vector>

using namespace KIV;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 576;

// A blue page with a red box at (100, 50), 200 x 100, that records clicks, and
// a text field below the box.
const char* kBoxPage = R"(<!DOCTYPE html><html><head><title>Box page</title><style>
body { margin: 0; background: #0000ff; }
#box { position: absolute; left: 100px; top: 50px; width: 200px; height: 100px; background: #ff0000; }
#field { position: absolute; left: 100px; top: 300px; width: 300px; height: 30px; font-size: 20px; }
</style></head><body>
<div id="box" onclick="window.clicked = event.clientX + ',' + event.clientY"></div>
<input id="field" type="text">
</body></html>)";

struct Pixel {
    uint8_t r, g, b, a;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

Pixel At(const std::vector<uint8_t>& rows, int x, int y)
{
    const uint8_t* p = rows.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

class OffscreenViewTest : public ViewFixture {
protected:
    // Loads the box page and waits until its box is drawn.
    WebView* LoadBoxPage()
    {
        WebView* view = MakeView(kWidth, kHeight, mLog);
        Load(view, WritePage("Editor/box.html", kBoxPage));
        EXPECT_TRUE(PumpUntil([&] { return mLog.mReady > 0; })) << mLog.mFailReason;
        view->AfterLoad();
        EXPECT_TRUE(PumpUntil([&] {
            BitmapSurface* surface = view->GetSurface();
            if (surface == nullptr || !surface->IsDirty()) return false;
            std::vector<uint8_t> rows(kWidth * kHeight * 4);
            surface->CopyTo(rows.data(), kWidth * 4, 4, true, false);
            return At(rows, 150, 80) == Pixel{255, 0, 0, 255};
        })) << "the box was never drawn";
        return view;
    }

    void TypeKey(WebView* view, int32_t vk, char16_t text, int32_t modifiers = 0)
    {
        WebKeyboardEvent e;
        e.mVirtualKeyCode = vk;
        e.mModifiers = modifiers;
        WebKeyboardEvent::GetKeyIdentifierFromVirtualKeyCode(vk, e.mKeyIdentifier);
        e.mType = WebKeyboardEvent::kTypeKeyDown;
        view->InjectKeyboardEvent(e);
        if (text != 0) {
            e.mType = WebKeyboardEvent::kTypeChar;
            e.mText[0] = e.mUnmodifiedText[0] = text;
            view->InjectKeyboardEvent(e);
        }
        e.mType = WebKeyboardEvent::kTypeKeyUp;
        e.mText[0] = e.mUnmodifiedText[0] = 0;
        view->InjectKeyboardEvent(e);
    }

    void Click(WebView* view, int x, int y)
    {
        view->InjectMouseMove(x, y);
        view->InjectMouseDown(kMouseButton_Left);
        view->InjectMouseUp(kMouseButton_Left);
    }

    ListenerLog mLog;
};

} // namespace

TEST_F(OffscreenViewTest, ThePageIsReadyAndItsPixelsLandInRgbaRows)
{
    WebView* view = LoadBoxPage();
    EXPECT_EQ(mLog.mReady, 1);
    EXPECT_EQ(mLog.mTitle, "Box page");
    BitmapSurface* surface = view->GetSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->GetWidth(), kWidth);
    EXPECT_EQ(surface->GetHeight(), kHeight);

    // Copied once more, as RGBA and as BGRA, upright and flipped, into rows
    // wider than the page (as into a power-of-two texture).
    struct Case {
        bool mRgba;
        bool mFlip;
    };
    for (const Case& c : {Case{true, false}, Case{false, false}, Case{true, true}}) {
        const int span = 2048 * 4;
        std::vector<uint8_t> rows(static_cast<size_t>(span) * kHeight, 7);
        surface->SetIsDirty(true);
        ASSERT_TRUE(surface->CopyTo(rows.data(), span, 4, c.mRgba, c.mFlip));
        EXPECT_FALSE(surface->IsDirty());
        auto pixel = [&](int x, int y) {
            const uint8_t* p = rows.data() + static_cast<size_t>(c.mFlip ? kHeight - 1 - y : y) * span + x * 4;
            return c.mRgba ? Pixel{p[0], p[1], p[2], p[3]} : Pixel{p[2], p[1], p[0], p[3]};
        };
        EXPECT_EQ(pixel(150, 80), (Pixel{255, 0, 0, 255})) << c.mRgba << c.mFlip;
        EXPECT_EQ(pixel(101, 51), (Pixel{255, 0, 0, 255}));
        EXPECT_EQ(pixel(298, 148), (Pixel{255, 0, 0, 255}));
        EXPECT_EQ(pixel(10, 10), (Pixel{0, 0, 255, 255}));
        EXPECT_EQ(pixel(302, 80), (Pixel{0, 0, 255, 255}));
        EXPECT_EQ(pixel(150, 152), (Pixel{0, 0, 255, 255}));
        EXPECT_EQ(rows[kWidth * 4], 7) << "bytes past a row are the caller's";
    }
    std::vector<uint8_t> small(16);
    EXPECT_FALSE(surface->CopyTo(small.data(), 4, 4, true, false)) << "a row span shorter than a row";
    EXPECT_FALSE(surface->CopyTo(small.data(), kWidth * 2, 2, true, false)) << "two bytes per pixel";
}

TEST_F(OffscreenViewTest, AClickReachesThePageAtItsPoint)
{
    WebView* view = LoadBoxPage();
    EXPECT_EQ(Js(view, "String(window.clicked)"), "undefined");
    Click(view, 150, 80);
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "String(window.clicked)") == "150,80"; }))
        << Js(view, "String(window.clicked)");
    // A click beside the box does not reach its handler.
    Click(view, 500, 80);
    PumpFor(0.2);
    EXPECT_EQ(Js(view, "String(window.clicked)"), "150,80");
}

TEST_F(OffscreenViewTest, KeysTypeIntoTheFocusedTextField)
{
    WebView* view = LoadBoxPage();
    Click(view, 200, 315);
    ASSERT_TRUE(PumpUntil([&] { return Js(view, "document.activeElement.id") == "field"; }));
    TypeKey(view, 'H', u'H', WebKeyboardEvent::kModShiftKey);
    TypeKey(view, 'I', u'i');
    TypeKey(view, 'X', u'x');
    TypeKey(view, VirtualKey::kBack, 8);
    TypeKey(view, '1', u'!', WebKeyboardEvent::kModShiftKey);
    TypeKey(view, VirtualKey::kSpace, u' ');
    TypeKey(view, 0, u'\u00e9'); // a character no key of the layout gives
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "document.getElementById('field').value") == "Hi! \xC3\xA9"; }))
        << Js(view, "document.getElementById('field').value");
}

TEST_F(OffscreenViewTest, ScriptResultsComeBackAsText)
{
    WebView* view = LoadBoxPage();
    struct Case {
        const char* mScript;
        const char* mText;
    };
    const Case cases[] = {
        {"1 + 2", "3"},
        {"'a' + 'b'", "ab"},
        {"document.title", "Box page"},
        {"[1, 2]", "1,2"},
        {"null", "null"},
        {"true", "true"},
        {"undefined", "undefined"},
        {"var unused = 5;", "undefined"},
        {"document.getElementById('nothing').value", "undefined"}, // throws
        {"while (", "undefined"},                                    // does not parse
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Js(view, c.mScript), c.mText) << c.mScript;
    }
    // Without a result the script still runs.
    const std::string set = "window.marker = 42";
    view->ExecuteJavascript(WebString::CreateFromUTF8(set.c_str(), set.size()), WebString());
    EXPECT_TRUE(PumpUntil([&] { return Js(view, "String(window.marker)") == "42"; }));
}

// Text from a scene or a file that the layer puts into a script stays text.
TEST_F(OffscreenViewTest, TextInBuiltScriptsNeverRunsAsScript)
{
    WebView* view = LoadBoxPage();
    const std::string nasty = "q\"'\\\n\r\t\xE2\x80\xA8\xE2\x80\xA9</script>');window.hacked=1;//\xC3\xA9";
    EXPECT_EQ(Js(view, JavascriptStringLiteral(nasty)), nasty);
    // A frame with that name: the layer builds the script that reaches it.
    Js(view, "var f = document.createElement('iframe'); f.name = " + JavascriptStringLiteral(nasty) +
                 "; document.body.appendChild(f); 0");
    EXPECT_EQ(Js(view, "window.name", nasty), nasty);
    EXPECT_EQ(Js(view, "String(window.hacked)"), "undefined");
}

TEST_F(OffscreenViewTest, PagesLoadFromAPackBesideTheirFolder)
{
    PakWriter pack;
    const std::string page = "<html><head><title>packed</title><script src='js/x.js'></script></head></html>";
    pack.Add("packed.html", std::vector<uint8_t>(page.begin(), page.end()));
    const std::string script = "window.fromPack = 'yes';";
    pack.Add("js/x.js", std::vector<uint8_t>(script.begin(), script.end()));
    ASSERT_EQ(pack.WriteTo(mRoot + "/Pages.pak"), "");

    WebView* view = MakeView(320, 200, mLog);
    Load(view, mRoot + "/Pages/packed.html");
    ASSERT_TRUE(PumpUntil([&] { return mLog.mReady > 0 || mLog.mFailed > 0; })) << mLog.mFailReason;
    EXPECT_EQ(mLog.mReady, 1) << mLog.mFailReason;
    EXPECT_EQ(mLog.mTitle, "packed");
    EXPECT_EQ(Js(view, "window.fromPack"), "yes");
}

TEST_F(OffscreenViewTest, PagesReachNoFileOutsideTheirTreeAndNoNetwork)
{
    mFolder.WriteFile("outside.txt", "secret");
    const std::string page = WritePage("Game/Editor/p.html", "<html><body>p</body></html>");
    WebView* view = MakeView(320, 200, mLog);
    Load(view, page);
    ASSERT_TRUE(PumpUntil([&] { return mLog.mReady > 0; })) << mLog.mFailReason;
    // fetch() answers with the text, or "refused" when the load fails.
    const std::string probe =
        "window.got = {}; for (const u of ['../../outside.txt', 'kiv:///etc/hostname', 'http://127.0.0.1:9/', "
        "'file:///etc/hostname', '../Editor/p.html']) fetch(u).then(r => r.text()).then(t => window.got[u] = t, "
        "() => window.got[u] = 'refused'); 0";
    Js(view, probe);
    ASSERT_TRUE(PumpUntil([&] { return Js(view, "String(Object.keys(window.got).length)") == "5"; }));
    EXPECT_EQ(Js(view, "window.got['../../outside.txt']"), "refused");
    EXPECT_EQ(Js(view, "window.got['kiv:///etc/hostname']"), "refused");
    EXPECT_EQ(Js(view, "window.got['http://127.0.0.1:9/']"), "refused");
    EXPECT_EQ(Js(view, "window.got['file:///etc/hostname']"), "refused");
    EXPECT_EQ(Js(view, "window.got['../Editor/p.html']"), "<html><body>p</body></html>");
}

TEST_F(OffscreenViewTest, AMissingPageOrAForeignUrlFailsWithANotice)
{
    WebView* view = MakeView(320, 200, mLog);
    Load(view, mRoot + "/Editor/missing.html");
    ASSERT_TRUE(PumpUntil([&] { return mLog.mFailed > 0; }));
    EXPECT_EQ(mLog.mReady, 0);
    EXPECT_NE(Notices().GetLast().find("missing.html"), std::string::npos) << Notices().GetLast();

    Load(view, "https://example.com/");
    EXPECT_EQ(mLog.mFailed, 2);
    EXPECT_NE(Notices().GetLast().find("https://example.com/"), std::string::npos) << Notices().GetLast();
    EXPECT_EQ(mLog.mReady, 0);
}

TEST_F(OffscreenViewTest, AResizedViewDrawsAtItsNewSize)
{
    WebView* view = LoadBoxPage();
    view->Resize(400, 300);
    ASSERT_TRUE(PumpUntil([&] { return Js(view, "String(window.innerWidth)") == "400"; }));
    BitmapSurface* surface = view->GetSurface();
    EXPECT_EQ(surface->GetWidth(), 400);
    EXPECT_EQ(surface->GetHeight(), 300);
}

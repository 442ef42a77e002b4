#include "ViewFixture.h"

#include "editor/EditWindowManager.h"
#include "editor/webview/VirtualKeys.h"

using namespace KIV;

namespace {

// A green page with a blue box at (40, 30), 100 x 60, that records clicks and
// a text field below it.
const char* kPanelPage = R"(<!DOCTYPE html><html><head><style>
body { margin: 0; background: #00ff00; }
#box { position: absolute; left: 40px; top: 30px; width: 100px; height: 60px; background: #0000ff; }
#field { position: absolute; left: 40px; top: 150px; width: 200px; height: 30px; }
</style></head><body>
<div id="box" onclick="window.clicked = event.clientX + ',' + event.clientY"></div>
<input id="field" type="text">
</body></html>)";

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16) | (0xFFu << 24); }

// One edit window over a real view, driven through the manager as the game
// drives it each frame.
class EditWindowPageTest : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        mManager.SetViewFactory(ViewFactory());
        mIndex = mManager.AddWindow(true, EditWindow::kTextureLibrary, "PANEL",
                                    WritePage("Editor/panel.html", kPanelPage), {400, 300}, {100, 50});
        ASSERT_EQ(mIndex, 0);
        mWindow = mManager.GetWindow(mIndex);
        mWindow->Show();
        mManager.FocusWindow(mIndex);
    }
    void TearDown() override
    {
        // The windows stop listening before their views go.
        mOwner.reset();
        ViewFixture::TearDown();
    }

    uint32_t TexturePixel(int x, int y)
    {
        const Texture& t = mWindow->GetContentTexture();
        return t.mOwnPixels[static_cast<int32_t>(y * t.mStorageSize.mX + x)];
    }

    // A frame of the game with the mouse at a point of the page.
    void MouseFrame(VectorI pagePoint, bool down, bool up)
    {
        FrameMouse m;
        m.mPosition = m.mPrevious = mWindow->GetPosition() + pagePoint;
        m.mMoved = true;
        m.mLeftDown = down;
        m.mLeftUp = up;
        m.mAnyButtonActive = down || up;
        const FrameOutcome outcome = mManager.HandleFrame(m, {1024, 576}, 16);
        ASSERT_TRUE(outcome.mForwardInput);
        EXPECT_TRUE(mManager.ForwardMouseToFocused(m));
    }

    std::unique_ptr<EditWindowManager> mOwner = std::make_unique<EditWindowManager>();
    EditWindowManager& mManager = *mOwner;
    int32_t mIndex = -1;
    EditWindow* mWindow = nullptr;
};

} // namespace

// The page's ready report reaches its window, and its pixels land in the
// window's texture at the page's own places.
TEST_F(EditWindowPageTest, ThePageIsReadyAndDrawnIntoTheWindowTexture)
{
    ASSERT_TRUE(PumpUntil([&] { return mWindow->IsPageLoaded(); }));
    ASSERT_TRUE(PumpUntil([&] {
        mWindow->CopySurfaceToTexture();
        return TexturePixel(60, 50) == Rgba(0, 0, 255);
    })) << std::hex << TexturePixel(60, 50);
    EXPECT_EQ(TexturePixel(10, 10), Rgba(0, 255, 0));
    EXPECT_EQ(TexturePixel(399, 299), Rgba(0, 255, 0));
    EXPECT_TRUE(mWindow->GetContentTexture().mOwnPixelsChanged);
    // Nothing changes on the page: nothing more to copy.
    PumpFor(0.3);
    mWindow->CopySurfaceToTexture();
    mWindow->GetContentTexture().mOwnPixelsChanged = false;
    EXPECT_FALSE(mWindow->CopySurfaceToTexture());
}

// A click on the window's page area reaches the page at the page's own
// point; keys typed then go into the page's focused field.
TEST_F(EditWindowPageTest, MouseAndKeysOfTheFrameReachThePage)
{
    ASSERT_TRUE(PumpUntil([&] { return mWindow->IsPageLoaded(); }));
    MouseFrame({70, 45}, true, false);
    MouseFrame({70, 45}, false, true);
    EXPECT_TRUE(PumpUntil([&] { return Js(mWindow->GetView(), "String(window.clicked)") == "70,45"; }))
        << Js(mWindow->GetView(), "String(window.clicked)");

    MouseFrame({100, 160}, true, false);
    MouseFrame({100, 160}, false, true);
    ASSERT_TRUE(PumpUntil([&] { return Js(mWindow->GetView(), "document.activeElement.id") == "field"; }));
    for (char16_t c : {u'O', u'K'}) {
        WebKeyboardEvent e;
        e.mVirtualKeyCode = c;
        WebKeyboardEvent::GetKeyIdentifierFromVirtualKeyCode(c, e.mKeyIdentifier);
        e.mModifiers = WebKeyboardEvent::kModShiftKey;
        EXPECT_TRUE(mManager.ForwardKeyToFocused(e));
        e.mType = WebKeyboardEvent::kTypeChar;
        e.mText[0] = e.mUnmodifiedText[0] = c;
        mManager.ForwardKeyToFocused(e);
        e.mType = WebKeyboardEvent::kTypeKeyUp;
        e.mText[0] = e.mUnmodifiedText[0] = 0;
        mManager.ForwardKeyToFocused(e);
    }
    EXPECT_TRUE(PumpUntil([&] { return Js(mWindow->GetView(), "document.getElementById('field').value") == "OK"; }))
        << Js(mWindow->GetView(), "document.getElementById('field').value");

    // On the title bar the frame keeps the mouse: nothing reaches the page.
    FrameMouse m;
    m.mPosition = m.mPrevious = mWindow->GetPosition() + VectorI(70, -8);
    EXPECT_FALSE(mManager.HandleFrame(m, {1024, 576}, 16).mForwardInput);
}

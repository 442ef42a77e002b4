// The main-window size a script asks for: kept until the frame ends, then
// given to the window system, after which the GL context follows the new size
// as after any resize the player makes.
#include "base/Notices.h"
#include "base/TextFormat.h"
#include "game/KIVGame.h"

namespace KIV {

namespace {
std::string SizeText(int32_t width, int32_t height) { return IntToText(width) + " x " + IntToText(height); }
} // namespace

bool KIVGame::ApplyWannaResize(const std::function<bool(int32_t width, int32_t height)>& setVideoMode)
{
    if (!mWannaResize.mRaised) return false;
    mWannaResize.mRaised = false;
    const int32_t width = mWannaResize.mWidth;
    const int32_t height = mWannaResize.mHeight;
    const std::string asked = "a script asked for a window of " + SizeText(width, height);
    if (width < 1 || height < 1 || width > WindowSizeRequest::kMaxSide || height > WindowSizeRequest::kMaxSide) {
        ReportNotice(asked + ": each side must be 1 to " + IntToText(WindowSizeRequest::kMaxSide) + " pixels");
        return false;
    }
    if (mFullScreen) {
        ReportNotice(asked + ", but full screen keeps the screen's size (Alt+Return leaves it)");
        return false;
    }
    // Already that size, and no other size on its way: nothing to do.
    if (width == mWindowWidth && height == mWindowHeight && !mResize.mPending) return true;
    if (!setVideoMode(width, height)) {
        ReportNotice(asked + ", which the window system refused; the window keeps " +
                     SizeText(mWindowWidth, mWindowHeight));
        return false;
    }
    RequestWindowResize(width, height);
    return true;
}

} // namespace KIV

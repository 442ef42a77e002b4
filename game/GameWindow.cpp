#include <SDL/SDL.h>
#include "base/Statistics.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/RobotPhoto.h"
#include "game/ScenePass.h"
#include "game/SdlEventPump.h"
#include "physics/world/GameSettings.h"
#include "render/Renderer.h"
#include "script/ScriptHost.h"

namespace KIV {

namespace {
constexpr const char* kWindowTitle = "Orlimbar";

// The desktop's size: the window system reports it only before the first
// video mode is set, afterwards it reports the mode's own size.
VectorI gDesktopSize(1024, 768);

void ReadDesktopSize()
{
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info && info->current_w > 0 && info->current_h > 0) gDesktopSize = {info->current_w, info->current_h};
}
} // namespace

bool KIVGame::StartUp()
{
    if (gStatistics) gStatistics->InitItems();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_JOYSTICK | SDL_INIT_NOPARACHUTE) != 0) return false;
    SDL_EnableUNICODE(1);
    SDL_EnableKeyRepeat(200, 30);
    SDL_WM_SetCaption(kWindowTitle, kWindowTitle);
    ReadDesktopSize();
    if (!gRenderer || !gRenderer->Init(mWindowWidth, mWindowHeight)) return false;
    mCursors.Build();
    mInput.AddKeyboard();
    mInput.AddMouse();
    mInput.AddJoystick();
    ApplyPhysicsFrequency(mTiming.GetFrequency());
    WarmUpPageViews();
    return true;
}

void KIVGame::RequestWindowResize(int32_t width, int32_t height)
{
    // The latest size wins; the countdown keeps running from the first request,
    // so a stream of resize events re-creates the context once, at the final size.
    if (!mResize.mPending) {
        mResize.mPending = true;
        mResize.mCountdown = kResizeCountdown;
    }
    mResize.mWidth = width;
    mResize.mHeight = height;
}

void KIVGame::ToggleFullScreen()
{
    if (!mFullScreen) {
        const VectorI screen = gDesktopSize;
        RequestWindowResize(screen.mX, screen.mY);
        gRenderer->SetFullScreen(true);
        SDL_SetVideoMode(screen.mX, screen.mY, 32, SDL_OPENGL | SDL_FULLSCREEN);
        mFullScreen = true;
    } else {
        gRenderer->SetFullScreen(false);
        SDL_SetVideoMode(800, 600, 32, SDL_OPENGL | SDL_RESIZABLE);
        RequestWindowResize(800, 600);
        mFullScreen = false;
    }
}

int KIVGame::RunMainLoop()
{
    ScenePass scene(*this);
    while (RunMainLoopPass(scene)) {
    }
    return 0;
}

bool KIVGame::RunMainLoopPass(ScenePass& scene)
{
    PumpResult pumped;
    PumpSdlEvents(mInput, pumped);
    if (pumped.mResized) {
        SDL_SetVideoMode(pumped.mWidth, pumped.mHeight, 32, SDL_OPENGL | SDL_RESIZABLE);
        RequestWindowResize(pumped.mWidth, pumped.mHeight);
    }
    if (mQuit || pumped.mQuit) return false;

    if (!gRenderer->IsContextValid()) {
        mResize.mPending = false;
        gRenderer->Init(mWindowWidth, mWindowHeight);
        FrameRequest loading;
        loading.mLoadingScreen = true;
        loading.mTextShape = &scene.mTextShape;
        gRenderer->RenderFrame(loading);
    }

    bool altReturn = false;
    for (int32_t alt : {Key::kLAlt, Key::kRAlt, Key::kMode})
        altReturn = altReturn || mInput.IsComboPressed(0, alt, Key::kReturn, 0);
    if (altReturn) {
        mInput.EndFrame();
        ToggleFullScreen();
    }

    if (mResize.mPending) {
        if (mResize.mCountdown > 0) {
            --mResize.mCountdown;
        } else {
            mResize.mPending = false;
            mWindowWidth = mResize.mWidth;
            mWindowHeight = mResize.mHeight;
            ApplyPhysicsFrequency(mTiming.GetFrequency());
            gRenderer->RecreateContext(mWindowWidth, mWindowHeight);
            mEditWindows.MarkPagePicturesForUpload();
            mCursors.Build();
        }
    }

    if (gStatistics) gStatistics->ResetFrame();
    if (RunGameFrame(SDL_GetTicks())) mInput.EndFrame();
    if (mQuit) return false;
    const std::string captureName = TakeCaptureFrameName();
    // Whatever a script left on the stack still reaches the results ring,
    // except while frames are captured.
    if (gScriptHost && captureName.empty()) gScriptHost->CollectLuaResults("", "undefined so far");

    FrameRequest frame;
    frame.mScene = &scene;
    frame.mHold = mResize.mPending;
    frame.mTextureMapping = gSettings->mTextureMapping;
    frame.mClearColor = mViewColor;
    frame.mCaptureFileName = captureName;
    // Captured frames show the world only, not the HUD.
    frame.mScreenOverlays = frame.mCaptureFileName.empty();
    gRenderer->RenderFrame(frame);
    if (!frame.mCaptureFileName.empty())
        ReportCaptureResult(gRenderer->GetLastCaptureOk(), frame.mCaptureFileName);
    // A photo drawn while frames are captured would land in the capture.
    else
        TakeRequestedRobotPhoto(*this, *gRenderer);
    ApplyWannaResize([this](int32_t width, int32_t height) {
        if (SDL_SetVideoMode(width, height, 32, SDL_OPENGL | SDL_RESIZABLE)) return true;
        // A refused mode may leave no window behind: the old one comes back.
        SDL_SetVideoMode(mWindowWidth, mWindowHeight, 32, SDL_OPENGL | SDL_RESIZABLE);
        return false;
    });
    return true;
}

} // namespace KIV

#pragma once
#include <gtest/gtest.h>

#include "base/Notices.h"
#include "base/Platform.h"
#include "editor/webview/WebCore.h"
#include "support/TempFolder.h"

#include <glib.h>

#include <chrono>
#include <functional>
#include <string>

// Records what a view reports.
struct ListenerLog : KIV::WebViewListener::View, KIV::WebViewListener::Load {
    int mReady = 0;
    int mFailed = 0;
    std::string mTitle;
    std::string mFailReason;
    KIV::WebCursor mCursor = KIV::WebCursor::kPointer;

    void OnChangeTitle(KIV::WebView*, const KIV::WebString& title) override { mTitle = title.Utf8(); }
    void OnChangeAddressBar(KIV::WebView*, const KIV::WebURL&) override {}
    void OnChangeTooltip(KIV::WebView*, const KIV::WebString&) override {}
    void OnChangeTargetURL(KIV::WebView*, const KIV::WebURL&) override {}
    void OnChangeCursor(KIV::WebView*, KIV::WebCursor cursor) override { mCursor = cursor; }
    void OnChangeFocus(KIV::WebView*, bool) override {}
    void OnAddConsoleMessage(KIV::WebView*, const KIV::WebString&) override {}
    void OnBeginLoadingFrame(KIV::WebView*, const KIV::WebURL&) override {}
    void OnFailLoadingFrame(KIV::WebView*, const KIV::WebURL&, const KIV::WebString& reason) override
    {
        ++mFailed;
        mFailReason = reason.Utf8();
    }
    void OnFinishLoadingFrame(KIV::WebView*, const KIV::WebURL&) override {}
    void OnDocumentReady(KIV::WebView*, const KIV::WebURL&) override { ++mReady; }
};

// One core for the whole program (GTK starts once per process); every test
// writes its pages into a fresh folder and releases its views.
class ViewFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        KIV::WebConfig config;
        sCore = KIV::WebCore::Initialize(config);
    }

    void SetUp() override
    {
        ASSERT_NE(sCore, nullptr) << "no display: run under xvfb-run";
        mRoot = KIV::ToOsPath(mFolder.Path());
        mRoot.pop_back();
        KIV::Notices().SetEchoToStderr(false);
        KIV::Notices().Clear();
    }
    void TearDown() override
    {
        for (KIV::WebView* view : mViews) view->Destroy();
        KIV::Notices().SetEchoToStderr(true);
    }

    KIV::WebView* MakeView(int width, int height, ListenerLog& log,
                           KIV::WebViewType type = KIV::kWebViewType_Offscreen)
    {
        KIV::WebView* view = sCore->CreateWebView(width, height, nullptr, type);
        view->SetViewListener(&log);
        view->SetLoadListener(&log);
        mViews.push_back(view);
        return view;
    }

    // Views made as the game's edit windows get theirs, released with the test's.
    std::function<KIV::WebView*(int32_t, int32_t)> ViewFactory()
    {
        return [this](int32_t width, int32_t height) {
            KIV::WebView* view = sCore->CreateWebView(width, height);
            mViews.push_back(view);
            return view;
        };
    }

    // Writes the page under the temporary root and returns its plain path.
    std::string WritePage(const std::string& name, const std::string& html)
    {
        std::filesystem::create_directories(std::filesystem::path(mRoot + "/" + name).parent_path());
        mFolder.WriteFile(name, html);
        return mRoot + "/" + name;
    }

    static void Load(KIV::WebView* view, const std::string& path)
    {
        view->LoadURL(KIV::WebURL(KIV::WebString::CreateFromUTF8(path.c_str(), path.size())));
    }

    // Runs frames as the game would until the condition holds; bounded so a
    // broken page fails the test instead of hanging it.
    static bool PumpUntil(const std::function<bool()>& done, double seconds = 20.0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            sCore->Update();
            g_usleep(1000);
        }
        return true;
    }
    static void PumpFor(double seconds)
    {
        PumpUntil([] { return false; }, seconds);
    }

    static std::string Js(KIV::WebView* view, const std::string& script, const std::string& frame = "")
    {
        const KIV::JSValue v =
            view->ExecuteJavascriptWithResult(KIV::WebString::CreateFromUTF8(script.c_str(), script.size()),
                                              KIV::WebString::CreateFromUTF8(frame.c_str(), frame.size()));
        return v.ToString().Utf8();
    }

    static inline KIV::WebCore* sCore = nullptr;
    TempFolder mFolder;
    std::string mRoot;
    std::vector<KIV::WebView*> mViews;
};

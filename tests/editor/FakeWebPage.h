#pragma once
#include "editor/EditWindow.h"
#include "editor/WebPage.h"
#include <memory>
#include <string>
#include <utility>

namespace KIV {

// A desktop page window that only records what it was told.
class FakeWebPage : public WebPage {
public:
    void Show() override { mShown = true; }
    void Hide() override { mShown = false; }
    bool IsLoaded() const override { return true; }
    void GetRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override {
        x = mX; y = mY; width = mWidth; height = mHeight;
    }
    void SetRect(int32_t x, int32_t y, int32_t width, int32_t height) override {
        mX = x; mY = y; mWidth = width; mHeight = height;
    }
    void SetTitle(const std::string& title) override { mTitle = title; }
    int32_t TakeFunctionKey() override { return std::exchange(mFunctionKey, -1); }
    bool TakeCloseRequest() override { return std::exchange(mCloseRequest, false); }
    bool TakeMinimisedFlag() override { return std::exchange(mMinimised, false); }

    bool mShown = false;
    int32_t mX = 0, mY = 0, mWidth = 0, mHeight = 0;
    std::string mTitle;
    int32_t mFunctionKey = -1;
    bool mCloseRequest = false;
    bool mMinimised = false;
};

// Counts the windows it makes; makes none while failing is set.
struct FakeOwnWindows {
    int mMade = 0;
    bool mFail = false;
    OwnWindowFactory Factory() {
        return [this](int32_t, int32_t, const std::string&) -> std::unique_ptr<WebPage> {
            if (mFail)
                return nullptr;
            ++mMade;
            return std::make_unique<FakeWebPage>();
        };
    }
};

} // namespace KIV

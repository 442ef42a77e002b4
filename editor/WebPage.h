#pragma once
#include <cstdint>
#include <string>

namespace KIV {

// A page shown in a desktop window of its own. The window reports function
// keys, close requests and minimising through flags that the edit-window
// manager polls once per frame; nothing calls back into the game.
class WebPage {
public:
    virtual ~WebPage() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsLoaded() const = 0;
    // The outer rectangle of the window; all 0 without one.
    virtual void GetRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const = 0;
    virtual void SetRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // 0 for F1 .. 11 for F12, -1 for none; taking clears it.
    virtual int32_t TakeFunctionKey() = 0;
    virtual bool TakeCloseRequest() = 0;
    virtual bool TakeMinimisedFlag() = 0;
};

} // namespace KIV

#include "editor/PageBridge.h"
#include "editor/EditWindowManager.h"
#include "editor/PageCalls.h"
#include "editor/PageChannel.h"
#include "script/ScriptHost.h"

namespace KIV {

bool ViewPageChannel::Evaluate(EditWindow& window, const std::string& script, std::string& result)
{
    return window.EvaluateJavascript(script, result);
}

void ViewPageChannel::Execute(EditWindow& window, const std::string& script) { window.ExecuteJavascript(script); }

EditWindow* PageBridge::FirstOfKind(const EditWindowManager& windows, int32_t kind)
{
    for (int32_t i = 0; i < windows.GetWindowCount(); ++i)
        if (EditWindow* w = windows.GetWindow(i); w && w->GetKind() == kind) return w;
    return nullptr;
}

bool PageBridge::QueueForKind(const EditWindowManager& windows, int32_t kind, const std::string& script)
{
    EditWindow* w = FirstOfKind(windows, kind);
    if (!w) return false;
    w->QueueJavascript(script);
    return true;
}

bool PageBridge::QueueForCurrent(const std::string& script)
{
    if (!mCurrent) return false;
    mCurrent->QueueJavascript(script);
    return true;
}

void PageBridge::SetCurrent(EditWindow* window, int32_t index)
{
    mCurrent = window;
    mCurrentIndex = window ? index : -1;
}

bool PageBridge::IsLoaded(const EditWindow& window, int32_t index) const
{
    if (window.GetOwnWindow()) return index < static_cast<int32_t>(mOwnLoaded.size()) && mOwnLoaded[index];
    return window.IsPageLoaded();
}

void PageBridge::CheckOwnWindowLoaded(EditWindow& window, int32_t index)
{
    WebPage* own = window.GetOwnWindow();
    if (!own) return;
    const bool loaded = own->IsLoaded();
    if (!mOwnLoaded[index] && loaded) window.OnPageReady();
    mOwnLoaded[index] = loaded;
}

void PageBridge::RunPageScripts(EditWindowManager& windows, ScriptHost& host, PageChannel& channel)
{
    const int32_t count = windows.GetWindowCount();
    mOwnLoaded.resize(static_cast<size_t>(count), 0);

    for (int32_t i = 0; i < count; ++i) {
        EditWindow* w = windows.GetWindow(i);
        SetCurrent(w, i);
        if (!w) continue;
        CheckOwnWindowLoaded(*w, i);
        if (!IsLoaded(*w, i) || !w->IsVisible() || w->IsNative()) continue;
        std::string text;
        if (!channel.Evaluate(*w, kProbe, text)) continue;
        // The text runs exactly as the page gave it: a backslash before a
        // line break would change the Lua.
        if (!text.empty() && text != "undefined") w->StoreLuaScriptText(text);
    }
    SetCurrent(nullptr, -1);

    for (int32_t i = 0; i < count; ++i) {
        EditWindow* w = windows.GetWindow(i);
        SetCurrent(w, i);
        if (!w || w->IsNative() || !IsLoaded(*w, i)) continue;
        const std::string text = w->TakeLuaScript();
        if (text.empty()) continue;
        host.RunScriptText(text, true);
        if (w->GetKind() == EditWindow::kLuaConsole) {
            std::string value;
            while (host.PopScriptString(value)) w->QueueJavascript(PageCalls::WriteLuaResult(value));
        } else {
            host.CollectLuaResults(text, kResultSource + w->GetTitle());
        }
    }
    SetCurrent(nullptr, -1);

    for (int32_t i = 0; i < count; ++i) {
        EditWindow* w = windows.GetWindow(i);
        SetCurrent(w, i);
        if (!w || w->IsNative() || !IsLoaded(*w, i)) continue;
        const std::string js = w->TakePendingJavascript();
        if (!js.empty()) channel.Execute(*w, js);
    }
    SetCurrent(nullptr, -1);
}

} // namespace KIV

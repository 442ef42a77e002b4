#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KIV {

class EditWindow;
class EditWindowManager;
class PageChannel;
class ScriptHost;

// The two-way text protocol between the game and its pages: once per frame
// every visible page is asked for its pending Lua snippet, which runs through
// the script host, and the JavaScript queued for the pages meanwhile is run
// in them at the end of the same pass.
class PageBridge {
public:
    // Asks without failing on a page that defines no get_lua_script; a page
    // with nothing pending (null, undefined or "") gives no value at all, so
    // no text such as "null" is ever run as Lua.
    static constexpr const char* kProbe =
        "(function(){if(typeof get_lua_script!=='function')return undefined;var s=get_lua_script();"
        "return (s===null||s===undefined||s==='')?undefined:String(s);})()";
    static constexpr const char* kResultSource = "edit window script; window: ";

    void RunPageScripts(EditWindowManager& windows, ScriptHost& host, PageChannel& channel);

    // The window whose snippet is running; null outside the run.
    EditWindow* GetCurrentWindow() const { return mCurrent; }
    int32_t GetCurrentIndex() const { return mCurrentIndex; }
    // Appends to the current window's pending JavaScript; with no snippet
    // running there is no window to update, and the text is dropped (false).
    bool QueueForCurrent(const std::string& script);

    static EditWindow* FirstOfKind(const EditWindowManager& windows, int32_t kind);
    // Appends to the first window of the kind; false without one.
    static bool QueueForKind(const EditWindowManager& windows, int32_t kind, const std::string& script);

private:
    bool IsLoaded(const EditWindow& window, int32_t index) const;
    void SetCurrent(EditWindow* window, int32_t index);
    void CheckOwnWindowLoaded(EditWindow& window, int32_t index);

    EditWindow* mCurrent = nullptr;
    int32_t mCurrentIndex = -1;
    // Per window: whether its desktop window's page had loaded at the last look.
    std::vector<uint8_t> mOwnLoaded;
};

} // namespace KIV

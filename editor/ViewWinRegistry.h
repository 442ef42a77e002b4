#pragma once
#include <vector>

#include "editor/webview/WebView.h"

namespace KIV {

class ViewWin;

// Every live ViewWin, so that a desktop window's events find the page window
// they belong to; a window no ViewWin owns any more gets GTK's default
// handling only.
class ViewWinRegistry {
public:
    static void Add(ViewWin* window);
    static void Remove(ViewWin* window);
    static ViewWin* Find(NativeWindowHandle handle);

private:
    static std::vector<ViewWin*>& List();
};

} // namespace KIV

#include "editor/ViewWinRegistry.h"

#include "editor/ViewWin.h"

#include <algorithm>

namespace KIV {

std::vector<ViewWin*>& ViewWinRegistry::List()
{
    static std::vector<ViewWin*> list;
    return list;
}

void ViewWinRegistry::Add(ViewWin* window)
{
    List().push_back(window);
}

void ViewWinRegistry::Remove(ViewWin* window)
{
    auto& list = List();
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

ViewWin* ViewWinRegistry::Find(NativeWindowHandle handle)
{
    for (ViewWin* window : List()) {
        if (handle != nullptr && window->GetWindowHandle() == handle) {
            return window;
        }
    }
    return nullptr;
}

} // namespace KIV

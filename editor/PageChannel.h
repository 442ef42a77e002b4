#pragma once
#include <string>

namespace KIV {

class EditWindow;

// How the page bridge reaches a window's page: the real one goes through the
// window's view, tests put a scripted page behind the same two calls.
class PageChannel {
public:
    virtual ~PageChannel() = default;
    // The value of script in the page as text; false when it gave none.
    virtual bool Evaluate(EditWindow& window, const std::string& script, std::string& result) = 0;
    virtual void Execute(EditWindow& window, const std::string& script) = 0;
};

class ViewPageChannel : public PageChannel {
public:
    bool Evaluate(EditWindow& window, const std::string& script, std::string& result) override;
    void Execute(EditWindow& window, const std::string& script) override;
};

} // namespace KIV

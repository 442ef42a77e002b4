#pragma once
#include "editor/webview/pak/WebString.h"

namespace KIV {

// A value a page's script gave back, held as the text the page itself would
// make of it (String(value)); "undefined" when the page gave none.
class JSValue {
public:
    JSValue() = default;
    static JSValue Undefined() { return JSValue(); }
    static JSValue FromText(const WebString& text, bool isUndefined);

    bool IsUndefined() const { return mUndefined; }
    WebString ToString() const;

private:
    WebString mText;
    bool mUndefined = true;
};

} // namespace KIV

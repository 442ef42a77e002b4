#include "editor/webview/JSValue.h"

namespace KIV {

JSValue JSValue::FromText(const WebString& text, bool isUndefined)
{
    JSValue v;
    v.mText = text;
    v.mUndefined = isUndefined;
    return v;
}

WebString JSValue::ToString() const
{
    if (mUndefined) {
        static const char kUndefined[] = "undefined";
        return WebString::CreateFromUTF8(kUndefined, sizeof(kUndefined) - 1);
    }
    return mText;
}

} // namespace KIV

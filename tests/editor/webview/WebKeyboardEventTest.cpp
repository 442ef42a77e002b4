#include <gtest/gtest.h>

#include "editor/webview/WebKeyboardEvent.h"

using namespace KIV;

TEST(WebKeyboardEvent, KeyIdentifiersOfVirtualKeyCodes)
{
    struct Case {
        int32_t mCode;
        const char* mIdentifier;
    };
    const Case cases[] = {
        {0x0D, "Enter"}, {0x26, "Up"},       {0x74, "F5"},     {0x7B, "F12"},    {0x08, "U+0008"},
        {0x2E, "U+007F"}, {0x41, "U+0041"},  {0x5A, "U+005A"}, {0x30, "U+0030"}, {0x20, "U+0020"},
        {0x60, "U+0030"}, {0xBC, "U+002C"},  {0xDE, "U+0027"}, {0xFF, "Unidentified"},
    };
    for (const Case& c : cases) {
        char identifier[20] = {};
        WebKeyboardEvent::GetKeyIdentifierFromVirtualKeyCode(c.mCode, identifier);
        EXPECT_STREQ(identifier, c.mIdentifier) << c.mCode;
    }
}

#include <gtest/gtest.h>

#include "editor/webview/JavascriptString.h"

using namespace KIV;

TEST(JavascriptString, EveryCharacterThatCouldEndTheLiteralIsEscaped)
{
    struct Case {
        std::string mIn;
        std::string mOut;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"a'b", "\"a\\'b\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"line\nfeed", "\"line\\nfeed\""},
        {"carriage\rreturn", "\"carriage\\rreturn\""},
        {"tab\t", "\"tab\\t\""},
        {std::string("nul\0x", 5), "\"nul\\x00x\""},
        {"\x1b\x7f", "\"\\x1B\\x7F\""},
        {"line\xE2\x80\xA8sep", "\"line\\u2028sep\""},
        {"para\xE2\x80\xA9sep", "\"para\\u2029sep\""},
        {"</script><script>alert(1)</script>", "\"<\\/script><script>alert(1)<\\/script>\""},
        {"a/b", "\"a/b\""},
        // Other multi-byte characters pass through unchanged.
        {"\xC3\xA9\xE2\x82\xAC", "\"\xC3\xA9\xE2\x82\xAC\""},
        {"\xE2\x80", "\"\xE2\x80\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JavascriptStringLiteral(c.mIn), c.mOut) << c.mIn;
    }
}

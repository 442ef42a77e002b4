#include <gtest/gtest.h>

#include "editor/webview/WebURL.h"

using namespace KIV;

namespace {

WebURL Url(const std::string& text)
{
    return WebURL(WebString::CreateFromUTF8(text.c_str(), text.size()));
}

} // namespace

TEST(WebURL, PagePathsBecomeNormalisedPagesOfTheLayersScheme)
{
    struct Case {
        const char* mIn;
        const char* mPath;
        const char* mSpec;
    };
    const Case cases[] = {
        {"/game/Bin/../Editor/kiv_help.html", "/game/Editor/kiv_help.html", "kiv:///game/Editor/kiv_help.html"},
        {"\\game\\Bin\\..\\Editor\\page.html", "/game/Editor/page.html", "kiv:///game/Editor/page.html"},
        {"/a//b/./c.html", "/a/b/c.html", "kiv:///a/b/c.html"},
        {"/with space/p.html", "/with space/p.html", "kiv:///with%20space/p.html"},
        {"kiv:///a/b%20c.html", "/a/b c.html", "kiv:///a/b%20c.html"},
        {"/a/p.html#top", "/a/p.html", "kiv:///a/p.html#top"},
    };
    for (const Case& c : cases) {
        const WebURL url = Url(c.mIn);
        ASSERT_TRUE(url.IsValid()) << c.mIn;
        EXPECT_EQ(url.GetPath(), c.mPath) << c.mIn;
        EXPECT_EQ(url.GetSpec(), c.mSpec) << c.mIn;
    }
}

TEST(WebURL, NetworkAndOtherSchemesAndClimbsAboveTheRootAreInvalid)
{
    const char* invalid[] = {"http://example.com/", "https://x/", "file:///etc/passwd", "kiv://host/a",
                             "javascript:alert(1)", "/../etc/passwd", "", "data:text/html,x"};
    for (const char* text : invalid) {
        EXPECT_FALSE(Url(text).IsValid()) << text;
    }
    EXPECT_TRUE(Url("about:blank").IsValid());
}

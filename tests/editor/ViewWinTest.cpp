#include <gtest/gtest.h>

#include "base/Notices.h"
#include "editor/ViewWin.h"

using namespace KIV;

// Without the HTML views (no display, or the core not started) a page cannot
// move into a window of its own: the player hears why and the game goes on.
TEST(ViewWin, CreationWithoutTheHtmlViewsIsReportedNotFatal)
{
    Notices().SetEchoToStderr(false);
    Notices().Clear();
    EXPECT_EQ(ViewWin::Create(400, 300), nullptr);
    EXPECT_EQ(Notices().GetReportedCount(), 1);
    EXPECT_NE(Notices().GetLast().find("window of its own"), std::string::npos);
    Notices().SetEchoToStderr(true);
}

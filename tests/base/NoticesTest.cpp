#include <gtest/gtest.h>
#include "base/Notices.h"

namespace KIV {

TEST(NoticeBoard, KeepsTheNewestNoticesForTheirTimeAndRenewsARepeatedOne)
{
    NoticeBoard board;
    board.SetEchoToStderr(false);
    for (int i = 0; i < NoticeBoard::kKeptNotices + 3; ++i) board.Report("notice " + std::to_string(i));
    std::vector<std::string> shown = board.GetShown();
    ASSERT_EQ(int32_t(shown.size()), NoticeBoard::kKeptNotices);
    EXPECT_EQ(shown.front(), "notice 3");
    EXPECT_EQ(shown.back(), "notice 10");

    // A repeat moves to the end instead of filling the board with copies.
    board.Report("notice 3");
    shown = board.GetShown();
    EXPECT_EQ(int32_t(shown.size()), NoticeBoard::kKeptNotices);
    EXPECT_EQ(shown.back(), "notice 3");
    EXPECT_EQ(board.GetReportedCount(), NoticeBoard::kKeptNotices + 4);
    EXPECT_EQ(board.GetLast(), "notice 3");

    for (int i = 0; i < NoticeBoard::kShownFrames - 1; ++i) board.AgeOneFrame();
    EXPECT_EQ(int32_t(board.GetShown().size()), NoticeBoard::kKeptNotices);
    board.AgeOneFrame();
    EXPECT_TRUE(board.GetShown().empty());
    EXPECT_EQ(board.GetLast(), "notice 3"); // the log keeps what the HUD let go
}

} // namespace KIV

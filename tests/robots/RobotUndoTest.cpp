#include <gtest/gtest.h>
#include "base/MemoryStream.h"
#include "robots/Robot.h"
#include "robots/RobotSamples.h"

using namespace KIV;
using namespace KIV::samples;

namespace {

// Setting the notes records a step every time, even for the same text.
void Edit(Robot& r, const std::string& notes) { r.SetNotes(notes); }

int gRebuilds = 0;
void CountRebuild(Robot&) { ++gRebuilds; }

} // namespace

TEST(RobotUndo, UndoAndRedoWalkTheStepsAndSayWhatTheyRestored)
{
    Robot r;
    MakeSmallRobot(r);
    EXPECT_FALSE(r.ApplyUndo(CountRebuild)) << "nothing to undo yet";
    EXPECT_FALSE(r.CanUndo());

    Edit(r, "first");
    const std::vector<uint8_t> afterFirst = Written(r);
    Edit(r, "second");

    gRebuilds = 0;
    ASSERT_TRUE(r.ApplyUndo(CountRebuild));
    EXPECT_EQ(r.GetNotes(), "first");
    EXPECT_EQ(r.GetNotice(), "UNDO APPLIED > robotdef: robot notes");
    EXPECT_TRUE(r.IsNoticeVisible());
    ASSERT_TRUE(r.ApplyUndo(CountRebuild));
    EXPECT_EQ(r.GetNotes(), "hi");
    EXPECT_EQ(gRebuilds, 2);
    EXPECT_TRUE(r.CanRedo());
    ASSERT_TRUE(r.ApplyRedo(CountRebuild));
    EXPECT_EQ(r.GetNotes(), "first");
    EXPECT_EQ(r.GetNotice(), "REDO APPLIED > robotdef: robot notes");
    // The caption is the one stored with the restored state: that of the change made right after it.
    EXPECT_EQ(Written(r), afterFirst);

    // A new edit after an undo forgets what redo could have reached.
    ASSERT_TRUE(r.ApplyUndo(CountRebuild));
    Edit(r, "other");
    EXPECT_FALSE(r.CanRedo());
    EXPECT_FALSE(r.ApplyRedo(CountRebuild));
    EXPECT_TRUE(r.GetChanged());
}

TEST(RobotUndo, UndoThenRedoGivesTheSameStreamBytes)
{
    Robot r;
    MakeSmallRobot(r);
    Edit(r, "a");
    const std::vector<uint8_t> changed = Streamed(r);
    ASSERT_TRUE(r.ApplyUndo(nullptr));
    ASSERT_TRUE(r.ApplyRedo(nullptr));
    EXPECT_EQ(Streamed(r), changed);
}

TEST(RobotUndo, ASeriesRecordsOneStep)
{
    Robot r;
    r.StartUndoSerie("robotdef: scale robot");
    for (int i = 0; i < 10; ++i) Edit(r, std::to_string(i));
    r.StartUndoSerie("ignored while one runs");
    r.EndUndoSerie();
    EXPECT_EQ(r.GetUndoHistory().GetCount(), 1);
    ASSERT_TRUE(r.ApplyUndo(nullptr));
    EXPECT_EQ(r.GetNotes(), "");
    EXPECT_EQ(r.GetNotice(), "UNDO APPLIED > robotdef: scale robot");
}

TEST(RobotUndo, HistoryIsBoundedByCountAndBytesOldestFirst)
{
    Robot r;
    for (int i = 0; i < RobotUndoHistory::kMaxSteps + 40; ++i) Edit(r, std::to_string(i));
    EXPECT_EQ(r.GetUndoHistory().GetCount(), RobotUndoHistory::kMaxSteps);
    // The newest steps survive: undo reaches the latest edits.
    ASSERT_TRUE(r.ApplyUndo(nullptr));
    EXPECT_EQ(r.GetNotes(), std::to_string(RobotUndoHistory::kMaxSteps + 38));

    Robot big;
    const std::string megabyte(1 << 20, 'x');
    for (int i = 0; i < 100; ++i) Edit(big, megabyte + std::to_string(i));
    EXPECT_LE(big.GetUndoHistory().GetBytes(), RobotUndoHistory::kMaxBytes);
    EXPECT_GT(big.GetUndoHistory().GetCount(), 10);
    ASSERT_TRUE(big.ApplyUndo(nullptr));
    EXPECT_EQ(big.GetNotes(), megabyte + "98");
}

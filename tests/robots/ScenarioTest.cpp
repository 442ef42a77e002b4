#include <gtest/gtest.h>
#include "base/MemoryStream.h"
#include "robots/Scenario.h"

using namespace KIV;

TEST(Scenario, AddSelectAndDelete)
{
    Scenario s;
    s.AddRobot("walker");
    EXPECT_EQ(s.GetRobotsCount(), 1);
    EXPECT_EQ(s.GetRobotSelectedIndex(), 0);
    EXPECT_EQ(s.GetSelectedRobotPosition(), VectorF());
    EXPECT_TRUE(s.GetChanged());
    s.AddRobot("spider");
    s.SelectRobot(0);
    s.AddRobot("tank"); // goes after the selection
    EXPECT_EQ(s.GetRobotsListArray(), "['walker','tank','spider']");
    EXPECT_EQ(s.GetRobotSelectedIndex(), 1);
    s.SelectRobot(7);
    EXPECT_EQ(s.GetRobotSelectedIndex(), 1);
    s.DeleteSelectedRobot();
    EXPECT_EQ(s.GetRobotSelectedIndex(), 0);
    s.DeleteSelectedRobot();
    s.DeleteSelectedRobot();
    EXPECT_EQ(s.GetRobotSelectedIndex(), -1);
    EXPECT_EQ(s.GetRobotsCount(), 0);
}

TEST(Scenario, PositionSettersWithoutSelectionOnlyMarkTheChange)
{
    Scenario s;
    s.SetSelectedRobotPosX(5.0f);
    EXPECT_TRUE(s.GetChanged());
    EXPECT_EQ(s.GetSelectedRobotPosX(), 0.0f);
    s.SetSavedOK();
    s.SetSelectedRobotPosition({1, 2});
    EXPECT_FALSE(s.GetChanged());
}

TEST(Scenario, ListStorageSelectionRules)
{
    Scenario s;
    s.AppendRobotEntry();
    EXPECT_EQ(s.GetRobotSelectedIndex(), 0);
    s.AppendRobotEntry();
    EXPECT_EQ(s.GetRobotSelectedIndex(), 0);
    EXPECT_NE(s.InsertRobotEntry(2), nullptr); // at count: appends
    EXPECT_EQ(s.InsertRobotEntry(4), nullptr);
    s.SelectRobot(1);
    s.InsertRobotEntry(0);
    EXPECT_EQ(s.GetRobotSelectedIndex(), 2);
    EXPECT_FALSE(s.EraseRobotEntry(4));
    EXPECT_EQ(s.GetRobotsCount(), 4);
}

TEST(Scenario, BlockRoundTripsAndShortBlocksKeepDefaults)
{
    Scenario a;
    a.AddRobot("walker");
    a.SetSelectedRobotPosition({10, -20});
    a.AddRobot("spider");
    a.SetSelectedRobotPosition({30, 40});
    MemoryStream s;
    ASSERT_TRUE(a.Write(s));

    // Every prefix reads without a crash; the whole block reads back exactly.
    for (int32_t cut = 0; cut <= s.GetSize(); ++cut) {
        MemoryStream part;
        part.WriteBytes(s.GetData(), cut);
        part.SetPosition(0);
        Scenario b;
        b.Read(part);
        if (cut == s.GetSize()) {
            ASSERT_EQ(b.GetRobotsCount(), 2);
            EXPECT_EQ(b.GetRobotSelectedIndex(), 0);
            EXPECT_EQ(b.GetEntry(1)->mRobotName, "spider");
            EXPECT_EQ(b.GetEntry(0)->mStartY, -20.0f);
            EXPECT_FALSE(b.GetChanged());
        }
    }

    // Cut right after the count: the entries exist with their defaults.
    MemoryStream head;
    head.WriteByte(1);
    for (int i = 0; i < 3; ++i) head.WriteString("");
    head.WriteInt(2);
    head.SetPosition(0);
    Scenario c;
    c.Read(head);
    ASSERT_EQ(c.GetRobotsCount(), 2);
    EXPECT_EQ(c.GetEntry(1)->mRobotName, "");

    MemoryStream huge;
    huge.WriteByte(1);
    for (int i = 0; i < 3; ++i) huge.WriteString("");
    huge.WriteInt(2000000000);
    huge.SetPosition(0);
    c.Read(huge);
    EXPECT_EQ(c.GetRobotsCount(), Scenario::kMaxEntries);
}

#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>
#include "base/Statistics.h"
#include "base/TextFormat.h"

using namespace KIV;

TEST(TextFormat, Integers)
{
    struct { int32_t v; uint8_t w; const char* expected; } cases[] = {
        {7, 3, "007"}, {-7, 3, "-007"}, {1234, 2, "1234"}, {0, 0, "0"}, {INT32_MIN, 0, "-2147483648"}};
    for (auto& c : cases) EXPECT_EQ(IntToPaddedText(c.v, c.w), c.expected);
    EXPECT_EQ(IntToText(-45), "-45");
    EXPECT_EQ(BoolToYesNoText(true), "Yes");
}

TEST(TextFormat, FloatsTruncateTheirFraction)
{
    struct { uint8_t d; float v; bool keep; const char* expected; } cases[] = {
        {2, 3.0f, false, "3"},   {2, 3.0f, true, "3.00"},   {2, 3.05f, false, "3.04"},
        {1, -0.25f, false, "-0.2"}, {3, 1.5f, false, "1.500"}, {0, -7.9f, false, "-7"},
        {4, 0.0001f, true, "0.0001"}, {4, 0.00004f, true, "0.0000"}, {2, -12.5f, false, "-12.50"}};
    for (auto& c : cases) EXPECT_EQ(FloatToText(c.d, c.v, c.keep), c.expected) << c.v;
}

TEST(TextFormat, PercentEncodingAndArrayLiterals)
{
    EXPECT_EQ(PercentEncodeText(""), "");
    EXPECT_EQ(PercentEncodeText("a-b"), "a%2Db");
    EXPECT_EQ(PercentEncodeText(std::string("\xE9 ")), "%E9%20");
    std::string js = "[";
    CloseJsArrayText(js);
    EXPECT_EQ(js, "[]");
    js = "[";
    for (const char* item : {"a", "b c", "d"}) AppendJsArrayItem(js, item);
    CloseJsArrayText(js);
    EXPECT_EQ(js, "['a','b%20c','d']");
}

class StatisticsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSaved = gStatistics;
        mStats = std::make_unique<Statistics>();
        mStats->InitItems();
    }
    void TearDown() override { gStatistics = mSaved; }
    Statistics* mSaved = nullptr;
    std::unique_ptr<Statistics> mStats;
};

TEST_F(StatisticsTest, NamesKindsAndTexts)
{
    EXPECT_EQ(mStats->FormatValue(0), "#error");
    EXPECT_EQ(mStats->GetItemName(19), "toys playtime 1");
    EXPECT_EQ(mStats->GetItemName(30), "toys playtime 12");
    EXPECT_EQ(mStats->GetItemName(63), "mouse position in game world");
    mStats->GetItem(100)->mKind = 4;
    EXPECT_EQ(mStats->FormatValue(100), "");
    mStats->GetItem(101)->mKind = 11;
    EXPECT_EQ(mStats->FormatValue(101), "");
    StatSetIntPair(62, 10, -3);
    EXPECT_EQ(mStats->FormatValue(62), "10,-3");
    StatSetFloatPair(63, 1.5f, -2.0f);
    EXPECT_EQ(mStats->FormatValue(63), "1.5000,-2.0000");
}

TEST_F(StatisticsTest, TimeTexts)
{
    mStats->SetCounterFrequency(1000000);
    StatItem* t = mStats->GetItem(kStatRenderTime);
    t->Ticks()[2] = 45;
    EXPECT_EQ(mStats->FormatValue(kStatRenderTime), "0.045 ms");
    t->Ticks()[2] = 12500;
    EXPECT_EQ(mStats->FormatValue(kStatRenderTime), "12.500 ms");
    StatItem* avg = mStats->GetItem(kStatFramePlaytimeAvg);
    EXPECT_EQ(mStats->FormatValue(kStatFramePlaytimeAvg), "0.000 ms");
    avg->Ticks()[2] = -5;
    avg->Ticks()[3] = 2;
    EXPECT_EQ(mStats->FormatValue(kStatFramePlaytimeAvg), "0.000 ms");
    avg->Ticks()[2] = 3000;
    avg->Ticks()[3] = 0; // no samples: shown as zero, never a division by zero
    EXPECT_EQ(mStats->FormatValue(kStatFramePlaytimeAvg), "0.000 ms");
    avg->Ticks()[3] = 2;
    EXPECT_EQ(mStats->FormatValue(kStatFramePlaytimeAvg), "1.500 ms");
}

TEST_F(StatisticsTest, ResetFrameClearsOnlyFlaggedItems)
{
    for (int i : {3, 57, 59, 60, 61}) StatSetInt(i, 9);
    mStats->ResetFrame();
    for (int i : {57, 59, 60, 61}) EXPECT_EQ(StatGetInt(i), 0) << i;
    EXPECT_EQ(StatGetInt(3), 9);
}

TEST_F(StatisticsTest, ItemLinePadsToTheWidth)
{
    StatSetInt(kStatToysCount, 7);
    std::string line = mStats->FormatItemLine(kStatToysCount, 20);
    EXPECT_EQ(line, "toys count:        7");
    EXPECT_EQ(line.size(), 20u);
    EXPECT_EQ(mStats->FormatItemLine(kStatToysCount, 5), "toys count: 7");
}

TEST_F(StatisticsTest, CountersFromManyThreadsLoseNothing)
{
    StatSetInt(kStatLineIntersectCalls, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 10000; ++i) StatAdd(kStatLineIntersectCalls);
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(StatGetInt(kStatLineIntersectCalls), 80000);
}

TEST(TextFormat, PercentDecodingAcceptsOnlyWellFormedEscapes)
{
    struct { const char* in; const char* out; } cases[] = {
        {"a%41b", "aAb"}, {"a%4", ""}, {"a%4a", ""}, {"", ""}, {"%", ""}, {"plain", "plain"}, {"%25%20", "% "}};
    for (auto& c : cases) EXPECT_EQ(DecodePercentEscapes(c.in), c.out) << c.in;
    EXPECT_EQ(DecodePercentEscapes(PercentEncodeText("Walker 2.robot")), "Walker 2.robot");
}

TEST(StatisticsLifetime, AShortLivedTableHandsThePointerBack)
{
    Statistics* before = gStatistics;
    {
        Statistics outer;
        {
            Statistics inner;
            EXPECT_EQ(gStatistics, &inner);
        }
        EXPECT_EQ(gStatistics, &outer);
    }
    EXPECT_EQ(gStatistics, before);
}

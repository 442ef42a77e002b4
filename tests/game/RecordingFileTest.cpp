#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "base/MemoryStream.h"
#include "game/Recording.h"

using namespace KIV;

namespace {

struct RecordingContent {
    SyncCheckList mChecks;
    RecordedFrames mFrames;
};

RecordingContent MakeContent(int32_t checks, int32_t frames)
{
    RecordingContent c;
    for (int32_t i = 0; i < checks; ++i) c.mChecks.push_back({i * 100, 0x80000000u + uint32_t(i), {}});
    for (int32_t i = 0; i < frames; ++i) {
        InputFrame f;
        f.mW.mIsDown = uint8_t(i & 1);
        f.mMouseWorldX = float(i);
        f.mCameraZoom = 1.5f;
        EXPECT_TRUE(c.mFrames.Append(f));
    }
    return c;
}

std::vector<uint8_t> Write(const RecordingContent& c)
{
    MemoryStream s;
    EXPECT_TRUE(WriteRecording(s, c.mChecks, c.mFrames));
    return std::vector<uint8_t>(s.GetData(), s.GetData() + s.GetSize());
}

} // namespace

TEST(RecordingFile, GoldenLayoutAndSize)
{
    RecordingContent c = MakeContent(2, 1);
    std::vector<uint8_t> bytes = Write(c);
    ASSERT_EQ(int64_t(bytes.size()), GetRecordingFileSize(2, 1));
    ASSERT_EQ(bytes.size(), 10u + 8u * 2u + 128u);
    const uint8_t head[] = {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 100, 0, 0, 0, 1, 0, 0, 0x80, 1, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), head, sizeof head), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 26, &c.mFrames[0], 128), 0);

    for (auto [n, m] : {std::pair{0, 0}, {3, 0}, {0, 5}, {7, 300}})
        EXPECT_EQ(int64_t(Write(MakeContent(n, m)).size()), 10 + 8 * n + 128 * m) << n << " " << m;
}

TEST(RecordingFile, ReadsBackWhatWasWritten)
{
    RecordingContent c = MakeContent(3, 20);
    std::vector<uint8_t> bytes = Write(c);
    RecordingContent back;
    ASSERT_EQ(ReadRecording(bytes, back.mChecks, back.mFrames), RecordingReadResult::kOk);
    ASSERT_EQ(back.mChecks.size(), 3u);
    EXPECT_EQ(back.mChecks[2].mFrameIndex, 200);
    EXPECT_EQ(back.mChecks[2].mChecksum, 0x80000002u);
    EXPECT_TRUE(back.mChecks[2].mParticleSums.empty());
    ASSERT_EQ(back.mFrames.Count(), 20);
    EXPECT_EQ(std::memcmp(&back.mFrames[19], &c.mFrames[19], 128), 0);
}

// Any cut or damaged file is refused and the recording in memory stays whole.
TEST(RecordingFile, EveryPrefixAndDamagedCountIsRefusedKeepingTheCurrentRecording)
{
    std::vector<uint8_t> bytes = Write(MakeContent(4, 6));
    RecordingContent current = MakeContent(1, 2);
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n)); // own buffer: overreads show
        EXPECT_NE(ReadRecording(cut, current.mChecks, current.mFrames), RecordingReadResult::kOk)
            << n;
        ASSERT_EQ(current.mChecks.size(), 1u) << n;
        ASSERT_EQ(current.mFrames.Count(), 2) << n;
    }

    struct Damage {
        size_t at;
        uint8_t value;
        RecordingReadResult expected;
    } const damages[] = {
        {0, 2, RecordingReadResult::kBadVersion},     // unknown check block
        {4, 0xff, RecordingReadResult::kCut},         // N far beyond the file
        {1, 0xff, RecordingReadResult::kCut},         // N beyond the file by its low byte
        {5 + 32 + 4, 0x7f, RecordingReadResult::kCut}, // M beyond the file
        {5 + 32 + 1, 5, RecordingReadResult::kTrailingBytes}, // M one less than stored
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = bytes;
        bad[d.at] = d.value;
        EXPECT_EQ(ReadRecording(bad, current.mChecks, current.mFrames), d.expected) << d.at;
        EXPECT_EQ(current.mChecks.size(), 1u);
        EXPECT_EQ(current.mFrames.Count(), 2);
    }
}

TEST(RecordingFile, AnInputBlockOfAnotherVersionKeepsTheFrames)
{
    std::vector<uint8_t> bytes = Write(MakeContent(2, 3));
    bytes[5 + 16] = 7;
    RecordingContent current = MakeContent(1, 2);
    ASSERT_EQ(ReadRecording(bytes, current.mChecks, current.mFrames), RecordingReadResult::kOk);
    EXPECT_EQ(current.mChecks.size(), 2u);
    EXPECT_EQ(current.mFrames.Count(), 2);
}

// A ten-minute run appends 126,000 frames: one frame at a time would copy the
// whole array on every step.
TEST(RecordingFile, FramesGrowGeometrically)
{
    RecordedFrames frames;
    int32_t reallocations = 0;
    int32_t capacity = 0;
    for (int32_t i = 0; i < 126000; ++i) {
        ASSERT_TRUE(frames.Append(InputFrame{}));
        if (frames.GetArray().Capacity() != capacity) ++reallocations;
        capacity = frames.GetArray().Capacity();
    }
    EXPECT_LE(reallocations, 8);
    EXPECT_LE(frames.GetReservedBytes(), 2 * 126000 * 128);
}

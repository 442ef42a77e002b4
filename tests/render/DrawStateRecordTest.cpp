#include <gtest/gtest.h>
#include <vector>
#include "base/MemoryStream.h"
#include "render/DrawStateRecord.h"

using namespace KIV;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes StreamBytes(const MemoryStream& s) { return Bytes(s.GetData(), s.GetData() + s.GetSize()); }

TEST(DrawStateRecordTest, TwentyTwoBytesRoundTripAndVersionZeroIsSkipped)
{
    DrawState d;
    d.mBlender = 18;
    d.mTexColorOp = 1;
    d.mFillColor = ColorRGBA(9, 8, 7, 6);
    d.mFogColor = ColorRGBA(1, 2, 3, 40);
    d.mAlphaExtrude = 77;
    d.mLighted = 0;
    MemoryStream s;
    ASSERT_TRUE(WriteDrawStateRecord(s, d));
    ASSERT_EQ(s.GetSize(), kDrawStateRecordSize);
    const Bytes b = StreamBytes(s);
    EXPECT_EQ(Bytes(b.begin() + 9, b.begin() + 17), (Bytes{9, 8, 7, 6, 1, 2, 3, 40}));
    ASSERT_TRUE(WriteDrawStateRecord(s, DrawState{}));
    s.SetPosition(0);
    DrawState r;
    r.Reset();
    ASSERT_TRUE(ReadDrawStateRecord(s, r));
    EXPECT_TRUE(r == d);

    Bytes zero = StreamBytes(s);
    zero[0] = 0;
    s.Clear();
    s.WriteBytes(zero.data(), int32_t(zero.size()));
    s.SetPosition(0);
    DrawState kept;
    ASSERT_TRUE(InitWhiteRecord(kept));
    kept.mBlender = 3;
    EXPECT_FALSE(ReadDrawStateRecord(s, kept));
    EXPECT_EQ(kept.mBlender, 3);
    EXPECT_EQ(s.GetPosition(), kDrawStateRecordSize);
    ASSERT_TRUE(ReadDrawStateRecord(s, kept));
    EXPECT_TRUE(kept == DrawState{});
}

} // namespace

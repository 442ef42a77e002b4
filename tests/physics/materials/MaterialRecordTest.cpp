#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

namespace {

std::vector<uint8_t> Bytes(const Material& m)
{
    MemoryStream s;
    EXPECT_TRUE(m.Write(s));
    return std::vector<uint8_t>(s.GetData(), s.GetData() + s.GetSize());
}

void Load(MemoryStream& s, const std::vector<uint8_t>& bytes, size_t n)
{
    if (n > 0) s.WriteBytes(bytes.data(), static_cast<int32_t>(n));
    s.SetPosition(0);
}

// A material with something in every list and every field off its default.
void Fill(Material& m)
{
    m.SetName("rubber");
    m.SetDensity(2.5f);
    m.SetFriction(0.25f);
    m.SetAllowSurfaceDeform(false);
    m.SetSurfaceDeformResistance(3.0f);
    m.SetAllowPenetratingParticles(false);
    m.SetAllowGrind(true);
    m.SetAllowFreeze(true);
    m.AddBreakDecal();
    m.SetBreakDecalTexture(0, "Toys/decals/crack.png");
    m.SetBreakDecalSize(0, IntervalF(0.5f, 0.75f));
    m.SetBreakDecalsDistance(IntervalF(4.0f, 6.0f));
    m.AddDentDecal();
    m.AddDentDecal();
    m.SetDentDecalOpacity(1, IntervalF(0.25f, 0.5f));
    m.SelectDentDecal(0);
    m.AddDentParticles();
    m.SetDentParticlesName("dust");
    m.GetDentParticlesSelected()->SetStartSpeed(55.0f);
    m.AddDentParticles();
    m.SetDentParticlesName("sparks");
    m.SelectDentParticles(0);
    m.SetDentShardsCount(IntervalI(0, 5));
    m.SetEntryHoleParticlePowerMin(3.0f);
    m.SetEntryHoleParticleSlowDown(0.5f);
    m.AddEntryHoleDecal();
    m.SetEntryHoleDecalTexture(0, "in.png");
    m.SetExitHoleParticlePowerMin(7.0f);
    m.SetExitHoleParticleSlowDown(0.75f);
    m.AddExitHoleParticles();
    m.SetExitHoleShardsSize(IntervalF(1.0f, 1.5f));
}

} // namespace

TEST(MaterialRecord, AFreshMaterialWritesTheGolden171Bytes)
{
    const std::vector<uint8_t> b = Bytes(Material());
    ASSERT_EQ(b.size(), 171u);
    std::vector<uint8_t> expected;
    auto u8 = [&](uint8_t v) { expected.push_back(v); };
    auto i32 = [&](int32_t v) {
        uint8_t x[4];
        std::memcpy(x, &v, 4);
        expected.insert(expected.end(), x, x + 4);
    };
    auto f32 = [&](float v) {
        int32_t i;
        std::memcpy(&i, &v, 4);
        i32(i);
    };
    auto family = [&] {
        i32(0), i32(-1), i32(0), i32(-1), i32(1), i32(3), f32(2.0f), f32(4.0f);
    };
    u8(1);
    for (int i = 0; i < 16; ++i) u8(0);
    f32(1.0f), f32(0.0f), u8(1), f32(1.0f), u8(1), u8(1), u8(0), u8(0), u8(0), u8(1);
    u8(2), i32(0), i32(-1), f32(2.0f), f32(3.0f);
    ASSERT_EQ(expected.size(), 53u);
    u8(1), family();
    u8(3), f32(0.0f), f32(0.9f), family();
    u8(3), f32(0.0f), f32(0.9f), family();
    u8(1), u8(1), u8(1);
    EXPECT_EQ(b, expected);
}

TEST(MaterialRecord, ARecordReadBackGivesEveryFieldListAndSelection)
{
    Material written;
    Fill(written);
    const std::vector<uint8_t> bytes = Bytes(written);
    MemoryStream s;
    Load(s, bytes, bytes.size());
    Material read;
    read.AddExitHoleDecal();  // replaced, not added to
    ASSERT_TRUE(read.Read(s));
    EXPECT_EQ(s.GetPosition(), s.GetSize());
    EXPECT_EQ(Bytes(read), bytes);
    EXPECT_EQ(read.GelDentDecalSelectedIndex(), 0);
    EXPECT_EQ(read.GetDentParticlesSelectedIndex(), 0);
    EXPECT_EQ(read.GetDentParticlesSelected()->GetStartSpeed(), 55.0f);
    EXPECT_EQ(read.GelExitHoleDecalCount(), 0);

    Material copy;
    ASSERT_TRUE(Material::CopyThroughStream(written, copy));
    EXPECT_EQ(Bytes(copy), bytes);
    EXPECT_NE(copy.mDent.mTemplates[0], written.mDent.mTemplates[0]) << "templates are made anew";
}

// Older block versions: a break block of version 1 has no list, a hole
// block of version 1 neither threshold nor slow-down, version 2 only the threshold.
TEST(MaterialRecord, OlderBlockVersionsReadOnlyTheFieldsTheyHold)
{
    struct Case {
        uint8_t breakVersion;
        uint8_t holeVersion;
        bool breakRead;
        bool powerRead;
        bool slowDownRead;
    };
    for (const Case c : {Case{1, 3, false, true, true}, Case{2, 1, true, false, false}, Case{2, 2, true, true, false},
                         Case{0, 3, false, true, true}}) {
        SCOPED_TRACE(testing::Message() << int(c.breakVersion) << " " << int(c.holeVersion));
        Material source;
        source.SetEntryHoleParticlePowerMin(5.0f);
        source.SetEntryHoleParticleSlowDown(0.5f);
        source.SetBreakDecalsDistance(IntervalF(7.0f, 8.0f));
        source.AddDentDecal();
        source.SetDentDecalTexture(0, "dent.png");
        std::vector<uint8_t> b = Bytes(source);
        // Rebuild the record as the older writer laid it out.
        std::vector<uint8_t> old(b.begin(), b.begin() + 36);
        old.push_back(c.breakVersion);
        if (c.breakVersion >= 2) old.insert(old.end(), b.begin() + 37, b.begin() + 53);
        const size_t dentEnd = 53 + 1 + 32 + 21 + 8;  // one decal with an 8-byte name
        old.insert(old.end(), b.begin() + 53, b.begin() + dentEnd);
        old.push_back(c.holeVersion);
        if (c.holeVersion >= 2) old.insert(old.end(), b.begin() + dentEnd + 1, b.begin() + dentEnd + 5);
        if (c.holeVersion >= 3) old.insert(old.end(), b.begin() + dentEnd + 5, b.begin() + dentEnd + 9);
        old.insert(old.end(), b.begin() + dentEnd + 9, b.end());

        MemoryStream s;
        Load(s, old, old.size());
        Material read;
        EXPECT_TRUE(read.Read(s));
        EXPECT_EQ(s.GetPosition(), s.GetSize());
        EXPECT_EQ(read.GetBreakDecalsDistance().mMinValue, c.breakRead ? 7.0f : 2.0f);
        EXPECT_EQ(read.GetDentDecalTexture(0), "dent.png");
        EXPECT_EQ(read.GetEntryHoleParticlePowerMin(), c.powerRead ? 5.0f : 0.0f);
        EXPECT_EQ(read.GetEntryHoleParticleSlowDown(), c.slowDownRead ? 0.5f : 0.9f);
    }
}

// Every cut of a record reads without harm, reports the cut, and leaves the
// fields the cut removed as they were.
TEST(MaterialRecord, EveryPrefixReadsSafely)
{
    Notices().SetEchoToStderr(false);
    Material written;
    Fill(written);
    const std::vector<uint8_t> bytes = Bytes(written);
    for (size_t n = 0; n < bytes.size(); ++n) {
        MemoryStream s;
        Load(s, bytes, n);
        Material read;
        EXPECT_FALSE(read.Read(s)) << n;
        EXPECT_LE(s.GetPosition(), static_cast<int32_t>(n));
        EXPECT_EQ(read.GetDensity(), n >= 21 ? 2.5f : 1.0f) << n;
        EXPECT_LE(read.GelDentDecalCount(), 2);
        EXPECT_LE(read.mDent.mTemplates.Count(), 2);
    }
    Notices().SetEchoToStderr(true);
}

// A count larger than the bytes left could hold is damage: nothing is made for it.
TEST(MaterialRecord, CountsBeyondTheRemainingBytesAllocateNothing)
{
    std::vector<uint8_t> bytes = Bytes(Material());
    for (size_t at : {size_t{37}, size_t{54}, size_t{62}}) {  // break decals, dent decals, dent templates
        SCOPED_TRACE(at);
        std::vector<uint8_t> damaged = bytes;
        const int32_t huge = 0x7fffffff;
        std::memcpy(damaged.data() + at, &huge, 4);
        MemoryStream s;
        Load(s, damaged, damaged.size());
        Material read;
        EXPECT_FALSE(read.Read(s));
        EXPECT_LT(read.GelBreakDecalCount() + read.GelDentDecalCount() + read.mDent.mTemplates.Count(), 200);
    }
    std::vector<uint8_t> negative = bytes;
    const int32_t minusOne = -1;
    std::memcpy(negative.data() + 54, &minusOne, 4);
    MemoryStream s;
    Load(s, negative, negative.size());
    Material read;
    EXPECT_FALSE(read.Read(s));
    EXPECT_EQ(read.GelDentDecalCount(), 0);
}

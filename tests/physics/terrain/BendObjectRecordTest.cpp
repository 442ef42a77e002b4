#include <gtest/gtest.h>
#include <cstring>
#include <limits>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "physics/terrain/BendObject.h"
#include "support/TerrainPictures.h"

using namespace KIV;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes StreamBytes(const MemoryStream& s) { return Bytes(s.GetData(), s.GetData() + s.GetSize()); }

void Load(MemoryStream& s, const Bytes& bytes)
{
    s.Clear();
    if (!bytes.empty()) s.WriteBytes(bytes.data(), int32_t(bytes.size()));
    s.SetPosition(0);
}

// An object whose every stored field differs from a new object's.
void MakeUnusual(BendObject& o, const std::string& name)
{
    o.mTextureFileName = name;
    o.SetLayer(-3);
    o.mFrame.SetFromRect(10, 20, 130, 80);
    o.mFrame.ApplyHandleDrag(9, VectorF(4, -2));
    o.mFrame.ApplyHandleDrag(5, VectorF(7, 7));
    o.mFrame.SetGridSize(5, 2);
    o.mCollisions = 0;
    o.mPassDynamics = 1;
    o.mPassParticles = 1;
    o.mSlippery = 0.75f;
    DrawState& d = o.mTexturedShape.mDrawState;
    d.mBlender = 4;
    d.mTexColorOp = 1;
    d.mFillColor = ColorRGBA(1, 2, 3, 4);
    d.mFogColor = ColorRGBA(5, 6, 7, 8);
    d.mAlphaExtrude = -9;
    d.mLighted = 0;
}

constexpr int32_t kUnusualNameLength = 7;

// The record of an unusual object named with kUnusualNameLength bytes.
Bytes WriteUnusual(BendObject& o)
{
    MakeUnusual(o, "T\\x.png");
    MemoryStream s;
    EXPECT_TRUE(o.Write(s));
    return StreamBytes(s);
}

bool SameSides(const BendFrame& a, const BendFrame& b)
{
    return std::memcmp(a.mSides, b.mSides, sizeof(a.mSides)) == 0;
}

TEST(BendObjectRecordTest, RecordIsVersionThreeOf179BytesPlusTheName)
{
    for (const std::string name : {"", "T\\a.png", "Terrain\\Rocks\\boulder_large.png"}) {
        BendObject o;
        MakeUnusual(o, name);
        MemoryStream s;
        ASSERT_TRUE(o.Write(s));
        const int32_t n = int32_t(name.size());
        ASSERT_EQ(s.GetSize(), BendObject::kRecordFixedSize + n);
        const Bytes b = StreamBytes(s);
        EXPECT_EQ(b[0], 3);
        EXPECT_EQ(b[1], n);
        EXPECT_EQ(b[9 + n], 1) << "frame version";
        for (int32_t side = 0; side < 4; ++side) EXPECT_EQ(b[10 + n + 33 * side], 1) << "side version";
        EXPECT_EQ(b[10 + n + 132], 5) << "grid columns";
        EXPECT_EQ(b[14 + n + 132], 2) << "grid rows";
        EXPECT_EQ(b[150 + n], 0) << "collisions";
        EXPECT_EQ(b[157 + n], 1) << "draw-state version";
        EXPECT_EQ(b[158 + n], 4) << "blender";
    }
}

// Every stored field of a terrain object set to a value of its own, and its record written by
// hand, field by field, so that neither the writer nor the reader supplies the expected bytes.
struct GoldenTerrainRecord {
    static constexpr const char* kName = "T\\x.png";

    static float SideValue(int32_t k) { return 100.0f + 1.25f * float(k); }  // 32 distinct values

    // The unusual object, with pass particles and every frame value made distinct as well.
    static void Fill(BendObject& o)
    {
        MakeUnusual(o, kName);
        int32_t k = 0;
        for (CubicBezier& side : o.mFrame.mSides)
            for (VectorF* v : {&side.mStart, &side.mEnd, &side.mStartVector, &side.mEndVector}) {
                v->mX = SideValue(k++);
                v->mY = SideValue(k++);
            }
        o.mPassParticles = 2;
    }

    static Bytes Record()
    {
        Bytes b;
        auto u8 = [&](uint8_t v) { b.push_back(v); };
        auto i32 = [&](int32_t v) {
            for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(uint32_t(v) >> s));  // low byte first
        };
        auto f32 = [&](float v) {
            int32_t bits;
            std::memcpy(&bits, &v, 4);
            i32(bits);
        };
        u8(3);                                              // record version, offset 0
        i32(7);                                             // name length, 1
        for (const char* c = kName; *c; ++c) u8(uint8_t(*c));  // name, 5
        i32(-3);                                            // layer, 12
        u8(1);                                              // frame version, 16
        for (int32_t side = 0, k = 0; side < 4; ++side) {   // sides at 17 + 33 * side
            u8(1);
            for (int32_t v = 0; v < 8; ++v) f32(SideValue(k++));
        }
        i32(5);    // columns, 149
        i32(2);    // rows, 153
        u8(0);     // collisions, 157
        u8(1);     // pass dynamics, 158
        u8(2);     // pass particles, 159
        f32(0.75f);  // slippery, 160
        u8(1);     // draw-state version, 164
        i32(4);    // blender, 165
        i32(1);    // texture colour operation, 169
        u8(1), u8(2), u8(3), u8(4);  // fill colour, 173
        u8(5), u8(6), u8(7), u8(8);  // fog colour, 177
        i32(-9);   // alpha extrude, 181
        u8(0);     // lighted, 185
        return b;
    }
};

TEST(BendObjectRecordTest, WritesAndReadsTheHandWrittenGoldenRecord)
{
    const Bytes golden = GoldenTerrainRecord::Record();
    ASSERT_EQ(golden.size(), 179u + 7u);
    // Spelled-out bytes of two values pin the byte order itself: 0.75f and the first side's start x.
    EXPECT_EQ(Bytes(golden.begin() + 160, golden.begin() + 164), (Bytes{0, 0, 0x40, 0x3F}));
    EXPECT_EQ(Bytes(golden.begin() + 18, golden.begin() + 22), (Bytes{0, 0, 0xC8, 0x42}));

    BendObject source;
    GoldenTerrainRecord::Fill(source);
    MemoryStream written;
    ASSERT_TRUE(source.Write(written));
    const Bytes out = StreamBytes(written);
    ASSERT_EQ(out.size(), golden.size());
    for (size_t i = 0; i < golden.size(); ++i) EXPECT_EQ(int(out[i]), int(golden[i])) << "byte " << i;

    MemoryStream s;
    Load(s, golden);
    BendObject target;
    ASSERT_TRUE(target.Read(s));
    EXPECT_EQ(s.GetPosition(), int32_t(golden.size()));
    EXPECT_EQ(target.mTextureFileName, "T\\x.png");
    EXPECT_EQ(target.GetLayer(), -3);
    int32_t k = 0;
    for (const CubicBezier& side : target.mFrame.mSides)
        for (const VectorF* v : {&side.mStart, &side.mEnd, &side.mStartVector, &side.mEndVector}) {
            EXPECT_EQ(v->mX, GoldenTerrainRecord::SideValue(k)) << "frame value " << k;
            ++k;
            EXPECT_EQ(v->mY, GoldenTerrainRecord::SideValue(k)) << "frame value " << k;
            ++k;
        }
    EXPECT_EQ(target.mFrame.mColumns, 5);
    EXPECT_EQ(target.mFrame.mRows, 2);
    EXPECT_EQ(target.mCollisions, 0);
    EXPECT_EQ(target.mPassDynamics, 1);
    EXPECT_EQ(target.mPassParticles, 2);
    EXPECT_EQ(target.mSlippery, 0.75f);
    const DrawState& d = target.mTexturedShape.mDrawState;
    EXPECT_EQ(d.mBlender, 4);
    EXPECT_EQ(d.mTexColorOp, 1);
    EXPECT_EQ(d.mFillColor, ColorRGBA(1, 2, 3, 4));
    EXPECT_EQ(d.mFogColor, ColorRGBA(5, 6, 7, 8));
    EXPECT_EQ(d.mAlphaExtrude, -9);
    EXPECT_EQ(d.mLighted, 0);
}

TEST(BendObjectRecordTest, WrittenRecordReadsBackIntoANewObject)
{
    BendObject o;
    MakeUnusual(o, "T\\x.png");
    MemoryStream s;
    ASSERT_TRUE(o.Write(s));
    // A second record directly behind the first.
    BendObject second;
    second.mTextureFileName = "next";
    ASSERT_TRUE(second.Write(s));
    s.SetPosition(0);

    BendObject r;
    r.mFrame.mChanged = 0;
    ASSERT_TRUE(r.Read(s));
    EXPECT_EQ(r.GetOrigTextureFn(), "T\\x.png");
    EXPECT_EQ(r.GetLayer(), -3);
    EXPECT_TRUE(SameSides(r.mFrame, o.mFrame));
    EXPECT_EQ(r.mFrame.GetColumns(), 5);
    EXPECT_EQ(r.mFrame.GetRows(), 2);
    EXPECT_TRUE(r.mFrame.IsChanged()) << "a read frame rebuilds its curves";
    EXPECT_EQ(r.mCollisions, 0);
    EXPECT_EQ(r.mPassDynamics, 1);
    EXPECT_EQ(r.mPassParticles, 1);
    EXPECT_EQ(r.mSlippery, 0.75f);
    EXPECT_TRUE(r.mTexturedShape.mDrawState == o.mTexturedShape.mDrawState);
    BendObject r2;
    ASSERT_TRUE(r2.Read(s));
    EXPECT_EQ(r2.GetOrigTextureFn(), "next");
    EXPECT_EQ(s.GetPosition(), s.GetSize());
}

TEST(BendObjectRecordTest, OlderVersionsReadOnlyTheirFields)
{
    BendObject o;
    const Bytes full = WriteUnusual(o);
    const int32_t n = kUnusualNameLength;
    MemoryStream s;
    const BendObject fresh;
    struct Case {
        uint8_t version;
        int32_t consumed;  // bytes the reader takes
        bool collisions, rest;
    } cases[] = {{1, 150 + n, false, false}, {2, 151 + n, true, false}, {3, 179 + n, true, true}};
    for (const Case& c : cases) {
        Bytes bytes = full;
        bytes[0] = c.version;
        Load(s, bytes);
        BendObject r;
        ASSERT_TRUE(r.Read(s));
        EXPECT_EQ(s.GetPosition(), c.consumed) << int(c.version);
        EXPECT_EQ(r.GetOrigTextureFn(), "T\\x.png");
        EXPECT_EQ(r.GetLayer(), -3);
        EXPECT_TRUE(SameSides(r.mFrame, o.mFrame));
        EXPECT_EQ(r.mCollisions, c.collisions ? 0 : 1);
        EXPECT_EQ(r.mPassDynamics, c.rest ? 1 : 0);
        EXPECT_EQ(r.mPassParticles, c.rest ? 1 : 0);
        EXPECT_EQ(r.mSlippery, c.rest ? 0.75f : 0.0f);
        EXPECT_EQ(r.mTexturedShape.mDrawState == fresh.mTexturedShape.mDrawState, !c.rest);
    }
    // Version 0 holds nothing.
    Bytes zero = full;
    zero[0] = 0;
    Load(s, zero);
    BendObject r;
    ASSERT_TRUE(r.Read(s));
    EXPECT_EQ(s.GetPosition(), 1);
    EXPECT_EQ(r.GetOrigTextureFn(), "");
}

TEST(BendObjectRecordTest, FrameOrSideOfAnUnknownVersionIsSkippedWhole)
{
    BendObject o;
    MakeUnusual(o, "T\\x.png");
    MemoryStream s;
    ASSERT_TRUE(o.Write(s));
    const Bytes full = StreamBytes(s);
    const int32_t n = 7, frameAt = 9 + n;
    const BendObject fresh;

    for (uint8_t version : {0, 2, 255}) {
        // The whole frame: the object keeps its frame, every field after it still reads.
        Bytes bytes = full;
        bytes[frameAt] = version;
        Load(s, bytes);
        BendObject r;
        ASSERT_TRUE(r.Read(s));
        EXPECT_TRUE(SameSides(r.mFrame, fresh.mFrame)) << int(version);
        EXPECT_EQ(r.mFrame.GetColumns(), 0);
        EXPECT_EQ(r.mCollisions, 0);
        EXPECT_EQ(r.mSlippery, 0.75f);
        EXPECT_EQ(r.mTexturedShape.mDrawState.mBlender, 4);
        EXPECT_EQ(s.GetPosition(), s.GetSize());

        // One side: that side keeps its values, the others and the grid size read.
        bytes = full;
        bytes[frameAt + 1 + 33] = version;
        Load(s, bytes);
        BendObject q;
        ASSERT_TRUE(q.Read(s));
        EXPECT_EQ(std::memcmp(&q.mFrame.mSides[1], &fresh.mFrame.mSides[1], sizeof(CubicBezier)), 0);
        EXPECT_EQ(std::memcmp(&q.mFrame.mSides[2], &o.mFrame.mSides[2], sizeof(CubicBezier)), 0);
        EXPECT_EQ(q.mFrame.GetColumns(), 5);
        EXPECT_EQ(q.mFrame.GetRows(), 2);
        EXPECT_EQ(q.mPassParticles, 1);
        EXPECT_EQ(s.GetPosition(), s.GetSize());
    }
}

TEST(BendObjectRecordTest, EveryPrefixReadsSafelyAndKeepsUnreadFields)
{
    BendObject o;
    const Bytes full = WriteUnusual(o);
    const int32_t n = kUnusualNameLength;
    MemoryStream s;
    const BendObject fresh;
    for (int32_t length = 0; length <= int32_t(full.size()); ++length) {
        Load(s, Bytes(full.begin(), full.begin() + length));
        BendObject r;
        r.Read(s);
        ASSERT_LE(s.GetPosition(), length);
        // A field is either whole from the record or the new object's.
        auto has = [&](int32_t end) { return length >= end; };
        EXPECT_EQ(r.GetOrigTextureFn(), has(5 + n) ? "T\\x.png" : "") << length;
        EXPECT_EQ(r.GetLayer(), has(9 + n) ? -3 : 0) << length;
        EXPECT_EQ(r.mFrame.GetRows(), has(150 + n) ? 2 : 0) << length;
        EXPECT_EQ(r.mCollisions, has(151 + n) ? 0 : 1) << length;
        EXPECT_EQ(r.mPassParticles, has(153 + n) ? 1 : 0) << length;
        EXPECT_EQ(r.mSlippery, has(157 + n) ? 0.75f : 0.0f) << length;
        EXPECT_EQ(r.mTexturedShape.mDrawState.mBlender, has(162 + n) ? 4 : 0) << length;
        EXPECT_EQ(r.mTexturedShape.mDrawState.mLighted, has(179 + n) ? 0 : 1) << length;
    }
}

TEST(BendObjectRecordTest, NonFiniteOrAbsurdValuesAreRefused)
{
    BendObject o;
    const Bytes full = WriteUnusual(o);
    const int32_t n = kUnusualNameLength;
    // Every float of the four sides, then the slipperiness.
    std::vector<int32_t> offsets;
    for (int32_t side = 0; side < 4; ++side)
        for (int32_t part = 0; part < 8; ++part) offsets.push_back(11 + n + 33 * side + 4 * part);
    offsets.push_back(153 + n);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        bool accepted;
    } values[] = {{nan, false},  {inf, false},    {-inf, false},  {-3.0e38f, false}, {2.0e6f, false},
                  {-1.5e6f, false}, {1.0e6f, true}, {-1.0e6f, true}, {0.0f, true},      {-0.0f, true}};
    MemoryStream s;
    for (int32_t at : offsets) {
        for (const auto& v : values) {
            Bytes bytes = full;
            std::memcpy(&bytes[at], &v.value, 4);
            Load(s, bytes);
            BendObject r;
            EXPECT_EQ(r.Read(s), v.accepted) << "value " << v.value << " at byte " << at;
        }
    }
}

using BendObjectLoadTest = TerrainPictureTest;

TEST_F(BendObjectLoadTest, LoadingKeepsAUsableStoredFragmentSize)
{
    Write("T\\a.png", Opaque(100, 50));
    BendObject o;
    ASSERT_TRUE(o.SetTexture(Library(), "T\\a.png"));
    ASSERT_TRUE(o.SetFragments(5, 2));
    o.mFrame.ApplyHandleDrag(10, VectorF(30, 10));
    o.Rebuild();
    MemoryStream s;
    ASSERT_TRUE(o.Write(s));
    s.SetPosition(0);

    BendObject r;
    ASSERT_TRUE(r.Read(s));
    ASSERT_TRUE(r.ReloadTexture(Library()));
    EXPECT_EQ(r.GetFragmentSize(), VectorI(5, 2));
    EXPECT_EQ(r.mVertexGrid.Count(), 18);
    EXPECT_TRUE(SameSides(r.mSavedFrame, o.mFrame)) << "the loaded frame is the level's start";
    EXPECT_EQ(r.mSavedFrame.GetColumns(), 5);
    ASSERT_EQ(r.mTexturedShape.mPoints.Count(), o.mTexturedShape.mPoints.Count());
    for (int32_t i = 0; i < r.mTexturedShape.mPoints.Count(); ++i)
        EXPECT_EQ(r.mTexturedShape.mPoints[i], o.mTexturedShape.mPoints[i]);
    EXPECT_EQ(r.mOutline.mPoints.Count(), o.mOutline.mPoints.Count());

    // A stored size that cannot be used falls back to the picture's default.
    const int32_t columnsAt = 9 + 7 + 1 + 132;
    struct Case {
        int32_t columns, rows;
    } bad[] = {{0, 0}, {-3, 2}, {4, 0}, {1000, 1000}, {65535, 1}, {10922, 3}, {1025, 2}};
    for (const Case& c : bad) {
        MemoryStream t;
        ASSERT_TRUE(o.Write(t));
        Bytes bytes = StreamBytes(t);
        std::memcpy(&bytes[columnsAt], &c.columns, 4);
        std::memcpy(&bytes[columnsAt + 4], &c.rows, 4);
        Load(t, bytes);
        BendObject q;
        ASSERT_TRUE(q.Read(t));
        ASSERT_TRUE(q.ReloadTexture(Library()));
        EXPECT_EQ(q.GetFragmentSize(), VectorI(3, 1)) << c.columns << "x" << c.rows;
        EXPECT_EQ(q.mFrame.GetColumns(), 3);
        EXPECT_EQ(q.mVertexGrid.Count(), 8);
    }
    // A name the library cannot load fails and leaves the object untextured.
    BendObject missing;
    missing.mTextureFileName = "T\\gone.png";
    EXPECT_FALSE(missing.ReloadTexture(Library()));
    EXPECT_EQ(missing.GetTexture(), nullptr);
}

} // namespace

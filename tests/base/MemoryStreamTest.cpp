#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <vector>
#include "base/MemoryStream.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {

std::vector<uint8_t> Bytes(const MemoryStream& s) { return {s.GetData(), s.GetData() + s.GetSize()}; }

// A stream holding exactly the given bytes, read from the start.
void FillWith(MemoryStream& s, const std::vector<uint8_t>& bytes)
{
    s.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    s.SetPosition(0);
}

} // namespace

TEST(MemoryStreamWrite, EveryWriterStoresLittleEndianGoldenBytes)
{
    MemoryStream s;
    const uint8_t raw[3] = {1, 2, 3};
    s.WriteByte(0xAB);
    s.WriteInt(-2);
    s.WriteFloat(1.5f);
    s.WriteVector(VectorF(1.0f, -2.0f));
    s.WriteVector(VectorI(3, -4));
    s.WriteString("hi");
    s.WriteString("");
    s.WriteBytes(raw, 3);
    const std::vector<uint8_t> expected = {
        0xAB,                                            // byte
        0xFE, 0xFF, 0xFF, 0xFF,                          // -2
        0x00, 0x00, 0xC0, 0x3F,                          // 1.5f
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0,  // (1, -2)
        0x03, 0x00, 0x00, 0x00, 0xFC, 0xFF, 0xFF, 0xFF,  // (3, -4)
        0x02, 0x00, 0x00, 0x00, 'h', 'i',                // "hi"
        0x00, 0x00, 0x00, 0x00,                          // ""
        1, 2, 3};
    EXPECT_EQ(Bytes(s), expected);
    EXPECT_EQ(s.GetPosition(), s.GetSize());
}

struct GrowthCase {
    const char* name;
    std::function<void(MemoryStream&)> write;
    int32_t capacity;
    int32_t size;
};

TEST(MemoryStreamWrite, BufferGrowsByStepOrByWholeRecord)
{
    const std::string ten = "0123456789";
    const GrowthCase cases[] = {
        {"one byte takes one step", [](MemoryStream& s) { s.WriteByte(1); }, 1024, 1},
        {"a string grows by its record only", [&](MemoryStream& s) { s.WriteString(ten); }, 14, 14},
        {"a long string after a byte", [](MemoryStream& s) { s.WriteByte(1); s.WriteString(std::string(2000, 'x')); },
         3028, 2005},
        {"a step below one becomes 1024", [](MemoryStream& s) { s.SetGrowStep(0); s.WriteInt(5); }, 1024, 4},
        // A step narrower than the value must still make room for all of it.
        {"int with step 1", [](MemoryStream& s) { s.SetGrowStep(1); s.WriteInt(5); }, 4, 4},
        {"vector with step 3", [](MemoryStream& s) { s.SetGrowStep(3); s.WriteVector(VectorF(1, 2)); }, 8, 8},
        {"two ints with step 5", [](MemoryStream& s) { s.SetGrowStep(5); s.WriteInt(1); s.WriteInt(2); }, 10, 8},
        {"16 raw bytes with step 2",
         [](MemoryStream& s) { const char name[16] = "sixteen-bytes"; s.SetGrowStep(2); s.WriteBytes(name, 16); }, 16,
         16},
    };
    for (const GrowthCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream s;
        c.write(s);
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_EQ(s.GetSize(), c.size);
        EXPECT_EQ(s.GetPosition(), c.size);
    }
}

TEST(MemoryStreamWrite, TenCharacterStringIsLengthThenCharacters)
{
    MemoryStream s;
    s.WriteString("0123456789");
    std::vector<uint8_t> expected = {0x0A, 0x00, 0x00, 0x00};
    for (char c : std::string("0123456789")) expected.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(Bytes(s), expected);
}

TEST(MemoryStreamWrite, SmallGrowStepKeepsEveryValueWhole)
{
    MemoryStream s;
    s.SetGrowStep(1);
    s.WriteByte(7);
    s.WriteInt(0x12345678);
    s.WriteVector(VectorF(-1.25f, 8.0f));
    s.WriteString("abc");
    s.SetPosition(0);
    uint8_t b = 0;
    int32_t i = 0;
    VectorF v;
    std::string text;
    EXPECT_TRUE(s.ReadByte(b) && s.ReadInt(i) && s.ReadVector(v) && s.ReadString(text));
    EXPECT_EQ(b, 7);
    EXPECT_EQ(i, 0x12345678);
    EXPECT_EQ(v, VectorF(-1.25f, 8.0f));
    EXPECT_EQ(text, "abc");
}

TEST(MemoryStreamRead, WrittenSizeNotCapacityBoundsReads)
{
    MemoryStream s;
    s.WriteInt(100);  // also reads as a string length of 100
    ASSERT_GT(s.GetCapacity(), 100);
    s.SetPosition(0);
    int32_t value = 0;
    EXPECT_TRUE(s.ReadInt(value));
    EXPECT_EQ(value, 100);
    value = -7;
    EXPECT_FALSE(s.ReadInt(value));
    EXPECT_EQ(value, -7);

    s.SetPosition(0);
    std::string text = "kept";
    EXPECT_FALSE(s.ReadString(text));
    EXPECT_EQ(text, "kept");
}

TEST(MemoryStreamRead, ShortFixedReadKeepsTargetAndNoLaterReadTakesItsBytes)
{
    MemoryStream s;
    FillWith(s, {1, 2, 3});
    int32_t value = 42;
    EXPECT_FALSE(s.ReadInt(value));
    EXPECT_EQ(value, 42);
    // The data ended inside the int: its bytes are not a byte field of their own.
    uint8_t b = 9;
    EXPECT_FALSE(s.ReadByte(b));
    EXPECT_EQ(b, 9);
    EXPECT_EQ(s.GetPosition(), s.GetSize());
}

TEST(MemoryStreamRead, CutStringKeepsTargetAndStopsReading)
{
    struct Case {
        const char* name;
        int32_t storedLength;
    };
    const Case cases[] = {{"length beyond the data", 100}, {"negative length", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream s;
        s.WriteInt(c.storedLength);
        s.WriteInt(42);  // the string's text, not a field of its own
        s.WriteInt(43);
        s.SetPosition(0);
        std::string text = "kept";
        EXPECT_FALSE(s.ReadString(text));
        EXPECT_EQ(text, "kept");
        int32_t next = -1;
        EXPECT_FALSE(s.ReadInt(next));
        EXPECT_EQ(next, -1);
    }
}

TEST(MemoryStreamRead, EmptyStringReadsAsEmpty)
{
    MemoryStream s;
    s.WriteString("");
    s.WriteInt(5);
    s.SetPosition(0);
    std::string text = "old";
    int32_t after = 0;
    EXPECT_TRUE(s.ReadString(text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(s.ReadInt(after));
    EXPECT_EQ(after, 5);
}

// Every prefix of a record, as an old or cut file would hold it: each value is
// either read whole or left at its default, and once one is left at its
// default every later one is too.
TEST(MemoryStreamRead, EveryPrefixOfARecordReadsWrittenValuesThenDefaults)
{
    MemoryStream full;
    full.WriteByte(0x11);
    full.WriteInt(0x22334455);
    full.WriteString("abc");
    full.WriteFloat(2.5f);
    full.WriteVector(VectorF(1.25f, -3.0f));
    full.WriteByte(0x66);
    full.WriteVector(VectorI(9, -9));
    full.WriteVector(VectorI(1, 2));  // a rectangle: its two corners
    full.WriteVector(VectorI(3, 4));
    full.WriteString("");
    full.WriteVector(VectorF(5, 6));
    full.WriteVector(VectorF(7, 8));
    const std::vector<uint8_t> bytes = Bytes(full);

    size_t previousRead = 0;
    for (size_t length = 0; length <= bytes.size(); ++length) {
        SCOPED_TRACE(length);
        MemoryStream s;
        FillWith(s, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
        uint8_t b1 = 0xEE, b2 = 0xEE;
        int32_t i = -7;
        std::string s1 = "default", s2 = "default";
        float f = -99.0f;
        VectorF v(-99.0f, -99.0f), p1(-99.0f, -99.0f), p2(-99.0f, -99.0f);
        VectorI vi(-99, -99);
        RectI r(-99, -99, -99, -99);
        s.ReadByte(b1);
        s.ReadInt(i);
        s.ReadString(s1);
        s.ReadFloat(f);
        s.ReadVector(v);
        s.ReadByte(b2);
        s.ReadVector(vi);
        s.ReadRect(r);
        s.ReadString(s2);
        s.ReadVectorPair(p1, p2);

        // Each part: {read whole, left at default}.
        const std::vector<std::pair<bool, bool>> parts = {
            {b1 == 0x11, b1 == 0xEE},
            {i == 0x22334455, i == -7},
            {s1 == "abc", s1 == "default"},
            {f == 2.5f, f == -99.0f},
            {v.mX == 1.25f, v.mX == -99.0f},
            {v.mY == -3.0f, v.mY == -99.0f},
            {b2 == 0x66, b2 == 0xEE},
            {vi.mX == 9, vi.mX == -99},
            {vi.mY == -9, vi.mY == -99},
            {r.mP1.mX == 1, r.mP1.mX == -99},
            {r.mP1.mY == 2, r.mP1.mY == -99},
            {r.mP2.mX == 3, r.mP2.mX == -99},
            {r.mP2.mY == 4, r.mP2.mY == -99},
            {s2.empty(), s2 == "default"},
            {p1.mX == 5.0f, p1.mX == -99.0f},
            {p1.mY == 6.0f, p1.mY == -99.0f},
            {p2.mX == 7.0f, p2.mX == -99.0f},
            {p2.mY == 8.0f, p2.mY == -99.0f},
        };
        size_t readCount = 0;
        bool sawDefault = false;
        for (size_t k = 0; k < parts.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_TRUE(parts[k].first || parts[k].second);
            if (parts[k].first) {
                EXPECT_FALSE(sawDefault);
                ++readCount;
            } else {
                sawDefault = true;
            }
        }
        EXPECT_GE(readCount, previousRead);
        previousRead = readCount;
        if (length == bytes.size()) {
            EXPECT_EQ(readCount, parts.size());
        }
    }
}

class MemoryStreamFile : public ::testing::Test {
protected:
    TempFolder mFolder;
};

TEST_F(MemoryStreamFile, SavedFileLoadsBackByteForByte)
{
    MemoryStream out;
    out.WriteInt(77);
    out.WriteString("scene");
    ASSERT_TRUE(out.SaveToFile(mFolder.PathOf("a.bin")));

    MemoryStream in;
    ASSERT_TRUE(in.LoadFromFile(mFolder.PathOf("a.bin")));
    EXPECT_EQ(Bytes(in), Bytes(out));
    EXPECT_EQ(in.GetPosition(), 0);
    EXPECT_EQ(in.GetCapacity(), in.GetSize());
    EXPECT_EQ(in.GetFileName(), mFolder.PathOf("a.bin"));
    // Only the file itself is left behind, no temporary.
    EXPECT_EQ(mFolder.Names(), std::vector<std::string>{"a.bin"});
}

TEST_F(MemoryStreamFile, EmptyFileLoadsAsEmptyStream)
{
    mFolder.WriteFile("empty.bin", "");
    MemoryStream s;
    ASSERT_TRUE(s.LoadFromFile(mFolder.PathOf("empty.bin")));
    EXPECT_EQ(s.GetSize(), 0);
    uint8_t b = 3;
    EXPECT_FALSE(s.ReadByte(b));
    EXPECT_EQ(b, 3);
}

TEST_F(MemoryStreamFile, LoadThatCannotOpenLeavesStreamAsItWas)
{
    CreateFolders(mFolder.PathOf("folder"));
    for (const char* name : {"missing.bin", "folder"}) {
        SCOPED_TRACE(name);
        MemoryStream s;
        s.WriteInt(5);
        EXPECT_FALSE(s.LoadFromFile(mFolder.PathOf(name)));
        EXPECT_EQ(s.GetSize(), 4);
        EXPECT_EQ(s.GetPosition(), 4);
        EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{5, 0, 0, 0}));
    }
}

TEST_F(MemoryStreamFile, SaveIntoMissingFolderFails)
{
    MemoryStream s;
    s.WriteInt(1);
    EXPECT_FALSE(s.SaveToFile(mFolder.PathOf("no\\such\\file.bin")));
}

// A write that fails part-way (here: the file-size limit) must leave the
// previous file whole and be reported, not leave a torn file behind.
TEST_F(MemoryStreamFile, FailedWriteKeepsOldFileWhole)
{
    const std::string old(50, 'o');
    mFolder.WriteFile("keep.bin", old);
    MemoryStream s;
    s.WriteBytes(std::string(100000, 'n').data(), 100000);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool savedOk = s.SaveToFile(mFolder.PathOf("keep.bin"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(mFolder.ReadFile("keep.bin"), old);
    EXPECT_EQ(mFolder.Names(), std::vector<std::string>{"keep.bin"});
}

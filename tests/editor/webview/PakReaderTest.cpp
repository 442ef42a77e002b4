#include <gtest/gtest.h>

#include "editor/webview/pak/Crc32.h"
#include "editor/webview/pak/PakFormat.h"
#include "editor/webview/pak/PakReader.h"
#include "editor/webview/pak/PakWriter.h"

#include <cstring>
#include <string>
#include <vector>

using namespace KIV;

namespace {

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string Text(std::span<const uint8_t> b)
{
    return std::string(b.begin(), b.end());
}

void PutU32(std::vector<uint8_t>& pack, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) pack[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Rewrites the header's table sum so a change to the table reaches the later
// checks instead of stopping at the sum.
void ResealTable(std::vector<uint8_t>& pack)
{
    uint32_t tableSize = 0;
    std::memcpy(&tableSize, pack.data() + 12, 4);
    PutU32(pack, 20, Crc32(pack.data() + Pak::kHeaderSize, tableSize));
}

class PakReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(mWriter.Add("page.html", Bytes("<p>hello</p>")), "");
        ASSERT_EQ(mWriter.Add("css/style.css", Bytes("p{}")), "");
        ASSERT_EQ(mWriter.Add("empty.txt", {}), "");
        mPack = mWriter.Build();
    }
    PakWriter mWriter;
    std::vector<uint8_t> mPack;
};

} // namespace

TEST_F(PakReaderTest, EveryEntryReadsBackInNameOrder)
{
    PakReader reader;
    ASSERT_EQ(reader.Open(mPack), "");
    ASSERT_EQ(reader.GetEntries().size(), 3u);
    EXPECT_EQ(reader.GetEntries()[0].mName, "css/style.css");
    EXPECT_EQ(reader.GetEntries()[1].mName, "empty.txt");
    EXPECT_EQ(reader.GetEntries()[2].mName, "page.html");
    std::span<const uint8_t> found;
    ASSERT_TRUE(reader.Find("page.html", found));
    EXPECT_EQ(Text(found), "<p>hello</p>");
    ASSERT_TRUE(reader.Find("empty.txt", found));
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(reader.Find("css", found));
    EXPECT_FALSE(reader.Find("missing.html", found));
}

TEST_F(PakReaderTest, AddingInAnotherOrderGivesTheSameBytes)
{
    PakWriter other;
    other.Add("empty.txt", {});
    other.Add("page.html", Bytes("<p>hello</p>"));
    other.Add("css/style.css", Bytes("p{}"));
    EXPECT_EQ(other.Build(), mPack);
}

TEST_F(PakReaderTest, EveryCutIsRefused)
{
    for (size_t length = 0; length < mPack.size(); ++length) {
        std::vector<uint8_t> cut(mPack.begin(), mPack.begin() + static_cast<long>(length));
        PakReader reader;
        EXPECT_NE(reader.Open(cut), "") << "cut at " << length;
        EXPECT_TRUE(reader.GetEntries().empty());
    }
}

TEST_F(PakReaderTest, EveryFlippedByteIsRefused)
{
    for (size_t at = 0; at < mPack.size(); ++at) {
        std::vector<uint8_t> damaged = mPack;
        damaged[at] ^= 0x41;
        PakReader reader;
        EXPECT_NE(reader.Open(damaged), "") << "byte " << at;
    }
}

TEST_F(PakReaderTest, DamageIsNamedInTheReason)
{
    struct Case {
        const char* mWhat;
        void (*mDamage)(std::vector<uint8_t>&);
        const char* mReasonPart;
    };
    const Case cases[] = {
        {"padding after the data", [](std::vector<uint8_t>& p) { p.push_back(0); }, "cut or padded"},
        {"wrong signature", [](std::vector<uint8_t>& p) { p[0] = 'X'; }, "signature"},
        {"newer version", [](std::vector<uint8_t>& p) { PutU32(p, 4, 2); }, "version"},
        {"too many entries", [](std::vector<uint8_t>& p) { PutU32(p, 8, 70000); }, "more than"},
        {"table past the end", [](std::vector<uint8_t>& p) { PutU32(p, 12, 0xFFFFFFF0u); }, "past the end"},
        {"data sum", [](std::vector<uint8_t>& p) { p.back() ^= 1; }, "checksum"},
        {"huge entry size",
         [](std::vector<uint8_t>& p) {
             PutU32(p, Pak::kHeaderSize + 8, 0xFFFFFFFFu);
             ResealTable(p);
         },
         "past the end"},
        {"entry that overlaps the table",
         [](std::vector<uint8_t>& p) {
             PutU32(p, Pak::kHeaderSize + 4, 0);
             ResealTable(p);
         },
         "does not start"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> damaged = mPack;
        c.mDamage(damaged);
        PakReader reader;
        const std::string reason = reader.Open(damaged);
        EXPECT_NE(reason.find(c.mReasonPart), std::string::npos) << c.mWhat << ": " << reason;
    }
}

// A pack made by hand with names the writer refuses: the reader refuses them too.
TEST(PakNames, UnsafeNamesAreRefusedWhenPackingAndWhenReading)
{
    const char* unsafe[] = {"../secret", "a/../../b", "/etc/passwd", "a//b", "./a", "a/.", "a\\b",
                            "C:/windows", "", "dir/", "tab\tname"};
    for (const char* name : unsafe) {
        PakWriter writer;
        EXPECT_NE(writer.Add(name, Bytes("x")), "") << name;

        // Same layout as the writer's, with the unsafe name written in.
        PakWriter shaped;
        const std::string placeholder(std::strlen(name) == 0 ? 1 : std::strlen(name), 'a');
        ASSERT_EQ(shaped.Add(placeholder, Bytes("x")), "");
        std::vector<uint8_t> pack = shaped.Build();
        if (std::strlen(name) == 0) {
            pack[Pak::kHeaderSize] = 0; // name length 0
        } else {
            std::memcpy(pack.data() + Pak::kHeaderSize + Pak::kEntryFixedSize, name, std::strlen(name));
        }
        ResealTable(pack);
        PakReader reader;
        EXPECT_NE(reader.Open(pack), "") << name;
    }
    const char* safe[] = {"a", "a..b.txt", "dir/sub/page.html", ".hidden", "abc:d"};
    for (const char* name : safe) {
        EXPECT_TRUE(Pak::IsSafeName(name)) << name;
    }
}

TEST(PakNames, RepeatedNamesAndTooManyFilesAreRefused)
{
    PakWriter writer;
    ASSERT_EQ(writer.Add("a", {}), "");
    EXPECT_NE(writer.Add("a", {}), "");
    PakWriter full;
    for (uint32_t i = 0; i < Pak::kMaxEntries; ++i) {
        ASSERT_EQ(full.Add(std::to_string(i), {}), "");
    }
    EXPECT_NE(full.Add("one more", {}), "");
}

TEST(PakCrc, MatchesTheCommonCheckValue)
{
    const std::string nine = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(nine.data()), nine.size()), 0xCBF43926u);
}

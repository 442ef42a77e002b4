#include <gtest/gtest.h>
#include <filesystem>
#include <vector>
#include "base/Notices.h"
#include "render/ImageFile.h"
#include "render/PictureFile.h"
#include "support/PictureFolder.h"

using namespace KIV;

namespace {

class PictureFileTest : public PictureFolderTest {
protected:
    void SetUp() override
    {
        PictureFolderTest::SetUp();
        Notices().Clear();
        Notices().SetEchoToStderr(false);
    }
    void TearDown() override
    {
        Notices().SetEchoToStderr(true);
        Notices().Clear();
        PictureFolderTest::TearDown();
    }

    // A picture with opaque, half-transparent and clear pixels, written by
    // DevIL's writer, whose PNGs carry text chunks before the image data.
    std::string WrittenBytes(const std::string& name)
    {
        TestPicture pic(21, 13);
        for (int32_t y = 0; y < 13; ++y)
            for (int32_t x = 0; x < 21; ++x) pic.Set(x, y, uint8_t(x * 12), uint8_t(y * 19), uint8_t(x ^ y), uint8_t(x * y));
        Write(name, pic);
        return mFolder.ReadFile(name);
    }
};

bool Decode(const std::string& bytes, const std::string& name, DecodedPicture& out, std::string& reason)
{
    return DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, out, reason);
}

// The byte a "damaged at byte N" reason names, or -1.
int32_t DamagedAt(const std::string& reason)
{
    const std::string lead = "damaged at byte ";
    if (reason.rfind(lead, 0) != 0) return -1;
    return std::atoi(reason.c_str() + lead.size());
}

TEST_F(PictureFileTest, EveryCutOfAPngFailsWithTheByteWhereItEnded)
{
    const std::string whole = WrittenBytes("cut.png");
    ASSERT_GT(whole.size(), 160u) << "the text chunks before the image data are part of what is cut";
    DecodedPicture full;
    std::string reason;
    ASSERT_TRUE(Decode(whole, "cut.png", full, reason)) << reason;
    EXPECT_EQ(full.mWidth, 21);
    EXPECT_EQ(full.mHeight, 13);
    ASSERT_EQ(full.mBytesPerPixel, 4);
    EXPECT_EQ(full.mPixels[(5 * 21 + 7) * 4 + 1], 5 * 19) << "first row first";

    // Cuts inside the text chunks and the first image bytes hung DevIL's reader.
    for (size_t cut = 8; cut < whole.size() - 12; ++cut) {
        DecodedPicture out;
        reason.clear();
        ASSERT_FALSE(Decode(whole.substr(0, cut), "cut.png", out, reason)) << "cut at " << cut;
        EXPECT_EQ(out.mPixels.Count(), 0);
        const int32_t at = DamagedAt(reason);
        EXPECT_GE(at, 8) << reason;
        EXPECT_LE(at, int32_t(cut)) << reason;
    }
}

TEST_F(PictureFileTest, DamagedJpegsFailInsteadOfHangingOrShowingGrey)
{
    const std::string whole = WrittenBytes("photo.jpg");
    DecodedPicture full;
    std::string reason;
    ASSERT_TRUE(Decode(whole, "photo.jpg", full, reason)) << reason;
    EXPECT_EQ(full.mWidth, 21);
    EXPECT_EQ(full.mBytesPerPixel, 3);

    std::vector<std::string> damaged = {
        std::string("\xff\xd8\xff\xe6\xb5\x00", 6),  // hung DevIL's reader at full CPU
        std::string("\xff\xd8\xff", 3),
    };
    for (size_t cut = 4; cut < whole.size() - 2; cut += 7) damaged.push_back(whole.substr(0, cut));
    std::string flipped = whole;
    flipped[whole.size() / 2] = char(~flipped[whole.size() / 2]);
    flipped[whole.size() / 2 + 1] = char(0xff);
    damaged.push_back(flipped);
    for (const std::string& bytes : damaged) {
        DecodedPicture out;
        reason.clear();
        EXPECT_FALSE(Decode(bytes, "photo.jpg", out, reason)) << bytes.size() << " bytes";
        EXPECT_GE(DamagedAt(reason), 0) << reason;
        EXPECT_EQ(out.mPixels.Count(), 0);
    }
}

TEST_F(PictureFileTest, EachFormatGoesOnlyToTheReaderItsNameChooses)
{
    const std::string png = WrittenBytes("a.png");
    const std::string jpeg = WrittenBytes("b.jpg");
    const std::string tga = WrittenBytes("c.tga");
    const std::string unsupported = "file type not supported (pictures are PNG or JPEG files)";
    struct Case {
        const std::string& bytes;
        std::string name;
        bool loads;
        std::string reason;
    };
    const Case cases[] = {
        {png, "a.PNG", true, ""},
        {jpeg, "b.JPEG", true, ""},
        // DevIL's readers take whatever memory a damaged header claims.
        {tga, "c.tga", false, unsupported},
        {png, "a.jpg", false, "not a JPEG file"},
        {jpeg, "b.png", false, "not a PNG file"},
        {png, "a.tga", false, unsupported},
        {png, "a", false, unsupported},
        {"", "a.png", false, "empty"},
    };
    for (const Case& c : cases) {
        DecodedPicture out;
        std::string reason;
        EXPECT_EQ(Decode(c.bytes, c.name, out, reason), c.loads) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        if (c.loads) {
            EXPECT_EQ(out.mWidth * out.mHeight * out.mBytesPerPixel, out.mPixels.Count()) << c.name;
        }
    }
}

TEST_F(PictureFileTest, HugeSizesInAHeaderAreRefusedBeforeAnyPixelMemory)
{
    // Found by fuzzing: a text chunk claiming 1.6 GB, in a file of 50 bytes.
    const std::string overlong("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x60\0\0\0\x30\x08\x06\0\0\0\xee\x16\x7f\xcf"
                               "\x60\0\0\x3ftEXtGeneratDe",
                               50);
    DecodedPicture cut;
    std::string why;
    EXPECT_FALSE(Decode(overlong, "o.png", cut, why));
    EXPECT_EQ(why, "damaged at byte 33: a chunk runs past the end of the file");

    std::string png = WrittenBytes("big.png");
    // IHDR width at byte 16, big-endian; the chunk's CRC then no longer matches,
    // which libpng checks first: the size check is met only with a valid CRC.
    DecodedPicture out;
    std::string reason;
    png[16] = 0x00;
    png[17] = 0x01;  // 65536 + 21 wide
    EXPECT_FALSE(Decode(png, "big.png", out, reason));
    EXPECT_EQ(out.mPixels.Count(), 0);
    EXPECT_FALSE(IsPictureSizeAccepted(kMaxPictureSide + 1, 1));
    EXPECT_FALSE(IsPictureSizeAccepted(8193, 8192));
    EXPECT_TRUE(IsPictureSizeAccepted(8192, 8192));
    EXPECT_FALSE(IsPictureSizeAccepted(0, 5));
}

TEST_F(PictureFileTest, APictureThatWillNotLoadIsNamedInOneNoticeWithItsReason)
{
    const std::string whole = WrittenBytes("good.png");
    mFolder.WriteFile("cut.png", whole.substr(0, 100));
    mFolder.WriteFile("empty.png", "");
    // A picture beside the data root, which a terrain record may name.
    const std::filesystem::path outside = std::filesystem::path(OsPath("")).parent_path().parent_path() / "outside.png";
    std::filesystem::copy_file(OsPath("good.png"), outside, std::filesystem::copy_options::overwrite_existing);
    struct Case {
        std::string name;
        std::string reason;
    };
    const Case cases[] = {
        {"missing.png", "not found"},
        {"empty.png", "empty"},
        {"cut.png", "damaged at byte 33: a chunk runs past the end of the file"},
        {"..\\..\\outside.png", "the name leaves the data folder"},
        {"../../outside.png", "the name leaves the data folder"},
        {"sub\\..\\..\\..\\outside.png", "the name leaves the data folder"},
        {"\\tmp\\outside.png", "the name leaves the data folder"},
        {"C:\\outside.png", "the name leaves the data folder"},
    };
    for (const Case& c : cases) {
        Notices().Clear();
        EXPECT_EQ(GetImageFile(c.name), nullptr) << c.name;
        EXPECT_EQ(Notices().GetLast(), "Picture Textures\\" + c.name + " could not be loaded: " + c.reason);
        // Every texture request retries a missing picture; the player hears of it once.
        EXPECT_EQ(GetImageFile(c.name), nullptr);
        EXPECT_EQ(Notices().GetReportedCount(), 1) << c.name;
    }
    std::filesystem::remove(outside);
    EXPECT_NE(GetImageFile("good.png"), nullptr);
    EXPECT_NE(GetImageFile(".\\good.png"), nullptr);
}

} // namespace

#include <gtest/gtest.h>
#include <IL/il.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "render/ImageFile.h"
#include "render/Texture.h"
#include "support/TempFolder.h"

using namespace KIV;

namespace {

// A picture as the game's loader sees it through DevIL: rows as delivered
// (first row = top when the file was written upright), RGBA bytes.
struct LoadedPicture {
    bool mLoaded = false;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    std::vector<uint8_t> mPixels;

    uint8_t Alpha(int32_t x, int32_t y) const { return mPixels[(static_cast<size_t>(y) * mWidth + x) * 4 + 3]; }
    const uint8_t* At(int32_t x, int32_t y) const { return &mPixels[(static_cast<size_t>(y) * mWidth + x) * 4]; }
};

LoadedPicture LoadWithDevIL(const std::string& path)
{
    static bool init = (ilInit(), true);
    (void)init;
    LoadedPicture picture;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // A missing file would otherwise "load" as a 1 × 1 picture: the loader's
    // own result decides.
    if (ilLoadImage(path.c_str()) == IL_TRUE && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE) {
        picture.mWidth = ilGetInteger(IL_IMAGE_WIDTH);
        picture.mHeight = ilGetInteger(IL_IMAGE_HEIGHT);
        const ILubyte* data = ilGetData();
        picture.mPixels.assign(data, data + static_cast<size_t>(picture.mWidth) * picture.mHeight * 4);
        picture.mLoaded = true;
    }
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
    ilDeleteImages(1, &image);
    return picture;
}

int RunContentGen(const std::string& root)
{
    const std::string command = std::string("\"") + KIV_CONTENTGEN_PROGRAM + "\" \"" + root + "\" 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Counts the 4-connected region of "inside" pixels that holds the first one
// found, and the 8-connected outside reached from the border. One region and
// an outside that reaches every outside pixel means one outline, no holes.
struct RegionCounts {
    int32_t mInside = 0;
    int32_t mFirstRegion = 0;
    int32_t mOutside = 0;
    int32_t mOutsideFromBorder = 0;
};

RegionCounts CountRegions(const LoadedPicture& p, uint8_t threshold)
{
    const int32_t w = p.mWidth, h = p.mHeight;
    auto inside = [&](int32_t x, int32_t y) { return p.Alpha(x, y) >= threshold; };
    RegionCounts counts;
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int32_t, int32_t>> stack;
    auto flood = [&](bool wantInside, bool diagonal) {
        int32_t n = 0;
        while (!stack.empty()) {
            auto [x, y] = stack.back();
            stack.pop_back();
            ++n;
            for (int32_t dy = -1; dy <= 1; ++dy) {
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    if ((dx == 0 && dy == 0) || (!diagonal && dx != 0 && dy != 0)) continue;
                    const int32_t nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    uint8_t& s = seen[static_cast<size_t>(ny) * w + nx];
                    if (s || inside(nx, ny) != wantInside) continue;
                    s = 1;
                    stack.push_back({nx, ny});
                }
            }
        }
        return n;
    };
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (inside(x, y)) {
                ++counts.mInside;
                if (stack.empty() && counts.mFirstRegion == 0 && !seen[static_cast<size_t>(y) * w + x]) {
                    seen[static_cast<size_t>(y) * w + x] = 1;
                    stack.push_back({x, y});
                    counts.mFirstRegion = flood(true, false);
                }
            } else {
                ++counts.mOutside;
            }
        }
    }
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            uint8_t& s = seen[static_cast<size_t>(y) * w + x];
            if (!border || s || inside(x, y)) continue;
            s = 1;
            stack.push_back({x, y});
            counts.mOutsideFromBorder += flood(false, true);
        }
    }
    return counts;
}

enum class Outline {
    kSoftShape,  // transparent corners, opaque centre, one region without holes
    kDecal,      // stamped, never traced: opaque centre, nothing cut off at the border
    kGround,     // transparent above a single top edge, opaque below it, tiles sideways
    kTile,       // covers every pixel, tiles both ways
    kFontGrid,   // glyph cells; checked through the engine's texture below
    kFramePieces,
};

struct ExpectedPicture {
    const char* mPath;  // below the data root, in the game's case
    int32_t mWidth;
    int32_t mHeight;
    Outline mOutline;
};

void PrintTo(const ExpectedPicture& e, std::ostream* out)
{
    *out << e.mPath;
}

const ExpectedPicture kExpected[] = {
    {"Textures/Fonts/FontWhite.png", 512, 190, Outline::kFontGrid},
    {"Textures/Editor/EditWindowFrameStuff.png", 256, 64, Outline::kFramePieces},
    {"Textures/Editor/button1a.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button1b.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button2a.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button2b.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button3a.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button3b.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button4a.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/button4b.png", 40, 40, Outline::kSoftShape},
    {"Textures/Editor/white.png", 8, 8, Outline::kTile},
    {"Textures/Editor/timeline_bar1.png", 128, 32, Outline::kSoftShape},
    {"Textures/Editor/timeline_bar2.png", 8, 32, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_01.png", 112, 112, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_02.png", 120, 96, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_03.png", 128, 124, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_04.png", 136, 112, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_05.png", 150, 72, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_06.png", 120, 110, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_07.png", 112, 128, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_08.png", 120, 112, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_09.png", 100, 136, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_10.png", 128, 88, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_11.png", 120, 108, Outline::kSoftShape},
    {"Textures/Toys/new/NewToys_12.png", 156, 104, Outline::kSoftShape},
    {"Textures/Toys/toy16.png", 48, 24, Outline::kSoftShape},
    {"Textures/Toys/decals/decal1.png", 40, 40, Outline::kDecal},
    {"Textures/Toys/decals/decal2.png", 48, 48, Outline::kDecal},
    {"Textures/Toys/decals/decal3.png", 44, 44, Outline::kDecal},
    {"Textures/Toys/decals/decal4.png", 36, 36, Outline::kDecal},
    {"Textures/Particles/rock.png", 32, 32, Outline::kSoftShape},
    {"Textures/Particles/shot.png", 32, 16, Outline::kDecal},
    {"Textures/Particles/heat01.png", 64, 64, Outline::kDecal},
    {"Textures/Particles/spark.png", 32, 32, Outline::kDecal},
    {"Textures/Particles/dust.png", 32, 32, Outline::kDecal},
    {"Textures/Ground/ground01.png", 512, 128, Outline::kGround},
    {"Textures/Ground/pond01.png", 512, 256, Outline::kGround},
    {"Textures/Ground/soil01.png", 256, 256, Outline::kTile},
    {"Textures/Water/water1.png", 512, 512, Outline::kTile},
    {"Textures/Robots/spider1/body.png", 128, 56, Outline::kSoftShape},
    {"Textures/Robots/spider1/thigh.png", 24, 72, Outline::kSoftShape},
    {"Textures/Robots/spider1/shin.png", 24, 80, Outline::kSoftShape},
    {"Textures/Robots/spider1/gun.png", 64, 20, Outline::kSoftShape},
};

// Runs the generator once into a temporary data root shared by all tests.
class ContentGenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sRoot = new TempFolder;
        sExitCode = RunContentGen(OsRoot());
    }
    static void TearDownTestSuite()
    {
        delete sRoot;
        sRoot = nullptr;
    }
    static std::string OsRoot() { return ToOsPath(sRoot->Path()); }
    static std::string OsPathOf(const std::string& relative) { return OsRoot() + relative; }

    static TempFolder* sRoot;
    static int sExitCode;
};

TempFolder* ContentGenTest::sRoot = nullptr;
int ContentGenTest::sExitCode = -1;

// Mean colour-and-alpha difference between two columns (or rows) of pixels.
float MeanDifference(const LoadedPicture& p, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t count, bool alongY)
{
    float sum = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* a = alongY ? p.At(x0, y0 + i) : p.At(x0 + i, y0);
        const uint8_t* b = alongY ? p.At(x1, y1 + i) : p.At(x1 + i, y1);
        for (int c = 0; c < 4; ++c) sum += std::fabs(static_cast<float>(a[c]) - static_cast<float>(b[c]));
    }
    return sum / count;
}

class ContentPictureTest : public ContentGenTest, public ::testing::WithParamInterface<ExpectedPicture> {};

TEST_P(ContentPictureTest, ExistsLoadsAtItsSizeWithACleanOutline)
{
    ASSERT_EQ(sExitCode, 0);
    const ExpectedPicture& e = GetParam();
    const LoadedPicture p = LoadWithDevIL(OsPathOf(e.mPath));
    ASSERT_TRUE(p.mLoaded) << e.mPath;
    ASSERT_EQ(p.mWidth, e.mWidth);
    ASSERT_EQ(p.mHeight, e.mHeight);
    const int32_t w = p.mWidth, h = p.mHeight;

    switch (e.mOutline) {
        case Outline::kSoftShape: {
            for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) EXPECT_EQ(p.Alpha(x, y), 0);
            EXPECT_GE(p.Alpha(w / 2, h / 2), 200) << "centre";
            // Toys are traced at alpha 10; other users trace at 128.
            for (uint8_t threshold : {uint8_t(10), uint8_t(128)}) {
                const RegionCounts r = CountRegions(p, threshold);
                EXPECT_EQ(r.mFirstRegion, r.mInside) << "stray pieces at alpha " << int(threshold);
                EXPECT_EQ(r.mOutsideFromBorder, r.mOutside) << "holes at alpha " << int(threshold);
            }
            break;
        }
        case Outline::kDecal: {
            EXPECT_GE(p.Alpha(w / 2, h / 2), 200) << "centre";
            for (int32_t i = 0; i < w; ++i) {
                EXPECT_EQ(p.Alpha(i, 0), 0);
                EXPECT_EQ(p.Alpha(i, h - 1), 0);
            }
            for (int32_t i = 0; i < h; ++i) {
                EXPECT_EQ(p.Alpha(0, i), 0);
                EXPECT_EQ(p.Alpha(w - 1, i), 0);
            }
            break;
        }
        case Outline::kGround: {
            for (int32_t x = 0; x < w; ++x) {
                EXPECT_EQ(p.Alpha(x, 0), 0) << "top row, x " << x;
                EXPECT_EQ(p.Alpha(x, h - 1), 255) << "bottom row, x " << x;
                // One edge per column: once a pixel is solid, all below it are too.
                for (int32_t y = 1; y < h; ++y) ASSERT_GE(p.Alpha(x, y), p.Alpha(x, y - 1)) << x << "," << y;
            }
            // Strips laid side by side meet without a step.
            EXPECT_LT(MeanDifference(p, 0, 0, w - 1, 0, h, true), 2.0f * MeanDifference(p, w / 2, 0, w / 2 + 1, 0, h, true) + 4.0f);
            break;
        }
        case Outline::kTile: {
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) ASSERT_GT(p.Alpha(x, y), 0) << x << "," << y;
            const float inner = MeanDifference(p, w / 2, 0, w / 2 + 1, 0, h, true);
            EXPECT_LT(MeanDifference(p, 0, 0, w - 1, 0, h, true), 2.0f * inner + 4.0f) << "left/right seam";
            EXPECT_LT(MeanDifference(p, 0, 0, 0, h - 1, w, false), 2.0f * inner + 4.0f) << "top/bottom seam";
            break;
        }
        case Outline::kFontGrid:
        case Outline::kFramePieces:
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Everything, ContentPictureTest, ::testing::ValuesIn(kExpected),
                         [](const ::testing::TestParamInfo<ExpectedPicture>& info) {
                             std::string name = std::filesystem::path(info.param.mPath).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// The robot editor's mode buttons: each mode shows its own icon, and a chosen
// button stands out from the resting ones at a glance.
TEST_F(ContentGenTest, RobotEditorButtonsDifferByModeAndByChoice)
{
    ASSERT_EQ(sExitCode, 0);
    auto load = [](int mode, char state) {
        return LoadWithDevIL(OsPathOf("Textures/Editor/button" + std::to_string(mode) + state + ".png"));
    };
    auto meanDifference = [](const LoadedPicture& a, const LoadedPicture& b) {
        float sum = 0.0f;
        for (size_t i = 0; i < a.mPixels.size(); ++i) sum += std::fabs(float(a.mPixels[i]) - float(b.mPixels[i]));
        return sum / float(a.mPixels.size());
    };
    for (int mode = 1; mode <= 4; ++mode) {
        SCOPED_TRACE(::testing::Message() << "button " << mode);
        const LoadedPicture resting = load(mode, 'a'), chosen = load(mode, 'b');
        ASSERT_TRUE(resting.mLoaded && chosen.mLoaded);
        EXPECT_GT(meanDifference(resting, chosen), 30.0f);
        for (int other = mode + 1; other <= 4; ++other) {
            const LoadedPicture next = load(other, 'a');
            ASSERT_TRUE(next.mLoaded);
            EXPECT_GT(meanDifference(resting, next), 3.0f) << "same icon as button " << other;
        }
    }
}

// Besides the pictures, the shipped default materials (read back by the game's tests).
const char* const kOtherFiles[] = {"Scenes/kiv_default_materials.kim"};

TEST_F(ContentGenTest, WritesNoOtherFiles)
{
    ASSERT_EQ(sExitCode, 0);
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(OsRoot()))
        if (entry.is_regular_file()) ++files;
    EXPECT_EQ(files, std::size(kExpected) + std::size(kOtherFiles));
    for (const char* other : kOtherFiles) EXPECT_TRUE(std::filesystem::is_regular_file(OsPathOf(other))) << other;
}

// Loads pictures through the engine's own image registry and textures, with
// the textures folder pointed at the generated tree.
class ContentTextureTest : public ContentGenTest {
protected:
    void SetUp() override
    {
        mSavedRegistry = gImageFiles;
        mSavedDirectory = GetTexturesDirectory();
        gImageFiles = &mRegistry;
        SetTexturesDirectory(sRoot->PathOf("Textures"));
    }
    void TearDown() override
    {
        gImageFiles = mSavedRegistry;
        SetTexturesDirectory(mSavedDirectory);
    }
    // Texture coordinates to storage pixels, as the graphics card samples them.
    static VectorF ToPixels(const Texture& t, const VectorF& uv)
    {
        return {uv.mX * static_cast<float>(t.mStorageSize.mX), uv.mY * static_cast<float>(t.mStorageSize.mY)};
    }

    ImageFileRegistry mRegistry;
    ImageFileRegistry* mSavedRegistry = nullptr;
    std::string mSavedDirectory;
};

TEST_F(ContentTextureTest, FontGlyphsSitInsideTheCellsTheTextDrawerCuts)
{
    ASSERT_EQ(sExitCode, 0);
    Texture font;
    font.ParseName("Fonts\\FontWhite.png");
    ASSERT_TRUE(font.Prepare());
    // Cropping would move the grid: the picture must arrive whole.
    EXPECT_EQ(font.mImage->mCropRect, RectI(0, 0, 512, 190));
    const ImageFile& img = *font.mImage;

    // The cell of glyph g as the text drawer computes it, in pixels.
    auto cell = [&](int32_t g, VectorF& from, VectorF& to) {
        const float u0 = static_cast<float>(g % 16) * font.mSpan.mX / 16.0f;
        const float v0 = static_cast<float>(g / 16) * font.mSpan.mY / 5.95f;
        from = ToPixels(font, {u0, v0});
        to = ToPixels(font, {u0 + font.mSpan.mX / 16.0f, v0 + font.mSpan.mY / 5.95f});
    };
    for (int32_t g = 1; g <= 94; ++g) {
        VectorF from, to;
        cell(g, from, to);
        int32_t ink = 0, inkTop = 1 << 30, inkBottom = -1;
        for (int32_t y = 0; y < img.mStoredHeight; ++y) {
            for (int32_t x = 0; x < img.mStoredWidth; ++x) {
                const float cx = x + 0.5f, cy = y + 0.5f;
                if (cx < from.mX || cx >= to.mX || cy < from.mY || cy >= to.mY || img.GetAlpha(x, y) == 0) continue;
                ++ink;
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
                // A clear pixel all round the glyph: filtering never pulls in a neighbour.
                EXPECT_TRUE(cx - 1.0f >= from.mX && cx + 1.0f < to.mX && cy - 1.0f >= from.mY && cy + 1.0f < to.mY)
                    << "glyph " << char(g + 32) << " touches its cell edge at " << x << "," << y;
            }
        }
        EXPECT_GT(ink, 0) << "glyph " << char(g + 32) << " has no ink";
        // Upright: '^' at the top of its cell, '_' below the base line.
        const float middle = (from.mY + to.mY) * 0.5f;
        if (g + 32 == '^') {
            EXPECT_LT(inkBottom, middle);
        }
        if (g + 32 == '_') {
            EXPECT_GT(inkTop, middle);
        }
    }
}

TEST_F(ContentTextureTest, FramePiecesLieWhereTheFrameBuilderCutsThem)
{
    ASSERT_EQ(sExitCode, 0);
    Texture frame;
    frame.ParseName("Editor\\EditWindowFrameStuff.png");
    ASSERT_TRUE(frame.Prepare());
    EXPECT_EQ(frame.mImage->mCropRect, RectI(0, 0, 256, 64));
    const ImageFile& img = *frame.mImage;

    // Stretched pieces repeat one line: the title middle and bottom edge
    // along x, the side edges along y.
    enum class Repeat { kNone, kColumns, kRows, kButton };
    struct Piece {
        int32_t mLeft, mTop, mRight, mBottom;
        Repeat mRepeat;
    };
    const Piece pieces[] = {
        {1, 1, 4, 17, Repeat::kNone},     {6, 1, 14, 17, Repeat::kColumns}, {15, 1, 18, 17, Repeat::kNone},
        {21, 1, 24, 17, Repeat::kRows},   {25, 1, 28, 17, Repeat::kRows},   {31, 1, 34, 4, Repeat::kNone},
        {41, 1, 49, 4, Repeat::kColumns}, {35, 1, 39, 4, Repeat::kNone},    {86, 2, 100, 16, Repeat::kButton},
        {70, 2, 84, 16, Repeat::kButton}, {54, 2, 68, 16, Repeat::kButton},
    };
    auto pixel = [&](int32_t x, int32_t y) {
        const uint8_t* p = img.mPixels.Data() + (size_t(y) * img.mStoredWidth + x) * 4;
        return std::vector<uint8_t>(p, p + 4);
    };
    for (const Piece& pc : pieces) {
        SCOPED_TRACE(::testing::Message() << "piece at " << pc.mLeft << "," << pc.mTop);
        // The builder's texture coordinates land within half a pixel of the
        // piece's edges, so nearest sampling stays on the piece.
        const VectorF a = ToPixels(frame, frame.PixelToTexCoord(float(pc.mLeft), float(pc.mTop)));
        const VectorF b = ToPixels(frame, frame.PixelToTexCoord(float(pc.mRight), float(pc.mBottom)));
        EXPECT_NEAR(a.mX, pc.mLeft, 0.5f);
        EXPECT_NEAR(a.mY, pc.mTop, 0.5f);
        EXPECT_NEAR(b.mX, pc.mRight, 0.5f);
        EXPECT_NEAR(b.mY, pc.mBottom, 0.5f);
        EXPECT_EQ(img.GetAlpha((pc.mLeft + pc.mRight) / 2, (pc.mTop + pc.mBottom) / 2), 255);
        if (pc.mRepeat == Repeat::kButton) {
            EXPECT_LT(img.GetAlpha(pc.mLeft, pc.mTop), 128) << "round corners";
        }
        for (int32_t y = pc.mTop; y < pc.mBottom; ++y) {
            for (int32_t x = pc.mLeft; x < pc.mRight; ++x) {
                if (pc.mRepeat == Repeat::kColumns) {
                    EXPECT_EQ(pixel(x, y), pixel(pc.mLeft, y)) << x << "," << y;
                } else if (pc.mRepeat == Repeat::kRows) {
                    EXPECT_EQ(pixel(x, y), pixel(x, pc.mTop)) << x << "," << y;
                }
            }
        }
    }
}

TEST(ContentGenRun, ReplacesOlderFilesAndReportsARootItCannotWrite)
{
    TempFolder root;
    const std::string osRoot = ToOsPath(root.Path());
    const std::string stale = osRoot + "Textures/Particles/rock.png";
    std::filesystem::create_directories(std::filesystem::path(stale).parent_path());
    std::ofstream(stale, std::ios::binary) << "not a picture";
    ASSERT_EQ(RunContentGen(osRoot), 0);
    const LoadedPicture rock = LoadWithDevIL(stale);
    EXPECT_TRUE(rock.mLoaded);
    EXPECT_EQ(rock.mWidth, 32);

    // A data root that is a plain file: nothing can be written below it.
    const std::string blocked = osRoot + "blocked";
    std::ofstream(blocked) << "x";
    EXPECT_NE(RunContentGen(blocked), 0);
}

} // namespace

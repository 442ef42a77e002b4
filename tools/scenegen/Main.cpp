// Builds the scene the game ships with: ground across the whole world with
// deep soil under it, a mound with a pond where the default toys appear, and
// far hills behind. Run by the build with the runnable tree's root.
#include <cstdio>
#include <string>
#include <vector>
#include "base/FileUtils.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "game/ShippedScene.h"
#include "render/TextureLib.h"

using namespace KIV;

namespace {
struct Piece {
    const char* picture;
    float x, y;    // centre
    float sx, sy;  // scale of the picture
    int32_t layer;
    ColorRGBA fill;
    bool collides;
    bool lighted;
};

const ColorRGBA kNear(255, 255, 255, 255);
// Far land takes the colour of the air between: bluer and paler; it is not
// lit, so this is the colour it shows.
const ColorRGBA kFar(100, 122, 158, 255);

const char* const kGround = "Ground\\ground01.png";
const char* const kPond = "Ground\\pond01.png";
const char* const kSoil = "Ground\\soil01.png";

// The world the game's grid covers (its start-up content) is 16000 x 8000
// around the origin. The land reaches well past its edges and below its
// bottom, so a camera zoomed out to see the whole world sees no end of it.
constexpr float kWorldLeft = -8000.0f, kWorldRight = 8000.0f;
constexpr float kLandLeft = -16000.0f, kLandRight = 16000.0f, kLandBottom = 12000.0f;
// The ground strip: the picture at twice its size (1024 x 256, cropped to
// its opaque part), its grassy edge 1451 to 1499 down; neighbours overlap a
// little so no seam opens.
constexpr float kStripY = 1560.0f, kStripStep = 1020.0f, kStripWidth = 1024.0f;
// The far hills, in a layer that moves at half the speed and shows twice as
// much, so twice as wide and deep.
constexpr int32_t kFarLayer = -9;
constexpr float kHillsY = 1500.0f, kHillsStep = 2000.0f, kHillsWidth = 2048.0f;

// Soil pieces over a rectangle, row by row, overlapping a little. Soil never
// collides: only the edges of the land above it are terrain.
void CoverWithSoil(std::vector<Piece>& pieces, const RectF& area, const VectorF& scale, int32_t layer,
                   const ColorRGBA& fill, bool lighted)
{
    const VectorF size = scale * 256.0f, step = size - VectorF(4.0f, 8.0f);
    for (float y = area.y1 + 0.5f * size.mY; y - 0.5f * size.mY < area.y2; y += step.mY)
        for (float x = area.x1 + 0.5f * size.mX; x - 0.5f * size.mX < area.x2; x += step.mX)
            pieces.push_back({kSoil, x, y, scale.mX, scale.mY, layer, fill, false, lighted});
}

// Pieces in drawing order within each layer: deep soil first, behind the
// mound, behind the strip whose edge hides the mound's feet and the soil's top.
std::vector<Piece> LayOut()
{
    std::vector<Piece> pieces;
    // Just under the strip the soil's pebbles match the strip's in size, so the
    // two meet without a visible seam; deeper down, seen only from afar, the
    // pieces grow.
    const float firstRow = kStripY + 1024.0f;
    CoverWithSoil(pieces, RectF(kLandLeft, kStripY, kLandRight, firstRow), {4.0f, 4.0f}, 0, kNear, true);
    CoverWithSoil(pieces, RectF(kLandLeft, firstRow - 8.0f, kLandRight, kLandBottom), {16.0f, 16.0f}, 0, kNear,
                  true);
    pieces.push_back(
        {kPond, ShippedScene::kPondCentre.mX, ShippedScene::kPondCentre.mY, 2.0f, 2.0f, 0, kNear, true, true});
    for (float x = kLandLeft + 0.5f * kStripWidth; x - 0.5f * kStripWidth < kLandRight; x += kStripStep) {
        // Beyond the world nothing moves: the strip there is only seen.
        const bool inWorld = x + 0.5f * kStripWidth > kWorldLeft && x - 0.5f * kStripWidth < kWorldRight;
        pieces.push_back({kGround, x, kStripY, 2.0f, 2.0f, 0, kNear, inWorld, true});
    }

    // Behind: far soil under the hills, its first row at the hills' own scale
    // so their foot runs on into it: no sky shows below them however the
    // camera moves.
    const float farRow = kHillsY + 1536.0f;
    CoverWithSoil(pieces, RectF(2.0f * kLandLeft, kHillsY, 2.0f * kLandRight, farRow), {4.0f, 6.0f}, kFarLayer,
                  kFar, false);
    CoverWithSoil(pieces, RectF(2.0f * kLandLeft, farRow - 8.0f, 2.0f * kLandRight, 2.0f * kLandBottom),
                  {16.0f, 24.0f}, kFarLayer, kFar, false);
    for (float x = 2.0f * kLandLeft + 0.5f * kHillsWidth; x - 0.5f * kHillsWidth < 2.0f * kLandRight;
         x += kHillsStep)
        pieces.push_back({kGround, x, kHillsY, 4.0f, 6.0f, kFarLayer, kFar, false, false});
    return pieces;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scenegen <runnable tree root>\n");
        return 2;
    }
    std::string root = FromOsPath(argv[1]);
    if (root.empty() || root.back() != '\\') root += '\\';

    new Statistics;
    gStatistics->InitItems();
    KIVGame& game = *new KIVGame;
    TextureLib textures(root + "Textures");
    game.mTextureLib = &textures;
    game.mDataRoot = root;
    game.mLayers.SetDefaultLayers();

    for (const Piece& p : LayOut()) {
        BendObject* o = game.mTerrainObjects.AppendNew();
        if (!o || !o->SetTexture(textures, p.picture)) {
            std::fprintf(stderr, "scenegen: cannot use the picture %s under %s\n", p.picture, argv[1]);
            return 1;
        }
        o->ScaleXY(p.sx, p.sy);
        o->Move(VectorF(p.x, p.y) - o->mFrame.GetCentre());
        o->SetLayer(p.layer);
        o->SetFillColor(p.fill);
        o->mCollisions = p.collides ? 1 : 0;
        // The far land is lit by the haze, not by the lights of the plane of play.
        o->SetLighted(p.lighted);
        o->mSavedFrame.Assign(o->mFrame);
    }
    game.RebuildDerivedState();
    game.mScenario.AddRobot(ShippedScene::kRobotFile);
    game.mScenario.SetSelectedRobotPosition(ShippedScene::kRobotStart);

    std::string path = root + "Scenes\\Scene01.kis";
    if (!game.SaveScene(path)) {
        std::fprintf(stderr, "scenegen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

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
// around the origin; the land reaches past its edges and below its bottom.
constexpr float kWorldLeft = -8000.0f, kWorldRight = 8000.0f, kWorldBottom = 4000.0f;
// The ground strip: the picture at twice its size (1024 x 256), its grassy
// edge about 1492 down; neighbours overlap a little so no seam opens.
constexpr float kStripY = 1560.0f, kStripStep = 1020.0f, kStripWidth = 1024.0f;
// The far hills, in a layer that moves at half the speed and shows twice as
// much: wide enough for the world seen from its ends.
constexpr int32_t kFarLayer = -9;
constexpr float kFarLeft = -16000.0f, kFarRight = 16000.0f, kFarBottom = 6000.0f;
constexpr float kHillsY = 1500.0f, kHillsStep = 2000.0f;

// Pieces in drawing order within each layer: deep soil first, behind the
// mound, behind the strip whose edge hides the mound's feet and the soil's top.
std::vector<Piece> LayOut()
{
    std::vector<Piece> pieces;
    // Deep soil under the ground strip down past the world's bottom, its
    // pebbles near the strip's size so the two meet without a visible seam; it
    // never collides, so only the strip's edge is terrain.
    const float soil = 1024.0f, soilStep = 1020.0f;
    for (float y = kStripY + 0.5f * soil; y - 0.5f * soil < kWorldBottom; y += soilStep)
        for (float x = kWorldLeft + 0.5f * soil; x - 0.5f * soil < kWorldRight; x += soilStep)
            pieces.push_back({kSoil, x, y, 4.0f, 4.0f, 0, kNear, false, true});
    pieces.push_back({kPond, ShippedScene::kPondCentre.mX, ShippedScene::kPondCentre.mY, 2.0f, 2.0f, 0, kNear, true, true});
    for (float x = kWorldLeft + 0.5f * kStripWidth; x - 0.5f * kStripWidth < kWorldRight; x += kStripStep)
        pieces.push_back({kGround, x, kStripY, 2.0f, 2.0f, 0, kNear, true, true});

    // Behind: far soil under the hills, at the hills' own scale so their foot
    // runs on into it, so no sky shows below them however the camera moves.
    const VectorF farSoil(1024.0f, 1536.0f);
    for (float y = kHillsY + 0.5f * farSoil.mY; y - 0.5f * farSoil.mY < kFarBottom; y += farSoil.mY - 8.0f)
        for (float x = kFarLeft + 0.5f * farSoil.mX; x - 0.5f * farSoil.mX < kFarRight; x += farSoil.mX - 4.0f)
            pieces.push_back({kSoil, x, y, 4.0f, 6.0f, kFarLayer, kFar, false, false});
    for (float x = kFarLeft + 1024.0f; x - 1024.0f < kFarRight; x += kHillsStep)
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

    std::string path = root + "Scenes\\Scene01.kis";
    if (!game.SaveScene(path)) {
        std::fprintf(stderr, "scenegen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

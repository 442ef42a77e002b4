// Builds the scene the game ships with: ground under the spot where the
// default toys appear. Run by the build with the runnable tree's root.
#include <cstdio>
#include <string>
#include "base/FileUtils.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "render/TextureLib.h"

using namespace KIV;

namespace {
struct GroundPiece {
    float x, y;      // centre
    float sx, sy;    // scale of the picture
    float angle;
    int32_t layer;
    ColorRGBA fill;
};

const ColorRGBA kNear(255, 255, 255, 255);
// Far hills take the colour of the air between: bluer and darker.
const ColorRGBA kFar(110, 130, 165, 255);

// A long floor under the default toys, a ramp down to it from the right, and
// distant hills behind for depth.
const GroundPiece kPieces[] = {
    {-2600.0f, 1560.0f, 2.0f, 2.0f, 0.0f, 0, kNear},
    {-1590.0f, 1560.0f, 2.0f, 2.0f, 0.0f, 0, kNear},
    {-580.0f, 1560.0f, 2.0f, 2.0f, 0.0f, 0, kNear},
    {420.0f, 1470.0f, 2.0f, 2.0f, -0.18f, 0, kNear},
    {-5000.0f, 1500.0f, 4.0f, 6.0f, 0.0f, -9, kFar},
    {-3000.0f, 1500.0f, 4.0f, 6.0f, 0.0f, -9, kFar},
    {-1000.0f, 1500.0f, 4.0f, 6.0f, 0.0f, -9, kFar},
    {1000.0f, 1500.0f, 4.0f, 6.0f, 0.0f, -9, kFar},
};
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

    for (const GroundPiece& p : kPieces) {
        BendObject* o = game.mTerrainObjects.AppendNew();
        if (!o || !o->SetTexture(textures, "Ground\\ground01.png")) {
            std::fprintf(stderr, "scenegen: cannot use the ground picture under %s\n", argv[1]);
            return 1;
        }
        o->ScaleXY(p.sx, p.sy);
        if (p.angle != 0.0f) o->Rotate(p.angle);
        o->Move(VectorF(p.x, p.y) - o->mFrame.GetCentre());
        o->SetLayer(p.layer);
        o->SetFillColor(p.fill);
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

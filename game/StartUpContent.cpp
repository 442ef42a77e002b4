#include "base/Notices.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "base/TextFormat.h"
#include "game/KIVGame.h"
#include "game/ShippedScene.h"
#include "physics/terrain/Light.h"
#include "physics/toys/Toy.h"
#include "robots/RobotFiles.h"

namespace KIV {

namespace {
// The world the spatial grid covers; play stays well inside it.
const RectF kWorldRect(-8000.0f, -4000.0f, 8000.0f, 4000.0f);

struct DefaultLight {
    float x, y, radius, r, g, b;
    uint8_t flag;
};
const DefaultLight kDefaultLights[] = {
    {0.0f, 0.0f, 6000.0f, 0.9f, 0.9f, 0.9f, 0},
    {4000.0f, 100.0f, 600.0f, 0.3f, 0.5f, 0.5f, 1},
    {-2000.0f, -300.0f, 600.0f, 0.5f, 0.5f, 0.5f, 1},
    {0.0f, 1500.0f, 600.0f, 0.5f, 0.5f, 0.5f, 1},
};

constexpr int32_t kDefaultToyCount = 12;
// The default toy pictures are drawn large, for crisp edges when zoomed in;
// they enter the world at this scale, so the row they start in does not overlap.
constexpr float kDefaultToyScale = 0.45f;
} // namespace

void KIVGame::LoadStartUpContent()
{
    for (int32_t item = kStatToysCount; item <= kStatBreakPolygonCalls; ++item) StatSetInt(item, 0);
    SetupGrid(kWorldRect);
    mLayers.SetDefaultLayers();
    if (DepthLayer* play = mLayers.GetLayer(0)) play->mColor = ShippedScene::kSkyColor;

    for (const DefaultLight& d : kDefaultLights) {
        Light* light = mLights.AppendNew();
        if (!light) break;
        light->mPosition = {d.x, d.y};
        light->SetRadius(d.radius);
        light->mBaseColor = {d.r, d.g, d.b, 1.0f};
        light->SetCurrentColor(light->mBaseColor);
        light->mFlickerEnabled = d.flag;
    }

    if (!mDataRoot.empty()) mEditRobots.SetDataRoot(mDataRoot);
    // An empty robot is edited until the robot editor's own is loaded.
    mEditRobots.AddRobot("", VectorF());
    mDefaultMaterials.Load(mDataRoot + DefaultMaterials::kFileName);
    LoadScene(mDataRoot + "Scenes\\Scene01.kis");
    // The terrain's pictures fix its start frames, which the reset goes back to.
    RebuildDerivedState();
    // The scene file keeps no water: the pond is filled here.
    AddWater(ShippedScene::kPoolSeed);
    // The first run is recorded as every later one: from a level reset.
    ResetLevel(false);
    if (IsExistingFile(GetRobotsFolder(mDataRoot) + ShippedScene::kRobotFile))
        LoadRobotForEditing(ShippedScene::kRobotFile);
    // The first picture already shows the toys falling, the robot to be
    // steered and the debris beside it.
    mCamera.mPosition = mCamera.mTargetPosition = ShippedScene::kOpeningView;
    mCamera.mZoom = mCamera.mTargetZoom = ShippedScene::kOpeningZoom;
}

Toy* KIVGame::AddToy(const std::string& picture, const VectorF& position, float angle, float scale,
                     const std::string& name, const VectorF& velocity, float angularVelocity, float density)
{
    Toy* toy = NewToySlot();
    if (!toy) {
        ReportNotice("no toy made from " + picture + ": the scene holds " + IntToText(kMaxToys) + " toys already");
        return nullptr;
    }
    if (!toy->BuildFromTexture(picture, density, false, VectorF(scale, scale), 0.0f, position, false,
                               angle)) {
        // A missing or empty picture makes no toy; the scene goes on without
        // it, and the player hears which toy is missing (the picture layer
        // has said why the picture would not load).
        RemoveToy(toy);
        ReportNotice("Toy " + name + " was left out: its picture Textures\\" + picture + " could not be used");
        return nullptr;
    }
    toy->mName.SetByString(name);
    toy->mStepLength = mStepLength;
    toy->mInverseStepLength = mStepLengthInverse;
    toy->mHalfStepLengthSquared = 0.5f * mStepLength * mStepLength;
    toy->mVelocity = velocity;
    toy->mAngularVelocity = angularVelocity;
    mGrid.InsertToy(*toy);
    return toy;
}

void KIVGame::CreateDefaultToys()
{
    for (int32_t i = 1; i <= kDefaultToyCount; ++i) {
        std::string picture = "Toys\\new\\NewToys_" + IntToPaddedText(i, 2) + ".png";
        VectorF at(-1500.0f - 55.0f * i, 750.0f + 40.0f * i);
        // The last one drops into the pond.
        if (i == kDefaultToyCount) at = {ShippedScene::kPoolSeed.mX, 900.0f};
        Toy* toy = AddToy(picture, at, 0.0f, kDefaultToyScale, "toy" + IntToText(i));
        // Each breaks into a few pieces, a different few from toy to toy but
        // the same from reset to reset: the scene's generator starts anew at each.
        const int32_t pieces = i == kDefaultToyCount ? 2 : 3 + mRandom.NextInt(4);
        if (toy) toy->SetBreakToyToMoreParts(pieces);
    }
    mToys.SetSelectedIndex(mToys.Count() - 1);
}

} // namespace KIV

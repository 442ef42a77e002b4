#include "game/SelectionCommands.h"
#include "game/KIVGame.h"
#include "game/SceneSelection.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;
const ColorRGBA kWhite(255, 255, 255, 255);
const ColorRGBA kNoFog(255, 255, 255, 0);

const DrawState* CurrentDrawState(Scene& scene)
{
    const BendObject* o = scene.mTerrainObjects.GetSelected();
    return o ? &o->mTexturedShape.mDrawState : nullptr;
}

template <typename Change>
void ForEachMarked(Scene& scene, Change change)
{
    for (BendObject* o : scene.mTerrainObjects)
        if (o->mEditSelected) change(*o);
}

// A draw setting changed: the object's drawing data must be made again.
template <typename Change>
void ChangeDrawing(Scene& scene, Change change)
{
    ForEachMarked(scene, [&](BendObject& o) {
        change(o);
        o.mEditCounter = 0;
    });
}

void RefreshCollisions(Scene& scene) { scene.RebuildTerrainCollisionEntries(); }

void RefreshGeometry(Scene& scene)
{
    scene.AssignLightsToTerrain();
    scene.RebuildTerrainCollisionEntries();
}

} // namespace

BendObject* STO(Scene& scene) { return scene.mTerrainObjects.GetSelected(); }

int32_t STO_GetLayer(Scene& scene)
{
    const BendObject* o = STO(scene);
    return o ? o->GetLayer() : 0;
}

void STO_SetCollisions(Scene& scene, bool on)
{
    ForEachMarked(scene, [&](BendObject& o) { o.mCollisions = on ? 1 : 0; });
    RefreshCollisions(scene);
}
bool STO_GetCollisions(Scene& scene) { return STO(scene) && STO(scene)->mCollisions; }

void STO_SetPassDynamics(Scene& scene, bool on)
{
    ForEachMarked(scene, [&](BendObject& o) { o.mPassDynamics = on ? 1 : 0; });
    RefreshCollisions(scene);
}
bool STO_GetPassDynamics(Scene& scene) { return STO(scene) && STO(scene)->mPassDynamics; }

void STO_SetPassParticles(Scene& scene, bool on)
{
    ForEachMarked(scene, [&](BendObject& o) { o.mPassParticles = on ? 1 : 0; });
    RefreshCollisions(scene);
}
bool STO_GetPassParticles(Scene& scene) { return STO(scene) && STO(scene)->mPassParticles; }

void STO_SetSlippery(Scene& scene, float slippery)
{
    ForEachMarked(scene, [&](BendObject& o) { o.mSlippery = slippery; });
    RefreshCollisions(scene);
}
float STO_GetSlippery(Scene& scene) { return STO(scene) ? STO(scene)->mSlippery : 0.0f; }

void STO_SetFillColor(Scene& scene, const ColorRGBA& colour)
{
    ForEachMarked(scene, [&](BendObject& o) { o.SetFillColor(colour); });
}
ColorRGBA STO_GetFillColor(Scene& scene) { return STO(scene) ? STO(scene)->GetFillColor() : kWhite; }

void STO_SetFogColor(Scene& scene, const ColorRGBA& colour)
{
    ChangeDrawing(scene, [&](BendObject& o) { o.SetFogColor(colour); });
}
ColorRGBA STO_GetFogColor(Scene& scene) { return STO(scene) ? STO(scene)->GetFogColor() : kNoFog; }

void STO_SetBlender(Scene& scene, int32_t blender)
{
    ChangeDrawing(scene, [&](BendObject& o) { o.SetBlender(blender); });
}
int32_t STO_GetBlender(Scene& scene) { return CurrentDrawState(scene) ? CurrentDrawState(scene)->mBlender : 0; }

void STO_SetTexColorOp(Scene& scene, int32_t op)
{
    ChangeDrawing(scene, [&](BendObject& o) { o.SetTexColorOp(op); });
}
int32_t STO_GetTexColorOp(Scene& scene) { return CurrentDrawState(scene) ? CurrentDrawState(scene)->mTexColorOp : 0; }

void STO_SetAlphaExtrude(Scene& scene, int32_t value)
{
    ChangeDrawing(scene, [&](BendObject& o) { o.SetAlphaExtrude(value); });
}
int32_t STO_GetAlphaExtrude(Scene& scene)
{
    return CurrentDrawState(scene) ? CurrentDrawState(scene)->mAlphaExtrude : 0;
}

void STO_SetLighted(Scene& scene, bool lighted)
{
    ChangeDrawing(scene, [&](BendObject& o) { o.SetLighted(lighted); });
    scene.AssignLightsToTerrain();
}
bool STO_GetLighted(Scene& scene) { return CurrentDrawState(scene) ? CurrentDrawState(scene)->mLighted != 0 : true; }

void STO_SetDefaultMaterial(Scene& scene)
{
    ChangeDrawing(scene, [&](BendObject& o) {
        o.SetBlender(0);
        o.SetTexColorOp(0);
        o.SetFillColor(kWhite);
        o.SetFogColor(kNoFog);
        o.SetAlphaExtrude(0);
        o.SetLighted(true);
    });
    scene.AssignLightsToTerrain();
}

void STO_Rotate(Scene& scene, float degrees)
{
    ForEachMarked(scene, [&](BendObject& o) { o.Rotate(degrees * kRadiansPerDegree); });
    RefreshGeometry(scene);
}

void STO_Scale(Scene& scene, float percent) { STO_ScaleXY(scene, percent, percent); }

void STO_ScaleXY(Scene& scene, float percentX, float percentY)
{
    ForEachMarked(scene, [&](BendObject& o) { o.ScaleXY(percentX * 0.01f, percentY * 0.01f); });
    RefreshGeometry(scene);
}

void STO_MoveXY(Scene& scene, float x, float y)
{
    ForEachMarked(scene, [&](BendObject& o) { o.Move(VectorF(x, y)); });
    RefreshGeometry(scene);
}

void STO_SetFragments(Scene& scene, int32_t columns, int32_t rows)
{
    ForEachMarked(scene, [&](BendObject& o) { o.SetFragments(columns, rows); });
    RefreshGeometry(scene);
}

void STO_SetDefaultFragments(Scene& scene)
{
    ForEachMarked(scene, [&](BendObject& o) { o.SetDefaultFragments(); });
    RefreshGeometry(scene);
}

std::string SPS_GetWhere(Scene& scene)
{
    const SceneEditor& editor = static_cast<KIVGame&>(scene).mSceneEditor;
    switch (editor.mParticleMaterialMode) {
    case 3: return "dent particles of selected material";
    case 4: return "entry hole particles of selected material";
    case 5: return "exit hole particles of selected material";
    default: break;
    }
    if (editor.mParticleMaterialMode > 0) return "particles of selected material";
    return editor.mParticlesInRobotBuilder ? "particles in robot builder" : "particles in simulation";
}


std::string SPS_GetLinkedToyName(Scene& scene)
{
    const ParticleSystem* system = SelectedParticleSystem(static_cast<KIVGame&>(scene));
    return system && system->mLinkedToy ? system->mLinkedToy->GetName().GetInString() : "";
}

std::string SPS_GetLinkedRobotName(Scene& scene)
{
    const ParticleSystem* system = SelectedParticleSystem(static_cast<KIVGame&>(scene));
    return system && system->mLinkedRobot ? system->mLinkedRobot->GetName() : "";
}

void MakeNewPhotoForRobot(Scene& scene, Robot* robot)
{
    static_cast<KIVGame&>(scene).mSceneEditor.mPhotoRequest.Request(robot);
}

} // namespace KIV

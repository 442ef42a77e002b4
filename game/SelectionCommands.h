#pragma once
#include <cstdint>
#include <string>
#include "base/Color.h"

namespace KIV {

class BendObject;
class ParticleSystem;
class Robot;
class Scene;

// The editor pages' commands on the scene editor's selection, as scripts call
// them on the scene. Setters change every marked terrain object and end with
// the refresh their change needs, even when nothing is marked; getters read
// the current object and give fixed defaults without one.
BendObject* STO(Scene& scene);
int32_t STO_GetLayer(Scene& scene);
void STO_SetCollisions(Scene& scene, bool on);
bool STO_GetCollisions(Scene& scene);
void STO_SetPassDynamics(Scene& scene, bool on);
bool STO_GetPassDynamics(Scene& scene);
void STO_SetPassParticles(Scene& scene, bool on);
bool STO_GetPassParticles(Scene& scene);
void STO_SetSlippery(Scene& scene, float slippery);
float STO_GetSlippery(Scene& scene);
void STO_SetFillColor(Scene& scene, const ColorRGBA& colour);
ColorRGBA STO_GetFillColor(Scene& scene);
void STO_SetFogColor(Scene& scene, const ColorRGBA& colour);
ColorRGBA STO_GetFogColor(Scene& scene);
void STO_SetBlender(Scene& scene, int32_t blender);
int32_t STO_GetBlender(Scene& scene);
void STO_SetTexColorOp(Scene& scene, int32_t op);
int32_t STO_GetTexColorOp(Scene& scene);
void STO_SetAlphaExtrude(Scene& scene, int32_t value);
int32_t STO_GetAlphaExtrude(Scene& scene);
void STO_SetLighted(Scene& scene, bool lighted);
bool STO_GetLighted(Scene& scene);
void STO_SetDefaultMaterial(Scene& scene);
void STO_Rotate(Scene& scene, float degrees);
void STO_Scale(Scene& scene, float percent);
void STO_ScaleXY(Scene& scene, float percentX, float percentY);
void STO_MoveXY(Scene& scene, float x, float y);
void STO_SetFragments(Scene& scene, int32_t columns, int32_t rows);
void STO_SetDefaultFragments(Scene& scene);

// The particle-system page's list ("particles in simulation" and the like).
std::string SPS_GetWhere(Scene& scene);
std::string SPS_GetLinkedToyName(Scene& scene);
std::string SPS_GetLinkedRobotName(Scene& scene);
void MakeNewPhotoForRobot(Scene& scene, Robot* robot);
// The selected system's settings through the scene editor's clipboard; a
// paste keeps the target's layer, place and link, and before any copy does nothing.
void CopySelectedParticleSystemProps(Scene& scene);
void PasteParticleSystemPropsToSelected(Scene& scene);

} // namespace KIV

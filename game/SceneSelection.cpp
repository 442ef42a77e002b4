#include "game/SceneSelection.h"
#include "game/KIVGame.h"
#include "physics/materials/Material.h"

namespace KIV {

namespace {
// The material particle families the page switch names.
constexpr int32_t kDentFamily = 3, kEntryHoleFamily = 4, kExitHoleFamily = 5;

template <typename T>
T* PickedOrSelected(uint8_t& picked, const PtrArray<T>& builderList, const PtrArray<T>& sceneList)
{
    if (picked) {
        if (T* part = builderList.GetSelected()) return part;
        picked = 0;
    }
    return sceneList.GetSelected();
}
} // namespace

Toy* SelectedToy(KIVGame& game) { return PickedOrSelected(game.mToyClickPick, game.mEditToys, game.mToys); }

Joint* SelectedJoint(KIVGame& game)
{
    return PickedOrSelected(game.mJointClickPick, game.mEditJoints.mJoints, game.mJoints.mJoints);
}

Material* EditedMaterial(KIVGame& game) { return game.mDefaultMaterials.GetEdited(SelectedToy(game)); }

ParticleSystem* SelectedParticleSystem(KIVGame& game)
{
    SceneEditor& editor = game.mSceneEditor;
    const int32_t family = editor.mParticleMaterialMode;
    if (family <= 0) {
        if (editor.mParticlesInRobotBuilder) {
            if (ParticleSystem* picked = game.mEditParticleSystems.mSystems.GetSelected()) return picked;
            editor.mParticlesInRobotBuilder = false;
        }
        return game.mParticleSystems.mSystems.GetSelected();
    }
    const Material* material = EditedMaterial(game);
    if (!material) return nullptr;
    switch (family) {
    case kDentFamily: return material->GetDentParticlesSelected();
    case kEntryHoleFamily: return material->GetEntryHoleParticlesSelected();
    case kExitHoleFamily: return material->GetExitHoleParticlesSelected();
    default: return nullptr;
    }
}

} // namespace KIV

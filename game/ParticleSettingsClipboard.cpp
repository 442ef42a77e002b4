#include "game/KIVGame.h"
#include "game/SceneSelection.h"
#include "game/SelectionCommands.h"
#include "physics/particles/ParticleSystem.h"

namespace KIV {

void CopySelectedParticleSystemProps(Scene& scene)
{
    KIVGame& game = static_cast<KIVGame&>(scene);
    const ParticleSystem* system = SelectedParticleSystem(game);
    if (!system) return;
    MemoryStream& clipboard = game.mSceneEditor.mParticleClipboard;
    clipboard.Clear();
    clipboard.SetGrowStep(1024);
    system->WriteProps(clipboard);
}

void PasteParticleSystemPropsToSelected(Scene& scene)
{
    KIVGame& game = static_cast<KIVGame&>(scene);
    ParticleSystem* system = SelectedParticleSystem(game);
    MemoryStream& clipboard = game.mSceneEditor.mParticleClipboard;
    if (!system || clipboard.GetSize() < 1 || !clipboard.SetPosition(0)) return;
    system->ReadProps(clipboard, true);
}

} // namespace KIV

#include "game/KIVGame.h"
#include "script/ScriptHost.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"

namespace KIV {

void KIVGame::SetTextureMapping(int32_t v) { gSettings->SetTextureMapping(v); }
int32_t KIVGame::GetTextureMapping() const { return gSettings->GetTextureMapping(); }

void KIVGame::SetPhysicsFrequency(int32_t frequency)
{
    // Refused when not positive, so the setting and the working copy never disagree.
    if (frequency <= 0) return;
    gSettings->mPhysicsFrequency = frequency;
    ApplyPhysicsFrequency(frequency);
}

void KIVGame::SetGravity(float g)
{
    gSettings->mGravity = g;
    mGravity = VectorF(0.0f, g);
}

void KIVGame::SetMaxvABPSquared(float v) { gSettings->SetMaxvABPSquared(v); }
float KIVGame::GetMaxvABPSquared() const { return gSettings->GetMaxvABPSquared(); }
void KIVGame::SetToySubPlayEnabled(int32_t index, bool on) { gSettings->SetToySubPlayEnabled(index, on); }
bool KIVGame::GetToySubPlayEnabled(int32_t index) const { return gSettings->GetToySubPlayEnabled(index); }

void KIVGame::SetRestitutionToAllObjects(float restitution)
{
    for (int32_t i = mToys.Count() - 1; i >= 0; --i) mToys[i]->SetRestitution(restitution);
}

// A toy's elasticity is how much it bounces back off the terrain.
void KIVGame::SetElasticityToAllObjects(float elasticity)
{
    for (int32_t i = mToys.Count() - 1; i >= 0; --i) mToys[i]->SetRestitutionWithTerrain(elasticity);
}

int32_t KIVGame::GetScriptResultsCounter() const
{
    return gScriptHost ? gScriptHost->GetResults().GetChangeCounter() : 0;
}

} // namespace KIV

#include "physics/world/GameSettings.h"

namespace KIV {

namespace {
GameSettings sSettings;
}

GameSettings* gSettings = &sSettings;

void GameSettings::SetMaxvABPSquared(float v)
{
    mMaxvABPSquared = v * 0.01f;
}

float GameSettings::GetMaxvABPSquared() const
{
    return mMaxvABPSquared * 100.0f;
}

void GameSettings::SetToySubPlayEnabled(int32_t index, bool on)
{
    if (index < 1 || index > 12) return;
    mToySubPlayEnabled[index - 1] = on ? 1 : 0;
}

bool GameSettings::GetToySubPlayEnabled(int32_t index) const
{
    if (index < 1 || index > 12) return true;
    return mToySubPlayEnabled[index - 1] != 0;
}

} // namespace KIV

#include <luabind/luabind.hpp>
#include "game/KIVGame.h"
#include "game/ScriptKIVGamePages.h"
#include "game/ScriptScopes.h"
#include "game/PageMethods.h"
#include "physics/world/GameSettings.h"
#include "script/ScriptHost.h"

namespace KIV {

namespace {
// Settings that live in the settings record alone; the game object is only
// the name scripts reach them by.
template <auto Setter, class Value>
void SetSetting(KIVGame&, Value value)
{
    (gSettings->*Setter)(value);
}

template <auto Getter>
auto GetSetting(const KIVGame&)
{
    return (gSettings->*Getter)();
}
void ScriptReset(KIVGame& game) { game.RequestRun(KIVGame::PendingRun::kReset); }
void ScriptReplay(KIVGame& game) { game.RequestRun(KIVGame::PendingRun::kReplay); }
} // namespace

luabind::scope ScriptScopeKIVGame()
{
    using namespace luabind;
    using S = GameSettings;
    class_<KIVGame> game("KIVGame");
    game.def("SetWannaResizeWindowSizeX", &KIVGame::SetWannaResizeWindowSizeX)
        .def("GetWannaResizeWindowSizeX", &KIVGame::GetWannaResizeWindowSizeX)
        .def("SetWannaResizeWindowSizeY", &KIVGame::SetWannaResizeWindowSizeY)
        .def("GetWannaResizeWindowSizeY", &KIVGame::GetWannaResizeWindowSizeY)
        .def("AskToResizeWindow", &KIVGame::AskToResizeWindow)
        .def("Reset", &ScriptReset)
        .def("Replay", &ScriptReplay)
        .def("GetCurrentFPS", &KIVGame::GetCurrentFPS)
        .def("SetTextureMapping", &KIVGame::SetTextureMapping)
        .def("GetTextureMapping", &KIVGame::GetTextureMapping)
        .def("SetPhysicsFrequency", &KIVGame::SetPhysicsFrequency)
        .def("GetPhysicsFrequency", &KIVGame::GetPhysicsFrequency)
        .def("SetJoints_SSP", &SetSetting<&S::SetJoints_SSP, float>)
        .def("GetJoints_SSP", &GetSetting<&S::GetJoints_SSP>)
        .def("SetGravity", &KIVGame::SetGravity)
        .def("GetGravity", &KIVGame::GetGravity)
        .def("SetSleepingEnabled", &SetSetting<&S::SetSleepingEnabled, bool>)
        .def("GetSleepingEnabled", &GetSetting<&S::GetSleepingEnabled>)
        .def("SetVelIterations", &SetSetting<&S::SetVelIterations, int32_t>)
        .def("GetVelIterations", &GetSetting<&S::GetVelIterations>)
        .def("SetRestitutionToAllObjects", &KIVGame::SetRestitutionToAllObjects)
        .def("SetElasticityToAllObjects", &KIVGame::SetElasticityToAllObjects)
        .def("SetMaxvABPSquared", &KIVGame::SetMaxvABPSquared)
        .def("GetMaxvABPSquared", &KIVGame::GetMaxvABPSquared)
        .def("SetToySubPlayEnabled", &KIVGame::SetToySubPlayEnabled)
        .def("GetToySubPlayEnabled", &KIVGame::GetToySubPlayEnabled)
        .def("SetSolvePntColToyToy", &SetSetting<&S::SetSolvePntColToyToy, bool>)
        .def("SetSolveLineColToyToy", &SetSetting<&S::SetSolveLineColToyToy, bool>)
        .def("SetSolvePenContacts", &SetSetting<&S::SetSolvePenContacts, bool>)
        .def("SetSolveJoints", &SetSetting<&S::SetSolveJoints, bool>)
        .def("SetUnPenetrate", &SetSetting<&S::SetUnPenetrate, bool>)
        .def("SetImmediateImpulses", &SetSetting<&S::SetImmediateImpulses, bool>)
        .def("SetVectorAngleMorph", &SetSetting<&S::SetVectorAngleMorph, bool>)
        .def("SetNormalizeResponseNormals1", &SetSetting<&S::SetNormalizeResponseNormals1, bool>)
        .def("SetNormalizeResponseNormals2", &SetSetting<&S::SetNormalizeResponseNormals2, bool>)
        .def("SetColNormal2Negate", &SetSetting<&S::SetColNormal2Negate, bool>)
        .def("SetOldResponseFunctions", &SetSetting<&S::SetOldResponseFunctions, bool>)
        .def("CleanUpLuaResults", &PageMethods::CleanUpLuaResults);
    DefineKIVGamePageMethods(game);
    return game;
}

} // namespace KIV

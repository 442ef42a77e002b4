// BM_ScriptCallGetter / BM_ScriptCallSetter: one bound call from Lua on a toy that the
// script holds by its checked handle (a getter of a float, a setter of one);
// time per call. The goal is under 1 us.
// BM_ScriptCallUpdate512: one step's worth of per-object Update calls through the
// script templates for 512 scripted objects with a trivial Update function;
// time per step. The goal is under 0.5 ms.

#include <benchmark/benchmark.h>
#include <luabind/luabind.hpp>
#include <memory>
#include <vector>
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "scenes/JointWorlds.h"
#include "script/ScriptHandles.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"
#include "script/api/ScriptApi.h"

namespace {

using namespace KIV;

constexpr int32_t kCallsPerRun = 1000;
constexpr int32_t kScriptedObjects = 512;

// Robots are not here yet: joints, the template table's other kind, stand
// in for them with the same glue.
luabind::object ToJoint(lua_State* state, int32_t handle)
{
    return ObjectFromHandle(state, handle, HandleKindOf<Joint>());
}

void Register(ScriptHost& host)
{
    luabind::scope chain = ScriptScopeFreeFunctions();
    chain, ScriptScopeFastName(), ScriptScopeVectorF(), ScriptScopeToy(), ScriptScopeJoint(),
        luabind::def("ToJoint", &ToJoint);
    luabind::module(host.GetState())[chain];
}

struct ScriptedWorld {
    Scene scene;
    ScriptHost host;
    std::unique_ptr<ScriptTemplates> templates;
    std::vector<ObjectScript> slots;

    bool Build()
    {
        // Chains of eight links give seven or eight joints each.
        if (!Scenes::MakeChains(scene, 640)) return false;
        if (scene.mJoints.mJoints.Count() < kScriptedObjects) return false;
        host.InitScriptVM(&Register);
        templates = std::make_unique<ScriptTemplates>(host);
        Toy* toy = scene.mToys[0];
        luabind::globals(host.GetState())["toy"] = ScriptRef<Toy>(toy);
        slots.resize(kScriptedObjects);
        for (int32_t i = 0; i < kScriptedObjects; ++i) {
            Joint* joint = scene.mJoints.mJoints[i];
            templates->DeclareObject(slots[i], joint->mScriptHandle.Get(joint), "Joint", "walker");
        }
        ScriptBinding* binding = slots[0].mBinding;
        if (!binding) return false;
        binding->mUpdateText = "mobj.n = (mobj.n or 0) + 1";
        templates->DefineUpdate(*binding);
        return host.GetStackSize() == 0;
    }
};

ScriptedWorld* World()
{
    static std::unique_ptr<ScriptedWorld> world;
    if (!world) {
        world = std::make_unique<ScriptedWorld>();
        if (!world->Build()) world.reset();
    }
    return world.get();
}

void RunCalls(benchmark::State& state, const char* chunk)
{
    ScriptedWorld* world = World();
    if (!world) {
        state.SkipWithError("the scripted world could not be built");
        return;
    }
    for (auto _ : state)
        if (!world->host.RunRepeatedScriptText(chunk)) state.SkipWithError("the script failed");
    // Calls per second; one call costs the inverse.
    state.SetItemsProcessed(state.iterations() * kCallsPerRun);
}

void BM_ScriptCallGetter(benchmark::State& state)
{
    RunCalls(state, "local t = toy; local d = 0; for i = 1, 1000 do d = t:GetDensity() end");
}
BENCHMARK(BM_ScriptCallGetter);

void BM_ScriptCallSetter(benchmark::State& state)
{
    RunCalls(state, "local t = toy; for i = 1, 1000 do t:SetAirFriction(0.2) end");
}
BENCHMARK(BM_ScriptCallSetter);

void BM_ScriptCallUpdate512(benchmark::State& state)
{
    ScriptedWorld* world = World();
    if (!world) {
        state.SkipWithError("the scripted world could not be built");
        return;
    }
    for (auto _ : state)
        for (const ObjectScript& slot : world->slots) world->templates->CallUpdate(slot);
    if (world->host.GetStackSize() != 0) state.SkipWithError("an Update call failed");
    state.SetItemsProcessed(state.iterations() * kScriptedObjects);
}
BENCHMARK(BM_ScriptCallUpdate512)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

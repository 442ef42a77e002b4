#include "script/ScriptHandles.h"
#include <map>

namespace KIV {

namespace {
std::map<const void*, HandlePusher>& Pushers()
{
    static std::map<const void*, HandlePusher> pushers;
    return pushers;
}
} // namespace

void SetHandlePusher(const void* kind, HandlePusher pusher)
{
    Pushers()[kind] = pusher;
}

luabind::object ObjectFromHandle(lua_State* state, int32_t handle, const void* kind)
{
    if (!ObjectHandles().Resolve(handle, kind)) return luabind::object();
    auto found = Pushers().find(kind);
    if (found == Pushers().end()) return luabind::object();
    found->second(state, handle);
    luabind::object value(luabind::from_stack(state, -1));
    lua_pop(state, 1);
    return value;
}

} // namespace KIV

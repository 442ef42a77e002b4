#pragma once
#include <cstdint>
#include <luabind/object.hpp>
#include "script/ScriptRef.h"

namespace KIV {

// Turning a handle back into a script value needs the class's binding, which
// only the class's own registration knows; it leaves a pusher here, so the
// conversion functions need not see the class.
using HandlePusher = void (*)(lua_State* state, int32_t handle);
void SetHandlePusher(const void* kind, HandlePusher pusher);

// The live object the handle names, as a script value; nil for a handle that
// was never handed out, names another kind, or whose object has gone.
luabind::object ObjectFromHandle(lua_State* state, int32_t handle, const void* kind);

template <class T>
void PushScriptRef(lua_State* state, int32_t handle)
{
    luabind::object(state, ScriptRef<T>::FromHandle(handle)).push(state);
}

// Called by a class's registration: its handles convert from now on.
template <class T>
void EnableHandlesOf()
{
    SetHandlePusher(HandleKindOf<T>(), &PushScriptRef<T>);
}

} // namespace KIV

#pragma once
#include "script/ScriptRef.h"

// Bound methods whose results would hand Lua a way into engine memory: a
// reference into an object becomes a copy (a vector kept by a script must not
// point into a toy that is gone), and an object pointer becomes a checked
// reference.
namespace KIV {

template <auto Method>
struct Copied;

template <class C, class R, R const& (C::*Method)() const>
struct Copied<Method> {
    static R Call(const C& self) { return (self.*Method)(); }
};

template <auto Method>
struct Referenced;

template <class C, class T, class... Args, T* (C::*Method)(Args...) const>
struct Referenced<Method> {
    static ScriptRef<T> Call(const C& self, Args... args) { return ScriptRef<T>((self.*Method)(args...)); }
};

} // namespace KIV

#include "script/LuaResults.h"

namespace KIV {

void LuaResults::Add(const std::string& result, const std::string& script, const std::string& source)
{
    if (result.empty()) return;
    LuaResult& entry = mEntries[mWriteIndex];
    entry.mResult = result;
    entry.mScript = script;
    entry.mSource = source;
    ++mChangeCounter;
    if (++mWriteIndex == kCapacity) mWriteIndex = 0;
    if (++mCount > kCapacity) mCount = kCapacity;
}

void LuaResults::Clear()
{
    for (int32_t i = kCapacity - 1; i >= 0; --i) mEntries[i] = LuaResult();
    ++mChangeCounter;
    mWriteIndex = 0;
    mCount = 0;
}

const LuaResult* LuaResults::GetNewest(int32_t k) const
{
    if (mCount == 0) return nullptr;
    if (k < 0) k = 0;
    if (k > mCount - 1) k = mCount - 1;
    int32_t slot = mWriteIndex - 1 - k;
    if (slot < 0) slot += kCapacity;
    return &mEntries[slot];
}

} // namespace KIV

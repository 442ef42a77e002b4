#pragma once
#include <cstdint>
#include <string>

namespace KIV {

// One thing a script run left behind: a value or an error message, the text
// that was run, and where the run came from.
struct LuaResult {
    std::string mResult;
    std::string mScript;
    std::string mSource;
};

// The short history of script results that the Lua results page and the HUD
// show. Readers remember the change counter they last showed: a different
// value means something new arrived, even when the ring wrapped to the same
// count.
class LuaResults {
public:
    static constexpr int32_t kCapacity = 100;

    // An empty result leaves no entry and changes nothing.
    void Add(const std::string& result, const std::string& script, const std::string& source);
    void Clear();
    // The k-th newest entry (k from 0), k clamped to the entries held; null when empty.
    const LuaResult* GetNewest(int32_t k) const;
    const LuaResult& GetSlot(int32_t slot) const { return mEntries[slot]; }
    int32_t GetCount() const { return mCount; }
    int32_t GetWriteIndex() const { return mWriteIndex; }
    int32_t GetChangeCounter() const { return mChangeCounter; }

private:
    LuaResult mEntries[kCapacity];
    int32_t mWriteIndex = 0;
    int32_t mCount = 0;
    int32_t mChangeCounter = 0;
};

} // namespace KIV

#pragma once
#include <cstdint>
#include <utility>
#include "base/Array.h"

namespace KIV {

// Remembers, per diagonal (a, c) of an outline, whether outline edges or
// points block it. That answer depends only on the fixed outline, while the
// ear clipping may test one diagonal many times as it walks round the ring.
class DiagonalBlockCache {
public:
    // 1 blocked, 0 free, -1 not yet known.
    int32_t Find(int32_t a, int32_t c) const
    {
        if (mKeys.Count() == 0) return -1;
        const int64_t key = Key(a, c);
        for (uint32_t slot = Hash(key);; slot = (slot + 1) & Mask()) {
            if (mKeys[slot] == key) return mBlocked[slot];
            if (mKeys[slot] < 0) return -1;
        }
    }

    bool Store(int32_t a, int32_t c, bool blocked)
    {
        if (2 * (mUsed + 1) > mKeys.Count() && !Rehash(mKeys.Count() > 0 ? 2 * mKeys.Count() : 1024)) return false;
        Insert(Key(a, c), blocked);
        return true;
    }

private:
    static int64_t Key(int32_t a, int32_t c) { return (int64_t(a) << 32) | uint32_t(c); }
    uint32_t Mask() const { return uint32_t(mKeys.Count() - 1); }
    uint32_t Hash(int64_t key) const
    {
        return uint32_t((uint64_t(key) * 0x9E3779B97F4A7C15ull) >> 32) & Mask();
    }
    void Insert(int64_t key, uint8_t blocked)
    {
        uint32_t slot = Hash(key);
        while (mKeys[slot] >= 0 && mKeys[slot] != key) slot = (slot + 1) & Mask();
        if (mKeys[slot] < 0) ++mUsed;
        mKeys[slot] = key;
        mBlocked[slot] = blocked;
    }
    bool Rehash(int32_t capacity)
    {
        Array<int64_t> keys(std::move(mKeys));
        Array<uint8_t> blocked(std::move(mBlocked));
        if (!mKeys.Resize(capacity) || !mBlocked.Resize(capacity)) {
            mKeys = std::move(keys);
            mBlocked = std::move(blocked);
            return false;
        }
        mKeys.FillMinusOne();
        mUsed = 0;
        for (int32_t i = 0; i < keys.Count(); ++i)
            if (keys[i] >= 0) Insert(keys[i], blocked[i]);
        return true;
    }

    Array<int64_t> mKeys; // -1 marks a free slot
    Array<uint8_t> mBlocked;
    int32_t mUsed = 0;
};

} // namespace KIV

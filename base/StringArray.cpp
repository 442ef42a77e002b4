#include "base/Array.h"
#include <algorithm>
#include <utility>

namespace KIV {

bool StringArray::SetCapacity(int32_t newCapacity, int32_t newCount)
{
    if (newCapacity < 0 || newCount < 0 || newCount > newCapacity) return false;
    if (newCapacity == 0) {
        if (mData) StatAdd(kStatArrayFree);
        delete[] mData;
        mData = nullptr;
        mCount = mCapacity = 0;
        return true;
    }
    if (newCapacity != mCapacity) {
        StatAdd(mCapacity == 0 ? kStatArrayAllocate : kStatArrayReallocate);
        std::string* p = new (std::nothrow) std::string[newCapacity];
        if (!p) return false;
        int32_t keep = std::min(mCapacity, newCapacity);
        for (int32_t i = 0; i < keep; ++i) p[i] = std::move(mData[i]);
        delete[] mData;
        mData = p;
        mCapacity = newCapacity;
    }
    // Slots beyond the count hold empty strings.
    for (int32_t i = newCount; i < mCount && i < mCapacity; ++i) mData[i].clear();
    mCount = newCount;
    return true;
}

bool StringArray::PushBack(const std::string& s)
{
    return InsertAt(mCount, s);
}

bool StringArray::InsertAt(int32_t index, const std::string& s)
{
    if (index < 0 || index > mCount) return false;
    if (mCount >= mCapacity) {
        int32_t step = mGrowBy > 0 ? mGrowBy : 1;
        if (!SetCapacity(mCount + step, mCount)) return false;
    }
    for (int32_t i = mCount; i > index; --i) mData[i] = std::move(mData[i - 1]);
    mData[index] = s;
    ++mCount;
    return true;
}

void StringArray::Assign(const StringArray& src)
{
    if (&src == this) return;
    if (src.mGrowBy > 0) mGrowBy = src.mGrowBy;
    if (!SetCapacity(src.mCapacity, src.mCount)) return;
    for (int32_t i = 0; i < mCapacity; ++i) mData[i] = src.mData[i];
}

int32_t StringArray::IndexOf(const std::string& s) const
{
    for (int32_t i = 0; i < mCount; ++i)
        if (mData[i] == s) return i;
    return -1;
}

} // namespace KIV

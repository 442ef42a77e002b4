#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include "base/Statistics.h"

namespace KIV {

// The engine's growable array of plain elements. Elements are moved with raw
// copies and never constructed one by one; new slots are not cleared. Every
// storage change is counted in the statistics, so the frame statistics show
// container churn. Growth is linear by the growth step.
template <typename T>
class Array {
    static_assert(std::is_trivially_copyable_v<T>, "Array holds plain data only");

public:
    Array() = default;
    explicit Array(int32_t growBy) : mGrowBy(growBy) {}
    Array(const Array& src) { Assign(src); }
    Array& operator=(const Array& src)
    {
        Assign(src);
        return *this;
    }
    Array(Array&& src) noexcept { Swap(src); }
    Array& operator=(Array&& src) noexcept
    {
        if (this != &src) {
            Free();
            Swap(src);
        }
        return *this;
    }
    ~Array() { Free(); }

    // The one storage primitive: a failure leaves the array as it was.
    bool SetCapacity(int32_t newCapacity, int32_t newCount)
    {
        if (newCapacity < 0 || newCount < 0 || newCount > newCapacity) return false;
        if (newCapacity == 0) {
            if (mData) {
                std::free(mData);
                StatAdd(kStatArrayFree);
            }
            mData = nullptr;
            mCount = mCapacity = 0;
            return true;
        }
        if (newCapacity != mCapacity) {
            StatAdd(mCapacity == 0 ? kStatArrayAllocate : kStatArrayReallocate);
            void* p = std::realloc(mData, static_cast<size_t>(newCapacity) * sizeof(T));
            if (!p) return false;
            mData = static_cast<T*>(p);
            mCapacity = newCapacity;
        }
        mCount = newCount;
        return true;
    }

    bool Resize(int32_t n) { return n >= 0 && SetCapacity(n, n); }
    // Makes count n, growing the storage only when it is too small.
    bool SetCount(int32_t n)
    {
        if (n < 0) return false;
        if (n <= mCapacity) {
            mCount = n;
            return true;
        }
        return SetCapacity(n, n);
    }
    bool Reserve(int32_t capacity) { return capacity <= mCapacity || SetCapacity(capacity, mCount); }

    // The value is copied before the storage may move: it can be one of this
    // array's own elements.
    bool PushBack(const T& value)
    {
        const T copy = value;
        if (mCount >= mCapacity && !Grow()) return false;
        mData[mCount++] = copy;
        return true;
    }

    bool InsertAt(int32_t index, const T& value)
    {
        if (index < 0 || index > mCount) return false;
        const T copy = value;
        if (mCount >= mCapacity && !Grow()) return false;
        std::memmove(static_cast<void*>(mData + index + 1), mData + index, sizeof(T) * (mCount - index));
        mData[index] = copy;
        ++mCount;
        return true;
    }

    bool RemoveAt(int32_t index)
    {
        if (index < 0 || index >= mCount) return false;
        std::memmove(static_cast<void*>(mData + index), mData + index + 1, sizeof(T) * (mCount - index - 1));
        --mCount;
        return true;
    }

    void Free() { SetCapacity(0, 0); }
    void Clear() { mCount = 0; }

    // Copies only after the resize succeeded, so a failure leaves the target whole.
    void Assign(const Array& src)
    {
        if (&src == this) return;
        if (src.mGrowBy > 0) mGrowBy = src.mGrowBy;
        if (!SetCapacity(src.mCapacity, src.mCount)) return;
        if (mCapacity > 0) std::memcpy(static_cast<void*>(mData), src.mData, sizeof(T) * mCapacity);
    }

    int32_t IndexOf(const T& value) const
    {
        for (int32_t i = 0; i < mCount; ++i)
            if (std::memcmp(&mData[i], &value, sizeof(T)) == 0) return i;
        return -1;
    }
    bool Contains(const T& value) const { return IndexOf(value) >= 0; }
    bool RemoveValue(const T& value) { return RemoveAt(IndexOf(value)); }
    bool AddUnique(const T& value) { return !Contains(value) && PushBack(value); }
    // The value leaves its place for the end (or the front); false when it is not held.
    bool MoveValueToBack(const T& value)
    {
        const T copy = value;
        return RemoveValue(copy) && PushBack(copy);
    }
    bool MoveValueToFront(const T& value)
    {
        const T copy = value;
        return RemoveValue(copy) && InsertAt(0, copy);
    }

    bool Fill(const T& value)
    {
        if (!mData) return false;
        for (int32_t i = 0; i < mCount; ++i) mData[i] = value;
        return true;
    }
    bool FillMinusOne()
    {
        if (!mData) return false;
        std::memset(static_cast<void*>(mData), 0xFF, sizeof(T) * mCount);
        return true;
    }
    bool FillZero()
    {
        if (!mData) return false;
        std::memset(static_cast<void*>(mData), 0, sizeof(T) * mCount);
        return true;
    }

    // Bounded by the capacity, not the count; the count is unchanged.
    bool WriteRange(int32_t index, int32_t n, const T* source)
    {
        if (index < 0 || n < 0 || index + n > mCapacity) return false;
        if (n > 0) std::memcpy(static_cast<void*>(mData + index), source, sizeof(T) * n);
        return true;
    }

    // Element i goes to byte offset 16·i: every other 8-byte slot.
    bool CopyToInterleaved(void* destination, int64_t destinationBytes) const
    {
        static_assert(sizeof(T) == 8);
        if (!mData || mCount < 1 || destinationBytes < 16 * int64_t(mCount - 1) + 8) return false;
        for (int32_t i = 0; i < mCount; ++i)
            std::memcpy(static_cast<uint8_t*>(destination) + 16 * i, &mData[i], 8);
        return true;
    }

    T* At(int32_t i) { return mData + i; }
    const T* At(int32_t i) const { return mData + i; }
    T& operator[](int32_t i) { return mData[i]; }
    const T& operator[](int32_t i) const { return mData[i]; }
    T* Data() { return mData; }
    const T* Data() const { return mData; }
    T* begin() { return mData; }
    T* end() { return mData + mCount; }
    const T* begin() const { return mData; }
    const T* end() const { return mData + mCount; }
    T& Last() { return mData[mCount - 1]; }

    int32_t Count() const { return mCount; }
    int32_t Capacity() const { return mCapacity; }
    bool IsEmpty() const { return mCount == 0; }
    int32_t GetGrowBy() const { return mGrowBy; }
    void SetGrowBy(int32_t g) { mGrowBy = g; }

private:
    // A growth step below 1 would never make room; take one slot instead.
    bool Grow()
    {
        int32_t step = mGrowBy > 0 ? mGrowBy : 1;
        if (mCount > INT32_MAX - step) return false;
        return SetCapacity(mCount + step, mCount);
    }
    void Swap(Array& o)
    {
        std::swap(mData, o.mData);
        std::swap(mCount, o.mCount);
        std::swap(mCapacity, o.mCapacity);
        std::swap(mGrowBy, o.mGrowBy);
    }

    T* mData = nullptr;
    int32_t mCount = 0;
    int32_t mCapacity = 0;
    int32_t mGrowBy = 1;
};

// Owned-pointer list with a selection: the container behind every editable
// object list. The selection follows insertions and deletions.
template <typename T>
class PtrArray {
public:
    PtrArray() = default;
    explicit PtrArray(int32_t growBy) : mGrowBy(growBy) {}
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;
    ~PtrArray() { DeleteAll(); }

    bool SetCapacity(int32_t newCapacity, int32_t newCount)
    {
        if (newCapacity < 0 || newCount < 0 || newCount > newCapacity) return false;
        if (newCapacity == 0) {
            std::free(mData);
            mData = nullptr;
            mCount = mCapacity = 0;
            return true;
        }
        if (newCapacity != mCapacity) {
            void* p = std::realloc(mData, sizeof(T*) * static_cast<size_t>(newCapacity));
            if (!p) return false;
            mData = static_cast<T**>(p);
            mCapacity = newCapacity;
        }
        mCount = newCount;
        return true;
    }

    template <typename... Args>
    T* AppendNew(Args&&... args)
    {
        if (mCount >= mCapacity && !Grow()) return nullptr;
        T* item = new (std::nothrow) T(std::forward<Args>(args)...);
        if (!item) return nullptr;
        mData[mCount++] = item;
        if (mCount == 1) mSelected = 0;
        return item;
    }

    T* AppendCopy(const T& source) { return AppendNew(source); }

    // Takes ownership of an object made elsewhere.
    bool Append(T* item)
    {
        if (!item || (mCount >= mCapacity && !Grow())) return false;
        mData[mCount++] = item;
        if (mCount == 1) mSelected = 0;
        return true;
    }

    T* InsertNew(int32_t index)
    {
        if (index < 0 || index > mCount) return nullptr;
        if (mCount >= mCapacity && !Grow()) return nullptr;
        T* item = new (std::nothrow) T();
        if (!item) return nullptr;
        std::memmove(mData + index + 1, mData + index, sizeof(T*) * (mCount - index));
        mData[index] = item;
        ++mCount;
        if (mSelected >= index) ++mSelected;
        return item;
    }

    bool DeleteAt(int32_t index)
    {
        T* item = Detach(index);
        if (!item) return false;
        delete item;
        return true;
    }

    // Removes the element without destroying it; the selection is repaired as for DeleteAt.
    T* Detach(int32_t index)
    {
        if (index < 0 || index >= mCount) return nullptr;
        T* item = mData[index];
        std::memmove(mData + index, mData + index + 1, sizeof(T*) * (mCount - index - 1));
        --mCount;
        if (mSelected >= index) {
            --mSelected;
            if (mCount == 0) mSelected = -1;
            else if (mSelected < 0) mSelected = 0;
        }
        return item;
    }

    void DeleteAll()
    {
        for (int32_t i = mCount - 1; i >= 0; --i) delete mData[i];
        std::free(mData);
        mData = nullptr;
        mCount = mCapacity = 0;
        mSelected = -1;
    }

    T* GetSelected() const { return mSelected >= 0 && mSelected < mCount ? mData[mSelected] : nullptr; }
    int32_t GetSelectedIndex() const { return mSelected; }
    // Out of range is ignored.
    void Select(int32_t index)
    {
        if (index >= 0 && index < mCount) mSelected = index;
    }
    void SetSelectedIndex(int32_t index) { mSelected = index; }

    int32_t IndexOf(const T* item) const
    {
        for (int32_t i = 0; i < mCount; ++i)
            if (mData[i] == item) return i;
        return -1;
    }

    bool SwapAt(int32_t a, int32_t b)
    {
        if (a < 0 || b < 0 || a >= mCount || b >= mCount) return false;
        std::swap(mData[a], mData[b]);
        return true;
    }

    void Swap(PtrArray& o) noexcept
    {
        std::swap(mData, o.mData);
        std::swap(mCount, o.mCount);
        std::swap(mCapacity, o.mCapacity);
        std::swap(mGrowBy, o.mGrowBy);
        std::swap(mSelected, o.mSelected);
    }

    T* operator[](int32_t i) const { return mData[i]; }
    T* const* begin() const { return mData; }
    T* const* end() const { return mData + mCount; }
    int32_t Count() const { return mCount; }
    int32_t Capacity() const { return mCapacity; }
    int32_t GetGrowBy() const { return mGrowBy; }
    void SetGrowBy(int32_t g) { mGrowBy = g; }

private:
    bool Grow()
    {
        int32_t step = mGrowBy > 0 ? mGrowBy : 1;
        if (mCount > INT32_MAX - step) return false;
        return SetCapacity(mCount + step, mCount);
    }

    T** mData = nullptr;
    int32_t mCount = 0;
    int32_t mCapacity = 0;
    int32_t mGrowBy = 1;
    int32_t mSelected = -1;
};

// An array of strings; every slot up to the capacity holds a constructed string.
class StringArray {
public:
    StringArray() = default;
    StringArray(const StringArray& src) { Assign(src); }
    StringArray& operator=(const StringArray& src)
    {
        Assign(src);
        return *this;
    }
    ~StringArray() { SetCapacity(0, 0); }

    bool SetCapacity(int32_t newCapacity, int32_t newCount);
    bool PushBack(const std::string& s);
    bool InsertAt(int32_t index, const std::string& s);
    void Assign(const StringArray& src);
    int32_t IndexOf(const std::string& s) const;

    std::string& operator[](int32_t i) { return mData[i]; }
    const std::string& operator[](int32_t i) const { return mData[i]; }
    int32_t Count() const { return mCount; }
    int32_t Capacity() const { return mCapacity; }
    void SetGrowBy(int32_t g) { mGrowBy = g; }

private:
    std::string* mData = nullptr;
    int32_t mCount = 0;
    int32_t mCapacity = 0;
    int32_t mGrowBy = 1;
};

} // namespace KIV

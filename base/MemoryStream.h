#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include "base/Rect.h"
#include "base/Vector.h"

namespace KIV {

// The one path by which binary files are written and read. Values are stored
// little-endian, 4 bytes for ints and floats, 8 for vectors; a string is an
// i32 length followed by its bytes.
//
// Readers never fail loudly: a value that does not fit in the written data is
// not read and its target keeps its value, so an old or short file leaves the
// receiving fields at their defaults. A read that fails means the data ended
// inside that field, so the position then moves to the end: no later, smaller
// read can take the cut field's bytes for a value of its own.
class MemoryStream {
public:
    static constexpr int32_t kDefaultGrowStep = 1024;

    MemoryStream() = default;
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    void Clear();

    // Reads the whole file; on failure to open the stream is unchanged, on a
    // short read it reads as empty. Paths are in the program's spelling.
    bool LoadFromFile(const std::string& path);
    // Writes a temporary file beside the target and renames it over the
    // target, so a failed save leaves the previous file whole.
    bool SaveToFile(const std::string& path);

    // Each writer stores at the position, advances it, and sets size = position.
    // False (and nothing written) when the buffer cannot grow.
    bool WriteByte(uint8_t value);
    bool WriteInt(int32_t value);
    bool WriteFloat(float value);  // the float's bits, as WriteInt would store them
    bool WriteVector(const VectorF& value);
    bool WriteVector(const VectorI& value);
    bool WriteString(const std::string& value);
    bool WriteBytes(const void* data, int32_t n);

    // Each reader answers true when the whole value was read.
    bool ReadByte(uint8_t& value);
    bool ReadInt(int32_t& value);
    bool ReadFloat(float& value);
    // Multi-part readers read part by part: a short stream fills the first parts.
    bool ReadVector(VectorF& value);
    bool ReadVector(VectorI& value);
    bool ReadVectorPair(VectorF& first, VectorF& second);
    bool ReadRect(RectI& value);
    // A negative length or one beyond the data leaves the string unchanged.
    bool ReadString(std::string& value);
    bool ReadBytes(void* data, int32_t n);

    // Whether a read has wanted more bytes than were left, and the position
    // where the first such read began: a reader tells a cut file by it.
    bool HasReadPastEnd() const { return mFirstShortRead >= 0; }
    int32_t GetFirstShortReadPosition() const { return mFirstShortRead; }

    int32_t GetPosition() const { return mPosition; }
    // Between 0 and the size; false (and no change) otherwise.
    bool SetPosition(int32_t position);
    int32_t GetSize() const { return mSize; }
    int32_t GetCapacity() const { return mCapacity; }
    const uint8_t* GetData() const { return mData; }
    const std::string& GetFileName() const { return mFileName; }
    // Why the last load or save failed, in the player's words ("not found",
    // "permission denied", "cut short"); empty after a success.
    const std::string& GetFailReason() const { return mFailReason; }
    int32_t GetGrowStep() const { return mGrowStep; }
    void SetGrowStep(int32_t step) { mGrowStep = step; }

private:
    bool GrowBy(int32_t bytes);
    bool WriteFixed(const void* data, int32_t width);
    bool ReadFixed(void* data, int32_t width);
    void SkipToEnd()
    {
        if (mFirstShortRead < 0) mFirstShortRead = mPosition;
        mPosition = mSize;
    }

    std::FILE* mFile = nullptr;  // open only while a load or save runs
    std::string mFileName;
    std::string mFailReason;
    uint8_t* mData = nullptr;
    int32_t mPosition = 0;
    int32_t mSize = 0;
    int32_t mCapacity = 0;
    int32_t mGrowStep = kDefaultGrowStep;
    int32_t mFirstShortRead = -1;
};

} // namespace KIV

#include "base/MemoryStream.h"
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "base/Platform.h"
#include "base/TextFormat.h"

namespace KIV {

// Values are copied to and from the buffer as they lie in memory.
static_assert(std::endian::native == std::endian::little, "file formats are little-endian");

MemoryStream::~MemoryStream() { Clear(); }

void MemoryStream::Clear()
{
    if (mFile) std::fclose(mFile);
    mFile = nullptr;
    mFileName.clear();
    std::free(mData);
    mData = nullptr;
    mPosition = mSize = mCapacity = 0;
    mGrowStep = kDefaultGrowStep;
    mFirstShortRead = -1;
}

bool MemoryStream::GrowBy(int32_t bytes)
{
    if (bytes < 0 || mCapacity > INT32_MAX - bytes) return false;
    int32_t newCapacity = mCapacity + bytes;
    void* p = std::realloc(mData, static_cast<size_t>(newCapacity));
    if (!p && newCapacity > 0) return false;
    mData = static_cast<uint8_t*>(p);
    mCapacity = newCapacity;
    return true;
}

bool MemoryStream::WriteFixed(const void* data, int32_t width)
{
    if (width < 0) return false;
    if (mCapacity - mPosition < width) {
        if (mGrowStep < 1) mGrowStep = kDefaultGrowStep;
        // A small growth step alone might not make room for a wide value.
        if (!GrowBy(mGrowStep > width ? mGrowStep : width)) return false;
    }
    if (width > 0) std::memcpy(mData + mPosition, data, static_cast<size_t>(width));
    mPosition += width;
    mSize = mPosition;
    return true;
}

bool MemoryStream::ReadFixed(void* data, int32_t width)
{
    if (width < 0) return false;
    // Bounded by the written size: bytes beyond it are spare capacity, not data.
    if (mSize - mPosition < width) {
        SkipToEnd();
        return false;
    }
    if (width > 0) std::memcpy(data, mData + mPosition, static_cast<size_t>(width));
    mPosition += width;
    return true;
}

bool MemoryStream::WriteByte(uint8_t value) { return WriteFixed(&value, 1); }
bool MemoryStream::WriteInt(int32_t value) { return WriteFixed(&value, 4); }
bool MemoryStream::WriteFloat(float value) { return WriteFixed(&value, 4); }
bool MemoryStream::WriteVector(const VectorF& value)
{
    float parts[2] = {value.mX, value.mY};
    return WriteFixed(parts, 8);
}
bool MemoryStream::WriteVector(const VectorI& value)
{
    int32_t parts[2] = {value.mX, value.mY};
    return WriteFixed(parts, 8);
}
bool MemoryStream::WriteBytes(const void* data, int32_t n) { return WriteFixed(data, n); }

bool MemoryStream::WriteString(const std::string& value)
{
    if (value.size() > static_cast<size_t>(INT32_MAX - 4)) return false;
    int32_t n = static_cast<int32_t>(value.size());
    // A string grows the buffer by exactly its record, not by the growth step.
    if (n + 4 > mCapacity - mPosition && !GrowBy(n + 4)) return false;
    std::memcpy(mData + mPosition, &n, 4);
    if (n > 0) std::memcpy(mData + mPosition + 4, value.data(), static_cast<size_t>(n));
    mPosition += n + 4;
    mSize = mPosition;
    return true;
}

bool MemoryStream::ReadByte(uint8_t& value) { return ReadFixed(&value, 1); }
bool MemoryStream::ReadInt(int32_t& value) { return ReadFixed(&value, 4); }
bool MemoryStream::ReadFloat(float& value) { return ReadFixed(&value, 4); }
bool MemoryStream::ReadVector(VectorF& value) { return ReadFloat(value.mX) && ReadFloat(value.mY); }
bool MemoryStream::ReadVector(VectorI& value) { return ReadInt(value.mX) && ReadInt(value.mY); }
bool MemoryStream::ReadVectorPair(VectorF& first, VectorF& second)
{
    return ReadVector(first) && ReadVector(second);
}
bool MemoryStream::ReadRect(RectI& value) { return ReadVector(value.mP1) && ReadVector(value.mP2); }
bool MemoryStream::ReadBytes(void* data, int32_t n) { return ReadFixed(data, n); }

bool MemoryStream::ReadString(std::string& value)
{
    int32_t n = 0;
    if (!ReadInt(n)) return false;
    if (n < 0 || n > mSize - mPosition) {
        // The string was cut off: what follows the length is its text, never
        // the next field, so nothing after it may be read.
        SkipToEnd();
        return false;
    }
    value.assign(reinterpret_cast<const char*>(mData + mPosition), static_cast<size_t>(n));
    mPosition += n;
    return true;
}

bool MemoryStream::SetPosition(int32_t position)
{
    if (position < 0 || position > mSize) return false;
    mPosition = position;
    return true;
}

bool MemoryStream::LoadFromFile(const std::string& path)
{
    mFileName = path;
    mFailReason.clear();
    mFile = std::fopen(ToOsPath(path).c_str(), "rb");
    if (!mFile) {
        mFailReason = DescribeOsError(errno);
        return false;
    }
    struct stat st;
    bool ok = fstat(fileno(mFile), &st) == 0;
    if (!ok) mFailReason = DescribeOsError(errno);
    if (ok && !S_ISREG(st.st_mode)) {
        ok = false;
        mFailReason = DescribeOsError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    if (ok && st.st_size > INT32_MAX) {
        ok = false;
        mFailReason = "too large";
    }
    int32_t length = ok ? static_cast<int32_t>(st.st_size) : 0;
    uint8_t* buffer = nullptr;
    if (ok && length > 0) {
        buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
        ok = buffer != nullptr;
        if (!ok) mFailReason = "out of memory";
    }
    if (!ok) {
        std::fclose(mFile);
        mFile = nullptr;
        return false;
    }
    size_t got = length > 0 ? std::fread(buffer, 1, static_cast<size_t>(length), mFile) : 0;
    const int readError = std::ferror(mFile) ? errno : 0;
    std::fclose(mFile);
    mFile = nullptr;
    std::free(mData);
    mData = buffer;
    mCapacity = length;
    mPosition = 0;
    mFirstShortRead = -1;
    // A short read leaves nothing to read rather than a tail of garbage.
    mSize = got == static_cast<size_t>(length) ? length : 0;
    if (mSize != length) mFailReason = readError ? DescribeOsError(readError) : "cut short while reading";
    return mSize == length;
}

bool MemoryStream::SaveToFile(const std::string& path)
{
    static std::atomic<int32_t> sTempCounter{0};
    mFileName = path;
    mFailReason.clear();
    std::string osPath = ToOsPath(path);
    std::string tempPath = osPath + ".tmp" + IntToText(static_cast<int32_t>(getpid())) + "-"
                           + IntToText(sTempCounter.fetch_add(1));
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        mFailReason = DescribeOsError(errno);
        return false;
    }
    // The replacement keeps the permissions of the file it replaces.
    struct stat old;
    if (stat(osPath.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    mFile = fdopen(fd, "wb");
    if (!mFile) {
        mFailReason = DescribeOsError(errno);
        close(fd);
        unlink(tempPath.c_str());
        return false;
    }
    bool ok = mSize == 0 || std::fwrite(mData, 1, static_cast<size_t>(mSize), mFile) == static_cast<size_t>(mSize);
    ok = std::fflush(mFile) == 0 && ok;
    ok = fsync(fileno(mFile)) == 0 && ok;
    int error = ok ? 0 : errno;
    ok = std::fclose(mFile) == 0 && ok;
    if (!ok && error == 0) error = errno;
    mFile = nullptr;
    if (ok && rename(tempPath.c_str(), osPath.c_str()) == 0) return true;
    if (ok) error = errno;
    mFailReason = DescribeOsError(error);
    unlink(tempPath.c_str());
    return false;
}

} // namespace KIV

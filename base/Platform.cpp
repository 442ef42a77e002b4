#include "base/Platform.h"
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KIV {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool MatchFrom(const char* name, const char* mask)
{
    // Iterative wildcard match: remember the last "*" and retry from there.
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == '?' || (*mask && LowerAscii(*mask) == LowerAscii(*name))) {
            ++mask;
            ++name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*') ++mask;
    return *mask == 0;
}

bool LessWithoutCase(const FolderEntry& a, const FolderEntry& b)
{
    size_t n = std::min(a.mName.size(), b.mName.size());
    for (size_t i = 0; i < n; ++i) {
        char ca = LowerAscii(a.mName[i]), cb = LowerAscii(b.mName[i]);
        if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    }
    if (a.mName.size() != b.mName.size()) return a.mName.size() < b.mName.size();
    return a.mName < b.mName;
}

// Seconds between 1601-01-01 and 1970-01-01, the epochs of the two file-time scales.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ull;

uint64_t ToFileTime(const struct timespec& t)
{
    return (static_cast<uint64_t>(t.tv_sec) + kFileTimeEpochOffset) * 10000000ull
           + static_cast<uint64_t>(t.tv_nsec) / 100u;
}

bool WriteAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, data, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

void SystemLocalTime(std::tm& out)
{
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &out);
}

std::atomic<LocalTimeSource> gLocalTimeSource{nullptr};

} // namespace

std::string ToOsPath(const std::string& path)
{
    std::string os = path;
    std::replace(os.begin(), os.end(), '\\', '/');
    return os;
}

std::string FromOsPath(const std::string& osPath)
{
    std::string p = osPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

std::string GetProgramFilePath()
{
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return std::string();
    return FromOsPath(std::string(buffer.data(), static_cast<size_t>(n)));
}

bool MatchesFileMask(const std::string& name, const std::string& mask)
{
    if (mask == "*.*") return true;
    return MatchFrom(name.c_str(), mask.c_str());
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& mask)
{
    std::vector<FolderEntry> entries;
    std::string osFolder = ToOsPath(folder);
    if (osFolder.empty()) return entries;
    if (osFolder.back() != '/') osFolder += '/';
    DIR* dir = opendir(osFolder.c_str());
    if (!dir) return entries;
    while (struct dirent* d = readdir(dir)) {
        if (!MatchesFileMask(d->d_name, mask)) continue;
        struct stat st;
        // An entry that cannot be examined (a dangling link) cannot be opened either.
        if (stat((osFolder + d->d_name).c_str(), &st) != 0) continue;
        FolderEntry e;
        e.mName = d->d_name;
        e.mIsFolder = S_ISDIR(st.st_mode);
        e.mWriteTime = ToFileTime(st.st_mtim);
        entries.push_back(std::move(e));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), LessWithoutCase);
    return entries;
}

bool IsExistingFile(const std::string& path)
{
    struct stat st;
    return stat(ToOsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExistingFolder(const std::string& path)
{
    struct stat st;
    return stat(ToOsPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

CopyResult CopyFileNoOverwrite(const std::string& source, const std::string& target)
{
    int in = open(ToOsPath(source).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return CopyResult::kFailed;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return CopyResult::kFailed;
    }
    std::string osTarget = ToOsPath(target);
    int out = open(osTarget.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        int err = errno;
        close(in);
        return err == EEXIST ? CopyResult::kTargetExists : CopyResult::kFailed;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out, buffer, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) unlink(osTarget.c_str());
    return ok ? CopyResult::kCopied : CopyResult::kFailed;
}

bool DeleteFile(const std::string& path) { return unlink(ToOsPath(path).c_str()) == 0; }

bool CreateFolders(const std::string& path)
{
    std::string os = ToOsPath(path);
    if (os.empty()) return false;
    // Each prefix ending before a "/" is a parent; the whole path is the last one.
    for (size_t i = 1; i <= os.size(); ++i) {
        if (i < os.size() && os[i] != '/') continue;
        std::string prefix = os.substr(0, i);
        if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return IsExistingFolder(path);
}

int64_t GetTimerTicks()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

int64_t GetTimerFrequency() { return 1000000; }

void SetLocalTimeSource(LocalTimeSource source) { gLocalTimeSource.store(source); }

std::tm GetLocalTime()
{
    std::tm out{};
    LocalTimeSource source = gLocalTimeSource.load();
    (source ? source : SystemLocalTime)(out);
    return out;
}

void ReportAssertionFailure(const std::string& message)
{
    std::fprintf(stderr, "Assertion Failure!\n%s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string DescribeOsError(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return "not found";
    case EACCES:
    case EPERM:
    case EROFS:
        return "permission denied";
    case ENOSPC:
    case EDQUOT:
        return "disk full";
    case EISDIR:
        return "a folder, not a file";
    default:
        return std::strerror(errorNumber);
    }
}

} // namespace KIV

#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>
#include "base/Array.h"
#include "game/InputFrame.h"

namespace KIV {

class MemoryStream;
class ParticleSystemList;
class Scene;

// One determinism sample: the world's checksum at a frame index that is a
// multiple of 100, with one sum per particle system. Files keep only the frame
// index and the checksum, so a sample read from a file has no sums.
struct SyncCheckEntry {
    int32_t mFrameIndex = 0;
    uint32_t mChecksum = 0;
    std::vector<int32_t> mParticleSums;
};

using SyncCheckList = std::vector<SyncCheckEntry>;

// The input of a run, one frame per step from the last level reset. The frame
// array doubles when full, so a long run costs linear time, not quadratic.
class RecordedFrames {
public:
    bool Append(const InputFrame& frame);
    void Clear() { mFrames.Clear(); }
    int32_t Count() const { return mFrames.Count(); }
    const InputFrame& operator[](int32_t i) const { return mFrames[i]; }
    int64_t GetReservedBytes() const { return int64_t(mFrames.Capacity()) * int64_t(sizeof(InputFrame)); }
    Array<InputFrame>& GetArray() { return mFrames; }
    const Array<InputFrame>& GetArray() const { return mFrames; }

private:
    Array<InputFrame> mFrames;
};

// The world checksum, in wrapping 32-bit arithmetic: the toy count, every
// toy's term, the joint count, every joint's rounded constraint x + y, and the
// particle-system count; beside it one sum per particle system, in list order.
// Every element of each list is summed: leaving out the last one would let a
// change to the newest toy, joint or system go unseen.
uint32_t ComputeWorldChecksum(const Scene& scene, std::vector<int32_t>& particleSums);

// What differs between a live sample and the recorded one of the same frame,
// in words for the player ("" when they agree): the world checksum, and the
// first particle system whose sum differs, named from the live list. Sums are
// compared only when both samples have them: a recording read from a file
// keeps its checksums alone.
std::string DescribeSyncCheckDifference(const SyncCheckEntry& live, const SyncCheckEntry& recorded,
                                        const ParticleSystemList& liveSystems);

// ".kir": u8 1, u32 N, N × (i32 frame index, u32 checksum), u8 1, u32 M,
// M × 128-byte input frames. Little-endian, 10 + 8N + 128M bytes.
inline constexpr uint8_t kRecordingBlockVersion = 1;
int64_t GetRecordingFileSize(int32_t checks, int32_t frames);
bool WriteRecording(MemoryStream& out, const SyncCheckList& checks, const RecordedFrames& frames);

// Reads a whole recording from outside bytes, handed over as one span so a
// fuzzing target can feed it directly. Every count is checked against
// the bytes that remain, so a cut or damaged file is refused with its reason
// and nothing is changed. An input block of another version leaves the frames
// as they were (the checks are taken).
enum class RecordingReadResult { kOk, kBadVersion, kCut, kTrailingBytes };
RecordingReadResult ReadRecording(std::span<const uint8_t> bytes, SyncCheckList& checks, RecordedFrames& frames);
const char* DescribeRecordingReadResult(RecordingReadResult result);

} // namespace KIV

#include "game/Recording.h"
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include "base/MemoryStream.h"
#include "base/TextFormat.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"

namespace KIV {

namespace {
constexpr int32_t kFirstFrameCapacity = 4096;
constexpr size_t kCheckBytes = 8;
constexpr size_t kFrameBytes = sizeof(InputFrame);

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
} // namespace

bool RecordedFrames::Append(const InputFrame& frame)
{
    if (mFrames.Count() == mFrames.Capacity()) {
        int32_t capacity = mFrames.Capacity() < kFirstFrameCapacity ? kFirstFrameCapacity : mFrames.Capacity();
        if (mFrames.Capacity() >= kFirstFrameCapacity) capacity = capacity > INT32_MAX / 2 ? INT32_MAX : capacity * 2;
        if (capacity == mFrames.Capacity() || !mFrames.Reserve(capacity)) return false;
    }
    return mFrames.PushBack(frame);
}

uint32_t ComputeWorldChecksum(const Scene& scene, std::vector<int32_t>& particleSums)
{
    uint32_t sum = uint32_t(scene.mToys.Count());
    for (const Toy* toy : scene.mToys) sum += uint32_t(toy->GetChecksumValue());
    const PtrArray<Joint>& joints = scene.mJoints.mJoints;
    sum += uint32_t(joints.Count());
    for (const Joint* joint : joints) {
        VectorF c = joint->GetConstraint();
        sum += uint32_t(static_cast<int32_t>(std::lround(c.mX + c.mY)));
    }
    sum += uint32_t(scene.mParticleSystems.Count());
    particleSums.clear();
    particleSums.reserve(size_t(scene.mParticleSystems.Count()));
    for (const ParticleSystem* system : scene.mParticleSystems) particleSums.push_back(system->GetChecksumValue());
    return sum;
}

std::string DescribeSyncCheckDifference(const SyncCheckEntry& live, const SyncCheckEntry& recorded,
                                        const ParticleSystemList& liveSystems)
{
    std::string difference;
    if (live.mChecksum != recorded.mChecksum) {
        char text[96];
        std::snprintf(text, sizeof text, "world checksum 0x%08x, recorded 0x%08x", live.mChecksum, recorded.mChecksum);
        difference = text;
    }
    const std::vector<int32_t>& sums = live.mParticleSums;
    const std::vector<int32_t>& kept = recorded.mParticleSums;
    if (sums.empty() || kept.empty() || sums == kept) return difference;
    if (!difference.empty()) difference += "; ";
    if (sums.size() != kept.size())
        return difference + IntToText(int32_t(sums.size())) + " particle systems, recorded " + IntToText(int32_t(kept.size()));
    size_t i = 0;
    while (sums[i] == kept[i]) ++i;
    difference += "particle system " + IntToText(int32_t(i) + 1) + " of " + IntToText(int32_t(sums.size()));
    if (int32_t(i) < liveSystems.Count() && !liveSystems[int32_t(i)]->GetName().empty())
        difference += " (" + liveSystems[int32_t(i)]->GetName() + ")";
    return difference + " sum " + IntToText(sums[i]) + ", recorded " + IntToText(kept[i]);
}

int64_t GetRecordingFileSize(int32_t checks, int32_t frames)
{
    return 10 + int64_t(kCheckBytes) * checks + int64_t(kFrameBytes) * frames;
}

bool WriteRecording(MemoryStream& out, const SyncCheckList& checks, const RecordedFrames& frames)
{
    if (GetRecordingFileSize(int32_t(checks.size()), frames.Count()) > INT32_MAX) return false;
    bool ok = out.WriteByte(kRecordingBlockVersion) && out.WriteInt(int32_t(checks.size()));
    for (const SyncCheckEntry& e : checks)
        ok = ok && out.WriteInt(e.mFrameIndex) && out.WriteInt(int32_t(e.mChecksum));
    ok = ok && out.WriteByte(kRecordingBlockVersion) && out.WriteInt(frames.Count());
    return ok && out.WriteBytes(frames.GetArray().Data(), int32_t(frames.Count() * kFrameBytes));
}

RecordingReadResult ReadRecording(std::span<const uint8_t> bytes, SyncCheckList& checks, RecordedFrames& frames)
{
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();
    if (size < 1 || data[0] != kRecordingBlockVersion) return RecordingReadResult::kBadVersion;
    size_t at = 1;
    if (size - at < 4) return RecordingReadResult::kCut;
    const uint32_t n = ReadU32(data + at);
    at += 4;
    if (n > (size - at) / kCheckBytes) return RecordingReadResult::kCut;
    SyncCheckList readChecks(n);
    for (SyncCheckEntry& e : readChecks) {
        e.mFrameIndex = static_cast<int32_t>(ReadU32(data + at));
        e.mChecksum = ReadU32(data + at + 4);
        at += kCheckBytes;
    }
    if (size - at < 5) return RecordingReadResult::kCut;
    const uint8_t inputVersion = data[at];
    const uint32_t m = ReadU32(data + at + 1);
    at += 5;
    const bool takeFrames = inputVersion == kRecordingBlockVersion;
    if (takeFrames) {
        if (m > (size - at) / kFrameBytes || m > uint32_t(INT32_MAX)) return RecordingReadResult::kCut;
        if (size - at != size_t(m) * kFrameBytes) return RecordingReadResult::kTrailingBytes;
        Array<InputFrame> readFrames;
        if (!readFrames.Resize(int32_t(m))) return RecordingReadResult::kCut;
        if (m > 0) std::memcpy(readFrames.Data(), data + at, size_t(m) * kFrameBytes);
        frames.GetArray() = std::move(readFrames);
    }
    checks.swap(readChecks);
    return RecordingReadResult::kOk;
}

const char* DescribeRecordingReadResult(RecordingReadResult result)
{
    switch (result) {
    case RecordingReadResult::kOk: return "read";
    case RecordingReadResult::kBadVersion: return "not a recording of a known version";
    case RecordingReadResult::kCut: return "the file is cut short or its counts are damaged";
    case RecordingReadResult::kTrailingBytes: return "unexpected bytes follow the input frames";
    }
    return "unknown";
}

} // namespace KIV

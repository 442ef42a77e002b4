#include "base/MemoryStream.h"
#include "physics/materials/Material.h"
#include "physics/particles/ParticleSystem.h"

// The material record (version 1): the switches, the break block (version 2),
// the dent block (version 1) and the two hole blocks (version 3: power min
// from version 2, slow-down from version 3). The materials file, robot files,
// undo snapshots, the material clipboard and broken toys' pieces all carry it.

namespace KIV {

namespace {

constexpr uint8_t kDecalEntryVersion = 1;
constexpr uint8_t kBreakBlockVersion = 2;
constexpr uint8_t kDentBlockVersion = 1;
constexpr uint8_t kHoleBlockVersion = 3;
// The fewest bytes an entry can take: a decal entry with an empty texture
// name, and a particle-system record of version 0.
constexpr int32_t kMinDecalEntryBytes = 1 + 4 + 4 * 4;
constexpr int32_t kMinTemplateBytes = 1;

bool WriteInterval(MemoryStream& s, const IntervalF& v) { return s.WriteFloat(v.mMinValue) && s.WriteFloat(v.mMaxValue); }
bool WriteInterval(MemoryStream& s, const IntervalI& v) { return s.WriteInt(v.mMinValue) && s.WriteInt(v.mMaxValue); }

void ReadInterval(MemoryStream& s, IntervalF& v)
{
    s.ReadFloat(v.mMinValue);
    s.ReadFloat(v.mMaxValue);
}

void ReadInterval(MemoryStream& s, IntervalI& v)
{
    s.ReadInt(v.mMinValue);
    s.ReadInt(v.mMaxValue);
}

bool WriteDecals(MemoryStream& s, const MaterialDecalList& list)
{
    bool ok = s.WriteInt(list.Count());
    for (const MaterialDecal& d : list.mItems)
        ok = ok && s.WriteByte(kDecalEntryVersion) && s.WriteString(d.mTexture) && WriteInterval(s, d.mSize) &&
             WriteInterval(s, d.mOpacity);
    return ok && s.WriteInt(list.mSelected);
}

void ReadDecals(MemoryStream& s, MaterialDecalList& list, bool& damaged)
{
    const int32_t count = ReadCheckedCount(s, kMinDecalEntryBytes, damaged);
    std::vector<MaterialDecal>().swap(list.mItems);
    list.mSelected = -1;
    list.mItems.resize(static_cast<size_t>(count));
    for (MaterialDecal& d : list.mItems) {
        uint8_t version = 0;
        s.ReadByte(version);
        s.ReadString(d.mTexture);
        ReadInterval(s, d.mSize);
        ReadInterval(s, d.mOpacity);
    }
    if (count > 0) list.mSelected = 0;
    // Stored unchecked: every decal accessor checks its index.
    s.ReadInt(list.mSelected);
}

bool WriteFamily(MemoryStream& s, const MaterialFamily& f)
{
    bool ok = WriteDecals(s, f.mDecals) && s.WriteInt(f.mTemplates.Count());
    for (const ParticleSystem* t : f.mTemplates) ok = ok && t->WriteProps(s);
    return ok && s.WriteInt(f.mTemplates.GetSelectedIndex()) && WriteInterval(s, f.mShardsCount) &&
           WriteInterval(s, f.mShardsSize);
}

void ReadFamily(MemoryStream& s, MaterialFamily& f, bool& damaged)
{
    ReadDecals(s, f.mDecals, damaged);
    const int32_t count = ReadCheckedCount(s, kMinTemplateBytes, damaged);
    f.mTemplates.DeleteAll();
    for (int32_t i = 0; i < count; ++i) {
        ParticleSystem* t = f.mTemplates.AppendNew();
        if (!t) {
            damaged = true;
            s.SetPosition(s.GetSize());
            return;
        }
        if (!t->ReadProps(s, false)) {
            // The reader left the position at the record it refused; what
            // follows cannot be told apart from its bytes.
            damaged = true;
            s.SetPosition(s.GetSize());
            return;
        }
    }
    int32_t selected = 0;
    if (s.ReadInt(selected) && selected >= 0 && selected < count) f.mTemplates.SetSelectedIndex(selected);
    ReadInterval(s, f.mShardsCount);
    ReadInterval(s, f.mShardsSize);
}

bool WriteHoleBlock(MemoryStream& s, const MaterialFamily& f)
{
    return s.WriteByte(kHoleBlockVersion) && s.WriteFloat(f.mParticlePowerMin) && s.WriteFloat(f.mParticleSlowDown) &&
           WriteFamily(s, f);
}

void ReadHoleBlock(MemoryStream& s, MaterialFamily& f, bool& damaged)
{
    uint8_t version = 0;
    s.ReadByte(version);
    if (version >= 2) s.ReadFloat(f.mParticlePowerMin);
    if (version >= 3) s.ReadFloat(f.mParticleSlowDown);
    ReadFamily(s, f, damaged);
}

} // namespace

int32_t ReadCheckedCount(MemoryStream& s, int32_t minBytes, bool& damaged)
{
    int32_t count = 0;
    if (!s.ReadInt(count)) return 0;
    const int32_t fits = (s.GetSize() - s.GetPosition()) / minBytes;
    if (count >= 0 && count <= fits) return count;
    damaged = true;
    return count < 0 ? 0 : fits;
}

bool Material::Write(MemoryStream& stream) const
{
    MemoryStream& s = stream;
    bool ok = s.WriteByte(kRecordVersion) && s.WriteBytes(mName.mChars, FastName::kLength) && s.WriteFloat(mDensity) &&
              s.WriteFloat(mFriction) && s.WriteByte(mAllowSurfaceDeform) && s.WriteFloat(mSurfaceDeformResistance) &&
              s.WriteByte(mAllowPenetratingParticles) && s.WriteByte(mAllowMakingHoles) && s.WriteByte(mAllowGrind) &&
              s.WriteByte(mAllowBurning) && s.WriteByte(mAllowFreeze) && s.WriteByte(1);
    ok = ok && s.WriteByte(kBreakBlockVersion) && WriteDecals(s, mBreakDecals) && WriteInterval(s, mBreakDecalsDistance);
    ok = ok && s.WriteByte(kDentBlockVersion) && WriteFamily(s, mDent);
    ok = ok && WriteHoleBlock(s, mEntryHole) && WriteHoleBlock(s, mExitHole);
    return ok && s.WriteByte(1) && s.WriteByte(1) && s.WriteByte(1);
}

bool Material::Read(MemoryStream& stream)
{
    MemoryStream& s = stream;
    bool damaged = false;
    uint8_t skipped = 0;
    s.ReadByte(skipped);  // the record version says nothing the blocks' own versions do not
    s.ReadBytes(mName.mChars, FastName::kLength);
    s.ReadFloat(mDensity);
    s.ReadFloat(mFriction);
    s.ReadByte(mAllowSurfaceDeform);
    s.ReadFloat(mSurfaceDeformResistance);
    s.ReadByte(mAllowPenetratingParticles);
    s.ReadByte(mAllowMakingHoles);
    s.ReadByte(mAllowGrind);
    s.ReadByte(mAllowBurning);
    s.ReadByte(mAllowFreeze);
    s.ReadByte(skipped);  // separator

    uint8_t breakVersion = 0;
    s.ReadByte(breakVersion);
    if (breakVersion >= 2) {
        ReadDecals(s, mBreakDecals, damaged);
        ReadInterval(s, mBreakDecalsDistance);
    }
    s.ReadByte(skipped);  // the dent block's version: it has had one form only
    ReadFamily(s, mDent, damaged);
    ReadHoleBlock(s, mEntryHole, damaged);
    ReadHoleBlock(s, mExitHole, damaged);
    for (int i = 0; i < 3; ++i) s.ReadByte(skipped);
    return !damaged && !s.HasReadPastEnd();
}

bool Material::CopyThroughStream(const Material& source, Material& target)
{
    if (&source == &target) return true;
    MemoryStream stream;
    if (!source.Write(stream)) return false;
    stream.SetPosition(0);
    return target.Read(stream);
}

} // namespace KIV

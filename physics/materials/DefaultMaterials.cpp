#include "physics/materials/DefaultMaterials.h"
#include <cerrno>
#include "base/FileUtils.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/TextFormat.h"
#include "physics/materials/InsertAfterSelection.h"
#include "physics/toys/Toy.h"

// The scene's default materials: the list the editor works on, the materials
// file (u8 version, i32 count, the records, i32 selected) and the clipboard.

namespace KIV {

namespace {

// The shortest whole material record: no decals, no templates, and a break
// block of a version without its list.
constexpr int32_t kMinMaterialRecordBytes = 36 + 1 + 1 + 32 + 2 * (1 + 32) + 3;

} // namespace

void DefaultMaterials::AddDefaultMaterial() { InsertAfterSelection(mList); }

void DefaultMaterials::DelDefaultMaterial()
{
    const int32_t selected = mList.GetSelectedIndex();
    if (selected >= 0 && selected < mList.Count()) mList.DeleteAt(selected);
}

std::string DefaultMaterials::GetDefaultMaterialsListArray() const
{
    std::string text = "[";
    for (const Material* m : mList) AppendJsArrayItem(text, m->GetName());
    CloseJsArrayText(text);
    return text;
}

int32_t DefaultMaterials::GetDefaultMaterialIndexByName(const FastName& name) const
{
    if (name.IsNull()) return 0;
    for (int32_t i = 0; i < mList.Count(); ++i)
        if (mList[i]->mName == name) return i;
    return 0;
}

FastName DefaultMaterials::GetDefaultMaterialNameByIndex(int32_t i) const
{
    return i >= 0 && i < mList.Count() ? mList[i]->mName : FastName();
}

void DefaultMaterials::SelectDefaultMaterial(int32_t i)
{
    if (i >= 0 && i < mList.Count()) mList.SetSelectedIndex(i);
    mInUse = mList.GetSelectedIndex();
}

Material* DefaultMaterials::GetEdited(Toy* selectedToy) const
{
    if (IsDefaultMaterialInUse()) return mList.GetSelected();
    if (selectedToy && !selectedToy->GetUseDefaultMaterial()) return selectedToy->mOwnMaterial;
    return nullptr;
}

std::string DefaultMaterials::GetEditedWhere(Toy* selectedToy, bool robotBuilderPick) const
{
    if (IsDefaultMaterialInUse()) return "one of default materials";
    if (selectedToy && !selectedToy->GetUseDefaultMaterial() && selectedToy->mOwnMaterial)
        return robotBuilderPick ? "material of obj. in robot builder" : "material of obj. in simulation";
    return "! NULL MATERIAL !";
}

void DefaultMaterials::CopyMaterial(const Material* material)
{
    if (!material) return;
    mClipboard.Clear();
    mClipboard.SetGrowStep(1024);
    material->Write(mClipboard);
}

void DefaultMaterials::PasteMaterial(Material* target)
{
    if (!target || mClipboard.GetSize() < 1) return;
    mClipboard.SetPosition(0);
    const FastName name = target->mName;
    target->Read(mClipboard);
    target->mName = name;
}

Material* DefaultMaterials::FindForName(const FastName& name) const
{
    return mList.Count() > 0 ? mList[GetDefaultMaterialIndexByName(name)] : nullptr;
}

bool DefaultMaterials::Write(MemoryStream& stream) const
{
    bool ok = stream.WriteByte(kFileVersion) && stream.WriteInt(mList.Count());
    for (const Material* m : mList) ok = ok && m->Write(stream);
    return ok && stream.WriteInt(mList.GetSelectedIndex());
}

bool DefaultMaterials::Read(MemoryStream& stream)
{
    mList.DeleteAll();
    bool damaged = false;
    uint8_t version = 0;
    stream.ReadByte(version);  // one version so far; its value is not examined
    const int32_t count = ReadCheckedCount(stream, kMinMaterialRecordBytes, damaged);
    for (int32_t i = 0; i < count; ++i) {
        Material* m = mList.AppendNew();
        if (!m) return false;
        if (!m->Read(stream)) damaged = true;
    }
    int32_t selected = 0;
    if (stream.ReadInt(selected) && selected >= 0 && selected < count) mList.SetSelectedIndex(selected);
    return !damaged && !stream.HasReadPastEnd();
}

bool DefaultMaterials::Load(const std::string& path)
{
    MemoryStream stream;
    if (!stream.LoadFromFile(path)) {
        ReportNotice("Materials " + path + " could not be loaded: " + stream.GetFailReason() +
                     "; the default materials stay as they were");
        return false;
    }
    if (Read(stream)) return true;
    ReportNotice("Materials " + path + " are damaged: " + IntToText(mList.Count()) +
                 " materials were read as far as the file goes");
    return false;
}

bool DefaultMaterials::Save(const std::string& path) const
{
    MemoryStream stream;
    std::string reason = "out of memory";
    bool ok = Write(stream);
    if (ok && !CreateFolders(GetPathDirectory(path))) {
        reason = DescribeOsError(errno);
        ok = false;
    } else if (ok && !SaveStreamWithBackup(stream, path)) {
        reason = stream.GetFailReason();
        ok = false;
    }
    if (!ok) ReportNotice("Materials " + path + " could not be saved: " + reason);
    return ok;
}

} // namespace KIV

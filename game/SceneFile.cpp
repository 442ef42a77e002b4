#include <cerrno>
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/TextFormat.h"
#include "game/KIVGame.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {
constexpr uint8_t kSceneFileVersion = 3;
// The smallest terrain-object record any version writes: version byte, empty
// name, layer and frame. A count that the remaining bytes cannot hold is a
// damaged file.
constexpr int32_t kMinTerrainRecordBytes = 1 + 4 + 4 + 141;

std::string DamagedAt(int32_t position, const std::string& what)
{
    return "damaged at byte " + IntToText(position) + ": " + what;
}
} // namespace

std::string KIVGame::GetSceneFilePath() const { return mDataRoot + "Scenes\\Scene01.kis"; }

std::string KIVGame::GetShownPath(const std::string& path) const
{
    // The player knows the data folder; the rest of the path is noise on the HUD.
    if (!mDataRoot.empty() && path.compare(0, mDataRoot.size(), mDataRoot) == 0) return path.substr(mDataRoot.size());
    return path;
}

bool KIVGame::SaveScene(const std::string& path)
{
    MemoryStream s;
    // Layer by layer, so a load lists the objects in drawing order. Objects
    // whose layer lies outside the stack follow, so editing a layer number
    // never loses an object.
    Array<BendObject*> ordered;
    for (int32_t i = 0; i < mLayers.GetLayerCount(); ++i)
        for (BendObject* o : mLayers.GetLayerAt(i)->mTerrainObjects) ordered.PushBack(o);
    for (BendObject* o : mTerrainObjects)
        if (!mLayers.LayerExists(o->GetLayer()) || !ordered.Contains(o)) ordered.PushBack(o);

    bool ok = s.WriteByte(kSceneFileVersion) && s.WriteInt(ordered.Count());
    for (BendObject* o : ordered) ok = ok && o->Write(s);
    ok = ok && mScenario.Write(s);
    std::string reason = "out of memory";
    // A file that would not load is all the player has of that scene: it is
    // replaced only once a copy of it is safe among the backups.
    const bool overDamaged = path == mUnreadableScenePath && IsExistingFile(path);
    // A fresh data root has no scenes folder yet.
    if (ok && !CreateFolders(GetPathDirectory(path))) {
        reason = DescribeOsError(errno);
        ok = false;
    } else if (ok && overDamaged && !BackupFileBeforeSave(path)) {
        reason = "the damaged file there could not be kept as a backup";
        ok = false;
    } else if (ok && !(overDamaged ? s.SaveToFile(path) : SaveStreamWithBackup(s, path))) {
        reason = s.GetFailReason();
        ok = false;
    }
    // The file on disk is as it was: the player must not believe it saved.
    if (!ok) {
        ReportNotice("Scene " + GetShownPath(path) + " could not be saved: " + reason);
        return false;
    }
    if (overDamaged)
        ReportNotice("Scene " + GetShownPath(path) + " was damaged: it is kept in " +
                     GetShownPath(GetPathDirectory(path)) + "backups and the scene was saved over it");
    mUnreadableScenePath.clear();
    return true;
}

bool KIVGame::LoadScene(const std::string& path)
{
    const std::string shown = GetShownPath(path);
    // A missing, empty or damaged file leaves the scene as it was.
    auto refuse = [&](const std::string& reason) {
        ReportNotice("Scene " + shown + " could not be loaded: " + reason);
        mUnreadableScenePath = path;
        return false;
    };
    MemoryStream s;
    uint8_t version = 0;
    int32_t count = 0;
    if (!s.LoadFromFile(path)) {
        ReportNotice("Scene " + shown + " could not be loaded: " + s.GetFailReason());
        return false;
    }
    if (s.GetSize() == 0) return refuse("the file is empty");
    s.ReadByte(version);
    if (version > kSceneFileVersion)
        return refuse("version " + IntToText(version) + " is too new (this game reads up to version " +
                      IntToText(kSceneFileVersion) + ")");
    if (!s.ReadInt(count)) return refuse(DamagedAt(1, "the file ends early"));
    if (count < 0 || count > (s.GetSize() - s.GetPosition()) / kMinTerrainRecordBytes)
        return refuse(DamagedAt(1, "it claims " + IntToText(count) + " terrain objects"));

    PtrArray<BendObject> loaded(32);
    int32_t completed = -1;  // the object a cut file's defaults completed
    for (int32_t i = 0; i < count; ++i) {
        const int32_t start = s.GetPosition();
        BendObject* o = loaded.AppendNew();
        if (!o) return refuse("out of memory");
        const bool read = o->Read(s);
        if (!read && s.HasReadPastEnd()) return refuse(DamagedAt(start, "terrain object " + IntToText(i + 1) + " is cut off"));
        if (!read) return refuse(DamagedAt(start, "terrain object " + IntToText(i + 1) + " holds values out of range"));
        if (s.HasReadPastEnd() && completed < 0) completed = i;
    }
    for (int32_t i = 0; i < mLayers.GetLayerCount(); ++i) mLayers.GetLayerAt(i)->mTerrainObjects.Clear();
    mTerrainObjects.DeleteAll();
    while (loaded.Count() > 0) mTerrainObjects.Append(loaded.Detach(0));
    if (path == mUnreadableScenePath) mUnreadableScenePath.clear();
    if (version >= 3) mScenario.Read(s);
    // The missing fields took their defaults, which the format allows; the
    // player is told the file was cut, and where.
    if (s.HasReadPastEnd()) {
        std::string what = "the robot start list";
        if (completed >= 0)
            what = "terrain object " + IntToText(completed + 1) + " (" + mTerrainObjects[completed]->GetOrigTextureFn() + ")";
        ReportNotice("Scene " + shown + " ends early at byte " + IntToText(s.GetFirstShortReadPosition()) + ": " +
                     what + " was completed with defaults");
    }
    return true;
}

void KIVGame::RebuildDerivedState()
{
    if (mTextureLib)
        for (BendObject* o : mTerrainObjects) o->ReloadTexture(*mTextureLib);
    // Every layer's terrain list anew, in the scene's order.
    mLayers.ReserveItemArrays(mTerrainObjects.Count(), -1);
    for (BendObject* o : mTerrainObjects) mLayers.AddTerrainObject(o, o->GetLayer());
    RebuildStaticGrid();
    RebuildLightGrid();
    AssignLightsToTerrain();
}

} // namespace KIV

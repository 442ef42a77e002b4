#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Platform.h"
#include "game/KIVGame.h"
#include "render/TextureLib.h"

namespace KIV {

namespace {
constexpr uint8_t kSceneFileVersion = 3;
// The smallest terrain-object record any version writes: version byte, empty
// name, layer and frame. A count that the remaining bytes cannot hold is a
// damaged file.
constexpr int32_t kMinTerrainRecordBytes = 1 + 4 + 4 + 141;
} // namespace

std::string KIVGame::GetSceneFilePath() const { return mDataRoot + "Scenes\\Scene01.kis"; }

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
    // A fresh data root has no scenes folder yet.
    return ok && CreateFolders(GetPathDirectory(path)) && SaveStreamWithBackup(s, path);
}

bool KIVGame::LoadScene(const std::string& path)
{
    MemoryStream s;
    uint8_t version = 0;
    int32_t count = 0;
    // A missing, empty or damaged file leaves the scene as it was.
    if (!s.LoadFromFile(path) || !s.ReadByte(version) || version > kSceneFileVersion) return false;
    if (!s.ReadInt(count) || count < 0 || count > (s.GetSize() - s.GetPosition()) / kMinTerrainRecordBytes)
        return false;

    PtrArray<BendObject> loaded(32);
    for (int32_t i = 0; i < count; ++i) {
        BendObject* o = loaded.AppendNew();
        if (!o || !o->Read(s)) return false;
    }
    for (int32_t i = 0; i < mLayers.GetLayerCount(); ++i) mLayers.GetLayerAt(i)->mTerrainObjects.Clear();
    mTerrainObjects.DeleteAll();
    while (loaded.Count() > 0) mTerrainObjects.Append(loaded.Detach(0));
    if (version >= 3) mScenario.Read(s);
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
}

} // namespace KIV

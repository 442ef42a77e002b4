#pragma once
#include <cstdint>
#include <string>
#include "base/Array.h"
#include "base/FastName.h"
#include "base/MemoryStream.h"
#include "physics/materials/Material.h"

namespace KIV {

class Toy;

// The scene's named default materials, which toys name instead of owning a
// material of their own, with the editor's selection, the choice between the
// selected default material and the selected object's own material, and the
// material clipboard.
class DefaultMaterials {
public:
    static constexpr uint8_t kFileVersion = 1;
    // Beside the program, as the scene files are.
    static constexpr const char* kFileName = "Scenes\\kiv_default_materials.kim";

    DefaultMaterials() { mClipboard.SetGrowStep(1024); }

    // ---- the scene's script methods on the list ----
    int32_t GetDefaultMaterialsCount() const { return mList.Count(); }
    void AddDefaultMaterial();
    void DelDefaultMaterial();
    std::string GetDefaultMaterialsListArray() const;
    int32_t GetSelectedDefaultMaterialIndex() const { return mList.GetSelectedIndex(); }
    // 0 for a name no material has and for an empty name, so that a toy
    // naming a material that is gone gets the first one.
    int32_t GetDefaultMaterialIndexByName(const FastName& name) const;
    FastName GetDefaultMaterialNameByIndex(int32_t i) const;
    void SelectDefaultMaterial(int32_t i);
    void SelectObjectMaterial() { mInUse = -1; }
    bool IsDefaultMaterialInUse() const { return mInUse >= 0 && mInUse < mList.Count(); }

    // The material being edited: the selected default material, or the own
    // material of the selected toy (null when it names a default material).
    Material* GetEdited(Toy* selectedToy) const;
    std::string GetEditedWhere(Toy* selectedToy, bool robotBuilderPick) const;
    void CopyMaterial(const Material* material);
    // The clipboard's material into the target; the target keeps its name.
    void PasteMaterial(Material* target);

    // The material a toy naming this default material gets; null only for an
    // empty list.
    Material* FindForName(const FastName& name) const;

    // ---- the materials file ----
    bool Write(MemoryStream& stream) const;
    // Replaces the list; false when the data was damaged or cut (what could
    // be read is kept).
    bool Read(MemoryStream& stream);
    // A missing file leaves the list as it was; a damaged one is read as far
    // as it goes. Either is told to the player.
    bool Load(const std::string& path);
    // The old file goes to the backups folder, then the new one replaces it
    // whole; a failure is told to the player and leaves the old file.
    bool Save(const std::string& path) const;

    PtrArray<Material> mList{1};
    int32_t mInUse = -1;
    MemoryStream mClipboard;
};

} // namespace KIV

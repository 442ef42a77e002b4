#pragma once
#include <cstdint>
#include <string>
#include "render/TextureLib.h"

namespace KIV {

// The robot files the robot-library page lists, with one of them selected.
// The selection is a file name and always one the last scan found (or empty
// when there is none), so no stale entry is ever acted on.
class RobotLibrary {
public:
    // folder: the robots folder, without a trailing separator.
    explicit RobotLibrary(const std::string& folder);
    ~RobotLibrary();
    RobotLibrary(const RobotLibrary&) = delete;
    RobotLibrary& operator=(const RobotLibrary&) = delete;

    void SetFolder(const std::string& folder) { mFolder = folder; }
    const std::string& GetFolder() const { return mFolder; }
    // Scans the folder again; a selection whose file has gone moves to the
    // file now in its place (or the last one), the first file is selected
    // when nothing was.
    void Reload();
    // False, keeping the selection, for a name the last scan did not find.
    bool SelectByName(const std::string& name);
    // Backs the selected file up, deletes it and its thumbnail, and selects
    // its neighbour. Refused, with a notice, for a name that would reach
    // outside the robots folder.
    bool DeleteSelected();

    const std::string& GetSelected() const { return mSelected; }
    const FolderSnapshot& GetSnapshot() const { return mSnapshot; }
    int32_t GetFileCount() const { return mSnapshot.mFileNames.Count(); }
    const std::string& GetFileName(int32_t index) const { return mSnapshot.mFileNames[index]; }

    // A plain robot file name: no folders, no parent references, ".robot".
    static bool IsSafeFileName(const std::string& name);

private:
    int32_t IndexOf(const std::string& name) const { return mSnapshot.mFileNames.IndexOf(name); }
    void SelectIndexOrLast(int32_t index);

    std::string mFolder;
    StringArray mMasks;
    FolderSnapshot mSnapshot;
    std::string mSelected;
};

// The program's library, made with the game object; null before and after.
extern RobotLibrary* gRobotLibrary;

} // namespace KIV

#include "editor/RobotLibrary.h"
#include "base/FileUtils.h"
#include "base/Notices.h"
#include "base/Platform.h"

namespace KIV {

RobotLibrary* gRobotLibrary = nullptr;

RobotLibrary::RobotLibrary(const std::string& folder) : mFolder(folder)
{
    gRobotLibrary = this;
    mMasks.PushBack("*.robot");
}

RobotLibrary::~RobotLibrary()
{
    if (gRobotLibrary == this) gRobotLibrary = nullptr;
}

bool RobotLibrary::IsSafeFileName(const std::string& name)
{
    static const std::string kExtension = ".robot";
    if (name.size() <= kExtension.size() || name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension))
        return false;
    if (name.find_first_of("\\/:") != std::string::npos || name[0] == '.') return false;
    return IsRelativePathContained(name, 0);
}

void RobotLibrary::SelectIndexOrLast(int32_t index)
{
    const int32_t count = GetFileCount();
    if (count == 0) {
        mSelected.clear();
        return;
    }
    if (index < 0) index = 0;
    if (index >= count) index = count - 1;
    mSelected = mSnapshot.mFileNames[index];
}

void RobotLibrary::Reload()
{
    const int32_t before = IndexOf(mSelected);
    ScanFolderTree(mMasks, mFolder, mSnapshot, true);
    if (mSelected.empty() || IndexOf(mSelected) < 0) SelectIndexOrLast(mSelected.empty() ? 0 : before);
}

bool RobotLibrary::SelectByName(const std::string& name)
{
    if (name.empty() || IndexOf(name) < 0) return false;
    mSelected = name;
    return true;
}

bool RobotLibrary::DeleteSelected()
{
    if (mSelected.empty()) return false;
    if (!IsSafeFileName(mSelected) || IndexOf(mSelected) < 0) {
        ReportNotice("the robot file \"" + mSelected + "\" is not deleted: it is not a file of the robots folder");
        return false;
    }
    const std::string path = mFolder + "\\" + mSelected;
    BackupFileBeforeSave(path);
    const bool deleted = DeleteFile(path);
    DeleteFile(path + ".png");
    if (!deleted) {
        ReportNotice("the robot file \"" + mSelected + "\" could not be deleted");
        return false;
    }
    // The list shows what is on disk: the deleted file goes, its neighbour is selected.
    const int32_t index = IndexOf(mSelected);
    ScanFolderTree(mMasks, mFolder, mSnapshot, true);
    SelectIndexOrLast(index);
    return true;
}

} // namespace KIV

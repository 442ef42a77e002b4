#include "robots/RobotFiles.h"
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/TextFormat.h"
#include "robots/Robot.h"

namespace KIV {

std::string GetRobotsFolder(const std::string& dataRoot) { return dataRoot + "Robots\\"; }
std::string GetRobotBackupsFolder(const std::string& dataRoot) { return GetRobotsFolder(dataRoot) + "backups\\"; }

bool IsSafeRobotFileName(const std::string& fileName)
{
    // Previous versions are read from the backups folder, and only from there.
    const std::string backups = "backups\\";
    if (fileName.compare(0, backups.size(), backups) == 0) return IsSafeRobotFileName(fileName.substr(backups.size()));
    // Pages send names percent-encoded; what matters is where the decoded name points.
    const std::string decoded = fileName.find('%') != std::string::npos ? DecodePercentEscapes(fileName) : fileName;
    for (const std::string& name : {fileName, decoded}) {
        if (name.empty() || name.find("..") != std::string::npos) return false;
        if (name.find_first_of("/\\:") != std::string::npos) return false;
        if (name.find('\0') != std::string::npos) return false;
    }
    return true;
}

std::string GetRobotPhotoPath(const Robot& robot)
{
    return GetRobotsFolder(robot.GetDataRoot()) + robot.GetFileName() + ".robot.png";
}

bool SaveRobotFile(Robot& robot)
{
    if (robot.GetFastName().IsNull()) return false;
    const std::string path = GetRobotsFolder(robot.GetDataRoot()) + robot.GetFileName() + ".robot";
    MemoryStream stream;
    stream.SetGrowStep(1024);
    if (!robot.WriteToStream(stream)) {
        ReportNotice("could not save robot \"" + robot.GetName() + "\": out of memory");
        return false;
    }
    CreateFolders(GetRobotsFolder(robot.GetDataRoot()));
    if (!SaveStreamWithBackup(stream, path)) {
        ReportNotice("could not save robot file " + path + ": the file could not be written");
        return false;
    }
    robot.SetChanged(false);
    return true;
}

bool LoadRobotFile(Robot& robot, const std::string& fileName, const std::function<void(Robot&)>& rebuild)
{
    if (!IsSafeRobotFileName(fileName)) {
        ReportNotice("robot file name refused: \"" + fileName + "\" would leave the Robots folder");
        return false;
    }
    const std::string path = GetRobotsFolder(robot.GetDataRoot()) + fileName;
    MemoryStream stream;
    if (!stream.LoadFromFile(path)) {
        ReportNotice("could not load robot file " + path + ": not found or not readable");
        return false;
    }
    // Try the definition on a scratch robot first: only a whole record may
    // replace what the robot holds.
    {
        Robot probe;
        RecordRead r = probe.ReadFromStream(stream);
        if (r != RecordRead::Complete) {
            ReportNotice("could not load robot file " + path + ": " +
                         (r == RecordRead::Refused ? "damaged, or written by a newer version"
                                                   : "the file ends early at byte " +
                                                         std::to_string(stream.GetSize())));
            return false;
        }
    }
    stream.SetPosition(0);
    robot.ReadFromStream(stream);
    if (rebuild) rebuild(robot);
    robot.ReadStateFromStream(stream);
    return true;
}

} // namespace KIV

#pragma once
#include <functional>
#include <string>

namespace KIV {

class Robot;

// "Robots\" under a data root (ending with "\"), and its "backups\".
std::string GetRobotsFolder(const std::string& dataRoot);
std::string GetRobotBackupsFolder(const std::string& dataRoot);

// A robot file name (relative to the robots folder, without folder parts)
// that a page or a scenario entry hands us: refused when, decoded, it could
// reach outside the robots folder. "backups\" + a safe name is safe.
bool IsSafeRobotFileName(const std::string& fileName);

// The robot's photo beside its file: "Robots\" + its file name + ".robot.png"
// under its data root, as the robot library shows and deletes it.
std::string GetRobotPhotoPath(const Robot& robot);

// Saves the robot as "Robots\" + its file name + ".robot" under its data
// root, keeping the older file as a dated backup. A failed save keeps the
// changed flag and tells the player; true when the file was written.
bool SaveRobotFile(Robot& robot);

// Loads "Robots\" + fileName under the robot's data root into the robot: the definition, then `rebuild`
// makes its parts, then their states. A missing, cut or damaged file, or a
// name that leaves the folder, leaves the robot as it was and tells the player.
bool LoadRobotFile(Robot& robot, const std::string& fileName, const std::function<void(Robot&)>& rebuild);

} // namespace KIV

#include "base/FileUtils.h"
#include "base/Notices.h"
#include "game/KIVGame.h"
#include "robots/RobotFiles.h"

namespace KIV {

void KIVGame::CreateScenarioRobots()
{
    if (!mDataRoot.empty()) mRobots.SetDataRoot(mDataRoot);
    for (int32_t i = 0; i < mScenario.GetRobotsCount(); ++i) {
        const RobotStartEntry* entry = mScenario.GetEntry(i);
        // Entries name the robot's file with or without its extension; the file is always "<name>.robot".
        std::string file = entry->mRobotName;
        if (GetPathExtension(file) != "robot") file += ".robot";
        if (!IsSafeRobotFileName(file)) {
            ReportNotice("scenario robot \"" + entry->mRobotName + "\" left out: its name would leave the Robots folder");
            continue;
        }
        mRobots.AddRobot(file, VectorF(entry->mStartX, entry->mStartY));
    }
}

} // namespace KIV

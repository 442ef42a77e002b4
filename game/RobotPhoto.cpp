#include "game/RobotPhoto.h"
#include "base/Notices.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "render/Renderer.h"
#include "robots/RobotFiles.h"
#include "robots/RobotPictures.h"

namespace KIV {

void TakeRequestedRobotPhoto(KIVGame& game, Renderer& renderer)
{
    // A request may outlive its robot: only a robot the game still holds is photographed.
    const Robot* robot = game.mSceneEditor.mPhotoRequest.Take([&](const Robot* r) {
        return r == game.GetEditRobot() || game.mRobots.GetRobots().IndexOf(r) >= 0 ||
               game.mEditRobots.GetRobots().IndexOf(r) >= 0;
    });
    if (!robot) return;
    if (robot->GetName().empty()) {
        ReportNotice("Robot photo not taken: the robot has no name to file its photo under");
        return;
    }
    const std::string path = GetRobotPhotoPath(*robot);
    if (!renderer.IsContextValid()) {
        ReportNotice("Robot photo " + game.GetShownPath(path) + " not taken: there is no OpenGL context to draw it in");
        return;
    }
    if (!SaveRobotPhoto(renderer, *robot, path)) {
        ReportNotice("Robot photo " + game.GetShownPath(path) + " could not be written");
        return;
    }
    PageMethods::EdyReloadRobotLib(game);
}

} // namespace KIV

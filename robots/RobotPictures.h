#pragma once
#include <string>

namespace KIV {

class Renderer;
class Robot;

// Every toy picture of the robot, each drawn as the scene draws it, into the
// renderer's current view.
void DrawRobotPictures(Renderer& renderer, const Robot& robot);

// The robot's photo: its pictures alone, framed by its bounds, read back off
// screen and saved at `path` as a square picture. False when it could not be
// taken or written; an older picture at `path` stays then.
bool SaveRobotPhoto(Renderer& renderer, const Robot& robot, const std::string& path);

} // namespace KIV

#include "robots/RobotPictures.h"
#include "physics/toys/Toy.h"
#include "physics/world/DrawOptions.h"
#include "physics/toys/ToyRenderGeometry.h"
#include "render/Renderer.h"
#include "robots/Robot.h"
#include "robots/RobotBounds.h"

namespace KIV {

void DrawRobotPictures(Renderer& renderer, const Robot& robot)
{
    // The robot builder's toys are never stepped nor drawn by the scene: their
    // pictures are laid out here, where they stand now, with no debug passes.
    DrawOptions picturesOnly;
    picturesOnly.mTestVisible = 0;
    for (Toy* toy : robot.GetToys()) {
        BuildToyRenderGeometry(*toy, picturesOnly);
        Shape& picture = toy->mShapes[kToyShapeTextured];
        if (picture.mPoints.Count() == 0) continue;
        if (picture.mTexture) renderer.UploadTextureIfPending(picture.mTexture);
        renderer.DrawShape(picture, false, 255, true);
    }
}

bool SaveRobotPhoto(Renderer& renderer, const Robot& robot, const std::string& path)
{
    if (!renderer.IsContextValid()) return false;
    return renderer.SaveThumbnail(GetRobotBounds(robot), [&](Renderer& r) { DrawRobotPictures(r, robot); }, path);
}

} // namespace KIV

// Builds the robot the game ships with, "Robots\spider1.robot": its
// definition is laid out in code, then the robot is built once from the
// shipped pictures so that the file also carries its parts' states, exactly
// as the robot editor would save it. Run by the build with the runnable
// tree's root.
#include <cstdio>
#include <string>
#include "base/FileUtils.h"
#include "base/Platform.h"
#include "base/MemoryStream.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"
#include "render/ImageFile.h"
#include "render/TextureLib.h"
#include "robots/Robot.h"
#include "robots/RobotBuild.h"
#include "robots/RobotFiles.h"
#include "tools/robotgen/Spider1.h"

using namespace KIV;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: robotgen <runnable tree root>\n");
        return 2;
    }
    std::string root = FromOsPath(argv[1]);
    if (root.empty() || root.back() != '\\') root += '\\';
    SetTexturesDirectory(root + "Textures\\");
    ImageFileRegistry images;
    gImageFiles = &images;
    TextureLib textures(root + "Textures");

    Scene scene;
    scene.mStepLength = 1.0f / 210.0f;
    Robot robot;
    FillSpider1(robot);
    RobotBuildOptions options;
    options.mEditor = true;
    BuildRobot(scene, &robot, options);
    if (robot.GetToyCount() != robot.GetObjectsCount()) {
        std::fprintf(stderr, "robotgen: the robot's pictures under %sTextures could not all be used\n", argv[1]);
        return 1;
    }
    PrepareSpider1Parts(robot);

    MemoryStream stream;
    stream.SetGrowStep(1024);
    const std::string path = GetRobotsFolder(root) + "spider1.robot";
    CreateFolders(GetRobotsFolder(root));
    const bool written = robot.WriteToStream(stream) && stream.SaveToFile(path);
    robot.ReleaseParts();
    if (!written) {
        std::fprintf(stderr, "robotgen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

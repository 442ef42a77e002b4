#pragma once
#include "base/Color.h"
#include "base/Vector.h"

namespace KIV {

// What the scene generator lays out and the game's start-up content relies
// on. The scene file keeps terrain only: the sky and the water are made at
// start-up, where the generator put the pond for them.
namespace ShippedScene {

// The centre of the mound with the pond in its top. Its picture is cropped to
// its opaque part (rows 100 to 255, drawn twice its size): it spans 1218 to
// 1530 down, its feet behind the ground strip's edge (1451 to 1499), its tops
// at 1218 to 1242 and the bowl's floor at 1388.
inline constexpr VectorF kPondCentre(-1000.0f, 1374.0f);
// Below both tops of the mound and above the bowl's floor: the pool's level.
inline constexpr VectorF kPoolSeed(-1000.0f, 1278.0f);
// The robot the scene starts with, and where: on a level stretch of ground
// right of the mound, its feet just above the grass, with open ground ahead.
inline constexpr const char* kRobotFile = "spider1.robot";
inline constexpr VectorF kRobotStart(-400.0f, 1300.0f);
// Where the rock debris of every scene start pours from: in the air just
// ahead of the robot, so that it walks into the falling stones.
inline constexpr VectorF kRockDebris(-250.0f, 880.0f);
// The view the game opens on: the default toys falling at the left, the pond,
// and the robot under the debris at the right, with room to walk on.
inline constexpr VectorF kOpeningView(-1070.0f, 1130.0f);
inline constexpr float kOpeningZoom = 1.45f;
// Layer 0's colour: a clear afternoon sky.
inline constexpr ColorRGBAF kSkyColor(0.42f, 0.63f, 0.86f, 1.0f);

} // namespace ShippedScene
} // namespace KIV

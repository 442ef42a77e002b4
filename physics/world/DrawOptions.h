#pragma once
#include <cstdint>
#include "base/Rect.h"

namespace KIV {

// The game's switches for what the scene pass draws, and the world rectangle the camera sees. The
// physics reads it to build the toys' and terrain objects' overlay shapes, so it lives here; the
// game owns the one instance.
struct DrawOptions {
    uint8_t mGrid = 0;
    uint8_t mTerrain = 0;
    uint8_t mAllTerrainObjsVectorBorder = 0;
    uint8_t mAllTerrainObjsBoundBox = 0;
    uint8_t mAllTerrainObjsTriangles = 0;
    uint8_t mAllTerrainObjsBeziers = 0;
    uint8_t mAllTerrainObjsBezierVectors = 0;
    uint8_t mSelTerrainObjsVectorBorder = 1;
    uint8_t mSelTerrainObjsBoundBox = 0;
    uint8_t mSelTerrainObjsTriangles = 0;
    uint8_t mSelTerrainObjsBeziers = 0;
    uint8_t mSelTerrainObjsBezierVectors = 0;
    uint8_t mToyPoints = 0;
    uint8_t mToyContacts = 0;
    uint8_t mToyDiagonals = 0;
    uint8_t mToyImpulses = 0;
    uint8_t mToySprings = 0;
    uint8_t mToyMoveVectors = 0;
    uint8_t mToyTexturePoints = 0;        // no script name
    uint8_t mToyScaledTexturePoints = 0;  // no script name
    uint8_t mToyPiles = 0;
    uint8_t mJoints = 0;
    uint8_t mJointConstraints = 0;
    uint8_t mRobotBuilderJoints = 0;
    uint8_t mRobotBuilderObjects = 0;
    uint8_t mRobotBuilderTriangles = 0;
    uint8_t mRobotBuilderGrid = 0;
    uint8_t mDoRenderScene = 1;  // the scene pass runs only when set
    uint8_t mTestVisible = 1;   // toys outside the view build no shapes
    RectF mViewRect;  // first x, first y, second x, second y
};

} // namespace KIV

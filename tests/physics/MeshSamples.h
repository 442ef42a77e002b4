#pragma once
#include <gtest/gtest.h>
#include <algorithm>
#include "physics/geometry/SampleOutlines.h"
#include "physics/geometry/TracedGeometry.h"

// Meshes and measures shared by the deformation and breaking tests.
namespace KIV::MeshSamples {

// An ellipse of n outline points about the origin, meshed with the given spacing.
inline TracedGeometry MeshedEllipse(int32_t n, float rx, float ry, float spacing = 10.0f)
{
    Array<VectorF> outline;
    MakeEllipseOutline(outline, n, rx, ry);
    TracedGeometry g;
    EXPECT_TRUE(g.BuildMesh(outline, spacing));
    return g;
}

// The furthest any point of the record moved from the given positions.
inline float MaxPointShift(const TracedGeometry& g, const Array<VectorF>& before)
{
    float largest = 0.0f;
    for (int32_t i = 0; i < g.mPoints.Count(); ++i)
        largest = std::max(largest, (g.mPoints[i] - before[i]).GetLength());
    return largest;
}

} // namespace KIV::MeshSamples

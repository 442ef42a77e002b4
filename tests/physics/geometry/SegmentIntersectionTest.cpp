#include <gtest/gtest.h>
#include "base/Statistics.h"
#include "physics/geometry/SegmentIntersection.h"

using namespace KIV;

namespace {

struct SegmentCase {
    const char* name;
    VectorF p0, p1, q0, q1;
    bool crosses;
    bool boxesOverlap;
    float t; // along p0-p1, when crossing
};

const SegmentCase kCases[] = {
    {"crossing", {0, 0}, {10, 10}, {0, 10}, {10, 0}, true, true, 0.5f},
    {"parallel", {0, 0}, {10, 0}, {0, 1}, {10, 1}, false, false, 0},
    {"parallel, boxes overlap", {0, 0}, {10, 2}, {0, 1}, {10, 3}, false, true, 0},
    {"collinear overlap", {0, 0}, {10, 0}, {5, 0}, {15, 0}, false, true, 0},
    {"first point touches the other", {5, 0}, {5, 10}, {0, 0}, {10, 0}, true, true, 0.0f},
    {"last point touches the other", {5, 10}, {5, 0}, {0, 0}, {10, 0}, true, true, 1.0f},
    {"other's first point touches", {0, 0}, {10, 0}, {4, 0}, {4, 8}, true, true, 0.4f},
    {"other's last point touches", {0, 0}, {10, 0}, {4, 8}, {4, 0}, true, true, 0.4f},
    {"shared first points", {0, 0}, {10, 0}, {0, 0}, {0, 10}, true, true, 0.0f},
    {"lines meet beyond the ends", {0, 0}, {4, 0}, {6, -5}, {6, 5}, false, false, 0},
    {"boxes touch only at a corner", {0, 1}, {1, 0}, {1, 1}, {2, 2}, false, true, 0},
    {"boxes apart", {0, 0}, {1, 1}, {5, 5}, {6, 7}, false, false, 0},
    {"steep other segment", {0, 5}, {10, 5}, {4, 0}, {6, 10}, true, true, 0.5f},
};

} // namespace

TEST(SegmentIntersection, TableOfCasesAndCounters)
{
    for (const SegmentCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const int32_t calls = StatGetInt(kStatLineIntersectCalls);
        const int32_t checks = StatGetInt(kStatLineIntersectChecks);
        EXPECT_EQ(SegmentsIntersect(c.p0, c.p1, c.q0, c.q1), c.crosses);
        EXPECT_EQ(StatGetInt(kStatLineIntersectCalls), calls + 1);
        EXPECT_EQ(StatGetInt(kStatLineIntersectChecks), checks + (c.boxesOverlap ? 1 : 0));

        EXPECT_EQ(SegmentsIntersectQuery(c.p0, c.p1, c.q0, c.q1), c.crosses);
        const VectorF untouched(-99.0f, -99.0f);
        VectorF point = untouched, pointAt = untouched;
        float t = -1.0f;
        EXPECT_EQ(SegmentsIntersectPoint(c.p0, c.p1, c.q0, c.q1, point), c.crosses);
        EXPECT_EQ(SegmentsIntersectAt(c.p0, c.p1, c.q0, c.q1, pointAt, t), c.crosses);
        if (c.crosses) {
            EXPECT_FLOAT_EQ(t, c.t);
            const VectorF expected = c.p0 + (c.p1 - c.p0) * c.t;
            EXPECT_FLOAT_EQ(point.mX, expected.mX);
            EXPECT_FLOAT_EQ(point.mY, expected.mY);
            EXPECT_EQ(pointAt, point);
        } else {
            EXPECT_EQ(point, untouched);
            EXPECT_EQ(pointAt, untouched);
            EXPECT_EQ(t, -1.0f);
        }
    }
}

TEST(SegmentIntersection, SideOfASegmentStoredAsFourFloats)
{
    const float segment[4] = {0.0f, 0.0f, 10.0f, 0.0f};
    // (S1.x - S0.x)(a.y - b.y) - (a.x - b.x)(S1.y - S0.y) > 0
    EXPECT_TRUE(IsOnLeftOfSegment(segment, VectorF(3, 5), VectorF(3, 0)));
    EXPECT_FALSE(IsOnLeftOfSegment(segment, VectorF(3, -5), VectorF(3, 0)));
    EXPECT_FALSE(IsOnLeftOfSegment(segment, VectorF(8, 0), VectorF(3, 0)));
}

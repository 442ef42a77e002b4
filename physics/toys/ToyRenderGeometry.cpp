#include "physics/toys/ToyRenderGeometry.h"
#include <algorithm>
#include "base/WorkTeam.h"
#include "base/MathUtil.h"
#include "base/PointList.h"
#include "physics/toys/Toy.h"
#include "physics/geometry/TracedGeometry.h"
#include "render/Shape.h"
#include "render/Texture.h"

namespace KIV {

namespace {

constexpr float kToyGroupCellSize = 1000.0f;
constexpr float kImpulseScale = 0.001f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

constexpr ColorRGBA kCoreEdge(255, 0, 0, 155);
constexpr ColorRGBA kHullEdge(0, 255, 0, 155);
constexpr ColorRGBA kCrossedEdge(255, 0, 0, 255);
constexpr ColorRGBA kPenetratingPoint(255, 100, 100, 155);
constexpr ColorRGBA kPerpendicularFoot(200, 200, 200, 155);
constexpr ColorRGBA kImpulseStart(0, 0, 255, 255);
constexpr ColorRGBA kImpulseEnd(0, 255, 255, 255);
constexpr ColorRGBA kMoveStart(0, 255, 0, 255);
constexpr ColorRGBA kMoveEnd(255, 255, 0, 255);
constexpr ColorRGBA kOutlineColour(255, 255, 0, 200);
constexpr ColorRGBA kPointColour(255, 255, 255, 255);
constexpr ColorRGBA kSpringColour(255, 140, 0, 180);
constexpr ColorRGBA kTexturePointColour(0, 255, 255, 255);

// Points and colours gathered for one overlay shape.
struct LineList {
    Array<VectorF> mPoints{256};
    Array<uint32_t> mColours{256};

    void Add(const VectorF& p, const ColorRGBA& c)
    {
        mPoints.PushBack(p);
        mColours.PushBack(c.Pack());
    }
    void Segment(const VectorF& a, const ColorRGBA& ca, const VectorF& b, const ColorRGBA& cb)
    {
        Add(a, ca);
        Add(b, cb);
    }
    bool Into(Shape& shape, int32_t kind) const { return shape.InitColouredPoints(kind, mPoints, mColours); }
};

VectorF Place(const VectorF& local, const SinCos& sc, const VectorF& position)
{
    return VectorF(local.mX * sc.mCos + local.mY * sc.mSin, local.mY * sc.mCos - local.mX * sc.mSin) + position;
}

// A mesh point in the world: the deformed outline where the list has it, else the mesh turned and moved.
VectorF WorldPoint(int32_t i, const Array<VectorF>& worldPoints, const TracedGeometry& g, const SinCos& sc,
                   const VectorF& position)
{
    if (i >= 0 && i < worldPoints.Count()) return worldPoints[i];
    if (i >= 0 && i < g.mPoints.Count()) return Place(g.mPoints[i], sc, position);
    return position;
}

bool OutlineBox(const Toy& toy, RectF& box)
{
    return ComputePointsBounds(toy.mOutline.Data(), toy.mOutline.Count(), box);
}

bool OutsideView(const RectF& box, const RectF& view)
{
    return view.x2 < box.x1 || box.x2 < view.x1 || view.y2 < box.y1 || box.y2 < view.y1;
}

void BuildPointsPass(const Toy& toy, Shape& shape)
{
    LineList list;
    for (int32_t i = 0; i < toy.mOutline.Count(); ++i) list.Add(toy.mOutline[i], kPointColour);
    list.Into(shape, 0);
}

void BuildContactsPass(const Toy& toy, Shape& shape)
{
    LineList list;
    const int32_t n = toy.mOutline.Count();
    for (const PenetrationRecord& pen : toy.mPenetrationContacts) {
        const VectorF a = pen.mEdgeStart, b = pen.mEdgeEnd;
        list.Segment(a, kCrossedEdge, b, kCrossedEdge);
        const VectorF ab = b - a;
        const float length2 = ab.GetLengthSquared();
        if (n == 0 || !(length2 > 0.0f) || pen.mFirstPoint < 0 || pen.mFirstPoint >= n || pen.mLastPoint < 0 ||
            pen.mLastPoint >= n)
            continue;
        // The run may wrap past the outline's last point.
        for (int32_t step = 0, i = pen.mFirstPoint; step < n; ++step, i = (i + 1) % n) {
            const VectorF p = toy.mOutline[i];
            const float t = Dot(p - a, ab) / length2;
            if (t >= 0.0f && t <= 1.0f) list.Segment(p, kPenetratingPoint, a + ab * t, kPerpendicularFoot);
            if (i == pen.mLastPoint) break;
        }
    }
    list.Into(shape, 1);
}

void BuildImpulsesPass(const Toy& toy, Shape& shape)
{
    LineList list;
    for (const Array<ContactRecord>* contacts : {&toy.mPointContacts, &toy.mContactList2})
        for (const ContactRecord& c : *contacts)
            list.Segment(c.mPoint, kImpulseStart, c.mPoint + c.mImpulse * kImpulseScale, kImpulseEnd);
    list.Into(shape, 1);
}

void BuildSpringsPass(const Toy& toy, Shape& shape, const SinCos& sc)
{
    LineList list;
    const TracedGeometry& g = toy.mGeometry;
    for (const ToyLink& s : g.mSprings)
        list.Segment(WorldPoint(s.mA, toy.mOutline, g, sc, toy.mPosition), kSpringColour,
                     WorldPoint(s.mB, toy.mOutline, g, sc, toy.mPosition), kSpringColour);
    list.Into(shape, 1);
}

void BuildMoveVectorsPass(const Toy& toy, Shape& shape)
{
    LineList list;
    for (int32_t i = 0; i < toy.mOutline.Count(); ++i) {
        const VectorF p = toy.mOutline[i];
        list.Segment(p, kMoveStart, p + toy.GetPointVelocity(i) * toy.mStepLength, kMoveEnd);
    }
    list.Into(shape, 1);
}

void BuildTexturePointsPass(const Toy& toy, Shape& shape, const SinCos& sc, const VectorF& scale)
{
    LineList list;
    for (const VectorF& t : toy.mGeometry.mScaledPoints)
        list.Add(Place(t * scale, sc, toy.mPosition), kTexturePointColour);
    list.Into(shape, 0);
}

// Points, triangles and texture coordinates of a mesh in white, with the builders' reset state.
void CopyMeshIntoShape(Shape& shape, const TracedGeometry& geometry, const Array<VectorF>& texCoords, Texture* texture)
{
    shape.mKind = 3;
    shape.mDrawState.Reset();
    shape.mTexture = texture;
    shape.mPoints.Assign(geometry.mPoints);
    shape.mTriangles.Assign(geometry.mTriangles);
    shape.mTexCoords.Assign(texCoords);
    shape.mColors.Resize(shape.mPoints.Count());
    shape.mColors.Fill(kWhite);
    shape.mDrawGroups.Free();
    shape.RecomputeBounds();
    shape.MarkChanged();
}

} // namespace

bool InitShapeTransformed(Shape& shape, const Array<VectorF>& texCoords, Texture* texture,
                          const TracedGeometry& geometry, const VectorF& position, float angle)
{
    CopyMeshIntoShape(shape, geometry, texCoords, texture);
    RotatePoints(shape.mPoints.Data(), shape.mPoints.Count(), MakeSinCos(angle));
    TranslatePoints(shape.mPoints.Data(), shape.mPoints.Count(), position);
    shape.RecomputeBounds();
    return true;
}

bool InitShapeFromToyEdges(Shape& shape, const Array<VectorF>& worldPoints, const TracedGeometry& geometry,
                           const VectorF& position, float angle)
{
    if (geometry.mInnerEdges.Count() == 0) return false;
    const SinCos sc = MakeSinCos(angle);
    LineList list;
    for (int32_t e = geometry.mInnerEdges.Count() - 1; e >= 0; --e) {
        const MeshEdge& edge = geometry.mInnerEdges[e];
        const bool core = e < geometry.mCoreEdgeFlags.Count() && geometry.mCoreEdgeFlags[e] != 0;
        const ColorRGBA colour = core ? kCoreEdge : kHullEdge;
        list.Segment(WorldPoint(edge.mA, worldPoints, geometry, sc, position), colour,
                     WorldPoint(edge.mB, worldPoints, geometry, sc, position), colour);
    }
    return list.Into(shape, 1);
}

bool InitShapeMesh(Shape& shape, const TracedGeometry& geometry, Texture* texture)
{
    CopyMeshIntoShape(shape, geometry, geometry.mScaledPoints, texture);
    return true;
}

bool BuildToyOutlineShape(const Toy& toy, Shape& shape, const ColorRGBA& colour)
{
    const int32_t n = toy.mOutline.Count();
    if (n < 2) return false;
    LineList list;
    for (int32_t i = 0; i < n; ++i) list.Segment(toy.mOutline[i], colour, toy.mOutline[(i + 1) % n], colour);
    return list.Into(shape, 1);
}

bool BuildToyBoxShape(Toy& toy, Shape& shape, const ColorRGBA& colour)
{
    RectF box;
    if (!OutlineBox(toy, box)) return false;
    const VectorF corners[5] = {{box.x1, box.y1}, {box.x2, box.y1}, {box.x2, box.y2}, {box.x1, box.y2}, {box.x1, box.y1}};
    LineList list;
    for (int32_t i = 0; i < 5; ++i) {
        toy.mBoxOutline.mPoints[i] = corners[i];
        list.Add(corners[i], colour);
    }
    return list.Into(shape, 2);
}

void BuildToyRenderGeometry(Toy& toy, const DrawOptions& options)
{
    Shape* shapes = toy.mShapes;
    toy.mVisible = 1;
    if (options.mTestVisible) {
        RectF box;
        OutlineBox(toy, box);
        toy.mBounds = box;
        if (OutsideView(box, options.mViewRect)) {
            toy.mVisible = 0;
            shapes[kToyShapeTextured].mBounds = box;
            return;
        }
    }

    const SinCos sc = MakeSinCos(toy.mOrientation);
    if (toy.mMainTexture) {
        Shape& textured = shapes[kToyShapeTextured];
        InitShapeTransformed(textured, toy.mGeometry.mScaledPoints, toy.mMainTexture, toy.mGeometry, toy.mPosition,
                             toy.mOrientation);
        textured.BuildDrawGroups(textured.mTriangles, kToyGroupCellSize);
        textured.MarkChanged();
    }

    if (options.mToyPoints) {
        BuildPointsPass(toy, shapes[kToyShapePoints]);
        BuildToyOutlineShape(toy, shapes[kToyShapeOutline], kOutlineColour);
    }
    if (options.mToyContacts) BuildContactsPass(toy, shapes[kToyShapeContacts]);
    if (options.mToyDiagonals)
        InitShapeFromToyEdges(shapes[kToyShapeDiagonals], toy.mOutline, toy.mGeometry, toy.mPosition, toy.mOrientation);
    if (options.mToyImpulses) BuildImpulsesPass(toy, shapes[kToyShapeImpulses]);
    if (options.mToySprings) BuildSpringsPass(toy, shapes[kToyShapeSprings], sc);
    if (options.mToyMoveVectors) BuildMoveVectorsPass(toy, shapes[kToyShapeMoveVectors]);
    if (options.mToyTexturePoints) BuildTexturePointsPass(toy, shapes[kToyShapeTexturePoints], sc, {1.0f, 1.0f});
    if (options.mToyScaledTexturePoints) {
        // Texture points scaled by the picture's extent lie over the picture they sample.
        const VectorF extent = toy.mPictureExtent.IsZero() ? VectorF(1.0f, 1.0f) : toy.mPictureExtent;
        BuildTexturePointsPass(toy, shapes[kToyShapeScaledTexturePoints], sc, extent);
    }
}

void BuildToyRenderGeometryParallel(Toy* const* toys, int32_t count, const DrawOptions& options, bool parallel)
{
    WorkTeam::Shared().For(count, 4, parallel, [&](int32_t i, int32_t) {
        if (toys[i]) BuildToyRenderGeometry(*toys[i], options);
    });
}

} // namespace KIV

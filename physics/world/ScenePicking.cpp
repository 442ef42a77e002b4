#include "physics/geometry/TracedGeometry.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "physics/world/Scene.h"

namespace KIV {

namespace {
// Joints and particle systems are points on screen: a click this close takes them.
constexpr float kPickDistanceSquared = 100.0f;
// The light grid covers the whole editable world.
constexpr float kLightGridExtent = 10000.0f;

// Tested from the last to the first, so that at equal distance the later one stays.
template <typename Position>
int32_t PickNearest(int32_t count, const VectorF& point, Position position)
{
    int32_t best = -1;
    float bestDistance = kPickDistanceSquared;
    for (int32_t i = count - 1; i >= 0; --i) {
        const float d = (position(i) - point).GetLengthSquared();
        if (d > kPickDistanceSquared) continue;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
} // namespace

int32_t Scene::PickToyAt(const VectorF& point) const
{
    for (int32_t i = mToys.Count() - 1; i >= 0; --i) {
        const Toy& toy = *mToys[i];
        if (toy.mLocalOutline.Count() < 3) continue;
        if (IsPointInPolygon(toy.mLocalOutline.begin(), toy.mLocalOutline.Count(), toy.WorldToLocal(point))) return i;
    }
    return -1;
}

bool Scene::SelectToyAt(const VectorF& point)
{
    const int32_t index = PickToyAt(point);
    if (index < 0) return false;
    mToyClickPick = 0;
    mToys.SetSelectedIndex(index);
    return true;
}

int32_t Scene::PickJointAt(const VectorF& point) const
{
    const PtrArray<Joint>& joints = mJoints.mJoints;
    return PickNearest(joints.Count(), point, [&](int32_t i) { return joints[i]->GetWorldPointA(); });
}

int32_t Scene::PickParticleSystemAt(const PtrArray<ParticleSystem>& systems, const VectorF& point)
{
    return PickNearest(systems.Count(), point, [&](int32_t i) { return systems[i]->FollowLink(); });
}

void Scene::SelectOnlyTerrainObject(BendObject* object)
{
    if (!object) return;
    for (BendObject* o : mTerrainObjects) o->mEditSelected = 0;
    object->mEditSelected = 1;
}

void Scene::RebuildLightGrid()
{
    mRectGrid.Init(RectF(-kLightGridExtent, -kLightGridExtent, kLightGridExtent, kLightGridExtent));
    for (int32_t i = mLights.Count() - 1; i >= 0; --i) {
        const Light& light = *mLights[i];
        const VectorF p = light.mPosition;
        const float r = light.GetRadius();
        mRectGrid.InsertRect(RectF(p.mX - r, p.mY - r, p.mX + r, p.mY + r), i);
    }
}

void Scene::AssignLightsToTerrain()
{
    Array<int32_t> found(16);
    for (int32_t i = mTerrainObjects.Count() - 1; i >= 0; --i) {
        BendObject& object = *mTerrainObjects[i];
        if (!object.mTexturedShape.mDrawState.mLighted) continue;
        Array<DrawGroup>& groups = object.mTexturedShape.mDrawGroups;
        for (DrawGroup& group : groups) {
            group.mLightCount = 0;
            found.Clear();
            mRectGrid.QueryRect(group.mRect, found);
            for (int32_t id : found) {
                if (group.mLightCount >= kMaxLightsPerGroup) break;
                // A light removed since the grid was built is not handed to the renderer.
                if (id >= 0 && id < mLights.Count()) group.mLights[group.mLightCount++] = mLights[id];
            }
        }
        MarkSameLightGroups(groups);
    }
}

void Scene::RebuildTerrainCollisionEntries()
{
    RebuildStaticGrid();
    mGrid.Rebuild(mToys.begin(), mToys.Count());
}

} // namespace KIV

#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/IndexPool.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "physics/RectGrid.h"
#include "physics/SpatialGrid.h"
// joints and radial pushes
#include <string>
#include "physics/Joint.h"
#include "physics/RadialPush.h"

namespace KIV {

class Toy;
class Robot;

// The world the physics steps: for now its toy table (the toy list, the slot
// pool that caps it at 2048 toys, the contact-island pool) and its grids. The
// game's scene grows from this class.
class Scene {
public:
    static constexpr int32_t kMaxToys = 2048;

    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The spatial grid over the world rectangle; false for a rectangle the
    // grid cannot cover.
    bool SetupGrid(const RectF& world);

    // Every slot free and the island pool empty; the toy list is not touched.
    void ResetToyIndex();
    // A new default toy in a free slot, appended to the list; null when 2048
    // toys exist or the list cannot grow (nothing changes then).
    Toy* NewToySlot();
    // As NewToySlot, but the toy goes directly after the shooter in the list
    // (at the front when the shooter is not in the list).
    Toy* NewShotToySlot(const Toy* shooter);
    // Removes and destroys a toy of the list. The toy is found first: a toy
    // that is not in the list is refused (false) and nothing is released.
    // Its grid entry, its slot and everything else that names it go.
    bool RemoveToy(Toy* toy);
    void DeleteAllToys();
    // The toy leaves the spatial grid (grid slot -1, entry count 0).
    bool ReleaseToySlot(Toy* toy);

    // Lets the toy and every toy of the list collide again (pair flags back to 1).
    static void MarkToyPairs(Toy* const* list, int32_t count, Toy* toy);
    static int32_t SumToyPointCounts(Toy* const* list, int32_t count);
    static int32_t SumToyContactCounts(Toy* const* list, int32_t count);

    PtrArray<Toy>& GetToys() { return mToys; }
    const PtrArray<Toy>& GetToys() const { return mToys; }
    int32_t GetToyCount() const { return mToys.Count(); }
    Toy* GetToy(int32_t i) const { return mToys[i]; }
    const IndexPool& GetToySlots() const { return mToySlots; }
    SpatialGrid& GetGrid() { return mGrid; }
    const SpatialGrid& GetGrid() const { return mGrid; }
    RectGrid& GetRectGrid() { return mRectGrid; }

    VectorF mGravity;
    float mStepLength = 0.0f;

    // The toy table.
    PtrArray<Toy> mToys;
    IndexPool mToySlots;
    KeyedListPool mIslandPool;
    Array<Toy*> mIslandOwners;  // the toy of each island-pool node
    int32_t mIslandCount = 0;
    Array<int32_t> mToyTable1;  // two tables of 2048 entries kept for the scene code
    Array<int32_t> mToyTable2;
    int32_t mToyCounter = 0;

    SpatialGrid mGrid;
    RectGrid mRectGrid;

    // ---- joints and radial pushes (SceneJoints.cpp) ----
    // A new joint in the list, connected to two toys, or to the world at
    // pointB when toyB is null; it keeps the list's slot as its first index.
    // null (nothing taken) when the list holds 8192 joints, has no free slot
    // or cannot grow. Listing the joint in its toys' joint lists and in the
    // robot's are the caller's; the joint only keeps its robot link.
    Joint* CreateJoint(JointList& list, const std::string& name, Toy* toyA, const VectorF& anchorA, Toy* toyB,
                       const VectorF& pointB, Robot* robot);
    // Takes the joint out of its toys' joint lists, gives its slot back and
    // destroys it; false when it is not in the list.
    bool DeleteJoint(JointList& list, Joint* joint);
    // Joints that named a toy which goes away lose it and die.
    void DetachJointsFromToy(const Toy* toy);
    void AddRadialPush(const VectorF& centre, float radius, float strength, float time);
    JointList mJoints;      // the simulated joints
    JointList mEditJoints;  // the robot builder's joints
    PtrArray<RadialPush> mRadialPushes;
    // ---- end of the joints and radial pushes block ----

private:
    Toy* TakeToySlot(int32_t listIndex);
    // Clears every reference other objects hold to a toy that is going away:
    // other toys' contacts and pair flags for its slot, the island owners.
    // Joints, particle links and robots add their cleanup here.
    void ForgetToy(Toy* toy);
};

} // namespace KIV

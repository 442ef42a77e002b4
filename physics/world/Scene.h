#pragma once
#include <cstdint>
#include "base/Array.h"
#include "base/FasterWay.h"
#include "base/Color.h"
#include "base/IndexPool.h"
#include "base/Rect.h"
#include "base/Vector.h"
#include "physics/grid/RectGrid.h"
#include "physics/contacts/SharedIslandSolve.h"
#include "physics/world/ToyGroups.h"
#include "physics/grid/SpatialGrid.h"
// terrain objects and lights
#include <functional>
#include "physics/terrain/BendObject.h"
#include "physics/terrain/Light.h"
// joints and radial pushes
#include <string>
#include "physics/joints/Joint.h"
#include "physics/world/RadialPush.h"
// water
#include "physics/water/Water.h"
// particle systems
#include "physics/particles/ParticleSystemList.h"
// materials
#include "base/Random.h"
#include "physics/materials/DefaultMaterials.h"

namespace KIV {

class Toy;
class ParticleSystem;
class Robot;
class ParticleSystem;
class Texture;
struct GameSettings;

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
    uint64_t mCrossingPass = 0;  // numbers the toy steps for the toys' kept crossing walks

    SpatialGrid mGrid;
    RectGrid mRectGrid;

    // ---- the scene step (SceneSimulate.cpp, ContactIslands.cpp) ----
    // The twelve toy stages of one fixed step.
    void SimulateFrame(const GameSettings& settings);
    // Groups the toys that touch, through contacts or joints, into islands;
    // with parallel, the toys' records are read side by side (same islands).
    void BuildContactIslands(bool parallel = false);
    // The links between touching toys, both ways, that the island walk follows.
    void BuildTouchGraph(bool parallel = false);
    // One island's velocity iterations; wholeTeam runs them on every thread
    // of a parallel region of their own (call from serial code), with the
    // same results.
    void SolveContactIsland(int32_t island, const GameSettings& settings, bool wholeTeam = false);
    // Islands this large are worth a whole thread team.
    static constexpr int32_t kTeamIslandSize = 64;
    // Islands with fewer members than this in all are solved on one thread.
    static constexpr int32_t kSideBySideMembers = 32;
    int32_t GetIslandSize(int32_t island) const { return mIslandSizes[island]; }
    // Line pairs joining the members of each island in chain order, one
    // colour per island.
    void BuildIslandOverlay(Array<VectorF>& points, Array<ColorRGBA>& colors) const;
    Array<Toy*> mIslandQueue;  // the island walk's work queue
    // The touch graph the islands are walked on: per toy (list index) its
    // partners, both those it names and those that name it.
    Array<int32_t> mIslandLinkStart;
    Array<int32_t> mIslandLinks;
    Array<int32_t> mIslandPairs;         // per toy, the partners it names, in its range
    Array<int32_t> mIslandPartnerStart;  // per toy, its range of mIslandPairs
    Array<int32_t> mIslandPartnerCount;  // per toy, the partners it named
    Array<int32_t> mIslandIndexOfSlot;
    Array<int32_t> mIslandSizes;  // members per island
    SharedIslandSolve mSharedIslandSolve;
    // Whether each loop of the step that may fork pays for it, as timed.
    FasterWays mLoopWays;
    // Every island's velocity iterations: the largest on a team of threads,
    // the others side by side, the largest first.
    void SolveContactIslands(const GameSettings& settings, bool parallel);
    Array<int32_t> mIslandOrder;  // islands by size, the largest first
    // The toys whose step start reaches beyond themselves (joints, particle
    // systems), in groups of toys joined to each other; each group in list
    // order, the groups in the order of their first toys.
    void BuildJointGroups();
    ToyGroups mJointGroups;
    // The toys with penetration contacts, in groups of toys whose
    // un-penetration reads each other's outlines.
    void BuildPenetrationGroups();
    ToyGroups mPenetrationGroups;
    // ---- end of the scene step's block ----

    // ---- terrain objects and lights (SceneTerrain.cpp) ----
    PtrArray<BendObject> mTerrainObjects;
    PtrArray<Light> mLights;
    // The leading (parallax) factor of a depth layer; false when the layer
    // does not exist. The game's layer list answers; while none is set, layer
    // 0 alone exists, with factor 1.0.
    std::function<bool(int32_t layer, float& factor)> mLayerFactorLookup;
    // Clears the grid's terrain part and enters, in list order, every terrain
    // object whose collisions are on and whose layer's factor is exactly 1.0;
    // each object keeps the static slot it got (-1 when not entered).
    void RebuildStaticGrid();
    // The light pass and the terrain pass of one fixed step. Animated terrain
    // moves its edges in the grid afterwards, serially.
    void AnimateLights(bool parallel);
    void StepTerrainObjects(bool parallel);
    // Level reset: every terrain object back to its saved frame and texture.
    void ResetTerrainObjects();
    // ---- end of the terrain objects and lights block ----

    // ---- scene editor picking and the terrain refresh (ScenePicking.cpp) ----
    // The toy whose outline holds the point, the last in the list first; -1 when none.
    int32_t PickToyAt(const VectorF& point) const;
    // On a hit the toy becomes selected and the click-pick flag clears; a miss changes nothing.
    bool SelectToyAt(const VectorF& point);
    // The nearest joint (its world point A) within 10 units; -1 when none.
    int32_t PickJointAt(const VectorF& point) const;
    // The nearest system (its position after following its link) within 10 units; -1 when none.
    static int32_t PickParticleSystemAt(const PtrArray<ParticleSystem>& systems, const VectorF& point);
    // Exactly this object selected; nothing for null.
    void SelectOnlyTerrainObject(BendObject* object);
    // One rectangle per light in the scene's rectangle grid, the last light first.
    void RebuildLightGrid();
    // Up to eight lights per draw group of every lighted terrain object, found in the light grid.
    void AssignLightsToTerrain();
    // The static grid anew, then the grid's tables rebuilt for the toys.
    void RebuildTerrainCollisionEntries();
    uint8_t mToyClickPick = 0;
    uint8_t mJointClickPick = 0;
    // ---- end of the scene editor picking block ----

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

    // ---- the robot builder's toys (SceneEditToys.cpp) ----
    // The robot being edited lives in lists of its own: its toys are shown,
    // never stepped, and are in no grid. Their ids come from a pool of their
    // own, so a rebuild finds them again by id.
    Toy* NewEditToySlot();
    // Removes and destroys a toy of the builder's list; false when absent.
    bool RemoveEditToy(Toy* toy);
    PtrArray<Toy> mEditToys;
    IndexPool mEditToySlots;
    // ---- end of the robot builder's toys block ----

    // Told of every toy that leaves the scene while a robot still owns it, so
    // the robot lets go of it (the robots live above the physics).
    using ToyLeavingHook = void (*)(Toy& toy);
    ToyLeavingHook mToyLeavingHook = nullptr;

    // ---- water (SceneWater.cpp) ----
    // A new pool traced from the seed against this scene's grid, appended to
    // the water list even when the trace finds nothing (a later terrain change
    // may enclose it); null when the list cannot grow.
    Water* AddWater(const VectorF& seed);
    // Every pool traced again from its seed: run after the terrain in the grid changed.
    void RetraceWaters();
    WaterList mWaters;
    // ---- end of the water block ----

    // ---- particle systems (SceneParticles.cpp) ----
    // A named, textured system in the simulated list, or in the robot
    // builder's list when inSecondList; a robot given takes it into its own
    // list. Null when the list holds 32768 systems or memory runs out.
    ParticleSystem* CreateParticleSystem(const std::string& name, Robot* robot, const std::string& textureName,
                                         int32_t layer, bool inSecondList);
    // A live copy of a template in the simulated list, without particles; null
    // for no template or a refusal. poolSize above 0 replaces the copy's
    // initial pool size (a burst of a few particles needs no 1024 slots).
    ParticleSystem* SpawnParticleSystemCopy(const ParticleSystem* source, int32_t poolSize = 0);
    // A default system with a pool index in the list, owned by this scene.
    ParticleSystem* NewParticleSystem(ParticleSystemList& list);
    // The rock debris every scene start shows.
    ParticleSystem* AddDefaultRockParticles();
    // The system that throws a texture's shards, made once per texture.
    bool EnsureShardParticleSystem(Texture* texture);
    // Once per step: every simulated system present at the start flies, emits
    // and has its bounds measured anew when next read; an empty
    // delete-when-empty system is marked finished.
    void UpdateParticleSystems(bool parallel);
    // Finished systems leave, last to first.
    void RemoveFinishedParticleSystems();
    // Takes the system out of its list, its layer, its robot and its toy, and
    // destroys it; false when it is not in the list.
    bool DeleteParticleSystem(ParticleSystemList& list, ParticleSystem* system);
    void DeleteAllParticleSystems(ParticleSystemList& list);
    ParticleSystemList mParticleSystems;      // simulated
    ParticleSystemList mEditParticleSystems;  // the robot builder's: never updated, in no layer
    // The game's depth layers take a system in (add) and let it go; without
    // them no system is in a layer.
    std::function<void(ParticleSystem& system, int32_t layer, bool add)> mParticleLayerHook;
    // A robot takes a system into its list (join) or lets it go; the robots
    // live above the physics.
    using ParticleRobotHook = void (*)(Robot& robot, ParticleSystem& system, bool join);
    ParticleRobotHook mParticleRobotHook = nullptr;
    // ---- end of the particle systems block ----
    // ---- materials (physics/materials/) ----
    // The scene's own generator: every decal and shard of the material
    // effects draws from it, so a replay repeats them.
    Random mRandom;
    DefaultMaterials mDefaultMaterials;
    // ---- end of the materials block ----

private:
    Toy* TakeToySlot(int32_t listIndex);
    void GiveStepLength(Toy& toy) const;
    // Clears every reference other objects hold to a toy that is going away:
    // other toys' contacts and pair flags for its slot, the island owners.
    // Joints, particle links and robots add their cleanup here.
    void ForgetToy(Toy* toy);
};

} // namespace KIV

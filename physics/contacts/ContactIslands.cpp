#include "physics/contacts/Contacts.h"
#include <algorithm>
#include "base/FasterWay.h"
#include "physics/world/GameSettings.h"
#include "physics/joints/Joint.h"
#include "physics/world/Scene.h"
#include "physics/toys/Toy.h"

// Contact islands: the toys that touch each other, directly or through
// others, are solved together and apart from every other group. A touch
// counts both ways: a toy whose point hit another has the contact record,
// the other has none, yet the solve of the record writes both. So the walk
// follows the links of the records in both directions, and nothing a
// member's solve writes reaches outside its island, which is what lets the
// scene solve islands side by side.

namespace KIV {

namespace {

const ColorRGBA kIslandColors[6] = {
    ColorRGBA(255, 0, 0, 255), ColorRGBA(255, 255, 0, 255), ColorRGBA(0, 255, 0, 255),
    ColorRGBA(0, 255, 255, 255), ColorRGBA(0, 0, 255, 255), ColorRGBA(255, 0, 255, 255),
};

Toy* JointPartner(const Joint* joint, const Toy* toy)
{
    if (!joint) return nullptr;
    return joint->mToyA == toy ? joint->mToyB : joint->mToyA;
}

} // namespace

void Scene::BuildContactIslands(bool parallel)
{
    mIslandPool.Init(kMaxToys, kMaxToys);
    if (mIslandOwners.Count() < kMaxToys) mIslandOwners.Resize(kMaxToys);
    mIslandCount = 0;
    BuildTouchGraph(parallel);
    for (Toy* toy : mToys) toy->mVisited = 0;

    mIslandSizes.Clear();
    auto join = [this](Toy* toy) {
        const int32_t node = mIslandPool.Add(mIslandCount);
        if (node >= 0) mIslandOwners[node] = toy;
        ++mIslandSizes[mIslandCount];
        toy->mVisited = 1;
        mIslandQueue.PushBack(toy);
    };
    const int32_t n = mToys.Count();
    for (int32_t first = 0; first < n; ++first) {
        if (mToys[first]->mVisited) continue;
        mIslandQueue.Clear();
        mIslandSizes.PushBack(0);
        join(mToys[first]);
        // Taken from the front in order; a read index keeps that order
        // without moving the rest of the queue down each time.
        for (int32_t head = 0; head < mIslandQueue.Count(); ++head) {
            const int32_t t = mIslandIndexOfSlot[mIslandQueue[head]->mSlotIndex];
            for (int32_t k = mIslandLinkStart[t]; k < mIslandLinkStart[t + 1]; ++k) {
                Toy* partner = mToys[mIslandLinks[k]];
                if (!partner->mVisited) join(partner);
            }
        }
        ++mIslandCount;
    }
}

void Scene::BuildTouchGraph(bool parallel)
{
    const int32_t n = mToys.Count();
    if (mIslandIndexOfSlot.Count() < kMaxToys) mIslandIndexOfSlot.Resize(kMaxToys);
    mIslandIndexOfSlot.FillMinusOne();
    // Walking the records reads every toy's lists and looks each partner up:
    // toy by toy, side by side. Each toy writes its partners into a range of
    // its own, as long as all of its records and joints.
    constexpr int32_t kGrainCounting = 256;  // a few lists' counts a toy
    constexpr int32_t kGrainWalking = 32;    // some tens of records a toy
    mIslandPartnerStart.Resize(n + 1);
    mIslandPartnerStart[0] = 0;
    ForFaster(mLoopWays, n, kGrainCounting, parallel, [this](int32_t i, int32_t) {
        const Toy* toy = mToys[i];
        const int32_t slot = toy->mSlotIndex;
        if (slot >= 0 && slot < kMaxToys) mIslandIndexOfSlot[slot] = i;
        mIslandPartnerStart[i + 1] = toy->mPointContacts.Count() + toy->mContactList2.Count() +
                                     toy->mPenetrationContacts.Count() + toy->mLineContacts.Count() +
                                     toy->mJoints.Count();
    });
    for (int32_t i = 0; i < n; ++i) mIslandPartnerStart[i + 1] += mIslandPartnerStart[i];
    auto indexOf = [this, n](const Toy* partner) {
        if (!partner || partner->mSlotIndex < 0 || partner->mSlotIndex >= kMaxToys) return -1;
        const int32_t i = mIslandIndexOfSlot[partner->mSlotIndex];
        return i >= 0 && i < n && mToys[i] == partner ? i : -1;
    };

    // Every partner a toy's contact records or joints name, in the order the
    // records list them (a run of records with one partner counts once).
    mIslandPairs.Resize(mIslandPartnerStart[n]);
    mIslandPartnerCount.Resize(n);
    ForFaster(mLoopWays, n, kGrainWalking, parallel, [&](int32_t i, int32_t) {
        const Toy* toy = mToys[i];
        int32_t* partners = mIslandPairs.Data() + mIslandPartnerStart[i];
        int32_t count = 0;
        int32_t last = -1;
        auto link = [&](const Toy* partner) {
            const int32_t j = indexOf(partner);
            if (j < 0 || j == i || j == last) return;
            last = j;
            partners[count++] = j;
        };
        for (const ContactRecord& c : toy->mPointContacts) link(c.mPartnerToy);
        for (const ContactRecord& c : toy->mContactList2) link(c.mPartnerToy);
        for (const PenetrationRecord& r : toy->mPenetrationContacts) link(r.mPartner);
        for (const ContactRecord& c : toy->mLineContacts) link(c.mPartnerToy);
        for (const Joint* joint : toy->mJoints) link(JointPartner(joint, toy));
        mIslandPartnerCount[i] = count;
    });

    // Both directions of every link, grouped per toy in link order: the
    // links toy by toy, each toy's in the order it named them.
    mIslandLinkStart.Resize(n + 1);
    mIslandLinkStart.FillZero();
    int32_t links = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t* partners = mIslandPairs.Data() + mIslandPartnerStart[i];
        const int32_t count = mIslandPartnerCount[i];
        mIslandLinkStart[i + 1] += count;
        for (int32_t k = 0; k < count; ++k) ++mIslandLinkStart[partners[k] + 1];
        links += 2 * count;
    }
    for (int32_t i = 0; i < n; ++i) mIslandLinkStart[i + 1] += mIslandLinkStart[i];
    mIslandLinks.Resize(links);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t* partners = mIslandPairs.Data() + mIslandPartnerStart[i];
        for (int32_t k = 0; k < mIslandPartnerCount[i]; ++k) {
            const int32_t j = partners[k];
            mIslandLinks[mIslandLinkStart[i]++] = j;
            mIslandLinks[mIslandLinkStart[j]++] = i;
        }
    }
    for (int32_t i = n; i > 0; --i) mIslandLinkStart[i] = mIslandLinkStart[i - 1];
    mIslandLinkStart[0] = 0;
}

void Scene::SolveContactIsland(int32_t island, const GameSettings& settings, bool wholeTeam)
{
    const int32_t first = mIslandPool.GetHead(island);
    int32_t members = 0;
    bool awake = false;
    for (int32_t node = first; node >= 0; node = mIslandPool.GetNext(node)) {
        ++members;
        Toy* toy = mIslandOwners[node];
        if (!toy->mSleeping || toy->WakeByJoints()) {
            awake = true;
            break;
        }
    }
    if (!awake && members > 1) {
        // A resting pile stays put: nothing of it moves until something wakes it.
        for (int32_t node = first; node >= 0; node = mIslandPool.GetNext(node)) {
            Toy* toy = mIslandOwners[node];
            toy->mVelocityAfterImpulses = VectorF();
            toy->mAngularVelocityAfterImpulses = 0.0f;
            toy->mStepDisplacement = VectorF();
            toy->mStepAngle = 0.0f;
        }
        return;
    }

    // The members in chain order; each thread that solves islands side by
    // side gathers into its own list.
    thread_local Array<Toy*> chain;
    chain.Clear();
    for (int32_t node = first; node >= 0; node = mIslandPool.GetNext(node)) chain.PushBack(mIslandOwners[node]);
    if (wholeTeam)
        mSharedIslandSolve.Run(chain.Data(), chain.Count(), settings);
    else
        SolveIslandIterations(chain.Data(), chain.Count(), settings);
}

void Scene::SolveContactIslands(const GameSettings& settings, bool parallel)
{
    const int32_t islands = mIslandCount;
    WorkTeam& team = WorkTeam::Shared();
    const int32_t threads = parallel ? team.GetThreadCount() : 1;
    mIslandOrder.Resize(islands);
    int32_t members = 0;
    for (int32_t g = 0; g < islands; ++g) {
        mIslandOrder[g] = g;
        members += mIslandSizes[g];
    }
    // Largest first, so that no large island starts last while the other
    // threads have run out of work; islands share no toy, so any order gives
    // the same bits.
    std::stable_sort(mIslandOrder.begin(), mIslandOrder.end(),
                     [this](int32_t a, int32_t b) { return mIslandSizes[a] > mIslandSizes[b]; });
    // An island larger than a thread's fair share would keep one thread busy
    // while the rest wait: it takes the whole team, one after another. The
    // others share the threads.
    int32_t first = 0;
    while (threads > 1 && first < islands) {
        const int32_t size = mIslandSizes[mIslandOrder[first]];
        if (size < kTeamIslandSize || static_cast<int64_t>(size) * threads < members) break;
        SolveContactIsland(mIslandOrder[first++], settings, true);
    }
    int32_t rest = 0;
    for (int32_t k = first; k < islands; ++k) rest += mIslandSizes[mIslandOrder[k]];
    ForFaster(mLoopWays, islands - first, 1, parallel && rest >= kSideBySideMembers,
              [&](int32_t k, int32_t) { SolveContactIsland(mIslandOrder[first + k], settings); });
}

void Scene::BuildIslandOverlay(Array<VectorF>& points, Array<ColorRGBA>& colors) const
{
    points.Clear();
    colors.Clear();
    points.Reserve(1024);
    colors.Reserve(1024);
    for (int32_t island = 0; island < mIslandCount; ++island) {
        const ColorRGBA& color = kIslandColors[island % 6];
        int32_t node = mIslandPool.GetHead(island);
        if (node < 0) continue;
        for (int32_t next = mIslandPool.GetNext(node); next >= 0; node = next, next = mIslandPool.GetNext(node)) {
            // Islands are read between steps, after the break pass may have removed members.
            const Toy* a = mIslandOwners[node];
            const Toy* b = mIslandOwners[next];
            if (!a || !b) continue;
            points.PushBack(a->mPosition);
            points.PushBack(b->mPosition);
            colors.PushBack(color);
            colors.PushBack(color);
        }
    }
}

} // namespace KIV

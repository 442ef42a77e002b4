// The debug drawings of the scene pass: each switch of the draw options puts its shapes into the
// frame as wireframes in the pass's colours, and drawing them leaves the physics untouched.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include "game/KIVGame.h"
#include "game/ScenePass.h"
#include "physics/toys/Toy.h"
#include "render/Renderer.h"
#include "support/CommandStream.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

// Every switch off but the scene itself.
DrawOptions Nothing(const RectF& view)
{
    DrawOptions o;
    o.mSelTerrainObjsVectorBorder = 0;  // the one drawing that starts switched on
    o.mDoRenderScene = 1;
    o.mTestVisible = 1;
    o.mViewRect = view;
    return o;
}

// A game object with two touching round toys joined by a joint, a ground object, a camera on
// them, and contact, impulse and motion data that the passes draw.
class OverlayFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        KIVGame& g = *mGame;
        AddGround(0, VectorF(-100, 60));
        g.RebuildDerivedState();
        g.mTerrainObjects.Select(0);

        mA = AddRoundToy(g, 100.0f, {0, 0});
        mB = AddRoundToy(g, 100.0f, {95, 0});
        ASSERT_TRUE(mA && mB);
        ASSERT_TRUE(g.CreateJoint(g.mJoints, "j", mA, VectorF(40, 0), mB, VectorF(-40, 0), nullptr));

        g.mCamera.mPosition = g.mCamera.mTargetPosition = VectorF(50, 0);
        g.mTiming.mElapsedMs = 5;
        g.UpdateCamera();
        mView = g.mDrawOptions.mViewRect;
        ASSERT_TRUE(mView.x1 < -60.0f && mView.x2 > 160.0f) << "the camera sees both toys";

        mA->mVelocityAfterImpulses = VectorF(3000, 0);
        PenetrationRecord pen;
        pen.mPartner = mB;
        pen.mEdgeStart = mA->mOutline[0] + VectorF(-5, -30);
        pen.mEdgeEnd = mA->mOutline[0] + VectorF(-5, 30);
        pen.mFirstPoint = 38;
        pen.mLastPoint = 2;
        mA->mPenetrationContacts.PushBack(pen);
        ContactRecord c;
        c.mPartnerToy = mB;
        c.mPoint = mA->mOutline[0];
        c.mImpulse = VectorF(-40000, 0);
        mA->mPointContacts.PushBack(c);
        g.BuildContactIslands();
        mRenderer.SetWindowSize(1024, 576);
    }
    // The colours of every wireframe drawn in one frame of the scene pass.
    std::vector<uint32_t> WireColours(ScenePass& pass)
    {
        mRenderer.GetDrawBuffer().Clear();
        mRenderer.ResetDrawBuffer();
        pass.DrawScene(mRenderer, false);
        std::vector<uint32_t> colours;
        uint32_t mesh = 0xFFFFFFFFu;
        for (const RecordedCommand& c : SplitCommands(mRenderer.GetDrawBuffer())) {
            if (c.mOpcode == kOpVertexArrays) mesh = c.As<uint32_t>();
            const bool wire = c.mOpcode == kOpDrawWireframe ||
                              (c.mOpcode == kOpDrawIndexed && c.As<DrawIndexedPayload>().mWireframe);
            if (!wire || mesh >= uint32_t(mRenderer.GetPools().mMeshes.Count())) continue;
            const RenderMesh& m = *mRenderer.GetPools().mMeshes[int32_t(mesh)];
            for (uint32_t colour : m.mColors) colours.push_back(colour);
            if (m.mColors.Count() == 0) colours.push_back(m.mDrawState.mFillColor.Pack());
        }
        return colours;
    }

    Renderer mRenderer;
    Toy* mA = nullptr;
    Toy* mB = nullptr;
    RectF mView;
};

} // namespace

TEST_F(OverlayFixture, EachSwitchDrawsItsShapesInItsColours)
{
    KIVGame& g = *mGame;
    ScenePass pass(g);
    g.mDrawOptions = Nothing(mView);
    EXPECT_TRUE(WireColours(pass).empty()) << "no switch, no wireframe";

    struct Case {
        const char* name;
        uint8_t DrawOptions::*option;
        ColorRGBA colour;
    } const cases[] = {
        {"grid", &DrawOptions::mGrid, ColorRGBA(100, 100, 255, 255)},
        {"terrain", &DrawOptions::mTerrain, ColorRGBA(255, 255, 255, 255)},
        {"toy points", &DrawOptions::mToyPoints, ColorRGBA(255, 255, 255, 255)},
        {"contacts", &DrawOptions::mToyContacts, ColorRGBA(255, 0, 0, 255)},
        {"contact feet", &DrawOptions::mToyContacts, ColorRGBA(200, 200, 200, 155)},
        {"diagonals", &DrawOptions::mToyDiagonals, ColorRGBA(0, 255, 0, 155)},
        {"impulses", &DrawOptions::mToyImpulses, ColorRGBA(0, 255, 255, 255)},
        {"springs", &DrawOptions::mToySprings, ColorRGBA(255, 140, 0, 180)},
        {"move vectors", &DrawOptions::mToyMoveVectors, ColorRGBA(255, 255, 0, 255)},
        {"piles", &DrawOptions::mToyPiles, ColorRGBA(255, 0, 0, 255)},
        {"joints", &DrawOptions::mJoints, ColorRGBA(255, 255, 0, 255)},
        {"joint links", &DrawOptions::mJointConstraints, ColorRGBA(0, 255, 255, 255)},
        {"all terrain vector borders", &DrawOptions::mAllTerrainObjsVectorBorder, ColorRGBA(255, 255, 0, 255)},
        {"all terrain triangle boxes", &DrawOptions::mAllTerrainObjsTriangles, ColorRGBA(255, 255, 255, 25)},
        {"all terrain bound boxes", &DrawOptions::mAllTerrainObjsBoundBox, ColorRGBA(255, 255, 255, 200)},
        {"all terrain Beziers", &DrawOptions::mAllTerrainObjsBeziers, ColorRGBA(200, 100, 100, 255)},
        {"all terrain Bezier vectors", &DrawOptions::mAllTerrainObjsBezierVectors, ColorRGBA(200, 190, 190, 255)},
        {"selected terrain vector border", &DrawOptions::mSelTerrainObjsVectorBorder, ColorRGBA(255, 255, 0, 255)},
        {"selected terrain Beziers", &DrawOptions::mSelTerrainObjsBeziers, ColorRGBA(200, 100, 100, 255)},
    };
    for (const Case& c : cases) {
        g.mDrawOptions = Nothing(mView);
        g.mDrawOptions.*c.option = 1;
        const std::vector<uint32_t> colours = WireColours(pass);
        EXPECT_FALSE(colours.empty()) << c.name;
        EXPECT_NE(std::find(colours.begin(), colours.end(), c.colour.Pack()), colours.end()) << c.name;
    }
}

TEST_F(OverlayFixture, OnlyTheSelectedTerrainObjectGetsTheSelectedFrame)
{
    KIVGame& g = *mGame;
    ScenePass pass(g);
    g.mDrawOptions = Nothing(mView);
    g.mDrawOptions.mSelTerrainObjsBoundBox = 1;
    EXPECT_FALSE(WireColours(pass).empty());
    g.mTerrainObjects.SetSelectedIndex(-1);
    EXPECT_TRUE(WireColours(pass).empty());
}

TEST_F(OverlayFixture, ToysOutsideTheViewDrawNoOverlays)
{
    KIVGame& g = *mGame;
    ScenePass pass(g);
    g.mDrawOptions = Nothing(RectF(3000, 3000, 3500, 3500));
    g.mDrawOptions.mToyPoints = 1;
    EXPECT_TRUE(WireColours(pass).empty());
    g.mDrawOptions.mTestVisible = 0;
    EXPECT_FALSE(WireColours(pass).empty());
}

TEST_F(OverlayFixture, APileMemberRemovedAfterTheStepIsSkipped)
{
    KIVGame& g = *mGame;
    ScenePass pass(g);
    g.mDrawOptions = Nothing(mView);
    g.mDrawOptions.mToyPiles = 1;
    ASSERT_TRUE(g.RemoveToy(mB));
    mB = nullptr;
    WireColours(pass);  // must not read the removed toy
    EXPECT_EQ(pass.mOverlays.GetIslandShape().mPoints.Count(), 0);
}

// A world stepped with a frame of every debug drawing between the steps ends bit for bit where
// the same world ends undrawn.
TEST_F(OverlayFixture, DrawingEverythingLeavesThePhysicsUnchanged)
{
    auto run = [this](bool draw) {
        TearDown();
        SetUp();
        KIVGame& g = *mGame;
        g.mGravity = VectorF(0, 600);
        ScenePass pass(g);
        DrawOptions all = Nothing(mView);
        for (uint8_t* b = &all.mGrid; b <= &all.mTestVisible; ++b) *b = 1;
        g.mDrawOptions = all;
        for (int i = 0; i < 60; ++i) {
            g.SimulateStep();
            if (draw) WireColours(pass);
        }
        std::vector<float> state;
        for (Toy* t : g.mToys) {
            state.push_back(t->mPosition.mX);
            state.push_back(t->mPosition.mY);
            state.push_back(t->mOrientation);
            for (const VectorF& p : t->mOutline) {
                state.push_back(p.mX);
                state.push_back(p.mY);
            }
        }
        return state;
    };
    const std::vector<float> drawn = run(true);
    const std::vector<float> plain = run(false);
    ASSERT_EQ(drawn.size(), plain.size());
    EXPECT_EQ(std::memcmp(drawn.data(), plain.data(), drawn.size() * sizeof(float)), 0);
}

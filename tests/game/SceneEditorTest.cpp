// The scene editor: what a click picks and how repeated clicks cycle, what each key and drag does
// to the terrain objects, the refresh that follows, and the selection commands of the pages.
#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>
#include "base/InputDevices.h"
#include "editor/PageBridge.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/SceneEditor.h"
#include "game/SelectionCommands.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "render/Texture.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

VectorF sHandleBefore;

// Every layer sees the world square (0, 0) to (1000, 1000), so a window
// fraction f is the point 1000 f in each of them.
class SceneEditorTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        ConfigureGame();
    }
    // A new game object over the same data root.
    void NewGame()
    {
        mGame = std::make_unique<KIVGame>();
        mGame->mTextureLib = mTextures.get();
        mGame->mDataRoot = mFolder.Path();
        mGame->SetupGrid(RectF(-4000, -4000, 4000, 4000));
        mGame->mLayers.SetDefaultLayers();
        ConfigureGame();
    }
    void ConfigureGame()
    {
        for (int32_t i = 0; i < mGame->mLayers.GetLayerCount(); ++i) {
            DepthLayer* layer = mGame->mLayers.GetLayerAt(i);
            layer->mViewMin = VectorF(0, 0);
            layer->mViewMax = VectorF(1000, 1000);
        }
        mGame->mInput.EnsureKeyboard(0);
        mGame->mInput.EnsureMouse(0);
        mGame->mGameMode = false;
    }

    // A 64 x 32 ground object with its top-left corner at the point.
    BendObject* Ground(const VectorF& topLeft, int32_t layer = 0)
    {
        BendObject* o = AddGround(layer, topLeft);
        mGame->RebuildDerivedState();
        return o;
    }
    SceneEditor& Editor() { return mGame->mSceneEditor; }
    static VectorF View(float x, float y) { return VectorF(x / 1000.0f, y / 1000.0f); }
    std::vector<int32_t> Marked() const
    {
        std::vector<int32_t> marked;
        for (int32_t i = 0; i < mGame->mTerrainObjects.Count(); ++i)
            if (mGame->mTerrainObjects[i]->mEditSelected) marked.push_back(i);
        return marked;
    }

    // One frame of input: the events, the sampling and the actions, then the devices' frame ends.
    // With withWindows, the edit windows' pass runs first, as in the game: the
    // window under the mouse takes the focus, and with it the keys.
    void Frame(const std::vector<InputEvent>& events, bool withWindows = false)
    {
        for (const InputEvent& e : events) mGame->mInput.HandleEvent(e);
        mGame->mMousePosition = mMouse;
        mGame->mWindowWidth = 1000;
        mGame->mWindowHeight = 1000;
        if (withWindows) mGame->HandleEditWindowFrame();
        mGame->SceneEditInput();
        mGame->mInput.EndFrame();
    }
    static InputEvent Key(InputEvent::Type type, int32_t key)
    {
        InputEvent e;
        e.mType = type;
        e.mCode = key;
        return e;
    }
    static InputEvent Down(int32_t key) { return Key(InputEvent::kKeyDown, key); }
    static InputEvent Up(int32_t key) { return Key(InputEvent::kKeyUp, key); }
    InputEvent MouseTo(int32_t x, int32_t y)
    {
        mMouse = VectorI(x, y);
        InputEvent e;
        e.mType = InputEvent::kMouseMotion;
        e.mX = x;
        e.mY = y;
        return e;
    }
    static InputEvent Button(bool down)
    {
        InputEvent e;
        e.mType = down ? InputEvent::kMouseButtonDown : InputEvent::kMouseButtonUp;
        e.mCode = 1;
        return e;
    }
    void Click(int32_t x, int32_t y)
    {
        Frame({MouseTo(x, y)});
        Frame({Button(true)});
        Frame({Button(false)});
    }

    VectorI mMouse;
};

TEST_F(SceneEditorTest, RepeatedClicksCycleThroughOverlappingTerrainObjects)
{
    // A and B overlap around (130, 110); C lies apart; D lies on a layer in front of them all.
    Ground({100, 100});                   // 0: A
    Ground({120, 100});                   // 1: B
    Ground({500, 500});                   // 2: C
    Ground({140, 90}, 2);                 // 3: D, on layer 2 (in front)
    struct Case {
        VectorF at;
        int32_t marked;  // -1: none
        int32_t current;
    };
    const Case clicks[] = {
        {{130, 110}, 1, 1},   // B: the last object of layer 0, D not under the point
        {{130, 110}, 0, 0},   // the one below it
        {{130, 110}, 1, 1},   // round again
        {{150, 100}, 0, 0},   // B lies under the point too: the walk starts below it
        {{150, 100}, 3, 3},   // below layer 0's first object: round to the front layer
        {{150, 100}, 1, 1},
        {{150, 100}, 0, 0},
        {{900, 900}, -1, 0},  // empty space clears the marks, the current index stays
        {{510, 510}, 2, 2},
    };
    for (const Case& c : clicks) {
        Editor().SelectTerrainObjectAt(View(c.at.mX, c.at.mY));
        SCOPED_TRACE(std::to_string(c.at.mX) + "," + std::to_string(c.at.mY));
        EXPECT_EQ(Marked(), c.marked < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.marked});
        EXPECT_EQ(mGame->mTerrainObjects.GetSelectedIndex(), c.current);
    }
}

TEST_F(SceneEditorTest, ToysJointsAndParticleSystemsArePickedUnderTheMouse)
{
    Toy* a = AddRoundToy(*mGame, 100.0f, {0, 0});
    Toy* b = AddRoundToy(*mGame, 100.0f, {60, 0});
    ASSERT_TRUE(a && b);
    // The toy added last wins where two overlap; outside both nothing is picked.
    EXPECT_EQ(mGame->PickToyAt({30, 0}), 1);
    EXPECT_EQ(mGame->PickToyAt({-30, 0}), 0);
    EXPECT_EQ(mGame->PickToyAt({300, 0}), -1);
    mGame->mToys.SetSelectedIndex(1);
    mGame->mToyClickPick = 1;
    EXPECT_FALSE(mGame->SelectToyAt({300, 0}));
    EXPECT_EQ(mGame->mToys.GetSelectedIndex(), 1);
    EXPECT_EQ(mGame->mToyClickPick, 1);
    EXPECT_TRUE(mGame->SelectToyAt({-30, 0}));
    EXPECT_EQ(mGame->mToys.GetSelectedIndex(), 0);
    EXPECT_EQ(mGame->mToyClickPick, 0);

    // Joints at their anchor A: the toys' centres.
    ASSERT_TRUE(mGame->CreateJoint(mGame->mJoints, "j0", a, VectorF(), nullptr, VectorF(), nullptr));
    ASSERT_TRUE(mGame->CreateJoint(mGame->mJoints, "j1", b, VectorF(), nullptr, VectorF(), nullptr));
    ASSERT_TRUE(mGame->CreateJoint(mGame->mJoints, "j2", a, VectorF(), nullptr, VectorF(), nullptr));
    struct Case {
        VectorF at;
        int32_t joint;
    };
    const Case joints[] = {
        {{0, 10.0f}, 2},    // exactly 10 away; j0 and j2 tie, the later one stays
        {{0, 10.01f}, -1},  // just too far
        {{55, 0}, 1},       // b's centre
        {{3, 0}, 2},
    };
    for (const Case& c : joints) EXPECT_EQ(mGame->PickJointAt(c.at), c.joint) << c.at.mX << "," << c.at.mY;

    PtrArray<ParticleSystem> systems;
    for (float x : {0.0f, 8.0f}) {
        ParticleSystem* s = systems.AppendNew();
        s->SetPositionX(x);
        s->SetPositionY(0.0f);
    }
    Editor().mParticleSystems = &systems;
    Editor().mParticleMaterialMode = 4;
    Editor().mParticlesInRobotBuilder = true;
    EXPECT_EQ(Scene::PickParticleSystemAt(systems, {1, 0}), 0);
    EXPECT_EQ(Scene::PickParticleSystemAt(systems, {30, 0}), -1);
    EXPECT_TRUE(Editor().SelectParticleSystemAt({7, 0}));
    EXPECT_EQ(systems.GetSelectedIndex(), 1);
    EXPECT_EQ(SPS_GetWhere(*mGame), "particles in simulation");
    Editor().mParticleSystems = nullptr;
}

TEST_F(SceneEditorTest, RobotBoxesCycleAndALoneRobotIsNeverTakenByItsBox)
{
    auto robotAt = [&](const RectF& frame) {
        Robot* r = mGame->mRobots.AddRobot("", VectorF());
        Toy* t = AddRoundToy(*mGame, 20.0f, frame.GetCenter());
        t->mBounds = frame;
        r->AddToy(t);
        return r;
    };
    Robot* first = robotAt(RectF(0, 0, 100, 100));
    EXPECT_FALSE(Editor().SelectRobotAt({50, 50}));
    Robot* second = robotAt(RectF(50, 50, 150, 150));
    Robot* third = robotAt(RectF(100, 0, 200, 100));
    const Robot* expected[] = {third, second, first, third};
    for (const Robot* r : expected) {
        EXPECT_TRUE(Editor().SelectRobotAt({100, 100}));  // all three frames hold it, edges included
        EXPECT_EQ(mGame->mRobots.GetCurrentRobot(), r);
    }
    mGame->mRobots.SelectRobot(first);
    EXPECT_TRUE(Editor().SelectRobotAt({100, 100}));
    EXPECT_EQ(mGame->mRobots.GetCurrentRobot(), third);
    EXPECT_FALSE(Editor().SelectRobotAt({500, 500}));
}

TEST_F(SceneEditorTest, TerrainOperationsChangeTheMarkedObjects)
{
    struct Case {
        const char* name;
        void (*run)(SceneEditor&, KIVGame&);
        void (*check)(KIVGame&, BendObject* a, BendObject* b);
    };
    const Case cases[] = {
        {"move converts the window fraction into the layer",
         [](SceneEditor& e, KIVGame&) { e.MoveSelectedTerrain(VectorF(0.01f, -0.02f)); },
         [](KIVGame&, BendObject* a, BendObject* b) {
             EXPECT_NEAR(a->mFrame.GetCentre().mX, 142.0f, 1e-3f);
             EXPECT_NEAR(a->mFrame.GetCentre().mY, 96.0f, 1e-3f);
             EXPECT_NEAR(b->mFrame.GetCentre().mX, 342.0f, 1e-3f);
         }},
        {"rotate about the frame centre",
         [](SceneEditor& e, KIVGame&) { e.RotateSelectedTerrain(0.5f * kPi); },
         [](KIVGame&, BendObject* a, BendObject*) {
             EXPECT_NEAR(a->mFrame.GetCentre().mX, 132.0f, 1e-3f);
             EXPECT_NEAR(a->mFrame.GetCorner(1).mX - a->mFrame.GetCorner(0).mX, 0.0f, 1e-3f);
         }},
        {"a scale factor of 0 or less does nothing",
         [](SceneEditor& e, KIVGame&) { e.ScaleSelectedTerrain(-0.5f); },
         [](KIVGame&, BendObject* a, BendObject*) {
             EXPECT_NEAR(a->mFrame.GetCorner(1).mX - a->mFrame.GetCorner(0).mX, 64.0f, 1e-3f);
         }},
        {"scale",
         [](SceneEditor& e, KIVGame&) { e.ScaleSelectedTerrain(2.0f); },
         [](KIVGame&, BendObject* a, BendObject*) {
             EXPECT_NEAR(a->mFrame.GetCorner(1).mX - a->mFrame.GetCorner(0).mX, 128.0f, 1e-3f);
         }},
        {"the handle nearest the press follows the drag",
         [](SceneEditor& e, KIVGame& g) {
             // The top-right corner, away from the control points within reach (20 units).
             const int32_t nearest = g.mTerrainObjects[0]->mFrame.FindNearestFrameHandle({164, 100}, 20.0f);
             sHandleBefore = g.mTerrainObjects[0]->mFrame.GetHandlePoint(nearest);
             e.GrabSelectedFrameHandles(VectorF(0.164f, 0.1f));
             e.DragSelectedFrameHandles(VectorF(-0.005f, -0.005f));
         },
         [](KIVGame&, BendObject* a, BendObject*) {
             ASSERT_GE(a->mEditHandle, 0);
             const VectorF after = a->mFrame.GetHandlePoint(a->mEditHandle);
             EXPECT_NEAR(after.mX, sHandleBefore.mX - 5.0f, 1e-3f);
             EXPECT_NEAR(after.mY, sHandleBefore.mY - 5.0f, 1e-3f);
             EXPECT_NEAR(a->mFrame.GetCorner(3).mX, 100.0f, 1e-3f) << "the rest of the frame stays";
         }},
        {"ctrl+home in the first layer keeps the layer",
         [](SceneEditor& e, KIVGame& g) {
             g.mTerrainObjects[0]->SetLayer(g.mLayers.GetMinIndex());
             e.ShiftSelectedLayers(-1);
         },
         [](KIVGame& g, BendObject* a, BendObject* b) {
             EXPECT_EQ(a->GetLayer(), g.mLayers.GetMinIndex());
             EXPECT_EQ(b->GetLayer(), -1);
         }},
        {"home and end move the first marked object within its layer",
         [](SceneEditor& e, KIVGame&) { e.MoveSelectedToLayerEnd(false); },
         [](KIVGame& g, BendObject* a, BendObject* b) {
             const Array<BendObject*>& list = g.mLayers.GetLayer(0)->mTerrainObjects;
             ASSERT_EQ(list.Count(), 3);
             // The first marked object is the later one of the layer (walked from its end).
             EXPECT_EQ(list[0], b);
             EXPECT_EQ(list[1], a);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mGame->mTerrainObjects.DeleteAll();
        BendObject* a = Ground({100, 100});
        Ground({600, 600});
        BendObject* b = Ground({300, 100});
        a->mEditSelected = b->mEditSelected = 1;
        c.run(Editor(), *mGame);
        c.check(*mGame, a, b);
        EXPECT_EQ(mGame->mTerrainObjects[1]->mFrame.GetCorner(0).mX, 600.0f) << "unmarked objects stay";
    }
}

TEST_F(SceneEditorTest, InsertDuplicateAndDeleteKeepTheListsAndTheSelectionSound)
{
    Ground({100, 100});
    // Without a picture chosen in the texture library Insert makes nothing.
    EXPECT_EQ(Editor().InsertTerrainObject({400, 400}), nullptr);
    mTextures->mSelectedName = "Ground\\g.png";
    BendObject* inserted = Editor().InsertTerrainObject({400, 400});
    ASSERT_NE(inserted, nullptr);
    EXPECT_NEAR(inserted->mFrame.GetCentre().mX, 400.0f, 1e-3f);
    EXPECT_NEAR(inserted->mFrame.GetCentre().mY, 400.0f, 1e-3f);
    EXPECT_EQ(Marked(), std::vector<int32_t>{1});
    EXPECT_TRUE(mGame->mLayers.GetLayer(0)->mTerrainObjects.Contains(inserted));

    BendObject* copy = Editor().DuplicateSelectedTerrain();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Marked(), std::vector<int32_t>{2});
    EXPECT_EQ(copy->GetOrigTextureFn(), inserted->GetOrigTextureFn());
    EXPECT_EQ(copy->mFrame.GetCentre().mX, inserted->mFrame.GetCentre().mX);
    EXPECT_TRUE(mGame->mLayers.GetLayer(0)->mTerrainObjects.Contains(copy));

    // Deleting the last object while it is the current one: the current index
    // follows the shorter list instead of pointing past its end.
    mGame->mTerrainObjects.SetSelectedIndex(2);
    ASSERT_TRUE(Editor().DeleteSelectedTerrain());
    EXPECT_EQ(mGame->mTerrainObjects.Count(), 2);
    EXPECT_EQ(mGame->mTerrainObjects.GetSelectedIndex(), 1);
    EXPECT_EQ(Marked(), std::vector<int32_t>{1});
    EXPECT_FALSE(mGame->mLayers.GetLayer(0)->mTerrainObjects.Contains(copy));
    ASSERT_TRUE(Editor().DeleteSelectedTerrain());
    ASSERT_TRUE(Editor().DeleteSelectedTerrain());
    EXPECT_EQ(mGame->mTerrainObjects.GetSelectedIndex(), -1);
    EXPECT_FALSE(Editor().DeleteSelectedTerrain());
    EXPECT_EQ(STO(*mGame), nullptr);
}

TEST_F(SceneEditorTest, ShiftDragMovesTheObjectAndTheReleaseRefreshesItsCollisionsOnce)
{
    mGame->mEditMode = kEditModeTerrain;
    BendObject* a = Ground({100, 100});
    Click(130, 110);
    ASSERT_EQ(Marked(), std::vector<int32_t>{0});
    const int32_t slotBefore = a->mStaticSlot;
    ASSERT_GE(slotBefore, 0);

    Frame({Down(Key::kLShift)});
    EXPECT_EQ(Editor().mFrame.mTool, kToolMove);
    Frame({Button(true)});
    Frame({MouseTo(150, 120)});
    // Ctrl during the drag does not turn the move into a scale.
    Frame({Down(Key::kLCtrl), MouseTo(160, 120)});
    EXPECT_EQ(Editor().mFrame.mTool, kToolMove);
    EXPECT_NEAR(a->mFrame.GetCorner(0).mX, 130.0f, 1e-3f);
    EXPECT_NEAR(a->mFrame.GetCorner(0).mY, 110.0f, 1e-3f);
    // The collision edges stay where they were until the button goes up.
    auto touchesNewPlace = [&] {
        return mGame->mGrid.SegmentTouchesStatic({180, 90}, {180, 160}, mGame->mGrid.GetQueryContext());
    };
    EXPECT_FALSE(touchesNewPlace());
    Frame({Button(false)});
    EXPECT_TRUE(touchesNewPlace());
    Frame({});
    EXPECT_EQ(Editor().mFrame.mTool, kToolScale);
}

// In object mode Ctrl with a press paints a damage decal into the picture of
// the toy under the mouse, at the mouse; a plain press, or one beside every
// toy, paints nothing.
TEST_F(SceneEditorTest, CtrlPressPaintsDamageIntoTheToyUnderTheMouse)
{
    Write("Toys\\box.png", TestPicture::Filled(48, 48, 128, 128, 128));
    for (int32_t i = 1; i <= 4; ++i) Write("Toys\\decals\\decal" + std::to_string(i) + ".png", TestPicture::Filled(6, 6, 0, 0, 0));
    TextureLib* saved = gTextureLib;
    gTextureLib = mTextures.get();
    Toy* toy = mGame->AddToy("Toys\\box.png", VectorF(500, 500), 0.0f, 1.0f, "box");
    ASSERT_NE(toy, nullptr);
    ASSERT_TRUE(toy->HasDecalPixels());
    mGame->mEditMode = kEditModeObject;
    auto red = [&](VectorF at) {
        const VectorF p = toy->GetDecalPixel(at);
        const Texture& t = *toy->mMainTexture;
        return t.mKeptPixels[static_cast<int32_t>(p.mY) * t.mTextureSize.mX + static_cast<int32_t>(p.mX)] & 0xff;
    };
    struct Case {
        bool ctrl;
        VectorI mouse;
        bool painted;
    };
    const Case cases[] = {{false, {490, 495}, false}, {true, {600, 600}, false}, {true, {490, 495}, true}};
    const VectorF farCorner(518, 518);
    for (const Case& c : cases) {
        const uint32_t before = red(VectorF(490, 495));
        if (c.ctrl) Frame({Down(Key::kLCtrl)});
        Frame({MouseTo(c.mouse.mX, c.mouse.mY)});
        Frame({Button(true)});
        Frame({Button(false)});
        if (c.ctrl) Frame({Up(Key::kLCtrl)});
        EXPECT_EQ(red(VectorF(490, 495)) < before, c.painted) << c.ctrl << " at " << c.mouse.mX;
        EXPECT_EQ(red(farCorner), 128u) << "the decal stays round the mouse";
    }
    EXPECT_TRUE(toy->mMainTexture->TakeStamped()) << "the shown picture is sent again";
    gTextureLib = saved;
}

// Insert in scenario mode starts the robot chosen in the robot library at the
// mouse; with nothing chosen it adds nothing.
TEST_F(SceneEditorTest, ScenarioInsertPlacesTheRobotChosenInTheLibrary)
{
    std::filesystem::create_directories(ToOsPath(mGame->GetDataPath("Robots")));
    for (const char* name : {"a.robot", "b b.robot"}) mFolder.WriteFile(std::string("Robots\\") + name, "x");
    mGame->mEditMode = kEditModeScenario;
    Scenario& scenario = mGame->mScenario;
    struct Case {
        const char* chosen; // "" leaves the library as it is
        VectorI mouse;
        int32_t entries;
    };
    const Case cases[] = {{"", {100, 100}, 0}, {"b b.robot", {300, 200}, 1}, {"a.robot", {420, 80}, 2}};
    for (const Case& c : cases) {
        if (*c.chosen) {
            mGame->mRobotLibrary.SetFolder(mGame->GetDataPath("Robots"));
            mGame->mRobotLibrary.Reload();
            ASSERT_TRUE(mGame->mRobotLibrary.SelectByName(c.chosen));
        }
        Frame({MouseTo(c.mouse.mX, c.mouse.mY)});
        Frame({Down(Key::kInsert)});
        Frame({Up(Key::kInsert)});
        ASSERT_EQ(scenario.GetRobotsCount(), c.entries) << c.chosen;
        if (c.entries == 0) continue;
        const RobotStartEntry* added = scenario.GetEntry(scenario.GetRobotSelectedIndex());
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(added->mRobotName, c.chosen);
        EXPECT_EQ(scenario.GetSelectedRobotPosition(), VectorF(float(c.mouse.mX), float(c.mouse.mY)));
    }
}

// A digit with "`" held loads a windows layout and leaves the mode alone.
TEST_F(SceneEditorTest, DigitKeysSwitchTheModeAndResetTheTool)
{
    struct Case {
        int32_t key;
        bool backquoteHeld;
        int32_t mode;
    };
    const Case cases[] = {{'2', false, kEditModeTerrain}, {'1', false, kEditModeScene}, {'9', false, kEditModeWater},
                          {'0', false, kEditModeScenario}, {'1', true, kEditModeScenario}, {'2', true, kEditModeScenario}};
    for (const Case& c : cases) {
        if (c.backquoteHeld) Frame({Down(Key::kBackquote)});
        Frame({Down(c.key)});
        Frame({Up(c.key)});
        if (c.backquoteHeld) Frame({Up(Key::kBackquote)});
        EXPECT_EQ(mGame->mEditMode, c.mode) << char(c.key) << (c.backquoteHeld ? " with ` held" : "");
        EXPECT_EQ(Editor().mFrame.mTool, kToolSelect);
    }
}

// A digit shows the page of its mode in place of the mode page shown before;
// digits typed while a window has the keys are that window's.
TEST_F(SceneEditorTest, DigitKeysShowTheNewModesPage)
{
    mGame->CreateEditWindows();
    EditWindowManager& windows = mGame->mEditWindows;
    mGame->mEditMode = kEditModeTerrain;
    windows.ShowEditModePage(kEditModeTerrain, false, false, false);
    struct Case {
        int32_t key;
        bool windowHasKeys;
        int32_t mode;
    };
    const Case cases[] = {{'5', false, kEditModeJoint}, {'0', false, kEditModeScenario}, {'3', true, kEditModeScenario}};
    for (const Case& c : cases) {
        // Each frame the window under the mouse takes the keys, or none does.
        if (c.windowHasKeys) windows.FocusWindow(mGame->mEditMode);
        else windows.FocusWindowUnderMouse({-100, -100});
        Frame({Down(c.key)});
        Frame({Up(c.key)});
        EXPECT_EQ(mGame->mEditMode, c.mode) << char(c.key);
        for (int32_t page = 0; page < EditWindowManager::kModePageCount; ++page)
            EXPECT_EQ(windows.GetWindow(page)->IsVisible(), page == c.mode) << char(c.key) << " page " << page;
    }
}

// Digits typed into a page (a line in the Lua console) are the page's: only
// beside the windows do they choose what the scene editor edits.
TEST_F(SceneEditorTest, DigitKeysTypedIntoAPageChooseNoMode)
{
    mGame->CreateEditWindows();
    EditWindow* console = PageBridge::FirstOfKind(mGame->mEditWindows, EditWindow::kLuaConsole);
    ASSERT_NE(console, nullptr);
    console->Show();
    const VectorI inside = console->GetPosition() + VectorI(20, 20);
    mGame->mEditMode = kEditModeScene;
    Frame({MouseTo(inside.mX, inside.mY)}, true);
    Frame({Down('2')}, true);
    Frame({Up('2')}, true);
    EXPECT_EQ(mGame->mEditMode, kEditModeScene) << "typed into the console";
    Frame({MouseTo(5, 995)}, true);
    Frame({Down('2')}, true);
    Frame({Up('2')}, true);
    EXPECT_EQ(mGame->mEditMode, kEditModeTerrain) << "beside the windows";
}

TEST_F(SceneEditorTest, TerrainKeysInsertDeleteAndSwitchCollisions)
{
    mGame->mEditMode = kEditModeTerrain;
    mTextures->mSelectedName = "Ground\\g.png";
    Frame({MouseTo(300, 300)});
    Frame({Down(Key::kInsert)});
    Frame({Up(Key::kInsert)});
    ASSERT_EQ(mGame->mTerrainObjects.Count(), 1);
    BendObject* o = mGame->mTerrainObjects[0];
    EXPECT_NEAR(o->mFrame.GetCentre().mX, 300.0f, 1e-3f);
    EXPECT_GE(o->mStaticSlot, 0) << "the refresh entered it into the grid";

    Frame({Down('[')});
    Frame({Up('[')});
    EXPECT_EQ(o->mCollisions, 0);
    EXPECT_EQ(o->mStaticSlot, -1);
    Frame({Down(']')});
    Frame({Up(']')});
    EXPECT_EQ(o->mCollisions, 1);

    Frame({Down(Key::kLCtrl)});
    Frame({Down(Key::kInsert)});
    Frame({Up(Key::kInsert), Up(Key::kLCtrl)});
    EXPECT_EQ(mGame->mTerrainObjects.Count(), 2);

    Frame({Down(Key::kDelete)});
    Frame({Up(Key::kDelete)});
    EXPECT_EQ(mGame->mTerrainObjects.Count(), 1);
}

TEST_F(SceneEditorTest, TheSavedSceneHoldsTheEdit)
{
    Ground({100, 100});
    mGame->mTerrainObjects[0]->mEditSelected = 1;
    Editor().MoveSelectedTerrain(VectorF(0.05f, 0.0f));
    mTextures->mSelectedName = "Ground\\g.png";
    Editor().InsertTerrainObject({700, 300});
    const std::string path = mGame->GetSceneFilePath();
    ASSERT_TRUE(mGame->SaveScene(path));

    KIVGame loaded;
    loaded.mTextureLib = mTextures.get();
    loaded.mDataRoot = mFolder.Path();
    loaded.mLayers.SetDefaultLayers();
    ASSERT_TRUE(loaded.LoadScene(path));
    loaded.RebuildDerivedState();
    ASSERT_EQ(loaded.mTerrainObjects.Count(), 2);
    EXPECT_NEAR(loaded.mTerrainObjects[0]->mFrame.GetCorner(0).mX, 150.0f, 1e-3f);
    EXPECT_NEAR(loaded.mTerrainObjects[1]->mFrame.GetCentre().mX, 700.0f, 1e-3f);
}

TEST_F(SceneEditorTest, LightsAreAssignedPerDrawGroupAtMostEight)
{
    BendObject* o = Ground({100, 100});
    for (int32_t i = 0; i < 10; ++i) {
        Light* light = mGame->mLights.AppendNew();
        light->mPosition = VectorF(130.0f + float(i), 110.0f);
        light->SetRadius(200.0f);
    }
    Light* far = mGame->mLights.AppendNew();
    far->mPosition = VectorF(3000, 3000);
    far->SetRadius(10.0f);
    mGame->RebuildLightGrid();
    mGame->AssignLightsToTerrain();
    ASSERT_GT(o->mTexturedShape.mDrawGroups.Count(), 0);
    for (const DrawGroup& g : o->mTexturedShape.mDrawGroups) {
        EXPECT_EQ(g.mLightCount, 8);
        for (int32_t i = 0; i < g.mLightCount; ++i) EXPECT_NE(g.mLights[i], far);
    }
    // An unlit object keeps no lights.
    STO_SetLighted(*mGame, false);
    o->mEditSelected = 1;
    STO_SetLighted(*mGame, false);
    o->mTexturedShape.mDrawGroups[0].mLightCount = 3;
    mGame->AssignLightsToTerrain();
    EXPECT_EQ(o->mTexturedShape.mDrawGroups[0].mLightCount, 3);
}

TEST_F(SceneEditorTest, OnlyObjectsOfFullFactorLayersCollide)
{
    BendObject* front = Ground({100, 100}, 0);
    BendObject* far = Ground({100, 100}, -8);  // factor 0.5
    BendObject* off = Ground({300, 100}, 0);
    off->mCollisions = 0;
    mGame->RebuildTerrainCollisionEntries();
    EXPECT_GE(front->mStaticSlot, 0);
    EXPECT_EQ(far->mStaticSlot, -1);
    EXPECT_EQ(off->mStaticSlot, -1);
}

TEST_F(SceneEditorTest, SelectionCommandsSetEveryMarkedObjectAndReadTheCurrentOne)
{
    // No current object: the defaults.
    EXPECT_TRUE(STO_GetLighted(*mGame));
    EXPECT_EQ(STO_GetFogColor(*mGame), ColorRGBA(255, 255, 255, 0));
    EXPECT_EQ(STO_GetFillColor(*mGame), ColorRGBA(255, 255, 255, 255));
    EXPECT_EQ(STO_GetLayer(*mGame), 0);
    EXPECT_FALSE(STO_GetCollisions(*mGame));
    STO_Rotate(*mGame, 90.0f);  // nothing marked: only the refresh runs

    BendObject* a = Ground({100, 100});
    BendObject* b = Ground({300, 100});
    BendObject* c = Ground({500, 100});
    a->mEditSelected = b->mEditSelected = 1;
    mGame->mTerrainObjects.SetSelectedIndex(2);  // current, but not marked

    STO_SetBlender(*mGame, 3);
    STO_SetSlippery(*mGame, 0.25f);
    EXPECT_EQ(a->mTexturedShape.mDrawState.mBlender, 3);
    EXPECT_EQ(b->mTexturedShape.mDrawState.mBlender, 3);
    EXPECT_EQ(STO_GetBlender(*mGame), 0) << "the getter reads the current object";
    EXPECT_EQ(STO_GetSlippery(*mGame), 0.0f);
    mGame->mTerrainObjects.SetSelectedIndex(0);
    EXPECT_EQ(STO_GetBlender(*mGame), 3);
    EXPECT_EQ(STO_GetSlippery(*mGame), 0.25f);

    STO_Rotate(*mGame, 90.0f);
    EXPECT_NEAR(a->mFrame.GetCorner(1).mX - a->mFrame.GetCorner(0).mX, 0.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(a->mFrame.GetCorner(1).mY - a->mFrame.GetCorner(0).mY), 64.0f, 1e-3f);
    const VectorF corner = a->mFrame.GetCorner(1);
    STO_Scale(*mGame, 100.0f);
    EXPECT_NEAR(a->mFrame.GetCorner(1).mX, corner.mX, 1e-3f);
    STO_Scale(*mGame, 0.0f);
    EXPECT_NEAR(a->mFrame.GetCorner(1).mX, corner.mX, 1e-3f);
    STO_MoveXY(*mGame, 10.0f, 5.0f);
    EXPECT_NEAR(a->mFrame.GetCorner(1).mX, corner.mX + 10.0f, 1e-3f);
    EXPECT_EQ(c->mFrame.GetCorner(0).mX, 500.0f);

    STO_SetCollisions(*mGame, false);
    EXPECT_EQ(a->mStaticSlot, -1);
    EXPECT_GE(c->mStaticSlot, 0);
    STO_SetFogColor(*mGame, ColorRGBA(1, 2, 3, 4));
    STO_SetDefaultMaterial(*mGame);
    EXPECT_EQ(STO_GetFogColor(*mGame), ColorRGBA(255, 255, 255, 0));
    EXPECT_EQ(STO_GetBlender(*mGame), 0);
}

TEST_F(SceneEditorTest, TheParticlePageNamesTheListItShows)
{
    struct Case {
        bool robotBuilder;
        int32_t materialMode;
        const char* where;
    };
    const Case cases[] = {
        {false, 0, "particles in simulation"},
        {true, 0, "particles in robot builder"},
        {true, -2, "particles in robot builder"},
        {false, 3, "dent particles of selected material"},
        {true, 4, "entry hole particles of selected material"},
        {false, 5, "exit hole particles of selected material"},
        {false, 1, "particles of selected material"},
        {false, 6, "particles of selected material"},
    };
    for (const Case& c : cases) {
        Editor().mParticlesInRobotBuilder = c.robotBuilder;
        Editor().mParticleMaterialMode = c.materialMode;
        EXPECT_EQ(SPS_GetWhere(*mGame), c.where);
    }
    EXPECT_EQ(SPS_GetLinkedToyName(*mGame), "");
    EXPECT_EQ(SPS_GetLinkedRobotName(*mGame), "");
}

TEST_F(SceneEditorTest, EveryPhotoRequestIsTakenTheFirstToo)
{
    RobotPhotoRequest request;
    Robot* robot = mGame->mEditRobots.AddRobot("", VectorF());
    auto exists = [&](const Robot* r) { return mGame->mEditRobots.GetRobots().IndexOf(r) >= 0; };
    EXPECT_EQ(request.Take(exists), nullptr) << "nothing asked";
    request.Request(robot);
    EXPECT_EQ(request.Take(exists), robot);
    EXPECT_EQ(request.Take(exists), nullptr) << "one photo per request";
    request.Request(robot);
    mGame->mEditRobots.RemoveRobot(robot);
    EXPECT_EQ(request.Take(exists), nullptr);
    EXPECT_EQ(request.GetRecorded(), nullptr) << "a robot that went is forgotten";
}

// Toys are pulled once per physics step, in edit mode only, and only in the
// modes whose left button means nothing else (scene, objects, tests).
TEST_F(SceneEditorTest, ToyPullingRunsPerStepInTheModesWithoutOwnDrags)
{
    struct Case {
        bool gameMode;
        int32_t mode;
        bool active;
    };
    const Case cases[] = {{true, kEditModeScene, false},   {false, kEditModeScene, true},
                          {false, kEditModeTerrain, false}, {false, kEditModeObject, true},
                          {false, kEditModeParticles, false}, {false, kEditModeScenario, false},
                          {false, kEditModeTests, true}};
    for (const Case& c : cases) {
        mGame->mGameMode = c.gameMode;
        mGame->mEditMode = c.mode;
        EXPECT_EQ(mGame->IsToyPullActive(), c.active) << c.gameMode << " " << c.mode;
    }

    // Held button in scene mode: the selected toy is pulled towards the mouse.
    mGame->mGameMode = false;
    mGame->mEditMode = kEditModeScene;
    Toy* toy = AddRoundToy(*mGame, 40.0f, {0, 0});
    mGame->mToys.SetSelectedIndex(mGame->mToys.IndexOf(toy));
    mGame->mMouseWorld = VectorF(200, 0);
    mGame->mInput.HandleEvent(Button(true));
    mGame->HandleToyPullInput();
    const VectorF once = toy->mForce;
    EXPECT_GT(once.mX, 0.0f);
    mGame->mPaused = true;
    mGame->HandleToyPullInput();
    EXPECT_EQ(toy->mForce.mX, once.mX) << "no pull while paused";
    mGame->mPaused = false;
    mGame->mInput.HandleEvent(Down(Key::kLCtrl));
    mGame->HandleToyPullInput();
    EXPECT_EQ(toy->mForce.mX, once.mX) << "Ctrl holds the pull back";
    mGame->mInput.HandleEvent(Up(Key::kLCtrl));
    mGame->mInput.HandleEvent(Down('i'));
    mGame->HandleToyPullInput();
    EXPECT_EQ(toy->GetPosition().mX, 200.0f) << "i places the toy at the mouse";
    EXPECT_EQ(toy->GetVelocity().mX, 0.0f);
}

// A frame of several steps pulls in each of them: the pull is a force that
// each step spends, so one pull per drawn frame would leave the other steps
// without it and make the pull weaker the slower the frames come.
TEST_F(SceneEditorTest, AFrameOfStepsPullsInEveryStep)
{
    struct Case {
        int32_t mode;
        uint32_t steps;
    };
    const Case cases[] = {{kEditModeScene, 1}, {kEditModeScene, 3}, {kEditModeTerrain, 3}};
    float speeds[3] = {};
    for (int32_t i = 0; i < 3; ++i) {
        NewGame();
        KIVGame& g = *mGame;
        g.ApplyPhysicsFrequency(g.mTiming.GetFrequency());
        g.mGravity = VectorF();
        g.mEditMode = cases[i].mode;
        Toy* toy = AddRoundToy(g, 40.0f, {0, 0});
        g.mToys.SetSelectedIndex(g.mToys.IndexOf(toy));
        g.mInput.HandleEvent(Button(true));
        g.mTiming.mStepsDue = cases[i].steps;
        g.HandleFrame();
        speeds[i] = toy->mVelocityAfterImpulses.GetLength();
    }
    EXPECT_GT(speeds[0], 0.0f);
    EXPECT_GT(speeds[1], 2.5f * speeds[0]) << "three steps, three pulls";
    EXPECT_EQ(speeds[2], 0.0f) << "a terrain drag leaves the toys alone";
}

} // namespace

namespace {

// The modes beside the terrain page, each driven through the keys and the mouse.
TEST_F(SceneEditorTest, WaterScenarioAndParticleModesFollowTheMouse)
{
    // Water: the first pool is made and traced again from the mouse while Ctrl and Shift are held.
    mGame->mEditMode = kEditModeWater;
    Frame({MouseTo(100, 100)});
    EXPECT_EQ(mGame->mWaters.Count(), 0) << "nothing without the keys";
    Frame({Down(Key::kLCtrl), Down(Key::kLShift)});
    ASSERT_EQ(mGame->mWaters.Count(), 1);
    EXPECT_EQ(mGame->mWaters[0]->mSeed, VectorF(100, 100));
    Frame({MouseTo(200, 150)});
    EXPECT_EQ(mGame->mWaters.Count(), 1);
    EXPECT_EQ(mGame->mWaters[0]->mSeed, VectorF(200, 150));
    Frame({Up(Key::kLCtrl), Up(Key::kLShift)});

    // Scenario: Shift drags the selected start position, "i" puts it at the mouse, Delete removes it.
    mGame->mEditMode = kEditModeScenario;
    mGame->mScenario.AddRobot("a");
    mGame->mScenario.AddRobot("b");
    mGame->mScenario.SetSelectedRobotPosition({10, 10});
    Frame({Down(Key::kLShift)});
    Frame({Button(true)});
    Frame({MouseTo(230, 170)});
    Frame({Button(false), Up(Key::kLShift)});
    EXPECT_EQ(mGame->mScenario.GetSelectedRobotPosition(), VectorF(40, 30));
    Frame({Down('i'), MouseTo(300, 300)});
    Frame({Up('i')});
    EXPECT_EQ(mGame->mScenario.GetSelectedRobotPosition(), VectorF(300, 300));
    Frame({Down(Key::kDelete)});
    Frame({Up(Key::kDelete)});
    EXPECT_EQ(mGame->mScenario.GetRobotsCount(), 1);

    // Particle systems: a click selects, Shift moves the position, Ctrl the start move
    // vector, Ctrl+Shift the line, each by the converted mouse movement.
    PtrArray<ParticleSystem> systems;
    ParticleSystem* s = systems.AppendNew();
    s->SetPositionX(400.0f);
    s->SetPositionY(400.0f);
    systems.SetSelectedIndex(-1);
    Editor().mParticleSystems = &systems;
    mGame->mEditMode = kEditModeParticles;
    Click(405, 400);
    EXPECT_EQ(systems.GetSelectedIndex(), 0);
    struct Drag {
        std::vector<int32_t> keys;
        VectorF (*read)(ParticleSystem&);
    };
    const Drag drags[] = {
        {{Key::kLShift}, [](ParticleSystem& p) { return p.GetPosition(); }},
        {{Key::kLShift, Key::kLCtrl}, [](ParticleSystem& p) { return p.GetLine(); }},
    };
    for (const Drag& d : drags) {
        const VectorF before = d.read(*s);
        std::vector<InputEvent> press, release;
        for (int32_t k : d.keys) press.push_back(Down(k));
        for (int32_t k : d.keys) release.push_back(Up(k));
        Frame(press);
        Frame({Button(true)});
        Frame({MouseTo(mMouse.mX + 20, mMouse.mY - 10)});
        Frame({Button(false)});
        Frame(release);
        const VectorF after = d.read(*s);
        EXPECT_NEAR(after.mX - before.mX, 20.0f, 1e-3f);
        EXPECT_NEAR(after.mY - before.mY, -10.0f, 1e-3f);
    }
    Editor().mParticleSystems = nullptr;
}

} // namespace

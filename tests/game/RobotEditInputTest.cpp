#include <gtest/gtest.h>
#include <algorithm>
#include <initializer_list>
#include <vector>
#include <string>
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/PageMethods.h"
#include "game/RobotEditInput.h"
#include "game/SceneSelection.h"
#include "game/SelectionCommands.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/joints/Joint.h"
#include "physics/toys/Toy.h"
#include "render/Renderer.h"
#include "robots/Robot.h"
#include "robots/RobotBuild.h"
#include "robots/RobotPicking.h"
#include "support/CommandStream.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

constexpr int32_t kLeft = 1;
constexpr int32_t kInsert = 277;
constexpr int32_t kTab = 9;
constexpr int32_t kZ = 122;

// Toys stand where their traced outline puts them, a rounding off the exact place.
::testing::AssertionResult Near(const VectorF& a, const VectorF& b)
{
    if ((a - b).GetLength() < 1e-3f) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.mX << ", " << a.mY << ") is not (" << b.mX << ", " << b.mY << ")";
}

// An edit robot of 40 x 20 blocks, and synthetic input frames: the window is
// 1000 x 1000 pixels showing the world from (-500, -500), so a world point is
// its pixel minus 500.
class RobotEditTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        Write("Robots\\block.png", TestPicture::Filled(40, 20, 200, 120, 40));
        mGame->mInput.EnsureKeyboard(0);
        mGame->mInput.EnsureMouse(0);
        robot = mGame->mEditRobots.AddRobot("", VectorF());
        mGame->mEditRobots.SelectRobot(robot);
        view.mWindowSize = {1000, 1000};
        view.mWorld = RectF(-500, -500, 500, 500);
    }
    void TearDown() override
    {
        mGame->mEditRobots.RemoveAll();
        GameFixture::TearDown();
    }

    void AddObject(const char* name, VectorF at, bool master = false)
    {
        robot->AddObject();
        robot->ObjectSetName(name);
        robot->Objects().GetSelected()->mTexture = "Robots\\block.png";
        robot->ObjectSetPosX(at.mX);
        robot->ObjectSetPosY(at.mY);
        robot->ObjectSetMaster(master);
    }
    void Connect(const char* name, const char* a, VectorF anchorA, const char* b, VectorF anchorB)
    {
        robot->RobotDef::AddJoint();
        robot->JointSetName(name);
        robot->JointSetObjAName(a);
        robot->JointSetObjBName(b);
        robot->JointSetObjAByPic(false);
        robot->JointSetObjBByPic(false);
        robot->JointSetObjAPosX(anchorA.mX);
        robot->JointSetObjAPosY(anchorA.mY);
        robot->JointSetObjBPosX(anchorB.mX);
        robot->JointSetObjBPosY(anchorB.mY);
    }
    // A master body with a part "knee" hanging on the joint "knee" at (20, 0).
    void AddKnee()
    {
        AddObject("body", {0, 0}, true);
        AddObject("knee", {40, 0});
        Connect("knee", "body", {20, 0}, "knee", {-20, 0});
    }
    // Builds the robot and forgets the steps that making it recorded.
    void Build()
    {
        RobotEditUpdate(*mGame, 0);
        robot->GetUndoHistory().Clear();
    }

    void Send(InputEvent::Type type, int32_t code, VectorF world = VectorF())
    {
        InputEvent e;
        e.mType = type;
        e.mCode = code;
        e.mX = static_cast<int32_t>(world.mX + 500.0f);
        e.mY = static_cast<int32_t>(world.mY + 500.0f);
        mGame->mInput.HandleEvent(e);
    }
    void MoveTo(VectorF world) { Send(InputEvent::kMouseMotion, 0, world); }
    void Press(VectorF world)
    {
        MoveTo(world);
        Send(InputEvent::kMouseButtonDown, kLeft, world);
    }
    void Release(VectorF world) { Send(InputEvent::kMouseButtonUp, kLeft, world); }
    void KeysDown(std::initializer_list<int32_t> keys)
    {
        for (int32_t k : keys) Send(InputEvent::kKeyDown, k);
    }
    void KeysUp(std::initializer_list<int32_t> keys)
    {
        for (int32_t k : keys) Send(InputEvent::kKeyUp, k);
    }
    // One game frame of the robot editor: its input, then its update.
    void Frame()
    {
        RobotEditInput(*mGame, view, 0);
        RobotEditUpdate(*mGame, 16);
        mGame->mInput.EndFrame();
    }
    void Drag(VectorF from, VectorF to, int32_t frames)
    {
        Press(from);
        Frame();
        for (int32_t i = 1; i <= frames; ++i) {
            MoveTo(from + (to - from) * (float(i) / float(frames)));
            Frame();
        }
        Release(to);
        Frame();
    }
    void Keys(std::initializer_list<int32_t> keys)
    {
        KeysDown(keys);
        Frame();
        KeysUp(keys);
        Frame();
    }
    int32_t Steps() const { return robot->GetUndoHistory().GetCount(); }
    VectorF PositionOf(int32_t object) const { return robot->Objects()[object]->mPosition; }

    Robot* robot = nullptr;
    RobotEditView view;
};

} // namespace

TEST_F(RobotEditTest, AClickPicksTheObjectUnderTheMouseAndOverlappingPartsInTurn)
{
    AddObject("left", {-200, 0});
    AddObject("middle", {0, 0});
    AddObject("middle2", {5, 0});
    AddObject("right", {200, 0});
    Build();
    ASSERT_EQ(robot->GetToyCount(), 4);
    const struct {
        VectorF click;
        int32_t selected;
    } clicks[] = {
        {{-200, 0}, 0},
        {{200, 3}, 3},
        {{2, 0}, 2},   // the later of two parts on top of each other first
        {{2, 0}, 1},   // then, clicking again, the one below it
        {{2, 0}, 2},
        {{0, 300}, 2}, // nothing there: the selection stays
    };
    for (const auto& c : clicks) {
        Press(c.click);
        Frame();
        Release(c.click);
        Frame();
        EXPECT_EQ(robot->GetObjectSelectedIndex(), c.selected) << c.click.mX << "," << c.click.mY;
    }
    EXPECT_EQ(Steps(), 0) << "picking changes nothing";
}

TEST_F(RobotEditTest, AMouseDragIsOneUndoStepAndCtrlZTakesItBack)
{
    AddObject("body", {0, 0}, true);
    AddObject("arm", {100, 0});
    Build();
    Drag({100, 0}, {130, -20}, 5);
    EXPECT_EQ(PositionOf(1), VectorF(130, -20));
    EXPECT_EQ(robot->GetToy(1)->GetPosition(), VectorF(130, -20)) << "the update rebuilt the toy where it now stands";
    ASSERT_EQ(Steps(), 1);
    EXPECT_EQ(robot->GetUndoCaption(), "object position");

    // A later change gets a step of its own: the drag's series ended with the button.
    robot->ObjectSetName("hand");
    EXPECT_EQ(Steps(), 2);

    const struct {
        std::initializer_list<int32_t> keys;
        const char* name;
        VectorF armAt;
    } presses[] = {
        {{Key::kLCtrl, kZ}, "arm", {130, -20}},             // undoes the renaming
        {{Key::kRCtrl, kZ}, "arm", {100, 0}},               // and the drag
        {{Key::kLCtrl, Key::kLAlt, kZ}, "arm", {100, 0}},   // not an undo combination
        {{Key::kLCtrl, Key::kLShift, kZ}, "arm", {130, -20}}, // redo
        {{Key::kLCtrl, Key::kRShift, kZ}, "arm", {130, -20}}, // two sides: nothing
    };
    for (const auto& p : presses) {
        Keys(p.keys);
        ASSERT_EQ(robot, mGame->GetEditRobot());
        EXPECT_EQ(robot->Objects()[1]->mName.GetInString(), p.name);
        EXPECT_EQ(PositionOf(1), p.armAt);
        ASSERT_EQ(robot->GetToyCount(), 2);
        EXPECT_EQ(robot->GetToy(1)->GetPosition(), p.armAt);
    }
    EXPECT_EQ(mGame->mEditToys.Count(), 2) << "undo and redo leave no parts behind in the builder";
    EXPECT_EQ(mGame->GetToys().Count(), 0) << "nor any among the simulated toys";
}

TEST_F(RobotEditTest, ShiftArrowsNudgeFreeObjectsOneStepPerPress)
{
    AddObject("body", {0, 0}, true);
    AddObject("arm", {100, 0});
    AddObject("leg", {-100, 0});
    Connect("hip", "body", {-50, 0}, "leg", {50, 0});
    Build();
    const struct {
        int32_t object;
        std::initializer_list<int32_t> keys;
        VectorF moved;
        int32_t steps;
    } cases[] = {
        {1, {Key::kLShift, Key::kLeft}, {-1, 0}, 1},
        {1, {Key::kRShift, Key::kDown}, {0, 1}, 1},
        {1, {Key::kLShift, Key::kLCtrl, Key::kRight}, {10, 0}, 1},
        {1, {Key::kLShift, Key::kUp}, {0, -1}, 1},
        {1, {Key::kUp}, {0, 0}, 0},                    // without Shift nothing moves
        {2, {Key::kLShift, Key::kRight}, {0, 0}, 0},   // a joint holds the leg
        {0, {Key::kLShift, Key::kRight}, {1, 0}, 1},   // the master moves, joints or not
    };
    for (const auto& c : cases) {
        robot->SelectObject(c.object);
        RobotEditUpdate(*mGame, 0);
        const VectorF before = PositionOf(c.object);
        const int32_t steps = Steps();
        Keys(c.keys);
        EXPECT_EQ(PositionOf(c.object), before + c.moved) << c.object;
        EXPECT_EQ(Steps(), steps + c.steps) << c.object;
    }
    // The series of the last nudge is closed: an edit afterwards is undoable on its own.
    const int32_t steps = Steps();
    robot->SetNotes("after");
    EXPECT_EQ(Steps(), steps + 1);
}

TEST_F(RobotEditTest, TurningAndCopyingObjects)
{
    AddObject("arm", {100, 0});
    Build();
    KeysDown({Key::kLCtrl});
    Drag({100, 0}, {90, 10}, 4);
    KeysUp({Key::kLCtrl});
    Frame();
    EXPECT_NEAR(robot->Objects()[0]->mOrientation, (10.0f + 10.0f) * 0.02f, 1e-5f);
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(robot->GetUndoCaption(), "rotate object");

    Keys({kInsert});
    EXPECT_EQ(robot->GetObjectsList(), "arm, arm1");
    EXPECT_EQ(PositionOf(1), VectorF(110, 0));
    EXPECT_EQ(Steps(), 2) << "the copy and its offset are one step";
    EXPECT_EQ(robot->GetUndoCaption(), "add object");
    Frame();
    EXPECT_EQ(robot->GetToyCount(), 2);
    EXPECT_NE(robot->GetToy(0), robot->GetToy(1)) << "the copy is built as a toy of its own";
    Keys({127});
    EXPECT_EQ(robot->GetObjectsList(), "arm");
}

TEST_F(RobotEditTest, InsertJoinsEveryPairOfPartsUnderTheMouseInOneStep)
{
    AddObject("a", {0, 0});
    AddObject("b", {10, 0});
    AddObject("c", {20, 5});
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kJoints;
    MoveTo({12, 2});
    Keys({kInsert});
    ASSERT_EQ(robot->GetJointsCount(), 2);
    EXPECT_EQ(robot->GetJointsList(), "b, a");
    const JointDef& first = *robot->Joints()[0];
    EXPECT_EQ(first.mObjectA, FastName("c"));
    EXPECT_EQ(first.mObjectB, FastName("b"));
    EXPECT_FALSE(first.mAnchorAByPicture);
    EXPECT_TRUE(Near(first.mAnchorA, VectorF(12 - 20, 2 - 5))) << "the mouse in the toy's own frame";
    EXPECT_TRUE(Near(first.mAnchorB, VectorF(2, 2)));
    EXPECT_EQ(robot->Joints()[1]->mObjectA, FastName("b"));
    EXPECT_EQ(robot->Joints()[1]->mObjectB, FastName("a"));
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(robot->GetUndoCaption(), "connect objects with joint(s)");
    robot->SetNotes("after");
    EXPECT_EQ(Steps(), 2) << "the connecting series ended with the frame's keys";
}

TEST_F(RobotEditTest, JointModePicksJointsAndDragsTheirAngleAndAnchors)
{
    AddKnee();
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kJoints;
    robot->SelectJoint(-1);
    Press({20, 0});
    Frame();
    Release({20, 0});
    Frame();
    EXPECT_EQ(robot->GetJointSelectedIndex(), 0);

    KeysDown({Key::kLCtrl});
    Drag({0, 0}, {-5, 5}, 2);
    KeysUp({Key::kLCtrl});
    Frame();
    EXPECT_NEAR(robot->Joints()[0]->mAngle, 10.0f * 0.02f, 1e-5f) << "the drag turned the basic pose";
    EXPECT_EQ(robot->GetUndoCaption(), "robotdef: joint angle");
    EXPECT_EQ(Steps(), 1);

    KeysDown({Key::kLShift});
    Drag({0, 0}, {3, 4}, 2);
    KeysUp({Key::kLShift});
    Frame();
    EXPECT_TRUE(Near(robot->Joints()[0]->mAnchorA, VectorF(23, 4)));
    EXPECT_EQ(robot->GetUndoCaption(), "joint object A position");
    EXPECT_EQ(Steps(), 2);
}

TEST_F(RobotEditTest, TabCyclesTheModesAndShowsTheBasicPose)
{
    AddKnee();
    robot->AddPose();
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kPoses;
    ASSERT_EQ(robot->GetSelectedPoseIndex(), 1);
    Keys({kTab});
    EXPECT_EQ(mGame->mRobotEdit.mMode, RobotEditState::kObjects);
    EXPECT_EQ(robot->GetSelectedPoseIndex(), 0);
    EXPECT_TRUE(robot->mTransitionActive);
    EXPECT_EQ(mGame->mRobotEdit.mSelectionKind, 3);
    Keys({Key::kLShift, kTab});
    EXPECT_EQ(mGame->mRobotEdit.mMode, RobotEditState::kObjects) << "Tab only alone";

    // The mode buttons down the left edge.
    for (int32_t k : {2, 1, 3, 0}) {
        const VectorF button{20.0f - 500.0f, 20.0f + 40.0f * float(k) - 500.0f};
        Press(button);
        Frame();
        Release(button);
        Frame();
        EXPECT_EQ(mGame->mRobotEdit.mMode, k);
    }
}

TEST_F(RobotEditTest, PoseModeTurnsTheJointOfADraggedPartAndStepsThroughPoses)
{
    AddKnee();
    robot->AddPose();
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kPoses;
    const Joint* joint = robot->GetJoint(0);
    ASSERT_NE(joint, nullptr);
    ASSERT_EQ(joint->GetReferencePosition(), VectorF(20, 0));
    // A quarter turn around the knee's joint: the part follows the mouse.
    Drag({40, 0}, {20, 20}, 1);
    EXPECT_NEAR(robot->Joints()[0]->mPoses[1].mAngle, -kPi / 2.0f, 1e-4f);
    EXPECT_TRUE(Near(robot->GetToy(1)->GetPosition(), VectorF(20, 20)));
    EXPECT_EQ(Steps(), 1);
    EXPECT_EQ(robot->GetUndoCaption(), "robotdef: joint angle");

    // Page Down steps to the next pose of the range once per fade.
    robot->SelectPose(0);
    robot->mTransitionActive = false;
    KeysDown({281});
    Frame();
    EXPECT_EQ(robot->GetSelectedPoseIndex(), 1);
    Frame();
    EXPECT_EQ(robot->GetSelectedPoseIndex(), 1) << "held, it waits for the fade to end";
    KeysUp({281});
    robot->mTransitionActive = false;
    Keys({kKeySpace});
    EXPECT_TRUE(robot->GetPlayingAnim());
}

TEST_F(RobotEditTest, ThePoseTimeLineSelectsPosesAndSetsTheAnimationRange)
{
    AddKnee();
    robot->AddPose();
    robot->AddPose();
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kPoses;
    // The bar runs from x 30 to 970 at y 955..990 of the 1000-pixel window:
    // three poses stand at 30, 500 and 970.
    auto onBar = [](float x) { return VectorF(x - 500.0f, 970.0f - 500.0f); };
    robot->SelectPose(0);
    Press(onBar(480));
    Frame();
    Release(onBar(480));
    Frame();
    EXPECT_EQ(robot->GetSelectedPoseIndex(), 1);
    EXPECT_TRUE(robot->mTransitionActive);
    EXPECT_EQ(robot->mTransitionToPose, FastName("basic1"));

    Drag(onBar(40), onBar(960), 3);
    EXPECT_EQ(robot->GetAnimFromPose(), "basic");
    EXPECT_EQ(robot->GetAnimToPose(), "basic2");
    EXPECT_EQ(Steps(), 0) << "the preview is no edit";
}

TEST_F(RobotEditTest, TheUpdateKeepsOverlayShapesForEveryToyAndNothingRunsWithoutAnEditRobot)
{
    AddObject("a", {0, 0});
    AddObject("b", {100, 0});
    Build();
    EXPECT_EQ(mGame->mRobotEdit.mOverlay.mToyOutlines.Count(), 2);
    EXPECT_GT(mGame->mRobotEdit.mOverlay.mToyOutlines[0]->mPoints.Count(), 0);

    mGame->mEditRobots.RemoveAll();
    Press({0, 0});
    RobotEditInput(*mGame, view, 0);
    RobotEditUpdate(*mGame, 16);
    EXPECT_FALSE(UndoEditRobot(*mGame));
}

// Going to edit the robot's parts makes the selection getters answer with the
// built part the definition has selected, until the scene's own pick.
TEST_F(RobotEditTest, GoingToEditAPartMakesItTheSelectedOne)
{
    AddKnee();
    // In the robot builder's own lists, as loading a robot for editing builds it.
    RobotBuildOptions editor;
    editor.mEditor = true;
    ASSERT_TRUE(BuildRobot(*mGame, robot, editor));
    Toy* sceneToy = AddRoundToy(*mGame, 20.0f, {300, 300});
    ASSERT_NE(sceneToy, nullptr);
    mGame->mToys.SetSelectedIndex(mGame->mToys.IndexOf(sceneToy));
    robot->SelectObject(1);
    PageMethods::GoEditRobotToy(*mGame);
    EXPECT_EQ(mGame->mEditMode, 3);
    ASSERT_NE(ToyOfObject(*robot, 1), nullptr);
    EXPECT_EQ(SelectedToy(*mGame), ToyOfObject(*robot, 1));

    PageMethods::GoEditRobotJoint(*mGame);
    ASSERT_NE(SelectedJoint(*mGame), nullptr);
    EXPECT_EQ(mGame->mEditJoints.mJoints.IndexOf(SelectedJoint(*mGame)), mGame->mEditJoints.mJoints.GetSelectedIndex());

    EXPECT_TRUE(mGame->SelectToyAt({300, 300}));
    EXPECT_EQ(SelectedToy(*mGame), sceneToy) << "a pick in the scene takes over";
}

// The robot's particle links point the particle page at their own systems:
// going there from the robot and choosing another link leave the page on the
// system of the selected link, not the scene's nor a material's.
TEST_F(RobotEditTest, TheParticlePageFollowsTheSelectedParticleLink)
{
    AddKnee();
    for (const char* name : {"smoke", "sparks"}) {
        robot->AddParticles();
        robot->ParticlesSetName(name);
        robot->ParticlesSetLinkObjName("knee");
    }
    RobotBuildOptions editor;
    editor.mEditor = true;
    ASSERT_TRUE(BuildRobot(*mGame, robot, editor));
    ParticleSystem* sceneSystem = mGame->AddDefaultRockParticles();
    ASSERT_NE(sceneSystem, nullptr);
    mGame->mParticleSystems.mSystems.SetSelectedIndex(mGame->mParticleSystems.mSystems.IndexOf(sceneSystem));
    // The page was last on a material's dent particles.
    mGame->mSceneEditor.mParticleMaterialMode = 3;
    auto systemOf = [&](int32_t link) -> ParticleSystem* {
        const int32_t id = robot->ParticleLinks()[link]->mBuiltSystemId;
        for (ParticleSystem* s : mGame->mEditParticleSystems.mSystems)
            if (s->mPoolIndex == id) return s;
        return nullptr;
    };
    ASSERT_NE(systemOf(0), nullptr);
    ASSERT_NE(systemOf(1), nullptr);

    robot->SelectParticles(0);
    PageMethods::GoEditRobotParticles(*mGame);
    EXPECT_EQ(mGame->mEditMode, 5);
    EXPECT_EQ(SelectedParticleSystem(*mGame), systemOf(0));
    EXPECT_EQ(SPS_GetWhere(*mGame), "particles in robot builder");

    robot->SelectParticles(1);
    EXPECT_TRUE(mGame->SelectEditRobotParticles());
    EXPECT_EQ(SelectedParticleSystem(*mGame), systemOf(1));

    // A link whose system was not built keeps the page where it was.
    robot->AddParticles();
    robot->SelectParticles(2);
    EXPECT_FALSE(mGame->SelectEditRobotParticles());
    EXPECT_EQ(SelectedParticleSystem(*mGame), systemOf(1));

    // A click in the scene takes the page back to the scene's systems.
    EXPECT_TRUE(mGame->mSceneEditor.SelectParticleSystemAt(sceneSystem->GetPosition()));
    EXPECT_EQ(SelectedParticleSystem(*mGame), sceneSystem);
}

// The mode buttons take clicks on exactly the squares drawn for them, edges
// included; the gaps between them and the strips beside them choose nothing.
// The panel may lie anywhere: buttons are placed from its top-left corner.
TEST_F(RobotEditTest, ModeButtonsTakeClicksWhereTheyAreDrawn)
{
    view.mWindowPosition = {200, 100};
    view.mWorld = RectF(-300, -400, 700, 600); // the same world points under the same screen pixels
    Build();
    const struct {
        VectorF pixel; // from the panel's top-left corner
        int32_t mode;  // -1: the mode stays
    } cases[] = {
        {{3, 3}, 0},     {{40, 40}, 0},  {{20, 60}, 1},   {{3, 83}, 2},    {{40, 160}, 3},
        {{2, 20}, -1},   {{41, 20}, -1}, {{20, 41}, -1},  {{20, 42}, -1},  {{20, 161}, -1},
    };
    for (const auto& c : cases) {
        const int32_t before = c.mode == 1 ? 2 : 1;
        mGame->mRobotEdit.mMode = before;
        const VectorF at = c.pixel + view.mWindowPosition - VectorF(500, 500);
        Press(at);
        Frame();
        Release(at);
        Frame();
        EXPECT_EQ(mGame->mRobotEdit.mMode, c.mode < 0 ? before : c.mode) << c.pixel.mX << ", " << c.pixel.mY;
    }

    // Drawn: one face and one frame per button on its square, the current mode's face lit.
    const RobotEditOverlay& o = mGame->mRobotEdit.mOverlay;
    ASSERT_EQ(o.mModeFaces.mPoints.Count(), 4 * RobotEditState::kModeCount);
    ASSERT_EQ(o.mModeFrames.mPoints.Count(), 8 * RobotEditState::kModeCount);
    const uint32_t lit = o.mModeFaces.mColors[4 * mGame->mRobotEdit.mMode];
    for (int32_t k = 0; k < RobotEditState::kModeCount; ++k) {
        RectF face(1e9f, 1e9f, -1e9f, -1e9f), frame = face;
        for (int32_t i = 0; i < 4; ++i) face.IncludePoint(o.mModeFaces.mPoints[4 * k + i]);
        for (int32_t i = 0; i < 8; ++i) frame.IncludePoint(o.mModeFrames.mPoints[8 * k + i]);
        EXPECT_EQ(face, GetRobotEditModeButton(k)) << k;
        EXPECT_EQ(frame, GetRobotEditModeButton(k)) << k;
        EXPECT_EQ(o.mModeFaces.mColors[4 * k] == lit, k == mGame->mRobotEdit.mMode) << k;
    }
}

// The panel draws the overlay's marks and the buttons' frames as lines (line
// lists hold no triangles to fill) and the buttons' faces filled, the current
// mode's lit.
TEST_F(RobotEditTest, ThePanelDrawsTheOverlayAsLinesAndTheButtonFacesFilled)
{
    AddKnee();
    Build();
    mGame->mRobotEdit.mMode = RobotEditState::kPoses;
    RobotEditUpdate(*mGame, 16);
    mGame->CreateEditWindows();
    const EditWindow* window = mGame->mEditWindows.GetRobotEditorWindow();
    ASSERT_NE(window, nullptr);
    Renderer renderer;
    renderer.SetWindowSize(1024, 576);
    mGame->mRobotPanel.Draw(renderer, *window, robot, mGame->mRobotEdit.mOverlay, nullptr, mGame->mRobotEdit.mMode);

    std::vector<uint32_t> lines, filled;
    uint32_t mesh = 0xFFFFFFFFu;
    for (const RecordedCommand& c : SplitCommands(renderer.GetDrawBuffer())) {
        if (c.mOpcode == kOpVertexArrays) mesh = c.As<uint32_t>();
        const bool wire = c.mOpcode == kOpDrawWireframe;
        const bool fill = c.mOpcode == kOpDrawIndexed && !c.As<DrawIndexedPayload>().mWireframe;
        if ((!wire && !fill) || mesh >= uint32_t(renderer.GetPools().mMeshes.Count())) continue;
        // A shape of one colour keeps it in its draw state instead of per point.
        const RenderMesh& m = *renderer.GetPools().mMeshes[int32_t(mesh)];
        std::vector<uint32_t>& into = wire ? lines : filled;
        for (uint32_t colour : m.mColors) into.push_back(colour);
        if (m.mColors.Count() == 0) into.push_back(m.mDrawState.mFillColor.Pack());
    }
    auto holds = [](const std::vector<uint32_t>& list, ColorRGBA c) {
        return std::find(list.begin(), list.end(), c.Pack()) != list.end();
    };
    const struct {
        const char* what;
        ColorRGBA colour;
        bool line;
    } expected[] = {
        {"toy outlines", ColorRGBA(255, 255, 255, 160), true},
        {"joint marks", ColorRGBA(255, 120, 40, 255), true},
        {"button frames", ColorRGBA(200, 204, 210, 255), true},
        {"the current mode's face", ColorRGBA(190, 150, 50, 235), false},
        {"the other faces", ColorRGBA(58, 64, 73, 210), false},
    };
    for (const auto& e : expected) EXPECT_TRUE(holds(e.line ? lines : filled, e.colour)) << e.what;
}

// The plain buttons stand in for the chrome's pictures only: with every
// button picture in the library they are not built (and ones built before
// are dropped); one picture missing is enough to build them.
TEST_F(RobotEditTest, PlainModeButtonsAreBuiltOnlyWhereButtonPicturesAreMissing)
{
    AddKnee();
    Build();
    const char* const pictures[] = {"button1a", "button1b", "button2a", "button2b",
                                    "button3a", "button3b", "button4a", "button4b"};
    const struct {
        int32_t written; // pictures present, from the list's start
        bool plain;
    } cases[] = {{0, true}, {7, true}, {8, false}};
    for (const auto& c : cases) {
        for (int32_t i = 0; i < c.written; ++i)
            Write(std::string("Editor\\") + pictures[i] + ".png", TestPicture::Filled(16, 16, 90, 90, 90));
        // A library that sees the folder as it is now.
        TextureLib textures(Root());
        mGame->mTextureLib = &textures;
        RobotEditUpdate(*mGame, 16);
        mGame->mTextureLib = mTextures.get();
        const RobotEditOverlay& o = mGame->mRobotEdit.mOverlay;
        EXPECT_EQ(o.mModeFaces.mPoints.Count(), c.plain ? 4 * RobotEditState::kModeCount : 0) << c.written;
        EXPECT_EQ(o.mModeFrames.mPoints.Count(), c.plain ? 8 * RobotEditState::kModeCount : 0) << c.written;
    }
}

namespace {

// Where every part of the edit robot lives: counts of its parts found in the
// builder's lists and in the simulated ones.
struct PartHomes {
    int32_t inBuilder = 0;
    int32_t simulated = 0;
};

PartHomes FindHomes(const KIVGame& game, const Robot& robot)
{
    PartHomes h;
    for (Toy* t : robot.GetToys()) {
        h.inBuilder += game.mEditToys.IndexOf(t) >= 0;
        h.simulated += game.mToys.IndexOf(t) >= 0;
    }
    for (Joint* j : robot.GetJoints()) {
        h.inBuilder += game.mEditJoints.mJoints.IndexOf(j) >= 0;
        h.simulated += game.mJoints.mJoints.IndexOf(j) >= 0;
    }
    for (ParticleSystem* p : robot.GetParticleSystems()) {
        h.inBuilder += game.mEditParticleSystems.IndexOf(p) >= 0;
        h.simulated += game.mParticleSystems.IndexOf(p) >= 0;
    }
    return h;
}

} // namespace

// However the robot editor rebuilds its robot, its parts stay in the builder's
// lists, where nothing steps them, and the builder's selections follow the
// definition's.
TEST_F(RobotEditTest, RebuildsKeepTheEditRobotsPartsInTheBuildersLists)
{
    AddKnee();
    robot->AddParticles();
    robot->ParticlesSetName("jet");
    robot->ParticlesSetLinkObjName("knee");
    Build();
    const int32_t simulatedSystems = mGame->mParticleSystems.Count();
    const struct {
        const char* action;
        void (*act)(KIVGame& game, Robot& robot);
    } actions[] = {
        {"edit", [](KIVGame& game, Robot& r) {
             r.SelectObject(0);
             r.ObjectSetPosX(60.0f);
             RobotEditUpdate(game, 16);
         }},
        {"keyboard undo", [](KIVGame& game, Robot&) { EXPECT_TRUE(UndoEditRobot(game)); }},
        {"keyboard redo", [](KIVGame& game, Robot&) { EXPECT_TRUE(RedoEditRobot(game)); }},
        {"script undo", [](KIVGame& game, Robot&) { game.RobotUndoNow(); }},
        {"script redo", [](KIVGame& game, Robot&) { game.RobotRedoNow(); }},
    };
    for (const auto& a : actions) {
        SCOPED_TRACE(a.action);
        a.act(*mGame, *robot);
        ASSERT_EQ(robot, mGame->GetEditRobot());
        ASSERT_EQ(robot->GetToyCount(), 2);
        ASSERT_EQ(robot->GetJoints().Count(), 1);
        ASSERT_EQ(robot->GetParticleSystems().Count(), 1);
        const PartHomes homes = FindHomes(*mGame, *robot);
        EXPECT_EQ(homes.inBuilder, 4);
        EXPECT_EQ(homes.simulated, 0);
        EXPECT_EQ(mGame->mToys.Count(), 0);
        EXPECT_EQ(mGame->mJoints.mJoints.Count(), 0);
        EXPECT_EQ(mGame->mParticleSystems.Count(), simulatedSystems);
        EXPECT_EQ(mGame->mEditToys.Count(), 2) << "the parts before the rebuild are gone";
        EXPECT_EQ(mGame->mEditParticleSystems.Count(), 1);
        EXPECT_TRUE(Near(robot->GetToy(0)->GetPosition(), PositionOf(0)));
    }
    EXPECT_EQ(PositionOf(0), VectorF(60, 0)) << "the redo brought the edit back";
    EXPECT_EQ(mGame->mEditParticleSystems.mSystems.GetSelected(), robot->GetParticleSystems()[0])
        << "undo and redo select the built system of the selected link";
}

// The particle-system page's selection follows the definition's selected link
// to the system built for it, the last of the builder's systems with its id.
TEST_F(RobotEditTest, TheParticleSelectionFollowsTheSelectedLink)
{
    AddKnee();
    for (const char* name : {"jet", "smoke"}) {
        robot->AddParticles();
        robot->ParticlesSetName(name);
        robot->ParticlesSetLinkObjName("body");
    }
    Build();
    PtrArray<ParticleSystem>& systems = mGame->mEditParticleSystems.mSystems;
    ASSERT_EQ(systems.Count(), 2);
    // Going to the robot's particle systems syncs the selection.
    robot->SelectParticles(1);
    systems.SetSelectedIndex(0);
    PageMethods::GoEditRobotParticles(*mGame);
    EXPECT_EQ(mGame->mEditMode, 5);
    EXPECT_EQ(SelectedParticleSystem(*mGame), systems[1]);

    const struct {
        const char* name;
        int32_t link;          // the definition's selected link
        int32_t builtId;       // -2 leaves the link's own id
        int32_t twins;         // systems appended after the robot's carrying the same id
        bool withoutRobot;
        bool found;
        int32_t selected;      // the builder list's index afterwards
    } cases[] = {
        {"first link", 0, -2, 0, false, true, 0},
        {"second link", 1, -2, 0, false, true, 1},
        {"a link built nowhere", 1, -1, 0, false, false, 0},
        {"an id no system has", 0, 12345, 0, false, false, 0},
        {"the last twin wins", 0, -2, 2, false, true, 3},
        {"no edit robot", 0, -2, 0, true, false, 0}, // last: it takes the robot away
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        robot->SelectParticles(c.link);
        ParticlesDef* link = robot->ParticleLinks().GetSelected();
        ASSERT_NE(link, nullptr);
        const int32_t ownId = link->mBuiltSystemId;
        ASSERT_EQ(ownId, systems[c.link]->mPoolIndex) << "a built system carries its link's id";
        if (c.builtId != -2) link->mBuiltSystemId = c.builtId;
        std::vector<ParticleSystem*> twins;
        for (int32_t i = 0; i < c.twins; ++i) {
            twins.push_back(mGame->NewParticleSystem(mGame->mEditParticleSystems));
            ASSERT_NE(twins.back(), nullptr);
        }
        std::vector<int32_t> twinIds;
        for (ParticleSystem* t : twins) {
            twinIds.push_back(t->mPoolIndex);
            t->mPoolIndex = ownId;
        }
        if (c.withoutRobot) mGame->mEditRobots.RemoveAll();
        systems.SetSelectedIndex(0);
        mGame->mSceneEditor.mParticlesInRobotBuilder = false;
        mGame->mSceneEditor.mParticleMaterialMode = 4;

        EXPECT_EQ(mGame->SelectEditRobotParticles(), c.found);
        EXPECT_EQ(systems.GetSelectedIndex(), c.selected);
        EXPECT_EQ(mGame->mSceneEditor.mParticlesInRobotBuilder, c.found);
        EXPECT_EQ(mGame->mSceneEditor.mParticleMaterialMode, c.found ? 0 : 4);
        if (c.withoutRobot) break; // the last case: the robot and its links are gone

        link->mBuiltSystemId = ownId;
        for (size_t i = 0; i < twins.size(); ++i) {
            twins[i]->mPoolIndex = twinIds[i];
            mGame->DeleteParticleSystem(mGame->mEditParticleSystems, twins[i]);
        }
    }

}

// The general particle-system page records the edit robot's history only
// while it shows one of that robot's systems from the builder's own list.
TEST_F(RobotEditTest, TheParticlePageRecordsOnlyForTheEditRobotsOwnSystem)
{
    AddKnee();
    robot->AddParticles();
    robot->ParticlesSetName("jet");
    robot->ParticlesSetLinkObjName("body");
    Build();
    ParticleSystem* own = robot->GetParticleSystems()[0];
    ParticleSystem* stray = mGame->NewParticleSystem(mGame->mEditParticleSystems);
    ASSERT_NE(stray, nullptr);
    PtrArray<ParticleSystem>& systems = mGame->mEditParticleSystems.mSystems;
    const struct {
        const char* name;
        int32_t mode;
        bool inBuilder;
        int32_t materialMode;
        ParticleSystem* selected;
        bool records;
    } cases[] = {
        {"its own system", kEditModeParticles, true, 0, own, true},
        {"a system of no robot", kEditModeParticles, true, 0, stray, false},
        {"the scene's list shown", kEditModeParticles, false, 0, own, false},
        {"a material's templates shown", kEditModeParticles, true, 4, own, false},
        {"another page", kEditModeTerrain, true, 0, own, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mGame->mEditMode = c.mode;
        mGame->mSceneEditor.mParticlesInRobotBuilder = c.inBuilder;
        mGame->mSceneEditor.mParticleMaterialMode = c.materialMode;
        systems.SetSelectedIndex(systems.IndexOf(c.selected));
        EXPECT_EQ(mGame->IsEditingEditRobotPart(), c.records);
        const int32_t before = Steps();
        mGame->RobotUndoAutoSave("particle property");
        EXPECT_EQ(Steps(), before + (c.records ? 1 : 0));
    }
}

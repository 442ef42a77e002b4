#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <memory>
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "physics/toys/Toy.h"
#include "render/TextureLib.h"
#include "support/GameFixture.h"

using namespace KIV;


TEST_F(GameFixture, SettingsAccessors)
{
    KIVGame& g = *mGame;
    EXPECT_NEAR(g.GetMaxvABPSquared(), 40.0f, 1e-4f);
    g.SetMaxvABPSquared(40.0f);
    EXPECT_NEAR(g.GetMaxvABPSquared(), 40.0f, 1e-4f);

    struct { int32_t index; bool set; bool expected; } stages[] = {
        {0, false, true}, {13, false, true}, {1, false, false}, {12, false, false}, {5, true, true}};
    for (auto& s : stages) {
        g.SetToySubPlayEnabled(s.index, s.set);
        EXPECT_EQ(g.GetToySubPlayEnabled(s.index), s.expected) << s.index;
    }

    g.SetGravity(500.0f);
    EXPECT_EQ(g.GetGravity(), 500.0f);
    EXPECT_EQ(g.mGravity, VectorF(0.0f, 500.0f));
}

TEST_F(GameFixture, ANewFrequencyReachesToysAndZeroIsIgnored)
{
    KIVGame& g = *mGame;
    Toy* toy = g.NewToySlot();
    ASSERT_NE(toy, nullptr);
    g.SetPhysicsFrequency(100);
    EXPECT_EQ(g.GetPhysicsFrequency(), 100);
    EXPECT_FLOAT_EQ(toy->mStepLength, 0.01f);
    EXPECT_FLOAT_EQ(toy->mHalfStepLengthSquared, 0.5f * 0.01f * 0.01f);
    for (int32_t bad : {0, -210}) {
        g.SetPhysicsFrequency(bad);
        EXPECT_EQ(g.GetPhysicsFrequency(), 100);
        EXPECT_EQ(gSettings->mPhysicsFrequency, 100);
        EXPECT_FLOAT_EQ(toy->mStepLength, 0.01f);
    }
}

TEST_F(GameFixture, AnEmptySceneIs22Bytes)
{
    std::string path = mFolder.PathOf("Scenes\\Scene01.kis");
    ASSERT_TRUE(mGame->SaveScene(path));
    const unsigned char expected[22] = {3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::string bytes = Bytes(path);
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, 22), 0);
}

TEST_F(GameFixture, SceneRoundTripKeepsObjectsOutsideTheLayersAndTheScenario)
{
    AddGround(0, {100, 200});
    AddGround(-5, {-300, 50});
    AddGround(40, {7, 7}); // outside the layer stack: still saved
    mGame->RebuildDerivedState();
    mGame->mScenario.AddRobot("walker");
    mGame->mScenario.SetSelectedRobotPosition({5, 6});
    std::string path = mFolder.PathOf("Scenes\\Scene01.kis");
    ASSERT_TRUE(mGame->SaveScene(path));

    mGame->mTerrainObjects.DeleteAll();
    mGame->mScenario.Clear();
    ASSERT_TRUE(mGame->LoadScene(path));
    ASSERT_EQ(mGame->mTerrainObjects.Count(), 3);
    // Written layer by layer: back layers first, the stray object last.
    EXPECT_EQ(mGame->mTerrainObjects[0]->GetLayer(), -5);
    EXPECT_EQ(mGame->mTerrainObjects[1]->GetLayer(), 0);
    EXPECT_EQ(mGame->mTerrainObjects[2]->GetLayer(), 40);
    EXPECT_EQ(mGame->mScenario.GetRobotsCount(), 1);
    EXPECT_EQ(mGame->mScenario.GetSelectedRobotPosition(), VectorF(5, 6));

    // Saving again keeps the first file as a dated backup.
    ASSERT_TRUE(mGame->SaveScene(path));
    EXPECT_EQ(ListFolder(mFolder.PathOf("Scenes\\backups"), "Scene01.*.kis").size(), 1u);
}

TEST_F(GameFixture, DamagedScenesLeaveTheSceneAsItWas)
{
    AddGround(0, {0, 0});
    AddGround(1, {0, 0});
    mGame->mScenario.AddRobot("keep");
    std::string path = mFolder.PathOf("Scenes\\Scene01.kis");
    ASSERT_TRUE(mGame->SaveScene(path));
    std::string whole = Bytes(path);

    auto expectUnchanged = [&](const char* what) {
        EXPECT_EQ(mGame->mTerrainObjects.Count(), 2) << what;
        EXPECT_EQ(mGame->mScenario.GetRobotsCount(), 1) << what;
    };
    EXPECT_FALSE(mGame->LoadScene(mFolder.PathOf("Scenes\\missing.kis")));
    expectUnchanged("missing");

    std::string future = whole;
    future[0] = 4;
    mFolder.WriteFile("future.kis", future);
    EXPECT_FALSE(mGame->LoadScene(mFolder.PathOf("future.kis")));
    expectUnchanged("future version");

    std::string huge = whole;
    huge[1] = huge[2] = huge[3] = '\x7f';
    mFolder.WriteFile("huge.kis", huge);
    EXPECT_FALSE(mGame->LoadScene(mFolder.PathOf("huge.kis")));
    expectUnchanged("count beyond the bytes");

    // Every prefix either loads or leaves the scene whole; none crashes.
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        mFolder.WriteFile("cut.kis", whole.substr(0, cut));
        if (!mGame->LoadScene(mFolder.PathOf("cut.kis"))) expectUnchanged("prefix");
    }
}

// Every refused load names the file and the reason; a cut inside the last
// record loads with defaults and says which object they completed.
TEST_F(GameFixture, EachDamagedSceneGivesANoticeWithItsReason)
{
    AddGround(0, {0, 0});
    AddGround(1, {0, 0});
    mGame->mScenario.AddRobot("keep");
    std::string path = mFolder.PathOf("Scenes\\Scene01.kis");
    ASSERT_TRUE(mGame->SaveScene(path));
    const std::string whole = Bytes(path);
    const int32_t recordSize = int32_t(BendObject::kRecordFixedSize + std::string("Ground\\g.png").size());
    ASSERT_EQ(whole.size(), size_t(5 + 2 * recordSize + 34)) << "two objects and one robot's start";

    std::string huge = whole;
    huge[1] = huge[2] = huge[3] = '\x7f';
    std::string absurd = whole;
    const float farAway = -3.0e38f;
    std::memcpy(&absurd[5 + recordSize + 1 + 4 + 12 + 4 + 1 + 1 + 16], &farAway, 4);  // object 2, side 1's start vector
    std::string random(300, '\0');
    for (size_t i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) % 251);
    random[0] = 2;
    struct Case {
        std::string name, bytes, notice;
        bool loads;
    };
    const Case cases[] = {
        {"missing", "", "could not be loaded: not found", false},
        {"empty", "", "could not be loaded: the file is empty", false},
        {"future", std::string(1, '\x04') + whole.substr(1), "could not be loaded: version 4 is too new (this game reads up to version 3)", false},
        {"short", whole.substr(0, 3), "could not be loaded: damaged at byte 1: the file ends early", false},
        {"huge", huge, "could not be loaded: damaged at byte 1: it claims 8355711 terrain objects", false},
        {"random", random, "could not be loaded: damaged at byte 1: it claims", false},
        {"absurd", absurd, "could not be loaded: damaged at byte " + std::to_string(5 + recordSize) + ": terrain object 2 holds values out of range", false},
        {"cut in the last", whole.substr(0, 5 + recordSize + 160), "ends early at byte " + std::to_string(5 + recordSize + 158) + ": terrain object 2 (Ground\\g.png) was completed with defaults", true},
        {"cut in the robots", whole.substr(0, whole.size() - 3), "ends early at byte " + std::to_string(whole.size() - 4) + ": the robot start list was completed with defaults", true},
    };
    for (const Case& c : cases) {
        const std::string name = "Scenes\\" + c.name + ".kis";
        if (c.name != "missing") mFolder.WriteFile(name, c.bytes);
        Notices().Clear();
        EXPECT_EQ(mGame->LoadScene(mFolder.PathOf(name)), c.loads) << c.name;
        EXPECT_EQ(Notices().GetReportedCount(), 1) << c.name;
        EXPECT_EQ(Notices().GetLast().rfind("Scene " + name + " " + c.notice, 0), 0u) << Notices().GetLast();
        if (!c.loads) {
            EXPECT_EQ(mGame->mTerrainObjects.Count(), 2) << c.name;
            EXPECT_EQ(mGame->mScenario.GetRobotsCount(), 1) << c.name;
        }
        if (c.name != "missing") {
            EXPECT_EQ(mFolder.ReadFile(name), c.bytes) << "a load never writes";
        }
    }
}

TEST_F(GameFixture, SavingOverADamagedSceneKeepsItAsABackupAndSaysSo)
{
    AddGround(0, {0, 0});
    const std::string name = "Scenes\\Scene01.kis";
    std::filesystem::create_directories(OsPath("Scenes"));
    mFolder.WriteFile(name, "\x03garbage");
    EXPECT_FALSE(mGame->LoadScene(mFolder.PathOf(name)));
    Notices().Clear();
    ASSERT_TRUE(mGame->SaveScene(mFolder.PathOf(name)));
    EXPECT_EQ(Notices().GetLast(),
              "Scene Scenes\\Scene01.kis was damaged: it is kept in Scenes\\backups and the scene was saved over it");
    const auto backups = ListFolder(mFolder.PathOf("Scenes\\backups"), "Scene01.*.kis");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(mFolder.ReadFile("Scenes\\backups\\" + backups[0].mName), "\x03garbage");
    Notices().Clear();
    ASSERT_TRUE(mGame->LoadScene(mFolder.PathOf(name)));
    EXPECT_EQ(Notices().GetReportedCount(), 0);
}

TEST_F(GameFixture, AFailedSaveIsReportedAndShowsNoNotice)
{
    // A folder where the file should be: the save cannot replace it.
    std::filesystem::create_directories(OsPath("Scenes\\Scene01.kis"));
    EXPECT_FALSE(mGame->SaveScene(mFolder.PathOf("Scenes\\Scene01.kis")));
    EXPECT_EQ(Notices().GetLast(), "Scene Scenes\\Scene01.kis could not be saved: a folder, not a file");
}

TEST_F(GameFixture, AMinimisedWindowKeepsTheLastViews)
{
    KIVGame& g = *mGame;
    g.mTiming.mElapsedMs = 5;
    g.UpdateCamera();
    DepthLayer* front = g.mLayers.GetLayer(0);
    VectorF before = front->mViewMin;
    g.mWindowWidth = 0;
    g.mWindowHeight = 0;
    g.mCamera.mTargetPosition = VectorF(5000, 5000);
    g.UpdateCamera();
    EXPECT_EQ(front->mViewMin, before);
    EXPECT_FALSE(std::isnan(g.mDrawOptions.mViewRect.x1));
}

// Layer 0's colour becomes the view colour the frame clears to: the sky.
TEST_F(GameFixture, LayerZeroColourIsTheSky)
{
    KIVGame& g = *mGame;
    g.mWindowWidth = 640;
    g.mWindowHeight = 360;
    g.mLayers.GetLayer(0)->mColor = ColorRGBAF(0.1f, 0.2f, 0.3f, 1.0f);
    g.mLayers.GetLayer(-3)->mColor = ColorRGBAF(1.0f, 0.0f, 0.0f, 1.0f);
    g.UpdateCamera();
    EXPECT_EQ(g.mViewColor.mRed, 0.1f);
    EXPECT_EQ(g.mViewColor.mGreen, 0.2f);
    EXPECT_EQ(g.mViewColor.mBlue, 0.3f);
    EXPECT_EQ(g.mViewColor.mAlpha, 1.0f);
}


TEST_F(GameFixture, AHitToyBreaksInTheStepAndLooseCrumbsGo)
{
    KIVGame& g = *mGame;
    Toy* big = AddRoundToy(g, 160.0f, {0, 0});
    ASSERT_NE(big, nullptr);
    Toy* crumb = AddRoundToy(g, 8.0f, {500, 0}); // area about 50: debris
    ASSERT_NE(crumb, nullptr);
    big->SetHitByPosition(0, VectorF(), false);
    const float area = big->GetArea();

    g.SimulateStep();
    ASSERT_EQ(g.mToys.Count(), 2); // the two pieces; the crumb is gone
    float pieces = 0.0f;
    for (Toy* t : g.mToys) {
        EXPECT_FALSE(t->mHit.IsPending());
        pieces += t->GetArea();
    }
    EXPECT_NEAR(pieces, area, area * 0.01f);
}

TEST_F(GameFixture, AnOverloadedJointBreaksInTheStep)
{
    KIVGame& g = *mGame;
    Toy* a = AddRoundToy(g, 100.0f, {0, 0});
    Toy* b = AddRoundToy(g, 100.0f, {150, 0});
    ASSERT_TRUE(a && b);
    Joint* strong = g.CreateJoint(g.mJoints, "strong", a, VectorF(50, 0), b, VectorF(-50, 0), nullptr);
    Joint* weak = g.CreateJoint(g.mJoints, "weak", a, VectorF(0, 50), b, VectorF(0, 50), nullptr);
    ASSERT_TRUE(strong && weak);
    weak->SetBreakJointMinForce(-1.0f); // any load breaks it
    g.SimulateStep();
    ASSERT_EQ(g.mJoints.mJoints.Count(), 1);
    EXPECT_EQ(g.mJoints.mJoints[0], strong);
}

// A key pressed during a frame too quick to run a step is seen by the next frame that runs one:
// the main loop ends the input frame only when the frame looked at the input.
TEST_F(GameFixture, AKeyPressedInAFrameWithoutStepsIsNotLost)
{
    KIVGame& g = *mGame;
    g.mInput.AddKeyboard();
    g.mInput.AddMouse();
    g.mFirstFrameDone = true;
    auto frame = [&g](uint32_t ticks) {
        const bool handled = g.RunGameFrame(ticks);
        if (handled) g.mInput.EndFrame();
        return handled;
    };
    ASSERT_TRUE(frame(1000));
    InputEvent press;
    press.mType = InputEvent::kKeyDown;
    press.mCode = 'p';
    g.mInput.HandleEvent(press);
    InputEvent release = press;
    release.mType = InputEvent::kKeyUp;
    g.mInput.HandleEvent(release);
    EXPECT_FALSE(frame(1001)) << "one millisecond runs no step";
    EXPECT_FALSE(g.mPaused);
    EXPECT_TRUE(frame(1010));
    EXPECT_TRUE(g.mPaused) << "the press of the quick frame pauses the game";
    EXPECT_TRUE(frame(1020));
    EXPECT_TRUE(g.mPaused) << "and only once";
}

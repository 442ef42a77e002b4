// The shipped scene's robot, in the game's own step with its scripts: it
// stands, walks under a held control, and steps the same on any number of
// threads.
#include <gtest/gtest.h>
#include <cstdio>
#include <filesystem>
#include "base/WorkTeam.h"
#include "game/ScriptAPI.h"
#include "base/MathUtil.h"
#include "physics/joints/Joint.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

class ShippedRobotTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        namespace fs = std::filesystem;
        const fs::path tree(KIV_RUNTREE_DIR);
        const fs::path root(ToOsPath(mFolder.Path()));
        ASSERT_TRUE(fs::is_regular_file(tree / "Robots" / "spider1.robot"));
        fs::copy(tree / "Textures", root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        for (const char* folder : {"Scenes", "Robots"}) {
            fs::create_directories(root / folder);
            fs::copy(tree / folder, root / folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        }
        mHost.InitScriptVM(&RegisterScriptAPI);
        mGame->StartRobotScripting();
        mGame->LoadStartUpContent();
    }
    void TearDown() override
    {
        mGame.reset();
        gScriptTemplates = nullptr;
        GameFixture::TearDown();
    }
    Robot* Spider() const { return mGame->mRobots.GetCurrentRobot(); }
    void Step(int32_t steps, bool right, bool fire = false)
    {
        for (int32_t i = 0; i < steps; ++i) {
            InputFrame& f = mGame->mInputFrame;
            f = InputFrame{};
            f.mD.mIsDown = right ? 1 : 0;
            f.mD.mWentDown = right && i == 0 ? 1 : 0;
            f.mFire.mIsDown = fire ? 1 : 0;
            f.mFire.mWentDown = fire && i == 0 ? 1 : 0;
            // Aimed up ahead of the robot.
            const VectorF aim = Spider()->GetToy(0)->GetPosition() + VectorF(1600.0f, -300.0f);
            f.mMouseWorldX = aim.mX;
            f.mMouseWorldY = aim.mY;
            mGame->SimulateStep();
        }
    }
    float BodyX() const { return Spider()->GetToy(0)->GetPosition().mX; }

    ScriptHost mHost;
    ScriptTemplates mTemplates{mHost};
};

TEST_F(ShippedRobotTest, TheSceneStartsWithTheSpiderAliveAndScripted)
{
    Robot* spider = Spider();
    ASSERT_NE(spider, nullptr);
    EXPECT_EQ(spider->GetName(), "spider1");
    EXPECT_FALSE(spider->IsDead());
    EXPECT_EQ(spider->GetToyCount(), spider->GetObjectsCount());
    EXPECT_EQ(spider->GetJointCount(), int(spider->Joints().Count()));
    EXPECT_TRUE(spider->mScript.mDeclared);
    // Its Build script made the legs stiff.
    EXPECT_GT(spider->GetJointByName("legA1_hip")->GetAngularSpringPower(), 0.0f);
    // The robot editor holds its own copy, in lists of its own.
    ASSERT_NE(mGame->GetEditRobot(), nullptr);
    EXPECT_EQ(mGame->GetEditRobot()->GetName(), "spider1");
    EXPECT_EQ(mGame->mEditToys.Count(), spider->GetToyCount());
    EXPECT_EQ(mHost.GetResults().GetCount(), 0) << mHost.GetResults().GetNewest(0)->mResult;
}

TEST_F(ShippedRobotTest, TheGameOpensOnTheToysTheRobotAndTheFallingDebris)
{
    // The window the game opens with, and the full screen of the test display.
    for (const VectorI screen : {VectorI(mGame->mWindowWidth, mGame->mWindowHeight), VectorI(1280, 800)}) {
        SCOPED_TRACE(screen.mX);
        mGame->mCamera.SetScreenSize(screen.mX, screen.mY);
        const RectF view = mGame->mCamera.GetViewRect();
        const auto inView = [&](const VectorF& p, float margin) {
            return p.mX > view.x1 + margin && p.mX < view.x2 - margin && p.mY > view.y1 + margin &&
                   p.mY < view.y2 - margin;
        };
        for (const Toy* toy : Spider()->GetToys()) EXPECT_TRUE(inView(toy->GetPosition(), 60.0f)) << toy->GetName().GetInString();
        const ParticleSystem* rock = nullptr;
        for (const ParticleSystem* system : mGame->mParticleSystems)
            if (system->GetTexture() == "Particles\\rock.png") rock = system;
        ASSERT_NE(rock, nullptr);
        EXPECT_TRUE(inView(rock->GetPosition(), 60.0f));
        int32_t toys = 0, toysInView = 0;
        for (const Toy* toy : mGame->GetToys()) {
            if (toy->mOwningRobot) continue;
            ++toys;
            toysInView += inView(toy->GetPosition(), 0.0f) ? 1 : 0;
        }
        EXPECT_EQ(toysInView, toys) << "the default toys start in sight";
    }
    // A second later the debris is falling there, most of it in sight.
    Step(210, false);
    const RectF view = mGame->mCamera.GetViewRect();
    for (const ParticleSystem* system : mGame->mParticleSystems) {
        if (system->GetTexture() != "Particles\\rock.png") continue;
        int32_t seen = 0;
        for (int32_t slot = system->GetMovingHead(); slot >= 0; slot = system->GetLink(slot).mNext) {
            const VectorF p = system->mPositions[slot];
            seen += p.mX > view.x1 && p.mX < view.x2 && p.mY > view.y1 && p.mY < view.y2 ? 1 : 0;
        }
        EXPECT_GT(seen, 20);
        EXPECT_GT(seen, system->GetMovingCount() / 2);
    }
}

TEST_F(ShippedRobotTest, TheFireControlShootsFromTheGunAtOnceAndThenTenTimesASecond)
{
    Robot* spider = Spider();
    ParticleSystem* gun = spider->GetParticlesByName("gunfire");
    ASSERT_NE(gun, nullptr);
    EXPECT_EQ(spider->GetToyByName("gun")->mParticleSystems.IndexOf(gun), 0);
    EXPECT_GE(mGame->mParticleSystems.IndexOf(gun), 0);
    Step(200, false);
    EXPECT_EQ(gun->GetParticleCount(), 0) << "the gun is quiet until fired";
    // The Update script runs after the physics: the shot leaves in the next step.
    Step(1, false, true);
    EXPECT_EQ(gun->GetParticleCount(), 0);
    mGame->mInputFrame.mFire.mWentDown = 0;
    mGame->SimulateStep();
    ASSERT_EQ(gun->GetParticleCount(), 1);
    const int32_t shot = gun->GetMovingHead();
    const Toy& barrel = *spider->GetToyByName("gun");
    EXPECT_LT(VectorF::GetDistance(gun->mPositions[shot], barrel.LocalToWorld({-26.0f, 0.0f})), 20.0f);
    // The aim is up ahead: the shot flies that way.
    EXPECT_GT(gun->mVelocities[shot].mX, 500.0f);
    EXPECT_LT(gun->mVelocities[shot].mY, 0.0f);
    // Held: the next shots follow 21 steps apart, and none in between.
    struct Hold {
        int32_t steps;
        int32_t shots;
    };
    int32_t held = 2;
    for (const Hold h : {Hold{20, 1}, Hold{1, 2}, Hold{20, 2}, Hold{1, 3}}) {
        for (int32_t i = 0; i < h.steps; ++i) mGame->SimulateStep();
        held += h.steps;
        EXPECT_EQ(gun->GetParticleCount(), h.shots) << "after " << held << " steps held";
    }
    // Let go: no more shots.
    Step(30, false);
    EXPECT_LE(gun->GetParticleCount(), 3);
    EXPECT_EQ(mHost.GetResults().GetCount(), 0) << mHost.GetResults().GetNewest(0)->mResult;
}

TEST_F(ShippedRobotTest, ARemovedRobotTakesItsEmittersAlong)
{
    Robot* spider = Spider();
    const int32_t systems = mGame->mParticleSystems.Count();
    ASSERT_EQ(spider->GetParticleSystemCount(), 1);
    ASSERT_TRUE(mGame->mRobots.RemoveRobot(spider));
    EXPECT_EQ(mGame->mParticleSystems.Count(), systems - 1);
    for (ParticleSystem* system : mGame->mParticleSystems) EXPECT_EQ(system->GetRobotLinked(), nullptr);
    // A reset builds the robot again, with one emitter.
    mGame->ResetLevel(false);
    ASSERT_NE(Spider(), nullptr);
    EXPECT_EQ(Spider()->GetParticleSystemCount(), 1);
    Step(50, false);
}

TEST_F(ShippedRobotTest, ItStandsStillWithoutAKeyWhereverItAims)
{
    // Joint friction too strong for the light leg pieces overshoots each step
    // and shakes the legs: the robot then shuffles along on its own.
    struct Case {
        const char* what;
        int32_t walkFirst;  // steps of walking right before the keys are let go
        VectorF aim;        // relative to the body
    };
    const Case cases[] = {
        {"aiming ahead", 0, {1000.0f, 0.0f}},
        {"aiming up behind", 0, {-600.0f, -800.0f}},
        {"after a walk, aiming far up ahead", 420, {1600.0f, -400.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mGame->ResetLevel(false);
        const auto step = [&](int32_t steps, bool right) {
            for (int32_t i = 0; i < steps; ++i) {
                InputFrame& f = mGame->mInputFrame;
                f = InputFrame{};
                f.mD.mIsDown = right ? 1 : 0;
                f.mD.mWentDown = right && i == 0 ? 1 : 0;
                const VectorF aim = Spider()->GetToy(0)->GetPosition() + c.aim;
                f.mMouseWorldX = aim.mX;
                f.mMouseWorldY = aim.mY;
                mGame->SimulateStep();
            }
        };
        step(c.walkFirst, true);
        step(600, false);  // it settles on its feet
        const VectorF before = Spider()->GetToy(0)->GetPosition();
        step(1680, false);
        const VectorF after = Spider()->GetToy(0)->GetPosition();
        // The ground is not quite level everywhere: a little sliding is the slope's.
        EXPECT_LT(VectorF::GetDistance(before, after), 20.0f)
            << "from " << before.mX << "," << before.mY << " to " << after.mX << "," << after.mY;
    }
    EXPECT_EQ(mHost.GetResults().GetCount(), 0) << mHost.GetResults().GetNewest(0)->mResult;
}

TEST_F(ShippedRobotTest, ItWalksRightWhileRightIsHeld)
{
    Step(600, false);
    const float standing = BodyX();
    const float standingY = Spider()->GetToy(0)->GetPosition().mY;
    Step(1260, true);
    std::printf("spider: stood at %.1f,%.1f, after walking at %.1f,%.1f\n", standing, standingY, BodyX(),
                Spider()->GetToy(0)->GetPosition().mY);
    // Six seconds of walking carry it several body lengths.
    EXPECT_GT(BodyX(), standing + 600.0f);
    // Upright: it walked on its legs, not rolled.
    EXPECT_LT(std::fabs(WrapAngle(Spider()->GetToy(0)->GetOrientation(), -kPi, kTwoPi)), 0.6f);
    EXPECT_EQ(mHost.GetResults().GetCount(), 0) << mHost.GetResults().GetNewest(0)->mResult;
}

TEST_F(ShippedRobotTest, TheCurrentRobotHearsAKeyGoingDownInThatStepOnlyAndNothingOnceDead)
{
    Step(1, true);  // Right went down in this step and is held
    EXPECT_TRUE(Spider()->KeyRight_Downed());
    EXPECT_TRUE(Spider()->KeyRight_Down());
    EXPECT_FLOAT_EQ(Spider()->KeyMousePos_Aim().mX, mGame->mInputFrame.mMouseWorldX);
    EXPECT_FLOAT_EQ(Spider()->KeyMousePos_Aim().mY, mGame->mInputFrame.mMouseWorldY);
    mGame->mInputFrame.mD.mWentDown = 0;
    mGame->SimulateStep();  // still held
    EXPECT_FALSE(Spider()->KeyRight_Downed());
    EXPECT_TRUE(Spider()->KeyRight_Down());
    Spider()->SetDead();
    Step(1, false);
    EXPECT_TRUE(Spider()->KeyRight_Down()) << "a dead robot keeps its last controls";
}

TEST_F(ShippedRobotTest, AFadeReachesThePoseAnglesOfItsJoints)
{
    Robot* spider = Spider();
    spider->FadeAngularSpringAnglesByPose("legA", "walk2", 0.1f);
    Step(30, false);  // 0.1 s is 21 steps
    for (const char* name : {"legA1_hip", "legA1_knee", "legA2_hip", "legA2_knee"}) {
        const JointDef* entry = spider->FindJointByName(FastName(name));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_NEAR(spider->GetJointByName(name)->mSpringAngle, RobotDef::FindPoseEntry(*entry, FastName("walk2"))->mAngle,
                    1e-5f)
            << name;
    }
    // The other group was not asked.
    const JointDef* other = spider->FindJointByName(FastName("legB1_hip"));
    EXPECT_FLOAT_EQ(spider->GetJointByName("legB1_hip")->mSpringAngle, other->mAngle);
}

TEST_F(ShippedRobotTest, ARobotAScriptStillHoldsAfterAResetIsGoneForIt)
{
    const std::string object = Spider()->mScript.mObjectName;
    ASSERT_TRUE(mHost.RunScriptText("held = " + object + "; return held:GetToyCount()", true));
    std::string count;
    mHost.PopScriptString(count);
    EXPECT_EQ(count, std::to_string(Spider()->GetToyCount()));
    mGame->ResetLevel(false);
    // Its entry went with it; the value the script kept names nothing now.
    ASSERT_TRUE(mHost.RunScriptText("return " + object + " == nil and 'gone' or 'kept'", true));
    std::string gone;
    mHost.PopScriptString(gone);
    EXPECT_EQ(gone, "gone");
    EXPECT_FALSE(mHost.RunScriptText("return held:GetToyCount()", true));
    mHost.ClearScriptStack();
    // The new robot of the reset is scripted afresh.
    EXPECT_TRUE(Spider()->mScript.mDeclared);
    EXPECT_NE(Spider()->mScript.mObjectName, object);
}

} // namespace

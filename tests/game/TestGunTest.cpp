// The scripts' test weapon, fired through the script host as a robot's
// script fires it, and the blast its bullet leaves when it ends.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include "game/ScriptAPI.h"
#include "physics/particles/ParticleSystem.h"
#include "robots/Robot.h"
#include "script/ScriptHost.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

// A robot of two round toys on open ground, the second its gun, turned a
// quarter and moving; the gun is the selected toy, so scripts reach it as
// scene:ST().
class TestGunFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        // The shipped bullet: it must make a toy at the bullet's scale.
        std::filesystem::create_directories(OsPath("Toys"));
        std::filesystem::copy_file(std::string(KIV_RUNTREE_DIR) + "/Textures/Toys/toy16.png", OsPath("Toys\\toy16.png"));
        Write("Particles\\heat01.png", TestPicture::Filled(16, 16, 255, 255, 255));
        mGame->ApplyPhysicsFrequency(210);
        mRobot = mGame->mRobots.AddRobot("", VectorF());
        ASSERT_NE(mRobot, nullptr);
        mBody = AddRoundToy(*mGame, 60.0f, VectorF(0.0f, 0.0f));
        mGun = AddRoundToy(*mGame, 40.0f, VectorF(0.0f, -80.0f));
        mBystander = AddRoundToy(*mGame, 40.0f, VectorF(-400.0f, 0.0f));
        ASSERT_TRUE(mBody && mGun && mBystander);
        ASSERT_TRUE(mRobot->AddToy(mBody) && mRobot->AddToy(mGun));
        mGun->mOrientation = -0.5f * kPi;
        mGun->mVelocity = VectorF(10.0f, 0.0f);
        mGame->mToys.SetSelectedIndex(mGame->mToys.IndexOf(mGun));
        mHost.InitScriptVM(&RegisterScriptAPI);
    }
    // Fires through the script API with the given gun and robot expressions.
    void Fire(const std::string& gun = "scene:ST()", const std::string& robot = "")
    {
        const std::string robotExpression =
            robot.empty() ? "ToRobot(" + std::to_string(mRobot->mScriptHandle.Get(mRobot)) + ")" : robot;
        ASSERT_TRUE(mHost.RunScriptText("scene:GunShot_Test2(" + gun + ", " + robotExpression + ")", true));
        mHost.ClearScriptStack();
    }
    Toy* FindBullet() const
    {
        for (Toy* toy : mGame->mToys)
            if (toy->mName.GetInString() == "bullet") return toy;
        return nullptr;
    }

    ScriptHost mHost;
    Robot* mRobot = nullptr;
    Toy* mBody = nullptr;
    Toy* mGun = nullptr;
    Toy* mBystander = nullptr;
};

} // namespace

TEST_F(TestGunFixture, ABulletLeavesTheMuzzleWithHeatAndRecoil)
{
    const int32_t toys = mGame->GetToyCount();
    const int32_t systems = mGame->mParticleSystems.Count();
    const VectorF gunVelocity = mGun->mVelocity;
    Fire();
    ASSERT_EQ(mGame->GetToyCount(), toys + 1);
    Toy* bullet = FindBullet();
    ASSERT_NE(bullet, nullptr);
    // The gun points along its -x axis, turned a quarter: the muzzle lies 60 above it.
    const VectorF forward(0.0f, -1.0f);
    EXPECT_NEAR(bullet->mPosition.mX, mGun->mPosition.mX, 2.0f);
    EXPECT_NEAR(bullet->mPosition.mY, mGun->mPosition.mY - 60.0f, 2.0f);
    EXPECT_NEAR(bullet->mVelocity.mX, gunVelocity.mX, 0.01f);
    EXPECT_NEAR(bullet->mVelocity.mY, -3000.0f, 0.01f);
    EXPECT_FLOAT_EQ(bullet->mDensity, 0.8f);
    EXPECT_FLOAT_EQ(bullet->mScale.mX, 0.7f);
    EXPECT_FLOAT_EQ(bullet->mAirFriction, 0.1f);
    EXPECT_FLOAT_EQ(bullet->mAirAngularFriction, 0.1f);
    EXPECT_EQ(bullet->mShotFlag, 1);
    EXPECT_FLOAT_EQ(bullet->mShotValue1, 300.0f);
    EXPECT_FLOAT_EQ(bullet->mShotValue2, 250000000.0f);
    EXPECT_FLOAT_EQ(bullet->mShotValue3, 0.00000001f);
    // It never touches the robot that fired it, both ways, and still meets everything else.
    for (const Toy* part : {mBody, mGun}) {
        EXPECT_EQ(bullet->mPairFlags[part->mSlotIndex], 0);
        EXPECT_EQ(part->mPairFlags[bullet->mSlotIndex], 0);
    }
    EXPECT_EQ(bullet->mPairFlags[mBystander->mSlotIndex], 1);
    EXPECT_EQ(mBystander->mPairFlags[bullet->mSlotIndex], 1);
    // Heat at the muzzle; the gun is pushed back against the shot.
    ASSERT_EQ(mGame->mParticleSystems.Count(), systems + 1);
    const ParticleSystem* heat = mGame->mParticleSystems[systems];
    EXPECT_EQ(heat->mTextureFileName, "Particles\\heat01.png");
    EXPECT_NEAR(heat->mPosition.mY, mGun->mPosition.mY - 65.0f, 2.0f);
    EXPECT_LT(Dot(mGun->mVelocity - gunVelocity, forward), 0.0f);
    EXPECT_EQ(mGame->mShotCooldown, 0);
    EXPECT_EQ(mGame->mShotCooldownLimit, 50);
}

TEST_F(TestGunFixture, NothingIsFiredWithoutAGunARobotOrBeforeTheCooldown)
{
    struct Case {
        const char* what;
        std::string gun;
        std::string robot;
        int32_t cooldown;
    };
    const Case cases[] = {
        {"no gun", "nil", "", 50},
        {"no robot", "scene:ST()", "nil", 50},
        {"a cooldown one step short", "scene:ST()", "", 49},
    };
    for (const Case& c : cases) {
        mGame->mShotCooldown = c.cooldown;
        mGame->mShotCooldownLimit = 50;
        const VectorF gunVelocity = mGun->mVelocity;
        Fire(c.gun, c.robot);
        EXPECT_EQ(FindBullet(), nullptr) << c.what;
        EXPECT_EQ(mGame->mParticleSystems.Count(), 0) << c.what;
        EXPECT_EQ(mGun->mVelocity, gunVelocity) << c.what;
        EXPECT_EQ(mGame->mShotCooldown, c.cooldown) << c.what;
    }
}

// The step moves the cooldown on: a second shot needs 50 steps.
TEST_F(TestGunFixture, TheStepsRunTheCooldownDown)
{
    Fire();
    ASSERT_NE(FindBullet(), nullptr);
    for (int32_t i = 0; i < 49; ++i) mGame->SimulateStep();
    EXPECT_EQ(mGame->mShotCooldown, 49);
    Fire();
    EXPECT_EQ(mGame->mShotCooldown, 49) << "fired again before the cooldown ran out";
    mGame->SimulateStep();
    mGame->SimulateStep();
    EXPECT_EQ(mGame->mShotCooldown, 50) << "the count stops at its limit";
    Fire();
    EXPECT_EQ(mGame->mShotCooldown, 0);
}

// Where a bullet ends (it breaks, or is gone as debris) it leaves one timed
// blast of its own values; a toy without them leaves none.
TEST_F(TestGunFixture, AnEndingBulletLeavesItsBlast)
{
    struct Case {
        const char* what;
        bool shot;
        bool broken;  // else made debris
    };
    const Case cases[] = {
        {"a broken bullet", true, true},
        {"a bullet gone as debris", true, false},
        {"a broken toy", false, true},
        {"a toy gone as debris", false, false},
    };
    for (const Case& c : cases) {
        // Below 80 square units a loose toy is debris.
        Toy* toy = AddRoundToy(*mGame, c.broken ? 60.0f : 8.0f, VectorF(300.0f, 0.0f));
        ASSERT_NE(toy, nullptr) << c.what;
        const VectorF at = toy->mPosition;
        if (c.shot) {
            toy->mShotFlag = 1;
            toy->mShotValue1 = 300.0f;
            toy->mShotValue2 = 250000000.0f;
            toy->mShotValue3 = 0.00000001f;
        }
        mGame->mRadialPushes.DeleteAll();
        if (c.broken) {
            toy->mHit.mOutlineIndex = 3;
            toy->mHit.mPosition = toy->mPosition;
            mGame->BreakPass();
        } else {
            mGame->DebrisPass();
        }
        ASSERT_EQ(mGame->mToys.IndexOf(toy), -1) << c.what << ": the toy is still there";
        if (!c.shot) {
            EXPECT_EQ(mGame->mRadialPushes.Count(), 0) << c.what;
            continue;
        }
        ASSERT_EQ(mGame->mRadialPushes.Count(), 1) << c.what;
        const RadialPush& blast = *mGame->mRadialPushes[0];
        EXPECT_EQ(blast.mCentre, at) << c.what;
        EXPECT_FLOAT_EQ(blast.mRadius, 300.0f) << c.what;
        EXPECT_FLOAT_EQ(blast.mStrength, 250000000.0f) << c.what;
        EXPECT_EQ(blast.mTimed, 1) << c.what;
        EXPECT_FLOAT_EQ(blast.mRemainingTime, 0.00000001f) << c.what;
        for (Toy* piece : mGame->mToys) piece->mShotFlag = 0;  // the pieces of a broken toy
    }
}

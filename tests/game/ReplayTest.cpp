#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include "base/Notices.h"
#include "base/Platform.h"
#include "physics/joints/Joint.h"
#include "game/ScriptAPI.h"
#include "physics/particles/ParticleSystem.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

constexpr int32_t kRecordedSteps = 650;
const char* const kChildRecordingVariable = "KIV_REPLAY_CHILD_RECORDING";

// The game over the default scene as the player gets it: the shipped scene
// file, the pictures the build draws and the scenario's robot with its scripts.
class ReplayFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        namespace fs = std::filesystem;
        const fs::path tree(KIV_RUNTREE_DIR);
        const fs::path root(ToOsPath(mFolder.Path()));
        ASSERT_TRUE(fs::is_regular_file(tree / "Scenes" / "Scene01.kis"));
        ASSERT_TRUE(fs::is_regular_file(tree / "Robots" / "spider1.robot"));
        fs::copy(tree / "Textures", root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::create_directories(root / "Scenes");
        fs::copy_file(tree / "Scenes" / "Scene01.kis", root / "Scenes" / "Scene01.kis");
        // The replay runs with the shipped materials, so broken toys draw their crack decals.
        fs::copy_file(tree / "Scenes" / "kiv_default_materials.kim", root / "Scenes" / "kiv_default_materials.kim");
        fs::create_directories(root / "Robots");
        fs::copy(tree / "Robots", root / "Robots", fs::copy_options::recursive);
        Notices().SetEchoToStderr(false);
        mHost.InitScriptVM(&RegisterScriptAPI);
        mGame->StartRobotScripting();
        mGame->LoadStartUpContent();
        ASSERT_GT(mGame->mTerrainObjects.Count(), 0);
        ASSERT_NE(Robot(), nullptr);
        ASSERT_EQ(mGame->GetToyCount(), 12 + Robot()->GetToyCount());
    }
    void TearDown() override
    {
        mGame.reset();
        gScriptTemplates = nullptr;
        Notices().SetEchoToStderr(true);
        GameFixture::TearDown();
    }
    KIV::Robot* Robot() const { return mGame->mRobots.GetCurrentRobot(); }
    // The steps of a run as a player plays it: the robot walks right while D
    // is held and fires now and then at the mouse, which moves about, and the
    // space bar comes and goes, so the frames differ. Step numbers count from
    // the level reset.
    void RunSteps(int32_t steps)
    {
        for (int32_t i = 0; i < steps; ++i) {
            if (!mGame->mReplaying) {
                const int32_t at = mGame->mFrameIndex;
                InputFrame& f = mGame->mInputFrame;
                f = InputFrame{};
                f.mMouseWorldX = 2000.0f + float(at);
                f.mMouseWorldY = 1000.0f;
                f.mSpace.mIsDown = uint8_t(at % 50 < 10);
                f.mD.mWentDown = uint8_t(at == kWalkFrom);
                f.mD.mIsDown = uint8_t(at >= kWalkFrom && at < kWalkUntil);
                f.mD.mWentUp = uint8_t(at == kWalkUntil);
                const int32_t sinceShot = at >= kFireFrom ? at % kFireEvery : -1;
                f.mFire.mWentDown = uint8_t(sinceShot == 0);
                f.mFire.mIsDown = uint8_t(sinceShot >= 0 && sinceShot < 5);
                f.mFire.mWentUp = uint8_t(sinceShot == 5);
            }
            mGame->SimulateStep();
            mMatched = mGame->CompareSyncChecks(mGame->mRecordedChecks) && mMatched;
            if (const ParticleSystem* gun = Robot() ? Robot()->GetParticlesByName("gunfire") : nullptr)
                mShotsInFlight = std::max(mShotsInFlight, gun->GetParticleCount());
        }
    }
    // Runs a chunk through the game's script host; its error message when it fails.
    std::string RunScript(const std::string& chunk)
    {
        const bool ok = mHost.RunScriptText(chunk, true);
        std::string message;
        if (!ok) mHost.PopScriptString(message);
        mHost.ClearScriptStack();
        return ok ? "" : message;
    }
    static constexpr int32_t kWalkFrom = 50;
    static constexpr int32_t kWalkUntil = 500;
    static constexpr int32_t kFireFrom = 120;
    static constexpr int32_t kFireEvery = 60;
    bool mMatched = true;
    int32_t mShotsInFlight = 0;  // the most shots of the robot's gun seen at once
    ScriptHost mHost;
    ScriptTemplates mTemplates{mHost};
};

} // namespace

// The game's own determinism promise: a replay of the default scene's run
// gives every recorded sample again, serial or parallel.
TEST_F(ReplayFixture, AReplayInTheSameProcessMatchesEverySample)
{
    for (bool parallel : {false, true}) {
        gSettings->mParallelismEnabled = parallel;
        mGame->ResetLevel(false);
        const float standing = Robot()->GetToy(0)->GetPosition().mX;
        mShotsInFlight = 0;
        RunSteps(kRecordedSteps);
        EXPECT_GT(Robot()->GetToy(0)->GetPosition().mX, standing + 50.0f) << "the robot walked while D was held";
        ASSERT_NE(Robot()->GetParticlesByName("gunfire"), nullptr) << "the shipped robot carries its gun";
        EXPECT_GT(mShotsInFlight, 0) << "the robot fired";
        ASSERT_EQ(mGame->mRecordedFrames.Count(), kRecordedSteps);
        ASSERT_EQ(mGame->mLiveChecks.size(), size_t(kRecordedSteps / 100 + 1));
        const SyncCheckList recorded = mGame->mLiveChecks;

        mGame->Replay();
        EXPECT_TRUE(mGame->mReplaying);
        RunSteps(kRecordedSteps);
        EXPECT_TRUE(mMatched) << parallel;
        EXPECT_TRUE(mGame->mDeterminismOk) << parallel;
        ASSERT_EQ(mGame->mLiveChecks.size(), recorded.size());
        for (size_t i = 0; i < recorded.size(); ++i) {
            EXPECT_EQ(mGame->mLiveChecks[i].mFrameIndex, recorded[i].mFrameIndex);
            EXPECT_EQ(mGame->mLiveChecks[i].mChecksum, recorded[i].mChecksum) << "sample " << i;
        }
        // The toys moved: the samples are not all the start's.
        EXPECT_NE(recorded.front().mChecksum, recorded.back().mChecksum);
        // Each sample carries one sum per particle system, and they were compared too.
        for (size_t i = 0; i < recorded.size(); ++i)
            EXPECT_EQ(mGame->mLiveChecks[i].mParticleSums, recorded[i].mParticleSums) << "sample " << i;
        EXPECT_EQ(recorded.back().mParticleSums.size(), size_t(mGame->mParticleSystems.Count()));
    }
}

// The recording saved by one process and replayed by another.
TEST_F(ReplayFixture, ASavedRecordingReplaysInASecondProcess)
{
    for (bool parallel : {false, true}) {
        gSettings->mParallelismEnabled = parallel;
        mGame->ResetLevel(false);
        RunSteps(kRecordedSteps);
        mGame->KeepLiveChecks();
        ASSERT_TRUE(mGame->SaveRecording());
        const std::string file = ToOsPath(mGame->GetRecordingFilePath());
        ASSERT_EQ(std::filesystem::file_size(file), size_t(GetRecordingFileSize(7, kRecordedSteps)));

        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setenv(kChildRecordingVariable, file.c_str(), 1);
            setenv("KIV_REPLAY_CHILD_PARALLEL", parallel ? "1" : "0", 1);
            char self[] = "/proc/self/exe";
            char filter[] = "--gtest_filter=ReplayFixture.ChildReplaysTheRecordingNamedByItsParent";
            char* args[] = {self, filter, nullptr};
            execv(self, args);
            _exit(3);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the second process's replay differed (parallel " << parallel << ")";
    }
}

TEST_F(ReplayFixture, ChildReplaysTheRecordingNamedByItsParent)
{
    const char* file = std::getenv(kChildRecordingVariable);
    if (!file) GTEST_SKIP() << "runs only as the second process of a replay test";
    gSettings->mParallelismEnabled = std::string(std::getenv("KIV_REPLAY_CHILD_PARALLEL")) == "1";
    std::filesystem::create_directories(ToOsPath(mFolder.PathOf("Scenes")));
    std::filesystem::copy_file(file, ToOsPath(mGame->GetRecordingFilePath()));
    mGame->Replay();
    ASSERT_TRUE(mGame->LoadRecording());
    ASSERT_EQ(mGame->mRecordedFrames.Count(), kRecordedSteps);
    RunSteps(kRecordedSteps);
    EXPECT_TRUE(mMatched);
    EXPECT_EQ(mGame->mLiveChecks.size(), mGame->mRecordedChecks.size());
}

// Something the recording never did, done between two samples of a replay,
// is reported once, at the next sample, naming what differs.
TEST_F(ReplayFixture, AChangedWorldIsReportedOnceAtItsFrame)
{
    struct Case {
        const char* what;
        std::function<std::string(KIVGame&)> change;  // the words the notice must hold
    };
    const Case cases[] = {
        {"a toy pushed aside",
         [](KIVGame& game) {
             Toy* pushed = game.GetToy(game.GetToyCount() - 1);
             pushed->MoveTo(pushed->mPosition + VectorF(0.37f, 0.0f), pushed->mOrientation, &game.mGrid);
             return std::string("world checksum");
         }},
        {"a particle taken out of its system",
         [](KIVGame& game) {
             int32_t busiest = 0;
             for (int32_t i = 1; i < game.mParticleSystems.Count(); ++i)
                 if (game.mParticleSystems[i]->GetMovingCount() > game.mParticleSystems[busiest]->GetMovingCount())
                     busiest = i;
             ParticleSystem* system = game.mParticleSystems[busiest];
             EXPECT_GT(system->GetMovingCount(), 0) << "no particle flies at frame 150";
             system->FreeMovingParticle(system->GetMovingHead());
             return "particle system " + std::to_string(busiest + 1) + " of " +
                    std::to_string(game.mParticleSystems.Count());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mGame->ResetLevel(false);
        mMatched = true;
        RunSteps(250);
        mGame->Replay();
        RunSteps(150);
        ASSERT_TRUE(mMatched);
        const std::string named = c.change(*mGame);
        const int32_t before = Notices().GetReportedCount();
        RunSteps(100);
        EXPECT_FALSE(mMatched);
        EXPECT_FALSE(mGame->mDeterminismOk);
        EXPECT_EQ(Notices().GetReportedCount(), before + 1);
        EXPECT_NE(Notices().GetLast().find("determinism lost at frame 200: "), std::string::npos) << Notices().GetLast();
        EXPECT_NE(Notices().GetLast().find(named), std::string::npos) << Notices().GetLast();
    }
}

// Scripts reset the level and replay it as the keys do, once no script runs:
// a reset under a running script would delete the robot whose script it is and
// the Lua stack of the call, and a step would go on in a world reset halfway.
TEST_F(ReplayFixture, ScriptsResetAndReplayTheLevelOnceNoScriptRuns)
{
    RunSteps(120);
    EXPECT_EQ(RunScript("kiv:Replay()"), "");
    EXPECT_FALSE(mGame->mReplaying) << "asked for, not yet done";
    RunSteps(1);
    EXPECT_TRUE(mGame->mReplaying);
    EXPECT_EQ(mGame->mFrameIndex, 1);
    EXPECT_EQ(mGame->mRecordedChecks.size(), 2u);
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 120);
    RunSteps(109);
    // Asked again while replaying: the recording's own samples stay the reference.
    mGame->mRecordedChecks.back().mChecksum ^= 1u;
    EXPECT_EQ(RunScript("kiv:Replay()"), "");
    RunSteps(110);
    EXPECT_EQ(mGame->mRecordedChecks.size(), 2u);
    EXPECT_FALSE(mGame->mDeterminismOk) << "the altered sample was kept and compared";

    EXPECT_EQ(RunScript("kiv:Reset()"), "");
    mGame->CarryOutRequestedRun();
    EXPECT_TRUE(mGame->mRecording);
    EXPECT_FALSE(mGame->mReplaying);
    EXPECT_TRUE(mGame->mDeterminismOk);
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 0);
    EXPECT_EQ(mGame->mFrameIndex, 0);

    // The robot's own Update script asks, in the middle of a step.
    RunSteps(30);
    ASSERT_NE(Robot()->mScript.mBinding, nullptr);
    const std::string table = Robot()->mScript.mBinding->mTableName;
    ASSERT_EQ(RunScript("local t = " + table + "; local update = t.Update; t.Update = function(r, m) update(r, m); "
                        "if not resetAsked then resetAsked = true; kiv:Reset() end end"),
              "");
    RunSteps(1);
    EXPECT_EQ(mGame->mFrameIndex, 0);
    ASSERT_EQ(mGame->mLiveChecks.size(), 1u) << "one sample of frame 0, the reset's own";
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 0);
    ASSERT_NE(Robot(), nullptr);
    EXPECT_TRUE(Robot()->mScript.mDeclared);
    RunSteps(10);
    EXPECT_EQ(mGame->mFrameIndex, 10);
    EXPECT_EQ(mHost.GetResults().GetCount(), 0) << mHost.GetResults().GetNewest(0)->mResult;
}

TEST_F(ReplayFixture, AReplayStartsAgainAtTheEndOfItsFrames)
{
    RunSteps(120);
    mGame->Replay();
    RunSteps(125);
    EXPECT_TRUE(mGame->mReplaying);
    EXPECT_EQ(mGame->mFrameIndex, 5);
    EXPECT_TRUE(mMatched);
}

TEST_F(ReplayFixture, ADamagedRecordingFileKeepsTheRecordingInMemory)
{
    RunSteps(30);
    mGame->KeepLiveChecks();
    ASSERT_TRUE(mGame->SaveRecording());
    const std::string file = ToOsPath(mGame->GetRecordingFilePath());
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1);
    RunSteps(10);
    EXPECT_FALSE(mGame->LoadRecording());
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 40);
    EXPECT_NE(Notices().GetLast().find("recording01.kir"), std::string::npos);
}

// Every toy, joint and particle system is summed, the newest included: a
// change to the last one of a list must show.
TEST_F(ReplayFixture, TheChecksumCoversTheLastToyJointAndParticleSystem)
{
    std::vector<int32_t> sums;
    const uint32_t start = ComputeWorldChecksum(*mGame, sums);
    Toy* last = mGame->GetToy(mGame->GetToyCount() - 1);
    last->mPosition.mX += 0.5f;
    EXPECT_NE(ComputeWorldChecksum(*mGame, sums), start);
    last->mPosition.mX -= 0.5f;

    Joint* joint = mGame->CreateJoint(mGame->mJoints, "j", mGame->GetToy(0), VectorF(), nullptr, VectorF(), nullptr);
    ASSERT_NE(joint, nullptr);
    joint->mConstraint = VectorF(1.25f, 1.25f);
    EXPECT_EQ(ComputeWorldChecksum(*mGame, sums), start + 1 + 3);
    joint->mConstraint = VectorF(-1.25f, -1.25f);
    EXPECT_EQ(ComputeWorldChecksum(*mGame, sums), start + 1 - 3);
    mGame->DeleteJoint(mGame->mJoints, joint);

    // A particle system counts once in the checksum and gets a sum of its own, the newest too.
    ASSERT_EQ(sums.size(), size_t(mGame->mParticleSystems.Count()));
    const std::vector<int32_t> before = sums;
    ParticleSystem* added = mGame->CreateParticleSystem("added", nullptr, "", 0, false);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(ComputeWorldChecksum(*mGame, sums), start + 1);
    ASSERT_EQ(sums.size(), before.size() + 1);
    EXPECT_EQ(std::vector<int32_t>(sums.begin(), sums.end() - 1), before);
    const int32_t quiet = sums.back();
    ASSERT_GE(added->AllocateParticle(), 0);
    ComputeWorldChecksum(*mGame, sums);
    EXPECT_NE(sums.back(), quiet);
}

TEST_F(ReplayFixture, CaptureFramesAreNumberedInADatedFolderWithoutOverwriting)
{
    SetLocalTimeSource([](std::tm& t) {
        t = {};
        t.tm_year = 126;
        t.tm_mon = 0;
        t.tm_mday = 2;
        t.tm_hour = 3;
        t.tm_min = 4;
        t.tm_sec = 5;
    });
    mGame->ToggleFrameCapture();
    SetLocalTimeSource(nullptr);
    ASSERT_TRUE(mGame->mFrameCapture);
    const std::string folder = mFolder.PathOf("Recordings\\recording 2026-01-02--03-04-05\\");
    EXPECT_EQ(mGame->mCaptureFolder, folder);
    EXPECT_TRUE(std::filesystem::is_directory(ToOsPath(folder)));
    EXPECT_EQ(mGame->TakeCaptureFrameName(), folder + "kiv_rec_frm_00000.jpg");
    std::ofstream(ToOsPath(folder + "kiv_rec_frm_00001.jpg")) << "kept";
    EXPECT_EQ(mGame->TakeCaptureFrameName(), folder + "kiv_rec_frm_00002.jpg");
    mGame->mCaptureCounter = 100000;
    EXPECT_EQ(mGame->GetCaptureFrameName(), folder + "kiv_rec_frm_100000.jpg");

    const int32_t before = Notices().GetReportedCount();
    for (int i = 0; i < 3; ++i) mGame->ReportCaptureResult(false, mGame->TakeCaptureFrameName());
    EXPECT_EQ(Notices().GetReportedCount(), before + 1);
    mGame->ToggleFrameCapture();
    EXPECT_FALSE(mGame->mFrameCapture);
    EXPECT_EQ(mGame->TakeCaptureFrameName(), "");
}

// A reset puts the ground back where the scene file has it: the start-up
// reset once put it back at its picture's origin, and the toys fell through.
TEST_F(ReplayFixture, AResetLevelKeepsTheGroundOfTheScene)
{
    std::vector<VectorF> before;
    for (const BendObject* o : mGame->mTerrainObjects) {
        StaticOutline outline = o->GetStaticOutline();
        ASSERT_GT(outline.mCount, 0);
        before.push_back(outline.mPoints[0]);
    }
    RunSteps(50);
    mGame->ResetLevel(false);
    for (int32_t i = 0; i < mGame->mTerrainObjects.Count(); ++i)
        EXPECT_EQ(mGame->mTerrainObjects[i]->GetStaticOutline().mPoints[0], before[size_t(i)]) << i;
    EXPECT_EQ(mGame->GetToyCount(), 12 + Robot()->GetToyCount());
    EXPECT_EQ(mGame->mFrameIndex, 0);
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 0);
    ASSERT_EQ(mGame->mLiveChecks.size(), 1u);
}

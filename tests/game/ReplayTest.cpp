#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include "base/Notices.h"
#include "base/Platform.h"
#include "physics/joints/Joint.h"
#include "support/GameFixture.h"

using namespace KIV;

namespace {

constexpr int32_t kRecordedSteps = 650;
const char* const kChildRecordingVariable = "KIV_REPLAY_CHILD_RECORDING";

// The game over the default scene: the shipped scene file and the pictures the build draws.
class ReplayFixture : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        namespace fs = std::filesystem;
        const fs::path tree(KIV_RUNTREE_DIR);
        const fs::path root(ToOsPath(mFolder.Path()));
        ASSERT_TRUE(fs::is_regular_file(tree / "Scenes" / "Scene01.kis"));
        fs::copy(tree / "Textures", root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::create_directories(root / "Scenes");
        fs::copy_file(tree / "Scenes" / "Scene01.kis", root / "Scenes" / "Scene01.kis");
        // The replay runs with the shipped materials, so broken toys draw their crack decals.
        fs::copy_file(tree / "Scenes" / "kiv_default_materials.kim", root / "Scenes" / "kiv_default_materials.kim");
        Notices().SetEchoToStderr(false);
        mGame->LoadStartUpContent();
        ASSERT_GT(mGame->mTerrainObjects.Count(), 0);
        ASSERT_EQ(mGame->GetToyCount(), 12);
    }
    void TearDown() override
    {
        Notices().SetEchoToStderr(true);
        GameFixture::TearDown();
    }
    // The steps of a run with the player's input moving about, so the frames differ.
    void RunSteps(int32_t steps)
    {
        for (int32_t i = 0; i < steps; ++i) {
            if (!mGame->mReplaying) {
                mGame->mInputFrame = InputFrame{};
                mGame->mInputFrame.mMouseWorldX = float(i);
                mGame->mInputFrame.mSpace.mIsDown = uint8_t(i % 50 < 10);
            }
            mGame->SimulateStep();
            mMatched = mGame->CompareSyncChecks(mGame->mRecordedChecks) && mMatched;
        }
    }
    bool mMatched = true;
};

} // namespace

// The game's own determinism promise: a replay of the default scene's run
// gives every recorded sample again, serial or parallel.
TEST_F(ReplayFixture, AReplayInTheSameProcessMatchesEverySample)
{
    for (bool parallel : {false, true}) {
        gSettings->mParallelismEnabled = parallel;
        mGame->ResetLevel(false);
        RunSteps(kRecordedSteps);
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

TEST_F(ReplayFixture, AChangedWorldIsReportedOnceAtItsFrame)
{
    RunSteps(250);
    mGame->Replay();
    RunSteps(150);
    ASSERT_TRUE(mMatched);
    // Something the recording never did: one toy pushed aside.
    Toy* pushed = mGame->GetToy(11);
    pushed->MoveTo(pushed->mPosition + VectorF(0.37f, 0.0f), pushed->mOrientation, &mGame->mGrid);
    const int32_t before = Notices().GetReportedCount();
    RunSteps(100);
    EXPECT_FALSE(mMatched);
    EXPECT_FALSE(mGame->mDeterminismOk);
    EXPECT_EQ(Notices().GetReportedCount(), before + 1);
    EXPECT_NE(Notices().GetLast().find("determinism lost at frame 200"), std::string::npos) << Notices().GetLast();
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

// Every toy and joint is summed, the newest included: a change to the last
// one of a list must show.
TEST_F(ReplayFixture, TheChecksumCoversTheLastToyAndJoint)
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
    EXPECT_TRUE(sums.empty());
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
    EXPECT_EQ(mGame->GetToyCount(), 12);
    EXPECT_EQ(mGame->mFrameIndex, 0);
    EXPECT_EQ(mGame->mRecordedFrames.Count(), 0);
    ASSERT_EQ(mGame->mLiveChecks.size(), 1u);
}

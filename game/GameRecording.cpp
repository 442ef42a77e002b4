#include <cstdio>
#include "base/FileUtils.h"
#include "base/MemoryStream.h"
#include "base/Notices.h"
#include "base/Platform.h"
#include "base/Statistics.h"
#include "base/TextFormat.h"
#include "game/GameKeys.h"
#include "game/KIVGame.h"
#include "game/ShippedScene.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"

namespace KIV {

namespace {
constexpr int32_t kSyncCheckInterval = 100;
} // namespace

void KIVGame::CarryOutRequestedRun()
{
    const PendingRun run = mRequestedRun;
    mRequestedRun = PendingRun::kNone;
    if (run == PendingRun::kReset) Reset();
    if (run == PendingRun::kReplay) Replay();
}

void KIVGame::ResetLevel(bool replay)
{
    for (int32_t item = kStatToysCount; item <= kStatBreakPolygonCalls; ++item) StatSetInt(item, 0);
    // The robots let go of their parts before the scene's lists are emptied under them.
    mRobots.RemoveAll();
    ResetTerrainObjects();
    for (int32_t i = mJoints.mJoints.Count() - 1; i >= 0; --i) DeleteJoint(mJoints, mJoints.mJoints[i]);
    DeleteAllParticleSystems(mParticleSystems);
    DeleteAllToys();
    ResetToyIndex();
    mRadialPushes.DeleteAll();
    mFrameIndex = 0;
    mRandom.mSeed = mRandom.mInitialSeed;
    mLiveChecks.clear();
    mDeterminismOk = true;
    if (replay) {
        mRecording = false;
        mReplaying = true;
    } else {
        mRecordedFrames.Clear();
        mRecording = true;
        mReplaying = false;
    }
    CreateScenarioRobots();
    CreateDefaultToys();
    // The debris pours where the shipped scene has room for it, in view.
    if (ParticleSystem* rock = AddDefaultRockParticles()) rock->mPosition = ShippedScene::kRockDebris;
    for (BendObject* object : mTerrainObjects) EnsureShardParticleSystem(object->GetTexture());
    RebuildDerivedState();
    TakeSyncCheck();
}

void KIVGame::Replay()
{
    if (!mReplaying) KeepLiveChecks();
    ResetLevel(true);
}

void KIVGame::RecordOrReplayInput()
{
    if (mReplaying) {
        // At the end of its frames the replay starts again from the reset.
        if (mFrameIndex >= mRecordedFrames.Count() && mFrameIndex > 0) ResetLevel(true);
        if (mFrameIndex < mRecordedFrames.Count()) mInputFrame = mRecordedFrames[mFrameIndex];
    } else if (mRecording && mFrameIndex == mRecordedFrames.Count() && !mRecordedFrames.Append(mInputFrame)) {
        // Out of memory: the run goes on, but it can no longer be replayed whole.
        mRecording = false;
        ReportNotice("recording stopped at frame " + IntToText(mFrameIndex) + ": no memory for more input frames");
    }
}

void KIVGame::TakeSyncCheck()
{
    if (mFrameIndex % kSyncCheckInterval != 0) return;
    SyncCheckEntry entry;
    entry.mFrameIndex = mFrameIndex;
    entry.mChecksum = ComputeWorldChecksum(*this, entry.mParticleSums);
    mLiveChecks.push_back(std::move(entry));
}

bool KIVGame::CompareSyncChecks(const SyncCheckList& recorded)
{
    if (!mDeterminismOk) return false;
    if (recorded.empty() || mLiveChecks.empty() || mLiveChecks.size() > recorded.size()) return true;
    const SyncCheckEntry& live = mLiveChecks.back();
    const std::string difference = DescribeSyncCheckDifference(live, recorded[mLiveChecks.size() - 1], mParticleSystems);
    if (difference.empty()) return true;
    mDeterminismOk = false;
    ReportNotice("determinism lost at frame " + IntToText(live.mFrameIndex) + ": " + difference);
    return false;
}

std::string KIVGame::GetRecordingFilePath() const { return mDataRoot + "Scenes\\recording01.kir"; }

bool KIVGame::SaveRecording()
{
    const std::string path = GetRecordingFilePath();
    MemoryStream s;
    if (!WriteRecording(s, mRecordedChecks, mRecordedFrames) || !CreateFolders(GetPathDirectory(path)) ||
        !SaveStreamWithBackup(s, path)) {
        ReportNotice("the recording could not be saved to " + path);
        return false;
    }
    return true;
}

bool KIVGame::LoadRecording()
{
    const std::string path = GetRecordingFilePath();
    MemoryStream s;
    if (!s.LoadFromFile(path)) {
        ReportNotice("no recording to load: " + path + " could not be read");
        return false;
    }
    RecordingReadResult result =
        ReadRecording({s.GetData(), size_t(s.GetSize())}, mRecordedChecks, mRecordedFrames);
    if (result != RecordingReadResult::kOk) {
        ReportNotice("the recording " + path + " was not loaded (" + DescribeRecordingReadResult(result) +
                     "); the current recording is kept");
        return false;
    }
    return true;
}

void KIVGame::HandleRecordingKeys()
{
    const InputDevices& in = mInput;
    auto released = [&](uint32_t modifiers, int32_t key) { return IsCombo(in, ComboWhen::kReleased, modifiers, key); };
    if (released(kNoMod, Key::F(9)) || released(kCtrl, Key::Letter('r'))) {
        ResetLevel(false);
        mCheckOn = false;
    }
    const bool replay = released(kNoMod, Key::F(10));
    const bool replayAndSave = released(kCtrl, Key::F(10));
    const bool replayLoaded = released(kCtrl | kShift, Key::F(10));
    const bool replayChecked = released(kCtrl | kShift, Key::F(9));
    if (replay || replayAndSave || replayLoaded || replayChecked) {
        // A replay is watched, not edited: nothing hides the world.
        mEditWindows.HideAllWindows();
        Replay();
        mCheckOn = false;
        if (replayAndSave) SaveRecording();
        if (replayLoaded || replayChecked) LoadRecording();
        mCheckOn = replayChecked;
    }
    if (released(kCtrl | kShift, Key::Letter('r'))) {
        mEditWindows.HideAllWindows();
        ToggleFrameCapture();
        mCheckOn = false;
    }
}

void KIVGame::ToggleFrameCapture()
{
    if (mFrameCapture) {
        mFrameCapture = 0;
        return;
    }
    std::tm t = GetLocalTime();
    char name[64];
    std::snprintf(name, sizeof name, "recording %04d-%02d-%02d--%02d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    std::string folder = mDataRoot + "Recordings\\" + name;
    // A fresh data root has no recordings folder yet: its parents come too.
    if (!CreateFolders(folder)) {
        ReportNotice("frame capture not started: the folder " + folder + " could not be created");
        return;
    }
    mCaptureFolder = folder + "\\";
    mCaptureCounter = 0;
    mCaptureFailureReported = false;
    mFrameCapture = 1;
}

std::string KIVGame::GetCaptureFrameName() const
{
    return mCaptureFolder + "kiv_rec_frm_" + IntToPaddedText(mCaptureCounter, 5) + ".jpg";
}

std::string KIVGame::TakeCaptureFrameName()
{
    if (!mFrameCapture) return {};
    // A folder used again (capture toggled twice within one second) keeps its
    // earlier frames: numbering goes on after them.
    while (IsExistingFile(GetCaptureFrameName()) && mCaptureCounter < INT32_MAX) ++mCaptureCounter;
    std::string name = GetCaptureFrameName();
    ++mCaptureCounter;
    return name;
}

void KIVGame::ReportCaptureResult(bool written, const std::string& name)
{
    if (written || mCaptureFailureReported) return;
    // Once per capture: a full disk would otherwise fill the log with one notice a frame.
    mCaptureFailureReported = true;
    ReportNotice("frame capture could not write " + name + "; later failures are not reported");
}

} // namespace KIV

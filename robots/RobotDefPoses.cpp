// Poses: every joint holds one angle per pose, in the same order as the first
// joint, so every operation walks all joints. The preview (one pose, a fade
// between two, or a looping animation) is what the robot editor shows.
#include <cmath>
#include <cstdio>
#include "base/MathUtil.h"
#include "base/TextFormat.h"
#include "robots/RobotDef.h"

namespace KIV {

namespace {

// The shortest turn from one angle to another.
float WrapDifference(float d) { return WrapAngle(d, -kPi, kTwoPi); }

bool HasSelectedPose(const JointDef& j) { return j.mSelectedPose >= 0 && j.mSelectedPose < j.mPoses.Count(); }

bool IsBasic(const PoseAngle& p) { return p.mName == FastName(RobotDef::kBasicPose); }

// Where the looping animation stands within its n poses, 0 <= p < n. A speed of
// zero or below runs the position backwards, so the modulo is floored; a value
// that rounds up to n (a tiny negative position) or has run off to infinity
// starts the loop again.
float LoopPosition(float position, int32_t n)
{
    const float count = static_cast<float>(n);
    const float p = position - std::floor(position / count) * count;
    return p >= 0.0f && p < count ? p : 0.0f;
}

} // namespace

void RobotDef::AddPose()
{
    if (mJoints.Count() == 0) return;
    RecordUndoStructure("robotdef: add pose");
    for (JointDef* j : mJoints) {
        if (!HasSelectedPose(*j)) continue;
        PoseAngle copy = j->mPoses[j->mSelectedPose];
        copy.mName.SetByString(MakeNextName(copy.mName.GetInString()));
        if (j->mPoses.InsertAt(j->mSelectedPose + 1, copy)) ++j->mSelectedPose;
    }
}

void RobotDef::DelSelectedPose()
{
    if (mJoints.Count() == 0) return;
    RecordUndoStructure("robotdef: delete pose");
    for (JointDef* j : mJoints) {
        // "basic" holds the rest angles and is never deleted.
        if (!HasSelectedPose(*j) || j->mSelectedPose == 0) continue;
        j->mPoses.RemoveAt(j->mSelectedPose);
        if (j->mSelectedPose >= j->mPoses.Count()) j->mSelectedPose = j->mPoses.Count() - 1;
    }
}

void RobotDef::MoveUpSelectedPose()
{
    if (mJoints.Count() == 0) return;
    RecordUndoStructure("robotdef: move up pose");
    for (JointDef* j : mJoints) {
        const int32_t s = j->mSelectedPose;
        if (!HasSelectedPose(*j) || s <= 1) continue; // "basic" stays first
        std::swap(j->mPoses[s], j->mPoses[s - 1]);
        j->mSelectedPose = s - 1;
    }
}

void RobotDef::MoveDownSelectedPose()
{
    if (mJoints.Count() == 0) return;
    RecordUndoStructure("robotdef: move down pose");
    for (JointDef* j : mJoints) {
        const int32_t s = j->mSelectedPose;
        if (!HasSelectedPose(*j) || s == 0 || s + 1 >= j->mPoses.Count()) continue;
        std::swap(j->mPoses[s], j->mPoses[s + 1]);
        j->mSelectedPose = s + 1;
    }
}

void RobotDef::SelectPoseEverywhere(int32_t index)
{
    for (JointDef* j : mJoints)
        if (index >= 0 && index < j->mPoses.Count()) j->mSelectedPose = index;
}

void RobotDef::SelectPose(int index)
{
    MarkRebuildNeeded();
    SelectPoseEverywhere(index);
}

int RobotDef::GetSelectedPoseIndex() const { return SelectedJoint() ? SelectedJoint()->mSelectedPose : 0; }

std::string RobotDef::GetPosesListArray() const
{
    std::string js = "[";
    if (mJoints.Count() > 0) {
        for (const PoseAngle& p : mJoints[0]->mPoses) {
            char degrees[64];
            std::snprintf(degrees, sizeof degrees, "%.4f", static_cast<double>(p.mAngle * 57.29578f));
            AppendJsArrayItem(js, p.mName.GetInString() + " ( " + degrees + " ) ");
        }
    }
    CloseJsArrayText(js);
    return js;
}

std::string RobotDef::GetSelectedPoseName() const
{
    const JointDef* j = SelectedJoint();
    return j && HasSelectedPose(*j) ? j->mPoses[j->mSelectedPose].mName.GetInString() : "";
}

void RobotDef::SetSelectedPoseName(const std::string& name)
{
    if (!SelectedJoint()) return;
    RecordUndoStructure("robotdef: pose name");
    for (JointDef* j : mJoints)
        if (HasSelectedPose(*j)) j->mPoses[j->mSelectedPose].mName.SetByString(name);
}

float RobotDef::GetSelectedPoseAngle() const
{
    const JointDef* j = SelectedJoint();
    return j && HasSelectedPose(*j) ? j->mPoses[j->mSelectedPose].mAngle : 0.0f;
}

void RobotDef::SetSelectedPoseAngle(float angle)
{
    JointDef* j = SelectedJoint();
    if (!j || !HasSelectedPose(*j)) return;
    RecordUndoStructure("robotdef: pose joint angle");
    PoseAngle& p = j->mPoses[j->mSelectedPose];
    p.mAngle = angle;
    if (IsBasic(p)) j->mAngle = angle;
}

void RobotDef::MirrorPose(float mirror)
{
    if (mJoints.Count() == 0) return;
    RecordUndoStructure("mirror selected pose");
    const int32_t s = mJoints[0]->mSelectedPose;
    for (JointDef* j : mJoints) {
        if (s < 0 || s >= j->mPoses.Count()) continue;
        PoseAngle& p = j->mPoses[s];
        p.mAngle = mirror - p.mAngle;
        // The rest angle is what the record keeps of "basic": mirror it too, or
        // a reload puts the unmirrored angle back.
        if (IsBasic(p)) j->mAngle = p.mAngle;
    }
}

void RobotDef::SetPlayingAnim(bool playing)
{
    mPlayingAnimation = playing;
    mAnimationPosition = 0.0f;
    MarkRebuildNeeded();
}

const PoseAngle* RobotDef::FindPoseEntry(const JointDef& joint, const FastName& pose)
{
    int32_t i = FindPoseIndex(joint.mPoses, pose);
    return i >= 0 ? &joint.mPoses[i] : nullptr;
}

// The animated range of the first joint's poses: a name it lacks opens the range to that end.
std::pair<int32_t, int32_t> RobotDef::GetAnimRange() const
{
    if (mJoints.Count() == 0) return {0, 0};
    const Array<PoseAngle>& poses = mJoints[0]->mPoses;
    int32_t first = FindPoseIndex(poses, mAnimationFromPose);
    int32_t last = FindPoseIndex(poses, mAnimationToPose);
    if (first < 0) first = 0;
    if (last < 0) last = poses.Count() - 1;
    return {std::min(first, last), std::max(first, last)};
}

int32_t RobotDef::GetAnimFirstPoseIndex() const { return GetAnimRange().first; }
int32_t RobotDef::GetAnimLastPoseIndex() const { return GetAnimRange().second; }

std::string RobotDef::GetPoseName(int32_t index) const
{
    if (mJoints.Count() == 0 || index < 0 || index >= mJoints[0]->mPoses.Count()) return "";
    return mJoints[0]->mPoses[index].mName.GetInString();
}

void RobotDef::AdvancePreview(int32_t milliseconds)
{
    if (mPlayingAnimation) {
        mAnimationPosition += static_cast<float>(milliseconds) * 0.001f * mAnimationFps;
        MarkRebuildNeeded();
    }
    if (mTransitionActive) {
        mTransitionTime += static_cast<float>(milliseconds) * 0.001f;
        if (mTransitionTime >= mTransitionDuration) mTransitionActive = false;
        MarkRebuildNeeded();
    }
}

void RobotDef::StartPoseTransition(const std::string& from, const std::string& to)
{
    mTransitionFromPose.SetByString(from);
    mTransitionToPose.SetByString(to);
    mTransitionTime = 0.0f;
    mTransitionActive = true;
    mPlayingAnimation = false;
}

void RobotDef::StartPoseTransitionByIndex(int32_t from, int32_t to)
{
    if (mJoints.Count() == 0 || mJoints[0]->mPoses.Count() == 0) return;
    StartPoseTransition(GetPoseName(from), GetPoseName(to));
}

void RobotDef::StepPoseForward()
{
    if (mJoints.Count() == 0 || !HasSelectedPose(*mJoints[0])) return;
    const int32_t s = mJoints[0]->mSelectedPose;
    int32_t target = s + 1;
    if (target > GetAnimLastPoseIndex()) target = GetAnimFirstPoseIndex();
    const std::string from = GetPoseName(s);
    SelectPoseEverywhere(target);
    StartPoseTransition(from, GetPoseName(target));
    MarkRebuildNeeded();
}

void RobotDef::StepPoseBackward()
{
    if (mJoints.Count() == 0 || !HasSelectedPose(*mJoints[0])) return;
    const int32_t s = mJoints[0]->mSelectedPose;
    int32_t target = s - 1;
    if (target < GetAnimFirstPoseIndex()) target = GetAnimLastPoseIndex();
    const std::string from = GetPoseName(s);
    SelectPoseEverywhere(target);
    StartPoseTransition(from, GetPoseName(target));
    MarkRebuildNeeded();
}

float RobotDef::PoseAngleOf(const JointDef& j, const FastName& pose, int32_t fallbackIndex) const
{
    int32_t i = FindPoseIndex(j.mPoses, pose);
    if (i < 0) i = fallbackIndex;
    return i >= 0 && i < j.mPoses.Count() ? j.mPoses[i].mAngle : 0.0f;
}

float RobotDef::GetJointPreviewAngle(const FastName& jointName) const
{
    const JointDef* j = FindJointByName(jointName);
    if (!j || j->mPoses.Count() == 0) return 0.0f;
    if (mTransitionActive) {
        float a = PoseAngleOf(*j, mTransitionFromPose, 0);
        float b = PoseAngleOf(*j, mTransitionToPose, j->mPoses.Count() - 1);
        float t = mTransitionDuration > 0.0f ? mTransitionTime / mTransitionDuration : 1.0f;
        return a + WrapDifference(b - a) * t;
    }
    if (mPlayingAnimation) {
        const int32_t first = GetAnimFirstPoseIndex();
        const int32_t last = GetAnimLastPoseIndex();
        const int32_t n = last - first + 1;
        if (n < 1) return 0.0f;
        const float p = LoopPosition(mAnimationPosition, n);
        const int32_t i = std::min(static_cast<int32_t>(p), n - 1);
        auto angleAt = [&](int32_t index) { return index < j->mPoses.Count() ? j->mPoses[index].mAngle : 0.0f; };
        float a = angleAt(first + i);
        if (!mAnimationSmooth) return a;
        int32_t next = first + i + 1 > last ? first : first + i + 1;
        return a + WrapDifference(angleAt(next) - a) * (p - static_cast<float>(i));
    }
    return HasSelectedPose(*j) ? j->mPoses[j->mSelectedPose].mAngle : 0.0f;
}

float RobotDef::GetTimelinePosition() const
{
    if (mJoints.Count() == 0) return 0.0f;
    const Array<PoseAngle>& poses = mJoints[0]->mPoses;
    if (mTransitionActive) {
        float from = static_cast<float>(std::max(0, FindPoseIndex(poses, mTransitionFromPose)));
        int32_t toIndex = FindPoseIndex(poses, mTransitionToPose);
        float to = static_cast<float>(toIndex < 0 ? poses.Count() - 1 : toIndex);
        float t = mTransitionDuration > 0.0f ? mTransitionTime / mTransitionDuration : 1.0f;
        return from + (to - from) * t;
    }
    if (mPlayingAnimation) {
        const int32_t first = GetAnimFirstPoseIndex();
        const int32_t n = GetAnimLastPoseIndex() - first + 1;
        if (n < 1) return static_cast<float>(first);
        return static_cast<float>(first) + LoopPosition(mAnimationPosition, n);
    }
    return static_cast<float>(mJoints[0]->mSelectedPose);
}

RectF RobotDef::GetPoseTimelineRect(float width, float height)
{
    return RectF(30.0f, height - 25.0f - 20.0f, width - 30.0f, height - 30.0f + 20.0f);
}

} // namespace KIV

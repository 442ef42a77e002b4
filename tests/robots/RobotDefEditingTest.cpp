#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "base/TextFormat.h"
#include "robots/RobotDef.h"

using namespace KIV;

namespace {

// Counts what the definition asks of its owner.
struct RecordingOwner : RobotDefOwner {
    std::vector<std::string> steps;
    int rebuilds = 0;
    bool series = false;
    void SetRebuildNeeded() override { ++rebuilds; }
    void RecordChange(const std::string& caption) override
    {
        if (!series) steps.push_back(caption);
    }
    void StartUndoSerie(const std::string& caption) override
    {
        if (series) return;
        steps.push_back(caption);
        series = true;
    }
    void EndUndoSerie() override { series = false; }
};

struct Editing : ::testing::Test {
    RobotDef def;
    RecordingOwner owner;
    Editing() { def.SetUndoOwner(&owner); }
    // A joint "hip" holding the poses basic, basic1, basic2 and basic3 at the
    // angles 0 to 3, animated from basic1 to basic3 without smoothing.
    void AddHipAnimation()
    {
        def.AddJoint();
        def.JointSetName("hip");
        for (float a : {1.0f, 2.0f, 3.0f}) {
            def.AddPose();
            def.SetSelectedPoseAngle(a);
        }
        def.SetAnimFromPose("basic1");
        def.SetAnimToPose("basic3");
        def.SetAnimSmooth(false);
    }
    void AddObjects(std::initializer_list<const char*> names)
    {
        for (const char* n : names) {
            def.AddObject();
            def.ObjectSetName(n);
        }
    }
};

} // namespace

TEST(RobotDefNames, NextNameCountsUpTheTrailingNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "1"}, {"arm", "arm1"}, {"arm1", "arm2"}, {"leg09", "leg10"}, {"x99", "x100"}, {"7", "8"}, {"a999", "a1000"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(RobotDef::MakeNextName(in), out) << in;
}

TEST_F(Editing, SettersWithoutASelectionChangeAndRecordNothing)
{
    def.ObjectSetPosX(5);
    def.ObjectSetName("x");
    def.ObjectSetTextureCrop(1, 2, 3, 4);
    def.JointSetAngle(1);
    def.JointSetObjANameBySel();
    def.ParticlesSetLayer(3);
    def.SetSelectedPoseAngle(1);
    EXPECT_TRUE(owner.steps.empty());
    EXPECT_EQ(def.ObjectGetName(), "");
    EXPECT_EQ(def.ObjectGetScale(), VectorF(0, 0));
    EXPECT_EQ(def.JointGetName(), "");
    EXPECT_EQ(def.GetSelectedPoseIndex(), 0);
    // One exception: deleting a link records its step even with nothing to delete.
    def.DeleteSelectedParticles();
    EXPECT_EQ(owner.steps, std::vector<std::string>{"robotdef: delete particle system"});
}

TEST_F(Editing, InsertionAndDeletionKeepTheSelectionRules)
{
    AddObjects({"a", "b", "c", "d", "e"});
    def.SelectObject(2);
    def.AddObject();
    EXPECT_EQ(def.GetObjectSelectedIndex(), 3);
    EXPECT_EQ(def.GetObjectsList(), "a, b, c, , d, e");
    def.SelectObject(0);
    def.DeleteSelectedObject();
    EXPECT_EQ(def.GetObjectSelectedIndex(), 0);
    const int rebuilds = owner.rebuilds;
    def.SelectObject(70);
    EXPECT_EQ(def.GetObjectSelectedIndex(), 0);
    EXPECT_EQ(owner.rebuilds, rebuilds + 1) << "selecting marks the robot for rebuilding even when refused";
    while (def.GetObjectsCount() > 0) def.DeleteSelectedObject();
    EXPECT_EQ(def.GetObjectSelectedIndex(), -1);
    EXPECT_EQ(owner.steps.back(), "robotdef: delete object <e>");
}

TEST_F(Editing, TextureReferenceCarriesTheCropOnlyWhenItHasArea)
{
    AddObjects({"body"});
    const struct {
        int x, y, w, h;
        const char* text;
    } cases[] = {{0, 0, 0, 50, "pic.png"}, {5, 6, 10, 20, "pic.png:5,6,10,20"}, {5, 6, 10, 0, "pic.png"}};
    def.Objects()[0]->mTexture = "pic.png";
    for (const auto& c : cases) {
        def.ObjectSetTextureCrop(c.x, c.y, c.w, c.h);
        EXPECT_EQ(def.ObjectGetTexture(), c.text);
    }
}

TEST_F(Editing, JointsGetTheRobotsPosesAndUniqueNames)
{
    def.AddJoint();
    ASSERT_EQ(def.Joints()[0]->mPoses.Count(), 1);
    EXPECT_EQ(def.GetPoseName(0), "basic");
    def.JointSetAngle(0.5f);
    def.AddPose(); // basic1
    def.SetSelectedPoseAngle(0.25f);
    def.AddJoint();
    const JointDef& second = *def.Joints()[1];
    ASSERT_EQ(second.mPoses.Count(), 2);
    EXPECT_EQ(second.mPoses[1].mName, FastName("basic1"));
    EXPECT_EQ(second.mPoses[1].mAngle, 0.25f);

    def.SelectJoint(0);
    def.JointSetName("knee");
    def.SelectJoint(1);
    def.JointSetNameUnique("knee");
    EXPECT_EQ(def.JointGetName(), "knee1");
    def.JointSetNameUnique("knee1");
    EXPECT_EQ(def.JointGetName(), "knee1") << "renaming to its own name keeps it";
    def.CopySelectedJoint();
    def.PasteJoint();
    EXPECT_EQ(def.JointGetName(), "knee2");
    EXPECT_EQ(def.Joints()[2]->mPoses.Count(), 2);

    def.JointSetGearJoint(true);
    def.JointSetWorldJoint(false);
    EXPECT_FALSE(def.JointGetGearJoint()) << "the world and gear flags exclude each other";
}

TEST_F(Editing, ObjectConnectionIgnoresWorldAndGearJoints)
{
    AddObjects({"a", "b"});
    def.AddJoint();
    def.JointSetObjAName("a");
    def.JointSetObjBName("b");
    def.JointSetWorldJoint(true);
    EXPECT_FALSE(def.IsObjectConnected(0));
    def.JointSetWorldJoint(false);
    EXPECT_TRUE(def.IsObjectConnected(1));
    EXPECT_FALSE(def.IsObjectConnected(2));
}

TEST_F(Editing, PastedObjectsAlwaysGetAFreeName)
{
    AddObjects({"wheel", "wheel1"});
    def.SelectObject(0);
    def.Objects()[0]->mBuiltToyId = 7;
    def.CopySelectedObject();
    def.PasteObject();
    EXPECT_EQ(def.ObjectGetName(), "wheel2");
    EXPECT_EQ(def.Objects()[1]->mBuiltToyId, -1) << "the copy must not share the original's toy";
    EXPECT_EQ(def.GetObjectsList(), "wheel, wheel2, wheel1");
    def.ShiftSelectedObject(true);
    EXPECT_EQ(def.GetObjectsList(), "wheel2, wheel, wheel1");
    EXPECT_EQ(def.GetObjectSelectedIndex(), 0);
    def.ShiftSelectedObject(true);
    EXPECT_EQ(def.GetObjectSelectedIndex(), 0) << "the first object cannot move up";
}

TEST_F(Editing, ScalingIsOneUndoStepAndLeavesPictureAnchorsAlone)
{
    AddObjects({"a"});
    def.ObjectSetPosX(3);
    def.AddJoint();
    def.JointSetObjAPosX(4);
    def.JointSetObjBPosX(5);
    def.JointSetObjBByPic(false);
    def.AddParticles();
    def.ParticlesSetLinkObjPosX(6);
    const size_t before = owner.steps.size();
    def.ScaleRobot(0);
    def.ScaleRobot(-2);
    EXPECT_EQ(owner.steps.size(), before);
    def.ScaleRobot(2);
    EXPECT_EQ(owner.steps.size(), before + 1);
    EXPECT_EQ(owner.steps.back(), "scale robot");
    EXPECT_EQ(def.ObjectGetPosX(), 6);
    EXPECT_EQ(def.ObjectGetScale(), VectorF(2, 2));
    EXPECT_EQ(def.JointGetObjAPosX(), 4) << "anchor A is given by picture";
    EXPECT_EQ(def.JointGetObjBPosX(), 10);
    EXPECT_EQ(def.ParticlesGetLinkObjPosX(), 6);
}

TEST_F(Editing, ScriptsAreDecodedAndOnlyChangesRecorded)
{
    def.SetScriptOnBuild("a%20b");
    EXPECT_EQ(def.GetScriptOnBuild(), "a b");
    const size_t steps = owner.steps.size();
    def.SetScriptOnBuild("a%20b");
    EXPECT_EQ(owner.steps.size(), steps);
    def.SetNotes("same");
    def.SetNotes("same");
    EXPECT_EQ(owner.steps.size(), steps + 2) << "notes record every time";
}

TEST_F(Editing, PoseListOperationsKeepBasicFirst)
{
    def.AddJoint();
    def.AddJoint();
    def.SelectPose(0);
    def.DelSelectedPose();
    def.MoveUpSelectedPose();
    EXPECT_EQ(def.GetPoseName(0), "basic");
    def.AddPose();
    def.SetSelectedPoseName("walk");
    def.AddPose();
    EXPECT_EQ(def.GetSelectedPoseName(), "walk1");
    def.AddPose();
    EXPECT_EQ(def.GetSelectedPoseName(), "walk2");
    def.SelectPose(1);
    def.MoveUpSelectedPose();
    EXPECT_EQ(def.GetPoseName(1), "walk");
    def.MoveDownSelectedPose();
    EXPECT_EQ(def.GetPoseName(2), "walk");
    def.SelectPose(3);
    def.DelSelectedPose();
    EXPECT_EQ(def.Joints()[1]->mSelectedPose, 2) << "deleting the last pose selects the new last";
    EXPECT_EQ(DecodePercentEscapes(def.GetPosesListArray()), "['basic ( 0.0000 ) ','walk1 ( 0.0000 ) ','walk ( 0.0000 ) ']");
}

TEST_F(Editing, MirroringAPoseTurnsEveryJointAndKeepsBasicAndRestAngleTogether)
{
    def.AddJoint();
    def.JointSetAngle(1.0f);
    def.AddJoint();
    def.MirrorPose(3.14159f);
    for (const JointDef* j : def.Joints()) {
        EXPECT_FLOAT_EQ(j->mPoses[0].mAngle, 2.14159f);
        EXPECT_EQ(j->mAngle, j->mPoses[0].mAngle) << "the rest angle is what a reload keeps of basic";
    }
    def.MirrorPose(0);
    EXPECT_FLOAT_EQ(def.Joints()[0]->mPoses[0].mAngle, -2.14159f);
}

TEST_F(Editing, PreviewPlaysTransitionsAndAnimationsOnTheTimeline)
{
    AddHipAnimation();
    def.SetAnimFPS(4);
    def.SetPlayingAnim(true);
    const FastName hip("hip");
    const struct {
        int ms;
        float angle;
    } frames[] = {{0, 1.0f}, {250, 2.0f}, {249, 2.0f}, {1, 3.0f}, {250, 1.0f}};
    for (const auto& f : frames) {
        def.AdvancePreview(f.ms);
        EXPECT_EQ(def.GetJointPreviewAngle(hip), f.angle) << "after " << f.ms;
    }
    def.SetAnimFromPose("nowhere");
    def.SetAnimToPose("nowhere");
    EXPECT_EQ(def.GetAnimFirstPoseIndex(), 0);
    EXPECT_EQ(def.GetAnimLastPoseIndex(), 3);

    def.StartPoseTransition("basic1", "basic3");
    EXPECT_FALSE(def.GetPlayingAnim());
    def.AdvancePreview(111);
    EXPECT_NEAR(def.GetJointPreviewAngle(hip), 1.0f + 2.0f * 0.111f / 0.333f, 1e-5);
    EXPECT_NEAR(def.GetTimelinePosition(), 1.0f + 2.0f * 0.111f / 0.333f, 1e-5);
    def.AdvancePreview(222);
    EXPECT_EQ(def.GetJointPreviewAngle(hip), 3.0f) << "the fade ends on the first frame at its duration";
}

TEST_F(Editing, ABackwardOrStoppedAnimationStaysInsideItsRange)
{
    AddHipAnimation();
    const FastName hip("hip");
    const struct {
        float fps;
        int ms;
        float angle;    // pose shown after the advance
        float timeline; // marker, in pose units
    } cases[] = {
        {-4.0f, 100, 3.0f, 3.6f}, // 0.4 poses back from the first wraps onto the last
        {-4.0f, 1000, 3.0f, 3.0f},
        {0.0f, 5000, 1.0f, 1.0f},
        {4.0f, 600, 3.0f, 3.4f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fps);
        def.SetAnimFPS(c.fps);
        def.SetPlayingAnim(true);
        def.AdvancePreview(c.ms);
        EXPECT_EQ(def.GetJointPreviewAngle(hip), c.angle);
        EXPECT_NEAR(def.GetTimelinePosition(), c.timeline, 1e-4f);
    }
    // A position a hair below zero rounds to the full range length: the marker
    // must still stand on a pose of the range.
    def.SetPlayingAnim(true);
    def.mAnimationPosition = -1e-9f;
    EXPECT_GE(def.GetTimelinePosition(), 1.0f);
    EXPECT_LT(def.GetTimelinePosition(), 4.0f);
    EXPECT_EQ(def.GetJointPreviewAngle(hip), 1.0f);
}

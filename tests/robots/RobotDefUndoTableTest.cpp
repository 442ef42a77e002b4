#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <string>
#include <vector>
#include "base/MemoryStream.h"
#include "robots/Robot.h"
#include "robots/RobotSamples.h"

using namespace KIV;
using namespace KIV::samples;

namespace {

// One edit of the definition: what it records, and what it leaves behind.
struct EditCase {
    const char* name;
    std::function<void(Robot&)> edit;
    std::vector<std::string> captions; // the steps it records, in order
    std::function<bool(const Robot&)> applied;
};

// The small robot with its wheel, its joint and its particle link selected.
void Prepare(Robot& r)
{
    MakeSmallRobot(r);
    r.SelectObject(1);
    r.SelectJoint(0);
    r.SelectParticles(0);
    r.GetUndoHistory().Clear();
}

const JointDef& Axle(const Robot& r) { return *r.Joints()[0]; }

// Every edit must record its steps before changing anything, so that undoing
// them gives back the definition as it was, and redoing gives back the very
// bytes the edit left.
void CheckEdits(const std::vector<EditCase>& cases)
{
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        Robot r;
        Prepare(r);
        const std::vector<uint8_t> before = Written(r);
        c.edit(r);
        EXPECT_TRUE(c.applied(r));
        ASSERT_EQ(r.GetUndoHistory().GetCount(), static_cast<int32_t>(c.captions.size()));
        EXPECT_EQ(r.GetUndoCaption(), c.captions.back());
        EXPECT_TRUE(r.GetChanged());
        const std::vector<uint8_t> after = Streamed(r);
        for (size_t i = 0; i < c.captions.size(); ++i) ASSERT_TRUE(r.ApplyUndo(nullptr));
        EXPECT_EQ(r.GetNotice(), "UNDO APPLIED > " + c.captions.front());
        EXPECT_EQ(Written(r), before);
        for (size_t i = 0; i < c.captions.size(); ++i) ASSERT_TRUE(r.ApplyRedo(nullptr));
        EXPECT_EQ(Streamed(r), after);
        EXPECT_TRUE(c.applied(r));
    }
}

} // namespace

TEST(RobotDefUndoTable, RobotAndObjectEdits)
{
    CheckEdits({
        {"rename robot", [](Robot& r) { r.SetName("a very long robot name"); }, {"robotdef: robot name <a very long robo>"},
         [](const Robot& r) { return r.GetName() == "a very long robo"; }},
        {"add object", [](Robot& r) { r.AddObject(); }, {"robotdef: add object"},
         [](const Robot& r) { return r.GetObjectsList() == "body, wheel, " && r.GetObjectSelectedIndex() == 2; }},
        {"delete object", [](Robot& r) { r.DeleteSelectedObject(); }, {"robotdef: delete object <wheel>"},
         [](const Robot& r) { return r.GetObjectsList() == "body" && r.GetObjectSelectedIndex() == 0; }},
        {"object name", [](Robot& r) { r.ObjectSetName("tyre"); }, {"robotdef: object name <wheel>"},
         [](const Robot& r) { return r.ObjectGetName() == "tyre"; }},
        {"crop", [](Robot& r) { r.ObjectSetTextureCrop(1, 2, 3, 4); }, {"robotdef: object texture crop rectangle"},
         [](const Robot& r) { return r.ObjectGetTextureCrop() == RectI(1, 2, 3, 4); }},
        {"crop height", [](Robot& r) { r.ObjectSetTextureCropYY(9); },
         {"robotdef: object texture crop rectangle (height)"},
         [](const Robot& r) { return r.ObjectGetTextureCrop().mP2.mY == 9; }},
        {"circle", [](Robot& r) { r.ObjectSetCircleShape(false); }, {"robotdef: object circle shape"},
         [](const Robot& r) { return !r.ObjectGetCircleShape(); }},
        {"master", [](Robot& r) { r.ObjectSetMaster(true); }, {"robotdef: master object"},
         [](const Robot& r) { return r.ObjectGetMaster(); }},
        {"x", [](Robot& r) { r.ObjectSetPosX(4); }, {"robotdef: object positon (x)"},
         [](const Robot& r) { return r.ObjectGetPosX() == 4; }},
        {"y", [](Robot& r) { r.ObjectSetPosY(5); }, {"robotdef: object position (y)"},
         [](const Robot& r) { return r.ObjectGetPosY() == 5; }},
        {"orientation", [](Robot& r) { r.ObjectSetOrientation(0.5f); }, {"robotdef: object orientation"},
         [](const Robot& r) { return r.ObjectGetOrientation() == 0.5f; }},
        {"scale", [](Robot& r) { r.ObjectSetScale(3); }, {"robotdef: object scale"},
         [](const Robot& r) { return r.ObjectGetScale() == VectorF(3, 3); }},
        {"order", [](Robot& r) { r.ShiftSelectedObject(true); }, {"robotdef: object order"},
         [](const Robot& r) { return r.GetObjectsList() == "wheel, body" && r.GetObjectSelectedIndex() == 0; }},
        {"paste", [](Robot& r) { r.CopySelectedObject(); r.PasteObject(); }, {"robotdef: add object"},
         [](const Robot& r) { return r.GetObjectsList() == "body, wheel, wheel1" && r.ObjectGetCircleShape(); }},
    });
}

TEST(RobotDefUndoTable, JointEdits)
{
    CheckEdits({
        {"add joint", [](Robot& r) { r.AddJoint(); }, {"robotdef: add joint"},
         [](const Robot& r) { return r.GetJointsCount() == 2 && r.Joints()[1]->mPoses.Count() == 2 && r.Joints()[1]->mAngle == 0.5f; }},
        {"delete joint", [](Robot& r) { r.DeleteSelectedJoint(); }, {"robotdef: delete joint <axle>"},
         [](const Robot& r) { return r.GetJointsCount() == 0 && r.GetJointSelectedIndex() == -1; }},
        {"name", [](Robot& r) { r.JointSetName("hub"); }, {"robotdef: joint name +<axle>"},
         [](const Robot& r) { return r.JointGetName() == "hub"; }},
        {"object A by selection", [](Robot& r) { r.JointSetObjANameBySel(); }, {"robotdef: joint object A name"},
         [](const Robot& r) { return r.JointGetObjAName() == "wheel"; }},
        {"anchor B y", [](Robot& r) { r.JointSetObjBPosY(-3); }, {"robotdef: joint object B position (y)"},
         [](const Robot& r) { return r.JointGetObjBPosY() == -3; }},
        {"anchor A relation", [](Robot& r) { r.JointSetObjAByPic(false); },
         {"robotdef: joint object A position relation"}, [](const Robot& r) { return !r.JointGetObjAByPic(); }},
        {"angle", [](Robot& r) { r.JointSetAngle(1.25f); }, {"robotdef: joint angle"},
         [](const Robot& r) { return Axle(r).mAngle == 1.25f && Axle(r).mPoses[0].mAngle == 1.25f; }},
        {"world", [](Robot& r) { r.JointSetWorldJoint(true); }, {"robotdef: world joint"},
         [](const Robot& r) { return r.JointGetWorldJoint() && !r.JointGetGearJoint(); }},
        {"paste", [](Robot& r) { r.CopySelectedJoint(); r.PasteJoint(); },
         {"robotdef: add joint", "robotdef: joint name +<axle>"},
         [](const Robot& r) { return r.GetJointsList() == "axle, axle1" && r.Joints()[1]->mPoses.Count() == 2; }},
    });
}

TEST(RobotDefUndoTable, LinkPoseAndTextEdits)
{
    CheckEdits({
        {"add link", [](Robot& r) { r.AddParticles(); }, {"robotdef: add particle system"},
         [](const Robot& r) { return r.GetParticlesCount() == 2 && r.GetParticlesSelectedIndex() == 1; }},
        {"delete link", [](Robot& r) { r.DeleteSelectedParticles(); }, {"robotdef: delete particle system"},
         [](const Robot& r) { return r.GetParticlesCount() == 0; }},
        {"link orientation", [](Robot& r) { r.ParticlesSetLinkObjOrientation(2); },
         {"robotdef: particle system link orientation"},
         [](const Robot& r) { return r.ParticlesGetLinkObjOrientation() == 2; }},
        {"link layer", [](Robot& r) { r.ParticlesSetLayer(4); }, {"robotdef: particle system layer"},
         [](const Robot& r) { return r.ParticlesGetLayer() == 4; }},
        {"add pose", [](Robot& r) { r.AddPose(); }, {"robotdef: add pose"},
         [](const Robot& r) { return r.GetSelectedPoseName() == "crouch1" && Axle(r).mPoses.Count() == 3; }},
        {"delete pose", [](Robot& r) { r.DelSelectedPose(); }, {"robotdef: delete pose"},
         [](const Robot& r) { return Axle(r).mPoses.Count() == 1; }},
        {"pose angle", [](Robot& r) { r.SetSelectedPoseAngle(0.75f); }, {"robotdef: pose joint angle"},
         [](const Robot& r) { return r.GetSelectedPoseAngle() == 0.75f; }},
        {"pose name", [](Robot& r) { r.SetSelectedPoseName("duck"); }, {"robotdef: pose name"},
         [](const Robot& r) { return r.GetSelectedPoseName() == "duck"; }},
        {"mirror", [](Robot& r) { r.RobotDef::MirrorPose(1.0f); }, {"mirror selected pose"},
         [](const Robot& r) { return r.GetSelectedPoseAngle() == 2.0f; }},
        {"build script", [](Robot& r) { r.SetScriptOnBuild("x%3D1"); }, {"robotdef: lua script on build"},
         [](const Robot& r) { return r.GetScriptOnBuild() == "x=1"; }},
        {"update script", [](Robot& r) { r.SetScriptOnUpdate("y"); }, {"robotdef: lua script on update"},
         [](const Robot& r) { return r.GetScriptOnUpdate() == "y"; }},
        {"notes", [](Robot& r) { r.SetNotes("hi"); }, {"robotdef: robot notes"},
         [](const Robot& r) { return r.GetNotes() == "hi"; }},
        {"start dead", [](Robot& r) { r.SetStartDead(true); }, {"robotdef: start dead"},
         [](const Robot& r) { return r.GetStartDead(); }},
        {"scale", [](Robot& r) { r.ScaleRobot(2); }, {"scale robot"},
         [](const Robot& r) { return r.Objects()[0]->mPosition == VectorF(3.0f, -4.0f); }},
    });
}

TEST(RobotDefScaling, ScalingThereAndBackGivesTheRobotBack)
{
    for (float f : {2.0f, 3.0f, 0.7f}) {
        SCOPED_TRACE(f);
        Robot r;
        Prepare(r);
        r.Objects()[1]->mPosition = {12.3f, -45.6f};
        r.Joints()[0]->mAnchorA = {7.7f, 8.8f};
        r.Joints()[0]->mAnchorAByPicture = false;
        RobotDef original;
        MakeSmallRobot(original);
        MemoryStream s;
        r.Write(s);
        s.SetPosition(0);
        original.Read(s);

        r.ScaleRobot(f);
        r.ScaleRobot(1.0f / f);
        EXPECT_EQ(r.GetUndoHistory().GetCount(), 2) << "each scaling is one step";
        for (int32_t i = 0; i < r.GetObjectsCount(); ++i) {
            const ObjectDef& a = *r.Objects()[i];
            const ObjectDef& b = *original.Objects()[i];
            EXPECT_NEAR(a.mPosition.mX, b.mPosition.mX, 1e-4f);
            EXPECT_NEAR(a.mPosition.mY, b.mPosition.mY, 1e-4f);
            EXPECT_NEAR(a.mScale.mX, b.mScale.mX, 1e-5f);
            EXPECT_NEAR(a.mScale.mY, b.mScale.mY, 1e-5f);
        }
        const JointDef& j = *r.Joints()[0];
        const JointDef& o = *original.Joints()[0];
        EXPECT_NEAR(j.mAnchorA.mX, o.mAnchorA.mX, 1e-5f);
        EXPECT_NEAR(j.mAnchorA.mY, o.mAnchorA.mY, 1e-5f);
        EXPECT_NEAR(j.mAnchorB.mX, o.mAnchorB.mX, 1e-5f);
        EXPECT_NEAR(j.mAnchorB.mY, o.mAnchorB.mY, 1e-5f);
    }
}

TEST(RobotDefPaste, PastedPartsNeverShareTheOriginalsBuiltParts)
{
    Robot r;
    Prepare(r);
    r.Objects()[1]->mBuiltToyId = 12;
    r.CopySelectedObject();
    r.mObjectClipboard.mBuiltToyId = 12; // a script may have filled the clipboard by hand
    r.PasteObject();
    r.PasteObject();
    EXPECT_EQ(r.GetObjectsList(), "body, wheel, wheel1, wheel2") << "each paste takes a free name";
    EXPECT_EQ(r.Objects()[2]->mBuiltToyId, -1);
    EXPECT_EQ(r.Objects()[3]->mBuiltToyId, -1);

    // A joint pasted from an empty clipboard still starts with the pose "basic".
    r.mJointClipboard = JointDef();
    r.mJointClipboard.mPoses.Clear();
    r.mJointClipboard.mBuiltJointId = 5;
    r.PasteJoint();
    const JointDef& pasted = *r.Joints()[r.GetJointSelectedIndex()];
    EXPECT_EQ(pasted.mBuiltJointId, -1);
    ASSERT_GE(pasted.mPoses.Count(), 1);
    EXPECT_EQ(pasted.mPoses[0].mName, FastName("basic"));
}

#include "tools/robotgen/Spider1.h"
#include <algorithm>
#include <cmath>
#include <string>
#include "base/TextFormat.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

namespace {

// Texture references of the parts, drawn by the content generator.
const char* const kBody = "Robots\\spider1\\body.png";
const char* const kThigh = "Robots\\spider1\\thigh.png";
const char* const kShin = "Robots\\spider1\\shin.png";
const char* const kGun = "Robots\\spider1\\gun.png";

// Anchors in each part's own frame (centred on the part's outline centre).
constexpr float kHipY = 16.0f;
constexpr float kThighHalf = 26.0f;
constexpr float kShinTop = -29.0f;

// A leg is placed by where its foot should be, relative to its hip (y
// down): two pieces, thigh and shin, with the knee bent forward. The angles
// are those of the joints (radians; a positive angle turns a piece's lower
// end forward, to the right).
constexpr float kThighLength = 2.0f * kThighHalf;
constexpr float kShinLength = 66.0f;
struct LegAngles {
    float hip, knee;
};
LegAngles ReachFoot(VectorF foot)
{
    const float d = std::min(std::sqrt(foot.mX * foot.mX + foot.mY * foot.mY), kThighLength + kShinLength - 0.01f);
    const float l1 = kThighLength, l2 = kShinLength;
    const float inner = std::acos(std::clamp((l1 * l1 + l2 * l2 - d * d) / (2.0f * l1 * l2), -1.0f, 1.0f));
    const float thighOff = std::acos(std::clamp((l1 * l1 + d * d - l2 * l2) / (2.0f * l1 * d), -1.0f, 1.0f));
    const float hip = std::atan2(foot.mX, foot.mY) + thighOff;
    return {hip, -(3.1415927f - inner)};
}
// The stance: the feet this far below the hips, the front feet ahead of
// their hips and the back feet behind, for a wide base.
constexpr float kStandDepth = 104.0f;
constexpr float kStandSpread = 18.0f;
// The four phases of a step, as the foot's way about its stance: lift it
// behind, swing it forward in the air, put it down ahead, push the body
// over it. The push is the stroke that carries the robot.
constexpr float kStride = 30.0f;
constexpr float kLift = 34.0f;
const VectorF kPhases[4] = {VectorF(-kStride, -kLift), VectorF(kStride, -kLift), VectorF(kStride, 0.0f),
                            VectorF(-kStride, 0.0f)};
const char* const kPhaseNames[4] = {"walk", "walk2", "walk3", "walk4"};

void AddPart(RobotDef& def, const char* name, const char* texture, VectorF at, bool master)
{
    ObjectDef* o = def.Objects().AppendNew();
    o->mName = FastName(name);
    o->mTexture = texture;
    o->mPosition = at;
    o->mMaster = master;
}

JointDef* AddJoint(RobotDef& def, const std::string& name, const char* a, VectorF anchorA, const std::string& b,
                   VectorF anchorB, float basic)
{
    JointDef* j = def.Joints().AppendNew();
    j->mName = FastName(name);
    j->mObjectA = FastName(a);
    j->mObjectB = FastName(b);
    j->mAnchorA = anchorA;
    j->mAnchorB = anchorB;
    j->mAnchorAByPicture = false;
    j->mAnchorBByPicture = false;
    j->mAngle = basic;
    j->mPoses.PushBack(PoseAngle{FastName(RobotDef::kBasicPose), basic, 0});
    return j;
}

void AddPose(JointDef& j, const char* pose, float angle) { j.mPoses.PushBack(PoseAngle{FastName(pose), angle, 0}); }

// Lua run once the robot stands: stiff legs at their standing angles, and a
// gun that fires single heavy shots only when asked.
const char* const kBuildScript = R"(
robot:SetAngularSpringPowers("", 3000)
robot:SetAngularFrictions("", 10)
robot:SetAngularSpringAnglesByPose("", "basic")
local gun = robot:GetParticlesByName("gunfire")
if gun then
  gun:TestParticles_Bullets()
  gun:SwitchOFFParticleEmitting()
  gun:SetEmitBoomCountMin(1)
  gun:SetEmitBoomCountMax(2)
  gun:SetStartSpeed(1500)
end
)";

// Lua run after every physics step: while Right (or Left) is held the two
// leg groups go through the four phases half a step apart, the gun aims, and
// while Shoot is held the gun fires a shot at once and then ten a second.
const char* const kUpdateScript = R"(
if mobj.phase == nil then mobj.phase = 0; mobj.timer = 0 end
local dir = 0
if robot:KeyRight_Down() then dir = 1 elseif robot:KeyLeft_Down() then dir = -1 end
if dir ~= 0 then
  mobj.timer = mobj.timer - 1
  if mobj.timer <= 0 then
    mobj.timer = 40
    mobj.phase = (mobj.phase + dir) % 4
    local names = {"walk", "walk2", "walk3", "walk4"}
    robot:FadeAngularSpringAnglesByPose("legA", names[mobj.phase + 1], 0.16)
    robot:FadeAngularSpringAnglesByPose("legB", names[(mobj.phase + 2) % 4 + 1], 0.16)
  end
elseif mobj.timer ~= 0 then
  mobj.timer = 0
  robot:FadeAngularSpringAnglesByPose("leg", "basic", 0.2)
end
robot:GunAim1(robot:KeyMousePos_Aim(), "gun", "body", "gun", 600)
if mobj.reload == nil then mobj.reload = 0 end
if mobj.reload > 0 then mobj.reload = mobj.reload - 1 end
if robot:KeyShoot_Down() and mobj.reload == 0 then
  mobj.reload = 21
  local ps = robot:GetParticlesByName("gunfire")
  if ps then ps:EmitBoom() end
end
)";

} // namespace

void FillSpider1(RobotDef& def)
{
    def.SetName("spider1");
    def.SetStartDead(false);
    AddPart(def, "body", kBody, VectorF(), true);
    // Legs: A1 front and A2 back step together, B1 and B2 half a step later.
    struct Leg {
        const char* name;
        float x;
        float spread;  // the foot's stance ahead of the hip
    };
    const Leg legs[] = {{"legA1", 48.0f, kStandSpread}, {"legB1", 38.0f, kStandSpread},
                        {"legA2", -38.0f, -kStandSpread}, {"legB2", -48.0f, -kStandSpread}};
    for (const Leg& leg : legs) {
        const std::string thigh = std::string(leg.name) + "t", shin = std::string(leg.name) + "s";
        AddPart(def, thigh.c_str(), kThigh, VectorF(leg.x, kHipY + kThighHalf), false);
        AddPart(def, shin.c_str(), kShin, VectorF(leg.x, kHipY + 2.0f * kThighHalf - kShinTop), false);
        const VectorF stance(leg.spread, kStandDepth);
        const LegAngles stand = ReachFoot(stance);
        JointDef* hip = AddJoint(def, std::string(leg.name) + "_hip", "body", VectorF(leg.x, kHipY), thigh,
                                 VectorF(0.0f, -kThighHalf), stand.hip);
        JointDef* knee = AddJoint(def, std::string(leg.name) + "_knee", thigh.c_str(), VectorF(0.0f, kThighHalf),
                                  shin, VectorF(0.0f, kShinTop), stand.knee);
        for (int32_t p = 0; p < 4; ++p) {
            const LegAngles phase = ReachFoot(stance + kPhases[p]);
            AddPose(*hip, kPhaseNames[p], phase.hip);
            AddPose(*knee, kPhaseNames[p], phase.knee);
        }
    }
    // The gun turns about its right end; at a half turn its barrel points forward.
    AddPart(def, "gun", kGun, VectorF(0.0f, -30.0f), false);
    JointDef* gun = AddJoint(def, "gun", "body", VectorF(10.0f, -20.0f), "gun", VectorF(22.0f, 0.0f), 3.1415927f);
    for (const char* pose : kPhaseNames) AddPose(*gun, pose, 3.1415927f);
    ParticlesDef* fire = def.ParticleLinks().AppendNew();
    fire->mName = FastName("gunfire");
    fire->mLinkObject = FastName("gun");
    fire->mLinkPosition = VectorF(-26.0f, 0.0f);
    // Shots leave along the barrel, the gun's own -x.
    fire->mLinkOrientation = 3.1415927f;
    // The setters take the texts as the editor's pages send them.
    def.SetScriptOnBuild(PercentEncodeText(kBuildScript));
    def.SetScriptOnUpdate(PercentEncodeText(kUpdateScript));
}

void PrepareSpider1Parts(Robot& robot)
{
    for (Toy* toy : robot.GetToys()) {
        toy->mDontBounceOffRobotLinked = 1;
        toy->mAllowPlasticDeform = 0;
        toy->mMinimalImpulseToBreakHull = 1.0e9f;
        toy->mMinimalImpulseToBreakCore = 1.0e9f;
    }
    if (Toy* body = robot.GetToyByName("body")) {
        body->mBalancer = 1;
        body->mBalancerNeedsRobot = 1;
    }
}

} // namespace KIV

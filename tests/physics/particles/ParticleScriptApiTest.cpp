#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include <vector>
#include "physics/particles/ParticleSystem.h"

using namespace KIV;

namespace {

template <typename M>
struct Arity;
template <typename C, typename R, typename... A>
struct Arity<R (C::*)(A...)> {
    static constexpr int kValue = sizeof...(A);
};
template <typename C, typename R, typename... A>
struct Arity<R (C::*)(A...) const> {
    static constexpr int kValue = sizeof...(A);
};

struct Method {
    std::string name;
    int arity;
};

// Taking each method's address fails to compile when the name is missing or
// overloaded: the script binding needs exactly one member of each name.
#define KIV_METHOD(name) Method{#name, Arity<decltype(&ParticleSystem::name)>::kValue}

const std::vector<Method> kBoundMethods = {
    KIV_METHOD(EmitOne), KIV_METHOD(EmitBoom), KIV_METHOD(EmitShardPaticle), KIV_METHOD(GetName),
    KIV_METHOD(SetName), KIV_METHOD(SetStartMoveVector), KIV_METHOD(TestParticles_Soldier_Jet),
    KIV_METHOD(TestParticles_Bullets), KIV_METHOD(TestParticles_BigShip_Jet), KIV_METHOD(GetParticlesCountInfo),
    KIV_METHOD(DeleteAllParticles), KIV_METHOD(GetTexture), KIV_METHOD(SetTexture), KIV_METHOD(SetTextureFromLib),
    KIV_METHOD(GetMultiTexture), KIV_METHOD(SetMultiTexture), KIV_METHOD(GetPosition), KIV_METHOD(SetPositionX),
    KIV_METHOD(SetPositionY), KIV_METHOD(GetLine), KIV_METHOD(SetLineX), KIV_METHOD(SetLineY),
    KIV_METHOD(SetBlender), KIV_METHOD(GetBlender), KIV_METHOD(SetTexColorOp), KIV_METHOD(GetTexColorOp),
    KIV_METHOD(GetStartSpeed), KIV_METHOD(SetStartSpeed), KIV_METHOD(GetStartSpeedMul),
    KIV_METHOD(SetStartSpeedMulMin), KIV_METHOD(SetStartSpeedMulMax), KIV_METHOD(SetStartSpeedMul),
    KIV_METHOD(GetStartDirection), KIV_METHOD(SetStartDirection), KIV_METHOD(GetScattering),
    KIV_METHOD(SetScattering), KIV_METHOD(GetSizeOnStart), KIV_METHOD(SetSizeOnStartMin),
    KIV_METHOD(SetSizeOnStartMax), KIV_METHOD(GetParticleWeight), KIV_METHOD(SetParticleWeight),
    KIV_METHOD(GetParticleRecoil), KIV_METHOD(SetParticleRecoil), KIV_METHOD(GetDeleteWhenEmpty),
    KIV_METHOD(SetDeleteWhenEmpty), KIV_METHOD(GetParticleStartPosition), KIV_METHOD(SetParticleStartPosition),
    KIV_METHOD(GetParticleRotationStyle), KIV_METHOD(SetParticleRotationStyle), KIV_METHOD(GetColor1),
    KIV_METHOD(SetColor1), KIV_METHOD(GetColor2), KIV_METHOD(SetColor2), KIV_METHOD(SwitchOFFParticleEmitting),
    KIV_METHOD(SwitchONParticleEmitting), KIV_METHOD(SetParticleEmitting), KIV_METHOD(GetParticleEmitting),
    KIV_METHOD(GetEmittingInterval), KIV_METHOD(SetEmittingInterval), KIV_METHOD(SetEmittingIntervalMin),
    KIV_METHOD(SetEmittingIntervalMax), KIV_METHOD(GetEmittingCount), KIV_METHOD(SetEmittingCount),
    KIV_METHOD(GetEmitBoomCount), KIV_METHOD(SetEmitBoomCountMin), KIV_METHOD(SetEmitBoomCountMax),
    KIV_METHOD(GetBounceOffTerrain), KIV_METHOD(SetBounceOffTerrain), KIV_METHOD(GetBounceOffToys),
    KIV_METHOD(SetBounceOffToys), KIV_METHOD(GetDontBounceOffRobotLinked), KIV_METHOD(SetDontBounceOffRobotLinked),
    KIV_METHOD(GetDisappearAfterFirstBounce), KIV_METHOD(SetDisappearAfterFirstBounce),
    KIV_METHOD(GetDoBulletDeform), KIV_METHOD(SetDoBulletDeform), KIV_METHOD(GetBulletDeformPower),
    KIV_METHOD(SetBulletDeformPower), KIV_METHOD(GetSharpness), KIV_METHOD(SetSharpness),
    KIV_METHOD(GetAllowSleepingParticles), KIV_METHOD(SetAllowSleepingParticles),
    KIV_METHOD(GetPenetratingParticles), KIV_METHOD(SetPenetratingParticles), KIV_METHOD(GetAllowEffectDent),
    KIV_METHOD(SetAllowEffectDent), KIV_METHOD(GetAllowEffectHoles), KIV_METHOD(SetAllowEffectHoles),
    KIV_METHOD(GetDoSizing), KIV_METHOD(SetDoSizing), KIV_METHOD(GetSizingBy), KIV_METHOD(SetSizingBy),
    KIV_METHOD(GetDoVectorGravity), KIV_METHOD(SetDoVectorGravity), KIV_METHOD(GetGravityVector),
    KIV_METHOD(SetGravityVector), KIV_METHOD(GetUseSceneGravity), KIV_METHOD(SetUseSceneGravity),
    KIV_METHOD(GetDoGravityToPoint), KIV_METHOD(SetDoGravityToPoint), KIV_METHOD(GetGravityToPointPoint),
    KIV_METHOD(SetGravityToPointPoint), KIV_METHOD(GetGravityToPointPower), KIV_METHOD(SetGravityToPointPower),
    KIV_METHOD(GetDoFadeAlpha), KIV_METHOD(SetDoFadeAlpha), KIV_METHOD(GetFadeAlphaFadeIn),
    KIV_METHOD(SetFadeAlphaFadeIn), KIV_METHOD(GetFadeAlphaFadeOut), KIV_METHOD(SetFadeAlphaFadeOut),
    KIV_METHOD(GetDoAirFriction), KIV_METHOD(SetDoAirFriction), KIV_METHOD(GetAirFrictionCoef),
    KIV_METHOD(SetAirFrictionCoef), KIV_METHOD(GetDoAngleTracker), KIV_METHOD(SetDoAngleTracker),
    KIV_METHOD(GetAngleTrackerType), KIV_METHOD(SetAngleTrackerType), KIV_METHOD(GetAngleTrackerPower),
    KIV_METHOD(SetAngleTrackerPower), KIV_METHOD(GetAngleTrackerStartIndex), KIV_METHOD(SetAngleTrackerStartIndex),
    KIV_METHOD(GetAngleTrackerRandomStartIndex), KIV_METHOD(SetAngleTrackerRandomStartIndex),
    KIV_METHOD(GetDoColorBlink), KIV_METHOD(SetDoColorBlink), KIV_METHOD(GetColorBlinkInterval),
    KIV_METHOD(SetColorBlinkInterval), KIV_METHOD(GetColorBlinkColor1Random), KIV_METHOD(SetColorBlinkColor1Random),
    KIV_METHOD(GetColorBlinkColor2Random), KIV_METHOD(SetColorBlinkColor2Random), KIV_METHOD(GetColorBlinkColor1),
    KIV_METHOD(SetColorBlinkColor1), KIV_METHOD(GetColorBlinkColor2), KIV_METHOD(SetColorBlinkColor2),
    KIV_METHOD(GetDoAlphaBlink), KIV_METHOD(SetDoAlphaBlink), KIV_METHOD(GetAlphaBlinkInterval),
    KIV_METHOD(SetAlphaBlinkInterval), KIV_METHOD(GetAlphaBlinkAlpha1Random), KIV_METHOD(SetAlphaBlinkAlpha1Random),
    KIV_METHOD(GetAlphaBlinkAlpha2Random), KIV_METHOD(SetAlphaBlinkAlpha2Random), KIV_METHOD(GetAlphaBlinkAlpha1),
    KIV_METHOD(SetAlphaBlinkAlpha1), KIV_METHOD(GetAlphaBlinkAlpha2), KIV_METHOD(SetAlphaBlinkAlpha2),
    KIV_METHOD(IsLinkedToToy), KIV_METHOD(GetDoMoveByLinkedToy), KIV_METHOD(SetDoMoveByLinkedToy),
    KIV_METHOD(GetDoRotateByLinkedToy), KIV_METHOD(SetDoRotateByLinkedToy), KIV_METHOD(GetToyLinkLocalPoint),
    KIV_METHOD(SetToyLinkLocalPoint), KIV_METHOD(GetToyLinkDirection), KIV_METHOD(SetToyLinkDirection),
    KIV_METHOD(IsLinkedToRobot), KIV_METHOD(GetRobotLinked),
};

#undef KIV_METHOD

} // namespace

// The registration reads its list from the data file; the class must offer
// every listed method, once, with the listed number of arguments.
TEST(ParticleSystemScriptApi, TheListedMethodsExistWithTheirArities)
{
    std::ifstream file(std::string(KIV_TEST_DATA_DIR) + "/script_api/ParticleSystem.txt");
    ASSERT_TRUE(file) << "missing script_api/ParticleSystem.txt";
    std::vector<Method> listed;
    Method m;
    while (file >> m.name >> m.arity) listed.push_back(m);
    ASSERT_EQ(listed.size(), 159u);
    ASSERT_EQ(kBoundMethods.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, kBoundMethods[i].name) << "line " << i + 1;
        EXPECT_EQ(listed[i].arity, kBoundMethods[i].arity) << listed[i].name;
    }
}

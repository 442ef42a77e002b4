#include "physics/particles/ParticleSystem.h"

// Systems set up for known effects: test jets and bullets, the scene's rock
// dust, toy shards and the shot effects. Each preset starts from a clean
// system (all particles gone) and leaves every value it does not name as the
// system had it.

namespace KIV {

namespace {

constexpr ColorRGBA kWhite{255, 255, 255, 255};

} // namespace

void ParticleSystem::FinishPreset(int32_t blender)
{
    RebuildStepProgram();
    if (!mTexture) {
        SetBlender(blender);
        return;
    }
    // The shape is reset to the texture, which clears its blender; the
    // preset's own blender is what the effect is drawn with.
    const int32_t texColorOp = GetTexColorOp();
    mParticleShape.ResetToTexture(mTexture);
    SetBlender(blender);
    SetTexColorOp(texColorOp);
}

void ParticleSystem::TestParticles_Bullets()
{
    ApplyAllProperties();
    SetTexture("Particles\\shot.png");
    mPosition = VectorF(-510.0f, 470.0f);
    mLine = VectorF();
    mEmittingCount = 1;
    mDisappearAfterFirstBounce = 1;
    mScattering = 0.0f;
    mParticleStartPosition = 0;
    mSizeOnStart = IntervalF(30.0f, 30.0f);
    mColor1 = kWhite;
    mColor2 = ColorRGBA(225, 225, 225, 255);
    mDoBulletDeform = 1;
    mParticleWeight = 15.0f;
    mDoVectorGravity = 1;
    mUseSceneGravity = 1;
    mDoAngleTracker = 0;
    mDoFadeAlpha = 0;
    mParticleRotationStyle = 2;
    ApplyAngleTracker();
    FinishPreset(GetBlender());
}

void ParticleSystem::ApplyJetPreset(const VectorF& line, const VectorF& moveVector, const IntervalF& size,
                                    const ColorRGBA& c1, const ColorRGBA& c2, float weight, float sizing,
                                    float fadeOut)
{
    ApplyAllProperties();
    SetTexture("Particles\\rock.png");
    mPosition = VectorF(-200.0f, 100.0f);
    mLine = line;
    SetStartMoveVector(moveVector);
    mScattering = 0.0f;
    mEmittingInterval = IntervalF(0.005f, 0.01f);
    mSizeOnStart = size;
    mColor1 = c1;
    mColor2 = c2;
    mParticleWeight = weight;
    mDoSizing = 1;
    mSizingBy = IntervalF(sizing, sizing);
    SetStartSpeedMul(IntervalF(1.0f, 2.0f));
    mDoFadeAlpha = 1;
    mFadeIn = 0.0f;
    mFadeOut = fadeOut;
    mDoAngleTracker = 1;
    mAngleTrackerType = 0;
    mAngleTrackerPower = 0.05f;
    mAngleTrackerStartIndex = 0;
    mAngleTrackerRandomStartIndex = 1;
    mDoVectorGravity = 1;
    mGravityVector = VectorF(0.0f, -0.005f);
    mUseSceneGravity = 0;
    mParticleRotationStyle = 1;
}

void ParticleSystem::TestParticles_Soldier_Jet()
{
    ApplyJetPreset(VectorF(), VectorF(0.0f, 200.0f), IntervalF(10.0f, 20.0f), ColorRGBA(155, 100, 10, 100),
                   ColorRGBA(155, 55, 10, 100), 100.0f, -20.0f, 300.0f);
    ApplyAngleTracker();
    FinishPreset(1);
}

void ParticleSystem::TestParticles_BigShip_Jet()
{
    ApplyJetPreset(VectorF(10.0f, 0.0f), VectorF(0.0f, 500.0f), IntervalF(30.0f, 50.0f),
                   ColorRGBA(155, 100, 10, 250), ColorRGBA(155, 55, 10, 250), 1000.0f, -40.0f, 1000.0f);
    mDoBulletDeform = 0;
    mBulletDeformPower = 0.0f;
    ApplyAngleTracker();
    FinishPreset(1);
}

void ParticleSystem::PresetRock()
{
    ApplyAllProperties();
    mPosition = VectorF(2596.0f, 896.0f);
    mParticleStartPosition = 1;
    mLine = VectorF(10.0f, 0.0f);
    mScattering = 0.3f;
    mEmittingInterval = IntervalF(0.006f, 0.015f);
    mEmittingCount = 1;
    SetStartMoveVector(VectorF(0.0f, -10.0f));
    mSizeOnStart = IntervalF(1.0f, 10.0f);
    mColor1 = ColorRGBA(100, 100, 100, 25);
    mColor2 = ColorRGBA(255, 255, 255, 40);
    mParticleWeight = 0.01f;
    mDoSizing = 1;
    mSizingBy = IntervalF(10.0f, 10.0f);
    mDoAirFriction = 1;
    mAirFrictionCoef = IntervalF(0.95f, 0.95f);
    SetStartSpeedMul(IntervalF(1.0f, 2.0f));
    mDoFadeAlpha = 1;
    mFadeIn = 0.0f;
    mFadeOut = 25.0f;
    mDoAngleTracker = 1;
    mAngleTrackerType = 1;
    mAngleTrackerPower = 0.2f;
    mAngleTrackerStartIndex = 0;
    mAngleTrackerRandomStartIndex = 1;
    mDoVectorGravity = 1;
    mGravityVector = VectorF(0.0f, -200.0f);
    mUseSceneGravity = 0;
    mParticleRotationStyle = 0;
    ApplyAngleTracker();
    FinishPreset(0);
}

void ParticleSystem::PresetShards(const VectorF& gravity)
{
    ApplyAllProperties();
    mPosition = VectorF(-510.0f, 470.0f);
    mLine = VectorF(0.0f, 5.0f);
    mScattering = 2.3561945f;
    mEmittingCount = 1;
    mParticleEmitting = 0;
    mEmitBoomCount = IntervalI(0, 3);
    mParticleStartPosition = 0;
    mSizeOnStart = IntervalF(2.0f, 4.0f);
    mColor1 = kWhite;
    mColor2 = ColorRGBA(200, 200, 200, 255);
    mBounceOffTerrain = 1;
    mAllowEffectDent = 0;
    mAllowEffectHoles = 0;
    SetStartSpeedMul(IntervalF(0.2f, 1.0f));
    mParticleWeight = 0.1f;
    mDoSizing = 1;
    mSizingBy = IntervalF(-0.2f, -0.2f);
    mDoAngleTracker = 0;
    mDoFadeAlpha = 0;
    mDoVectorGravity = 1;
    mGravityVector = gravity;
    mUseSceneGravity = 0;
    mShardSystem = 1;
    mParticleRotationStyle = 1;
    ApplyAngleTracker();
    FinishPreset(GetBlender());
}

// The shot presets: a single burst that leaves the system once it is empty.
void ParticleSystem::ApplyBurstPreset(const VectorF& position)
{
    ApplyAllProperties();
    mPosition = position;
    mLine = VectorF();
    mParticleStartPosition = 0;
    mDoBulletDeform = 0;
    mParticleEmitting = 0;
    mDeleteWhenEmpty = 1;
}

void ParticleSystem::EmitBurstNow(const IntervalI& count)
{
    mEmitBoomCount = count;
    mBoomRequested = 1;
    UpdateEmission();
}

void ParticleSystem::PresetShotBurst(const VectorF& position, const VectorF& gravity)
{
    ApplyBurstPreset(position);
    mScattering = kTwoPi;
    SetStartSpeed(2000.0f);
    SetStartSpeedMul(IntervalF(0.001f, 1.0f));
    mDisappearAfterFirstBounce = 0;
    mSizeOnStart = IntervalF(15.0f, 20.0f);
    mColor1 = ColorRGBA(155, 155, 155, 255);
    mColor2 = ColorRGBA(225, 225, 225, 255);
    mParticleWeight = 15.0f;
    mDoVectorGravity = 1;
    mGravityVector = gravity;
    mUseSceneGravity = 0;
    mDoFadeAlpha = 1;
    mFadeIn = 0.0f;
    mFadeOut = 100.0f;
    mParticleRotationStyle = 2;
    ApplyAngleTracker();
    FinishPreset(GetBlender());
    EmitBurstNow(IntervalI(15, 20));
}

// A cloud of ten that flies through everything, swelling as it fades in and out.
void ParticleSystem::FinishCloudPreset(const IntervalF& sizing, int32_t rotationStyle)
{
    mBounceOffTerrain = 0;
    mBounceOffToys = 0;
    mDoVectorGravity = 0;
    mDoFadeAlpha = 1;
    mFadeIn = 5000.0f;
    mFadeOut = 5000.0f;
    mDoSizing = 1;
    mSizingBy = sizing;
    mParticleRotationStyle = rotationStyle;
    ApplyAngleTracker();
    FinishPreset(1);
    EmitBurstNow(IntervalI(10, 10));
}

void ParticleSystem::PresetShotStream(const VectorF& position)
{
    ApplyBurstPreset(position);
    mScattering = kTwoPi;
    SetStartSpeed(100.1f);
    mSizeOnStart = IntervalF(50.0f, 100.0f);
    mColor1 = ColorRGBA(255, 255, 255, 250);
    mColor2 = ColorRGBA(125, 125, 125, 250);
    FinishCloudPreset(IntervalF(1000.0f, 1500.0f), 0);
}

void ParticleSystem::PresetTestShotHeat(const VectorF& position, const VectorF& moveVector)
{
    ApplyBurstPreset(position);
    mScattering = 0.1f;
    SetStartMoveVector(moveVector);
    SetStartSpeedMul(IntervalF(0.05f, 1.0f));
    mSizeOnStart = IntervalF(20.0f, 30.0f);
    mColor1 = ColorRGBA(255, 255, 255, 250);
    mColor2 = ColorRGBA(225, 225, 225, 250);
    FinishCloudPreset(IntervalF(400.0f, 600.0f), 1);
}

} // namespace KIV

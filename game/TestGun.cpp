// The scripts' test weapon: a bullet toy fired from a gun toy, with a puff of
// heat at the muzzle and the gun's recoil, and the blast a bullet leaves in the
// world when it ends.
#include "game/KIVGame.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/toys/Toy.h"
#include "robots/Robot.h"

namespace KIV {

namespace {
const VectorF kMuzzleOffset(-60.0f, 0.0f);  // gun-local: guns point along their -x axis
const VectorF kHeatOffset(-65.0f, 0.0f);
constexpr float kBulletSpeed = 3000.0f;
constexpr float kBulletScale = 0.7f;
constexpr float kBulletDensity = 0.8f;
constexpr int32_t kCooldownSteps = 50;

bool IsTableSlot(int32_t slot) { return slot >= 0 && slot < Scene::kMaxToys; }

// Momentum the gun takes from the shot: a particle of the bullet's mass moving
// backwards along the shot strikes the gun at the point and stays in it.
void ApplyRecoil(Toy& gun, float mass, const VectorF& shotVelocity, const VectorF& point)
{
    const VectorF impulse = shotVelocity * -mass;
    gun.mVelocity += impulse * gun.mInverseMass;
    gun.mAngularVelocity += gun.mInverseMoment * Cross(point - gun.mPosition, impulse);
    gun.mSleeping = 0;
    gun.mSleepCounter = 0;
}
} // namespace

void KIVGame::StepShotCooldown()
{
    if (mShotCooldown < mShotCooldownLimit) ++mShotCooldown;
}

void KIVGame::GunShot_Test2(Toy* gun, Robot* robot)
{
    if (!gun || !robot || mShotCooldown < mShotCooldownLimit) return;
    const VectorF at = gun->LocalToWorld(kMuzzleOffset);
    VectorF shot = at - gun->mPosition;
    shot.NormalizeInPlace();
    shot *= kBulletSpeed;
    Toy* bullet = AddToy("Toys\\toy16.png", at, gun->mOrientation, kBulletScale, "bullet", shot + gun->mVelocity, 0.0f,
                         kBulletDensity);
    if (bullet) {
        bullet->mAirFriction = 0.1f;
        bullet->mAirAngularFriction = 0.1f;
        // Slow to fall asleep and hard to dent: it must fly, not crumple.
        bullet->mSleepDelay = 14;
        bullet->mBulletDeformResistance = 1.5f;
        // Where it ends, a blast of one step: radius, strength, time.
        bullet->mShotFlag = 1;
        bullet->mShotValue1 = 300.0f;
        bullet->mShotValue2 = 250000000.0f;
        bullet->mShotValue3 = 0.00000001f;
        // The gun's own robot never stops its bullet.
        for (Toy* part : robot->GetToys()) {
            if (IsTableSlot(bullet->mSlotIndex)) part->mPairFlags[bullet->mSlotIndex] = 0;
            if (IsTableSlot(part->mSlotIndex)) bullet->mPairFlags[part->mSlotIndex] = 0;
        }
    }
    if (ParticleSystem* heat = CreateParticleSystem("", nullptr, "Particles\\heat01.png", -1, false))
        heat->PresetTestShotHeat(gun->LocalToWorld(kHeatOffset), shot * 0.2f);
    if (bullet) ApplyRecoil(*gun, bullet->GetWeight(), shot, at);
    mShotCooldown = 0;
    mShotCooldownLimit = kCooldownSteps;
}

KIVGame::ShotBlast KIVGame::GetShotBlast(const Toy& toy)
{
    ShotBlast blast;
    blast.mCarried = toy.mShotFlag != 0;
    blast.mAt = toy.mPosition;
    blast.mRadius = toy.mShotValue1;
    blast.mStrength = toy.mShotValue2;
    blast.mTime = toy.mShotValue3;
    return blast;
}

void KIVGame::LeaveShotBlast(const ShotBlast& blast)
{
    if (blast.mCarried) AddRadialPush(blast.mAt, blast.mRadius, blast.mStrength, blast.mTime);
}

} // namespace KIV

// What a replay tells the player when a live determinism sample differs from
// the recorded one.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "game/Recording.h"
#include "physics/particles/ParticleSystem.h"
#include "physics/particles/ParticleSystemList.h"

using namespace KIV;

TEST(SyncCheck, TheDifferenceNamesTheChecksumAndTheFirstSystemThatDiffers)
{
    ParticleSystemList systems;
    for (const char* name : {"", "SHARD PARTICLES", "jet"}) {
        ParticleSystem* system = systems.NewSystem();
        ASSERT_NE(system, nullptr);
        system->SetName(name);
    }
    struct Case {
        const char* what;
        uint32_t liveChecksum;
        std::vector<int32_t> liveSums;
        std::vector<int32_t> recordedSums;
        std::string expected;
    };
    const Case cases[] = {
        {"the same sample", 7, {1, 2, 3}, {1, 2, 3}, ""},
        {"a checksum alone", 8, {1, 2, 3}, {1, 2, 3}, "world checksum 0x00000008, recorded 0x00000007"},
        {"an unnamed system", 7, {9, 2, 3}, {1, 2, 3}, "particle system 1 of 3 sum 9, recorded 1"},
        {"a named system, the first of two that differ", 7, {1, 5, 6}, {1, 2, 3},
         "particle system 2 of 3 (SHARD PARTICLES) sum 5, recorded 2"},
        {"both", 8, {1, 2, -4}, {1, 2, 3},
         "world checksum 0x00000008, recorded 0x00000007; particle system 3 of 3 (jet) sum -4, recorded 3"},
        {"a system more", 7, {1, 2, 3}, {1, 2}, "3 particle systems, recorded 2"},
        // A recording read from a file has checksums only: the sums are not compared.
        {"a loaded recording", 7, {1, 2, 3}, {}, ""},
        {"a loaded recording whose checksum differs", 6, {1, 2, 3}, {}, "world checksum 0x00000006, recorded 0x00000007"},
    };
    for (const Case& c : cases) {
        const SyncCheckEntry live{200, c.liveChecksum, c.liveSums};
        const SyncCheckEntry recorded{200, 7, c.recordedSums};
        EXPECT_EQ(DescribeSyncCheckDifference(live, recorded, systems), c.expected) << c.what;
    }
}

// The system's term moves with every particle that is emitted, freed or put
// to sleep, and with every draw of its generator.
TEST(SyncCheck, AParticleSystemsSumFollowsItsParticles)
{
    ParticleSystemList systems;
    ParticleSystem* system = systems.NewSystem();
    ASSERT_NE(system, nullptr);
    system->ApplyAllProperties();
    const int32_t empty = system->GetChecksumValue();
    EXPECT_EQ(system->GetChecksumValue(), empty) << "reading it changes nothing";

    const int32_t slot = system->AllocateParticle();
    ASSERT_GE(slot, 0);
    const int32_t one = system->GetChecksumValue();
    EXPECT_NE(one, empty);
    system->MoveToSleeping(slot);
    const int32_t asleep = system->GetChecksumValue();
    EXPECT_NE(asleep, one);
    system->FreeSleepingParticle(slot);
    EXPECT_EQ(system->GetChecksumValue(), empty) << "all lists as they were";
    system->mRandom.Step();
    EXPECT_NE(system->GetChecksumValue(), empty);
}

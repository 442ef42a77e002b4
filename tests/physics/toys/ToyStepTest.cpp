#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>
#include "base/MathUtil.h"
#include "physics/contacts/Contacts.h"
#include "physics/toys/Toy.h"

namespace KIV {
namespace {

TEST(ToyBalancer, TurnsBackTheShorterWayAndNeedsItsRobot)
{
    struct Case {
        float mOrientation;
        float mTorque;
    };
    const Case cases[] = {
        {1.5f * kPi, 1000.0f * (kTwoPi - 1.5f * kPi)},  // a quarter turn short of a full turn: onwards
        {0.5f * kPi, -1000.0f * 0.5f * kPi},            // a quarter turn: back
        {-0.5f * kPi, 1000.0f * 0.5f * kPi},            // negative angles wrap into one turn first
    };
    for (const Case& k : cases) {
        Toy toy;
        toy.SetBalancer(true);
        toy.mBalancerNeedsRobot = 0;
        toy.mPredictedOrientation = k.mOrientation;
        toy.ApplyBalancer();
        EXPECT_NEAR(toy.mTorque, k.mTorque, 0.01f) << k.mOrientation;
    }
    Toy robotless;
    robotless.SetBalancer(true);
    robotless.mPredictedOrientation = 1.0f;
    robotless.ApplyBalancer();
    EXPECT_EQ(robotless.mBalancer, 0) << "a robot balancer without a robot switches itself off";
    EXPECT_EQ(robotless.mTorque, 0.0f);
}

TEST(ToySleep, TenQuietStepsInContactPutAToyToSleep)
{
    Toy toy;
    toy.mPointContacts.PushBack(ContactRecord{});
    toy.mVelocityAfterImpulses = VectorF(3.0f, 5.0f);  // squared speed 34, below 40
    for (int32_t step = 1; step < 10; ++step) {
        toy.UpdateSleepState();
        EXPECT_FALSE(toy.GetSleeping()) << "step " << step;
    }
    toy.UpdateSleepState();
    EXPECT_TRUE(toy.GetSleeping());
    EXPECT_EQ(toy.mSleepCounter, 10) << "the counter stops at the delay";

    // Any movement wakes it and the count starts over.
    toy.mAngularVelocityAfterImpulses = 0.2f;
    toy.UpdateSleepState();
    EXPECT_FALSE(toy.GetSleeping());
    EXPECT_EQ(toy.mSleepCounter, 0);
}

TEST(ToySleep, WhatKeepsAToyAwake)
{
    struct Case {
        const char* mWhat;
        bool mTouching;
        bool mAllowSleep;
        VectorF mVelocity;
    };
    const Case cases[] = {
        {"free fall touches nothing", false, true, VectorF()},
        {"sleep not allowed", true, false, VectorF()},
        {"too fast", true, true, VectorF(0.0f, 6.5f)},
    };
    for (const Case& k : cases) {
        Toy toy;
        if (k.mTouching) toy.mLineContacts.PushBack(ContactRecord{});
        toy.SetAllowSleep(k.mAllowSleep);
        toy.mVelocityAfterImpulses = k.mVelocity;
        for (int32_t step = 0; step < 30; ++step) toy.UpdateSleepState();
        EXPECT_FALSE(toy.GetSleeping()) << k.mWhat;
    }
}

// Crossing events of one toy against one partner, in outline order: each is
// (edge index, entering).
struct EventSpec {
    int32_t mEdge;
    bool mEntering;
    int32_t mPartner;  // 0 or 1: which of two partners
};

// The toy's crossing events, in outline order, then its inside marking.
void MarkWithEvents(Toy& toy, const EventSpec* events, int32_t count, Toy* partners)
{
    for (int32_t i = 0; i < count; ++i) {
        ContactRecord c;
        c.mEdgeIndex = events[i].mEdge;
        c.mEntering = events[i].mEntering ? 1 : 0;
        c.mPartnerToy = &partners[events[i].mPartner];
        toy.mLineContacts.PushBack(c);
    }
    MarkInsidePoints(toy);
}

TEST(InsideMarking, PairedCrossingsMarkThePointsBetweenThem)
{
    struct Case {
        const char* mWhat;
        std::vector<EventSpec> mEvents;
        std::vector<int32_t> mInside;  // points inside, of 12
    };
    const Case cases[] = {
        {"one overlap", {{2, true, 0}, {5, false, 0}}, {3, 4, 5}},
        {"an overlap across the outline's start", {{1, false, 0}, {9, true, 0}}, {10, 11, 0, 1}},
        {"two partners", {{1, true, 0}, {3, false, 0}, {6, true, 1}, {7, false, 1}}, {2, 3, 7}},
        {"one partner twice",
         {{0, true, 0}, {2, false, 0}, {5, true, 0}, {8, false, 0}},
         {1, 2, 6, 7, 8}},
        {"nested entries are not trusted", {{1, true, 0}, {2, true, 0}, {4, false, 0}, {6, false, 0}}, {}},
        {"two leavings", {{1, false, 0}, {5, false, 0}}, {}},
    };
    Toy partners[2];
    for (const Case& k : cases) {
        Toy toy;
        toy.mPointRecords.Resize(12);
        for (PointInsideRecord& r : toy.mPointRecords) r.mInside = 7;  // stale values from an earlier step
        MarkWithEvents(toy, k.mEvents.data(), static_cast<int32_t>(k.mEvents.size()), partners);
        std::vector<int32_t> inside;
        for (int32_t p = 0; p < 12; ++p) {
            const PointInsideRecord& r = toy.mPointRecords[p];
            if (r.mInside) {
                inside.push_back(p);
                EXPECT_NE(r.mPartner, nullptr) << k.mWhat << " point " << p;
            } else {
                EXPECT_EQ(r.mPartner, nullptr) << k.mWhat << " point " << p;
            }
        }
        std::sort(inside.begin(), inside.end());
        std::vector<int32_t> expected = k.mInside;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(inside, expected) << k.mWhat;
    }
}

TEST(InsideMarking, ThePartnerOfThePointIsTheOneItIsInside)
{
    Toy partners[2];
    Toy toy;
    toy.mPointRecords.Resize(10);
    const EventSpec events[] = {{1, true, 0}, {3, false, 0}, {6, true, 1}, {8, false, 1}};
    MarkWithEvents(toy, events, 4, partners);
    EXPECT_EQ(toy.mPointRecords[2].mPartner, &partners[0]);
    EXPECT_EQ(toy.mPointRecords[7].mPartner, &partners[1]);
    EXPECT_EQ(toy.mLineContacts[0].mLink, 1);
    EXPECT_EQ(toy.mLineContacts[1].mLink, 0);
}

} // namespace
} // namespace KIV

// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/core/JobThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

using namespace au;

TEST(JobThread, EachRequestRunsOnceOnTheThreadOrBackWithItsOwner)
{
    std::vector<int> Seen; // written by the job, read by the owner after Withdraw
    int Next = 0;          // written by the owner before Begin, read by the job
    int OnTheThread = 0;
    const std::thread::id Owner = std::this_thread::get_id();
    TJobThread Helper([&] {
        OnTheThread += std::this_thread::get_id() != Owner;
        Seen.push_back(Next);
    });
    for (int I = 0; I < 300; ++I) {
        Next = I;
        Helper.Begin();
        // Now and then the owner is slow to come back, so the thread surely starts.
        if (I % 3 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (Helper.Withdraw()) {
            ASSERT_EQ(Seen.size(), size_t(I)) << "a withdrawn run also ran";
            Seen.push_back(Next);
        }
        ASSERT_EQ(Seen.size(), size_t(I) + 1);
        EXPECT_EQ(Seen.back(), I);
    }
    EXPECT_GT(OnTheThread, 0);
}

TEST(JobThread, TheJobRoundsAsTheOwnerDidAtBegin)
{
    volatile double One = 1;
    volatile double Three = 3;
    double Quotient = 0;
    TJobThread Helper([&] { Quotient = One / Three; });
    const int Before = std::fegetround();
    std::vector<double> Results;
    for (const int Mode : {FE_UPWARD, FE_DOWNWARD, FE_TONEAREST}) {
        std::fesetround(Mode);
        Helper.Begin();
        // Give the thread time to start, so that the job runs there.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (Helper.Withdraw())
            Quotient = One / Three;
        Results.push_back(Quotient);
    }
    std::fesetround(Before);
    // A third lies between two doubles: up and down give each neighbour.
    EXPECT_EQ(Results[0], std::nextafter(Results[1], 1.0));
    EXPECT_EQ(Results[2], 1.0 / 3);
}

TEST(JobThread, DestructionWaitsForARunUnderWayAndDropsOneNotBegun)
{
    std::atomic<bool> Started{false};
    std::atomic<bool> Finished{false};
    {
        TJobThread Helper([&] {
            Started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Finished = true;
        });
        Helper.Begin();
        while (!Started)
            std::this_thread::yield();
    }
    EXPECT_TRUE(Finished);
    // Destroyed at once after Begin, the job runs once or not at all.
    std::atomic<int> Runs{0};
    for (int I = 0; I < 50; ++I) {
        Runs = 0;
        {
            TJobThread Helper([&] { ++Runs; });
            Helper.Begin();
        }
        EXPECT_LE(Runs, 1);
    }
    // Nor does a thread that never ran anything hold up its owner.
    TJobThread Idle([] {});
}

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

TEST(JobThread, EachBeginRunsTheJobOnceOnItsOwnThread)
{
    std::vector<int> Seen; // written by the job, read by the owner after Finish
    int Next = 0;          // written by the owner before Begin, read by the job
    std::thread::id Where;
    TJobThread Helper([&] {
        Where = std::this_thread::get_id();
        Seen.push_back(Next);
    });
    for (int I = 0; I < 100; ++I) {
        Next = I;
        Helper.Begin();
        Helper.Finish();
        ASSERT_EQ(Seen.size(), size_t(I) + 1);
        EXPECT_EQ(Seen.back(), I);
    }
    EXPECT_NE(Where, std::this_thread::get_id());
    // Finish without a run in progress returns at once.
    Helper.Finish();
    EXPECT_EQ(Seen.size(), 100u);
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
        Helper.Finish();
        Results.push_back(Quotient);
    }
    std::fesetround(Before);
    // A third lies between two doubles: up and down give each neighbour.
    EXPECT_EQ(Results[0], std::nextafter(Results[1], 1.0));
    EXPECT_EQ(Results[2], 1.0 / 3);
}

TEST(JobThread, DestructionWaitsForTheRunInProgress)
{
    std::atomic<bool> Finished{false};
    {
        TJobThread Helper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Finished = true;
        });
        Helper.Begin();
    }
    EXPECT_TRUE(Finished);
    // Nor does a thread that never ran anything hold up its owner.
    TJobThread Idle([] {});
}

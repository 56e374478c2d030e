// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonitorTestUtil.h"
#include "app/engine/monitor/DirectoryMonitor.h"
#include "app/engine/monitor/ReadyQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace app;
using namespace autest;

TEST(ReadyQueue, QueuedReportsWaitWhileDispatchIsOffAndCarryUserData)
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    DirectoryMonitor Monitor;
    int Tag = 0;
    Monitor.SetUserData(&Tag);
    QStringList Got;
    Monitor.SetOnFileReady([&](const QString& FileName, void* UserData) {
        EXPECT_EQ(UserData, &Tag);
        Got << FileName;
    });
    THandDispatch Hand;
    Queue.DisableDispatch();
    Queue.Append("/in/a.wma", &Monitor);
    Queue.Append("/in/b.wma", &Monitor);
    Hand.Ticks().Tick(3);
    EXPECT_TRUE(Got.isEmpty());
    EXPECT_EQ(Queue.Count(), 2);

    Queue.EnableDispatch();
    Hand.Ticks().Tick();
    Queue.DisableDispatch();
    EXPECT_EQ(Got, (QStringList{"/in/a.wma", "/in/b.wma"}));
}

TEST(ReadyQueue, EachTickDeliversAtMostTenOldestFirst)
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    THandDispatch Hand;
    DirectoryMonitor Monitor;
    QStringList Got;
    Monitor.SetOnFileReady([&](const QString& FileName, void*) { Got << FileName; });
    QStringList Sent;
    for (int I = 0; I < 25; ++I) {
        Sent << QString("/in/%1.wma").arg(I);
        Queue.Append(Sent.back(), &Monitor);
    }
    Queue.EnableDispatch();
    // Ten a tick, whatever is queued.
    for (const int Expected : {10, 20, 25, 25}) {
        Hand.Ticks().Tick();
        EXPECT_EQ(Got, Sent.mid(0, Expected));
    }
    Queue.DisableDispatch();
}

TEST(ReadyQueue, ReportsOfADestroyedMonitorAreDropped)
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    int Calls = 0;
    {
        DirectoryMonitor Monitor;
        Monitor.SetOnFileReady([&](const QString&, void*) { ++Calls; });
        Queue.Append("/in/a.wma", &Monitor);
    }
    Queue.Dispatch();
    EXPECT_EQ(Calls, 0);
    EXPECT_EQ(Queue.Count(), 0);
}

TEST(ReadyQueue, HandlerMayStopOrDestroyItsMonitor)
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    auto Monitor = std::make_unique<DirectoryMonitor>();
    QStringList Got;
    Monitor->SetOnFileReady([&](const QString& FileName, void*) {
        Got << FileName;
        Monitor.reset();
    });
    Queue.Append("/in/a.wma", Monitor.get());
    Queue.Append("/in/b.wma", Monitor.get());
    Queue.Dispatch();
    EXPECT_EQ(Got, QStringList{"/in/a.wma"});
    EXPECT_EQ(Queue.Count(), 0);
}

TEST(ReadyQueue, ReentrantDispatchIsBoundedInDepthAndKeepsOrder)
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    DirectoryMonitor Monitor;
    int Depth = 0, Deepest = 0;
    QStringList Got;
    // A handler that runs the event loop may run the dispatch again inside itself.
    Monitor.SetOnFileReady([&](const QString& FileName, void*) {
        Got << FileName;
        Deepest = std::max(Deepest, ++Depth);
        Queue.Dispatch();
        --Depth;
    });
    QStringList Sent;
    for (int I = 0; I < 30; ++I) {
        Sent << QString("/in/%1.wma").arg(I);
        Queue.Append(Sent.back(), &Monitor);
    }
    Queue.Dispatch();
    EXPECT_EQ(Deepest, TReadyQueue::MaxDepth);
    EXPECT_EQ(Got, Sent);
}

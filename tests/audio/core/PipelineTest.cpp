// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemorySink.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/AuConverter.h"
#include "audio/core/AuException.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// Records the notifications of one output, in order, with the thread each ran on.
struct TEventLog {
    std::vector<std::string> Events;
    std::vector<int> Progress;
    std::vector<std::thread::id> Threads;
    int Done = 0;

    void Attach(TAuOutput& Out)
    {
        Out.SetOnDone([this](TAuComponent*) {
            Events.push_back("done");
            Threads.push_back(std::this_thread::get_id());
            ++Done;
        });
        Out.SetOnProgress([this, &Out](TAuComponent* Sender) {
            EXPECT_EQ(Sender, &Out);
            Events.push_back("progress");
            Progress.push_back(Out.Progress());
            Threads.push_back(std::this_thread::get_id());
        });
        Out.SetOnThreadException([this, &Out](TAuComponent*) {
            Events.push_back("exception:" + Out.ExceptionMessage());
            Threads.push_back(std::this_thread::get_id());
        });
    }
};

// Passes data through unchanged; reports its upstream's bit depth like any converter.
class TPassThrough final : public TAuConverter {
public:
    ~TPassThrough() override { Destroying(); }

protected:
    void DoInit() override
    {
        Input()->Init();
        FSize = Input()->Size();
        FPosition = 0;
        FBusy = true;
    }
    void DoFlush() override
    {
        Input()->Flush();
        FBusy = false;
    }
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override { Input()->GetData(Buffer, Bytes); }
};

std::string RunError(TAuOutput& Out)
{
    try {
        Out.Run();
    } catch (const EAuException& E) {
        return E.what();
    }
    return "";
}

} // namespace

TEST(Pipeline, RunDeliversEveryByteWithEventsOnTheUserInterfaceThread)
{
    TSyntheticInput Source(44100, 16, 2, 44100 * 4);
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(&Source);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));

    EXPECT_EQ(Sink.Data(), Source.Expected(0, 44100 * 4));
    EXPECT_NE(Sink.WorkerThread, std::this_thread::get_id());
    for (std::thread::id Id : Log.Threads)
        EXPECT_EQ(Id, std::this_thread::get_id());
    ASSERT_FALSE(Log.Progress.empty());
    EXPECT_EQ(Log.Events.back(), "done");
    EXPECT_EQ(Log.Progress.back(), 100);
    for (size_t I = 1; I < Log.Progress.size(); ++I)
        EXPECT_LE(Log.Progress[I - 1], Log.Progress[I]);
    EXPECT_EQ(Sink.Status(), osIdle);
    EXPECT_EQ(Source.FlushCount, 1);
}

TEST(Pipeline, RunRefusesABusyOutputAndAMissingInput)
{
    TMemorySink Sink;
    EXPECT_EQ(RunError(Sink), "Input is not assigned");
    EXPECT_EQ(Sink.Status(), osIdle);
    EXPECT_FALSE(Sink.Busy());

    TSyntheticInput Source(8000, 8, 1, 100000);
    Source.CloseGate();
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(&Source);
    Sink.Run();
    EXPECT_EQ(RunError(Sink), "Component is Busy");
    Source.OpenGate();
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));
    EXPECT_EQ(Sink.Data().size(), 100000u);
    EXPECT_EQ(Sink.ExceptionMessage(), "");
}

TEST(Pipeline, TheSameOutputRunsAgainFromItsDoneHandler)
{
    TSyntheticInput Source(8000, 16, 1, 20000);
    TMemorySink Sink;
    Sink.SetInput(&Source);
    int Done = 0;
    Sink.SetOnDone([&](TAuComponent*) {
        if (++Done < 3)
            Sink.Run();
    });
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Done == 3; }));
    EXPECT_EQ(Sink.PrepareCount, 3);
    EXPECT_EQ(Sink.FinishCount, 3);
    EXPECT_EQ(Sink.Data().size(), 20000u);
}

// A worker that has only just been created must not miss its first run.
TEST(Pipeline, AFreshOutputStartsWhenRunAtOnce)
{
    TSyntheticInput Source(8000, 8, 1, 64);
    for (int I = 0; I < 200; ++I) {
        auto Sink = std::make_unique<TMemorySink>();
        int Done = 0;
        Sink->SetOnDone([&](TAuComponent*) { ++Done; });
        Sink->SetInput(&Source);
        Sink->Run();
        ASSERT_TRUE(PumpUntil([&] { return Done == 1; }, std::chrono::milliseconds(5000))) << I;
    }
}

TEST(Pipeline, SynchronousStopReturnsAfterFinishWithoutDone)
{
    TSyntheticInput Source(44100, 16, 2, 1 << 30);
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(&Source);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Sink.ChunkCount > 3; }));
    Sink.Stop(false);
    EXPECT_EQ(Sink.FinishCount, 1);
    EXPECT_FALSE(Sink.Busy());
    EXPECT_EQ(Source.FlushCount, 1);
    // Give a stray notification every chance to show up.
    PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(Log.Done, 0);
}

TEST(Pipeline, AsynchronousStopIsFollowedByDone)
{
    TSyntheticInput Source(44100, 16, 2, 1 << 30);
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(&Source);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Sink.ChunkCount > 3; }));
    Sink.Stop(true);
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));
    EXPECT_EQ(Sink.FinishCount, 1);
    EXPECT_EQ(Sink.Status(), osIdle);
    EXPECT_FALSE(Sink.Stopped());
}

TEST(Pipeline, PauseParksTheWorkerAndStopWakesIt)
{
    TSyntheticInput Source(44100, 16, 2, 1 << 30);
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    EXPECT_THROW(Sink.Pause(), EAuException);
    Sink.SetInput(&Source);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Sink.ChunkCount > 0; }));
    Sink.Pause();
    EXPECT_EQ(Sink.Status(), osPaused);
    EXPECT_EQ(Source.PauseCount, 1);
    // Pause does not wait: the chunk under way completes, then the worker parks.
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    const int Parked = Sink.ChunkCount;
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(Sink.ChunkCount, Parked);

    Sink.Resume();
    EXPECT_EQ(Source.ResumeCount, 1);
    ASSERT_TRUE(PumpUntil([&] { return Sink.ChunkCount > Parked; }));
    EXPECT_EQ(Sink.Status(), osRunning);

    Sink.Pause();
    ASSERT_EQ(Sink.Status(), osPaused);
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    Sink.Stop(true);
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));
    EXPECT_EQ(Sink.Status(), osIdle);
    EXPECT_TRUE(Sink.SawAbort);
}

// Preparing may take a while; a pause asked for meanwhile parks the worker at
// its first chunk rather than being dropped after a wait of seconds.
TEST(Pipeline, AFailedInitReportsTheExceptionThenDone)
{
    TSyntheticInput Source(44100, 16, 2, 1000);
    Source.FailInit = true;
    Source.FailText = "cannot start";
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(&Source);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"exception:cannot start", "done"}));
    EXPECT_EQ(Sink.ExceptionMessage(), "cannot start");
    EXPECT_EQ(Sink.FinishCount, 1);
    EXPECT_TRUE(Source.EndOfData());

    // Run clears the message of the last run.
    Source.FailInit = false;
    Sink.Run();
    EXPECT_EQ(Sink.ExceptionMessage(), "");
    ASSERT_TRUE(PumpUntil([&] { return Log.Done == 2; }));
}

TEST(Pipeline, ProgressIsMinusOneForUnknownSizesAndZeroForEmptyOnes)
{
    TMemorySink Sink;
    EXPECT_EQ(Sink.Progress(), 0);
    for (int64_t Reported : {int64_t{-1}, int64_t{0}}) {
        TSyntheticInput Source(8000, 8, 1, 50000);
        Source.ReportedSize = Reported;
        TEventLog Log;
        Log.Attach(Sink);
        Sink.SetInput(&Source);
        Sink.Run();
        ASSERT_TRUE(PumpUntil([&] { return Log.Done == 1; }));
        EXPECT_EQ(Sink.Progress(), Reported == -1 ? -1 : 0);
        for (int P : Log.Progress)
            EXPECT_EQ(P, Reported == -1 ? -1 : 0);
        EXPECT_EQ(Sink.Data().size(), 50000u);
        Sink.SetInput(nullptr);
    }
}

TEST(Pipeline, ProgressRoundsHalvesToEven)
{
    // 1 byte of 200 is 0.5 %, 3 of 200 is 1.5 %.
    TSyntheticInput Source(8000, 8, 1, 200);
    TPassThrough Through;
    Through.SetInput(&Source);
    TMemorySink Sink;
    Sink.SetInput(&Through);
    Through.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 1;
    Through.GetData(Buffer, Bytes);
    EXPECT_EQ(Sink.Progress(), 0);
    Bytes = 2;
    Through.GetData(Buffer, Bytes);
    EXPECT_EQ(Sink.Progress(), 2);
    Through.Flush();
}

TEST(Pipeline, ConverterMasksTheBitDepthToSevenBits)
{
    TSyntheticInput Source(8000, 16 + 128, 1, 10);
    TPassThrough Through;
    EXPECT_EQ(Through.BitsPerSample(), 0);
    EXPECT_EQ(Through.SampleRate(), 0);
    Through.SetInput(&Source);
    EXPECT_EQ(Through.BitsPerSample(), 16);
    Through.SetUnmaskedBits(true);
    EXPECT_EQ(Through.BitsPerSample(), 144);
    EXPECT_EQ(Through.SampleRate(), 8000);
    EXPECT_EQ(Through.Channels(), 1);
    Through.SetInput(&Through);
    EXPECT_EQ(Through.Input(), &Source);
}

TEST(Pipeline, ConverterClipsToItsSizeAndSwitchesInputsWhileBusy)
{
    TSyntheticInput First(8000, 8, 1, 1000);
    TSyntheticInput Second(8000, 8, 1, 1000);
    TPassThrough Through;
    Through.SetInput(&First);
    Through.Init();
    EXPECT_EQ(First.InitCount, 1);
    Through.SetInput(&Second);
    EXPECT_EQ(First.FlushCount, 1);
    EXPECT_EQ(Second.InitCount, 1);
    std::vector<uint8_t> Got(2000);
    bool End = false;
    EXPECT_EQ(Through.FillBuffer(Got.data(), 2000, End), 1000u);
    EXPECT_TRUE(End);
    EXPECT_TRUE(Through.EndOfData());
    EXPECT_EQ(Through.Position(), 1000);
    Through.Flush();
}

TEST(Pipeline, PrefetchedBytesAreServedOnceAndCountedOnce)
{
    TSyntheticInput Source(8000, 8, 1, 10000);
    Source.Init();
    Source.Prefetch(3000);
    EXPECT_EQ(Source.Position(), 0);
    std::vector<uint8_t> Got(10000);
    bool End = false;
    EXPECT_EQ(Source.FillBuffer(Got.data(), 10000, End), 10000u);
    EXPECT_EQ(Got, Source.Expected(0, 10000));
    EXPECT_EQ(Source.Position(), 10000);
    Source.Flush();
}

TEST(Pipeline, FreeingTheInputOfARunningOutputLeavesItIdleWithoutInput)
{
    auto Source = std::make_unique<TSyntheticInput>(44100, 16, 2, 1 << 30);
    TMemorySink Sink;
    TEventLog Log;
    Log.Attach(Sink);
    Sink.SetInput(Source.get());
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Sink.ChunkCount > 2; }));
    Source.reset();
    EXPECT_EQ(Sink.Input(), nullptr);
    EXPECT_EQ(Sink.Status(), osIdle);
    EXPECT_EQ(Sink.FinishCount, 1);
    EXPECT_EQ(RunError(Sink), "Input is not assigned");
}

TEST(Pipeline, FreeingAConverterInTheMiddleOfAChainDetachesBothSides)
{
    TSyntheticInput Source(8000, 8, 1, 1000);
    auto Through = std::make_unique<TPassThrough>();
    Through->SetInput(&Source);
    TMemorySink Sink;
    Sink.SetInput(Through.get());
    Through.reset();
    EXPECT_EQ(Sink.Input(), nullptr);
    // The source no longer knows the freed converter: freeing it touches nothing.
}

TEST(Pipeline, AnOutputFreedRightAfterRunStopsCleanly)
{
    TSyntheticInput Source(44100, 16, 2, 1 << 30);
    int Done = 0;
    {
        TMemorySink Sink;
        Sink.SetOnDone([&](TAuComponent*) { ++Done; });
        Sink.SetInput(&Source);
        Sink.Run();
    }
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(Done, 0);
    EXPECT_EQ(Source.InitCount, Source.FlushCount);
}

TEST(Pipeline, PrefetchingNothingLeavesAConverterRunning)
{
    TSyntheticInput Source(8000, 8, 1, 100);
    TPassThrough Through;
    Through.SetInput(&Source);
    Through.Init();
    Through.Prefetch(0);
    EXPECT_FALSE(Through.EndOfData());
    std::vector<uint8_t> Got(100);
    bool End = false;
    EXPECT_EQ(Through.FillBuffer(Got.data(), 100, End), 100u);
    Through.Flush();
}

TEST(Pipeline, AStopWhileIdleDoesNotMarkTheNextRunStopped)
{
    TSyntheticInput Source(8000, 8, 1, 100);
    TMemorySink Sink;
    int Done = 0;
    Sink.SetOnDone([&](TAuComponent*) { ++Done; });
    Sink.Stop(true);
    EXPECT_TRUE(Sink.Stopped());
    Sink.SetInput(&Source);
    Sink.Run();
    EXPECT_FALSE(Sink.Stopped());
    ASSERT_TRUE(PumpUntil([&] { return Done == 1; }));
    EXPECT_EQ(Sink.Data().size(), 100u);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemorySink.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

constexpr int FrameBytes = 4; // 16-bit stereo

// A raw file of Frames 16-bit stereo frames; each frame holds its own index.
class FileInputTest : public ::testing::Test {
protected:
    void SetUp() override { Make(1000); }

    void Make(int Frames)
    {
        std::vector<uint8_t> Bytes;
        for (int F = 0; F < Frames; ++F) {
            const uint8_t Frame[FrameBytes] = {static_cast<uint8_t>(F), static_cast<uint8_t>(F >> 8),
                                               static_cast<uint8_t>(~F), 0x5A};
            Bytes.insert(Bytes.end(), Frame, Frame + FrameBytes);
        }
        WriteBytes(FileName, Bytes);
    }

    // Pulls the whole run and returns the first frame index of each chunk and
    // the frame indexes seen.
    std::vector<int> PullFrames(TAuInput& In, uint32_t Chunk = 4096)
    {
        std::vector<int> Frames;
        std::vector<uint8_t> Buffer(Chunk);
        for (;;) {
            const uint32_t Got = In.CopyData(Buffer.data(), Chunk);
            if (Got == 0)
                break;
            for (uint32_t I = 0; I + 3 < Got; I += FrameBytes)
                Frames.push_back(Buffer[I] | (Buffer[I + 1] << 8));
        }
        return Frames;
    }

    TTempDir Dir;
    std::string FileName = Dir.File("raw.pcm");
};

std::vector<int> Range(int From, int To)
{
    std::vector<int> Out;
    for (int I = From; I <= To; ++I)
        Out.push_back(I);
    return Out;
}

} // namespace

TEST_F(FileInputTest, FormatQueriesOpenTheFileAndDerivedValuesFollow)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    EXPECT_EQ(In.SampleRate(), 1000);
    EXPECT_EQ(In.TotalSamples(), 1000);
    EXPECT_EQ(In.Duration(), 1);
    EXPECT_TRUE(In.Valid());
}

TEST_F(FileInputTest, DurationRoundsHalfSecondsToEven)
{
    Make(2500); // 2.5 s at 1000 Hz
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    EXPECT_EQ(In.Duration(), 2);
    Make(3500);
    In.SetFileName(FileName);
    EXPECT_EQ(In.Duration(), 4);
}

TEST_F(FileInputTest, PlayRangeFromStartSampleToTheEnd)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.SetStartSample(100);
    In.Init();
    EXPECT_EQ(In.TotalSamples(), 900);
    EXPECT_EQ(In.Size(), 900 * FrameBytes);
    EXPECT_EQ(In.FrameSize(), FrameBytes);
    EXPECT_EQ(PullFrames(In), Range(100, 999));
    In.Flush();
    EXPECT_EQ(In.StartSample(), 0);
    EXPECT_EQ(In.EndSample(), -1);
}

TEST_F(FileInputTest, EndSampleIsInclusiveAndBeyondTheEndMeansTheEnd)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.SetStartSample(10);
    In.SetEndSample(19);
    In.Init();
    EXPECT_EQ(In.Size(), 10 * FrameBytes);
    EXPECT_EQ(PullFrames(In, 12), Range(10, 19));
    In.Flush();

    In.SetEndSample(2000);
    In.Init();
    EXPECT_EQ(In.EndSample(), -1);
    EXPECT_EQ(In.TotalSamples(), 1000);
    EXPECT_EQ(PullFrames(In).size(), 1000u);
    In.Flush();
}

TEST_F(FileInputTest, IdleSeekSetsTheNextStart)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.TotalSamples();
    EXPECT_TRUE(In.Seek(0));
    EXPECT_EQ(In.StartSample(), 0);
    EXPECT_EQ(In.Position(), 0);
    EXPECT_FALSE(In.Seek(1001));
    EXPECT_TRUE(In.Seek(500));
    In.Init();
    EXPECT_EQ(PullFrames(In), Range(500, 999));
    In.Flush();
    EXPECT_EQ(In.StartSample(), 0);
}

TEST_F(FileInputTest, SeekWhilePlayingMovesTheDecoderAndPosition)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.Init();
    In.Prefetch(400);
    EXPECT_TRUE(In.Seek(250));
    EXPECT_EQ(In.Position(), 250 * FrameBytes);
    EXPECT_EQ(PullFrames(In), Range(250, 999));
    In.Flush();
}

TEST_F(FileInputTest, SeekRelativeClampsToTheEndsOfTheRange)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.Init();
    EXPECT_TRUE(In.Seek(950));
    In.SeekRelative(10);
    EXPECT_EQ(In.Position(), 1000 * FrameBytes);
    EXPECT_EQ(PullFrames(In), std::vector<int>{});
    In.SeekRelative(-200);
    EXPECT_EQ(In.Position(), 0);
    In.SeekRelative(25);
    EXPECT_EQ(In.Position(), 250 * FrameBytes);
    In.Flush();
}

TEST_F(FileInputTest, LoopRestartsAtTheStartWithoutLosingTheLastChunk)
{
    Make(30); // three chunks of 10 frames
    TRawFileIn In(1000, 16, 2);
    In.ChunkLimit = 10 * FrameBytes;
    In.SetFileName(FileName);
    In.SetLoop(true);
    In.Init();
    std::vector<int> Frames;
    std::vector<uint8_t> Buffer(10 * FrameBytes);
    for (int Chunk = 0; Chunk < 7; ++Chunk) {
        ASSERT_EQ(In.CopyData(Buffer.data(), 10 * FrameBytes), 10u * FrameBytes) << Chunk;
        Frames.push_back(Buffer[0]);
        EXPECT_FALSE(In.EndOfData());
    }
    EXPECT_EQ(Frames, (std::vector<int>{0, 10, 20, 0, 10, 20, 0}));
    In.Flush();
}

TEST_F(FileInputTest, ValidIsFalseForAMissingFileAndLeavesItClosed)
{
    TRawFileIn In(1000, 16, 2);
    EXPECT_FALSE(In.Valid());
    In.SetFileName(Dir.File("missing.pcm"));
    EXPECT_FALSE(In.Valid());
    In.SetFileName(FileName);
    EXPECT_TRUE(In.Valid());
}

TEST_F(FileInputTest, InitRefusesABusyInputAndAMissingName)
{
    TRawFileIn In(1000, 16, 2);
    try {
        In.Init();
        FAIL();
    } catch (const EAuException& E) {
        EXPECT_STREQ(E.what(), "The file name is not assigned");
    }
    EXPECT_TRUE(In.EndOfData());
    In.SetFileName(FileName);
    In.Init();
    try {
        In.Init();
        FAIL();
    } catch (const EAuException& E) {
        EXPECT_STREQ(E.what(), "The component is Busy");
    }
    In.Flush();
}

TEST_F(FileInputTest, AFormatWithoutFramesIsRefusedNotDividedBy)
{
    TRawFileIn In(1000, 0, 0);
    In.SetFileName(FileName);
    EXPECT_EQ(In.TotalSamples(), -1);
    EXPECT_EQ(In.Duration(), 0);
    EXPECT_THROW(In.Init(), EAuException);
    In.Flush();
}

TEST_F(FileInputTest, AWriterRunsTheFileInputOnItsWorker)
{
    TRawFileIn In(1000, 16, 2);
    In.SetFileName(FileName);
    In.SetStartSample(900);
    TMemorySink Sink;
    int Done = 0;
    Sink.SetOnDone([&](TAuComponent*) { ++Done; });
    Sink.SetInput(&In);
    Sink.Run();
    ASSERT_TRUE(PumpUntil([&] { return Done == 1; }));
    const std::vector<uint8_t> Data = Sink.Data();
    ASSERT_EQ(Data.size(), 100u * FrameBytes);
    EXPECT_EQ(Data[0] | (Data[1] << 8), 900);
    EXPECT_EQ(In.StartSample(), 0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveTestUtil.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/AuFileStream.h"
#include "audio/core/ByteOrder.h"
#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace au;
using namespace autest;

namespace {

std::vector<uint8_t> Head(const std::vector<uint8_t>& File, size_t Count)
{
    return std::vector<uint8_t>(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(std::min(Count, File.size())));
}

std::vector<uint8_t> Tail(const std::vector<uint8_t>& File, size_t From)
{
    return std::vector<uint8_t>(File.begin() + static_cast<std::ptrdiff_t>(From), File.end());
}

class WaveOutTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("out.wav");
    TWaveOut Writer;

    void SetUp() override { Writer.SetFileName(Name); }
};

} // namespace

TEST_F(WaveOutTest, ClassicHeaderForStereo16Bit)
{
    TSyntheticInput Source(44100, 16, 2, 1000);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 1044u);
    EXPECT_EQ(Head(File, 44), FromHex("52494646 0c040000 57415645 666d7420 10000000 0100 0200"
                                      "44ac0000 10b10200 0400 1000 64617461 e8030000"));
    EXPECT_EQ(Tail(File, 44), Source.Expected(0, 1000));
}

TEST_F(WaveOutTest, AnInputThatEndsEarlyIsPaddedToItsAnnouncedSize)
{
    TSyntheticInput Source(44100, 16, 2, 1000);
    Source.ReportedSize = 4000;
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 4044u);
    EXPECT_EQ(LE32(File, 4), 4036u);
    EXPECT_EQ(LE32(File, 40), 4000u);
    EXPECT_EQ(std::vector<uint8_t>(File.begin() + 44, File.begin() + 1044), Source.Expected(0, 1000));
    EXPECT_EQ(Tail(File, 1044), std::vector<uint8_t>(3000, 0));
}

TEST_F(WaveOutTest, MoreDataThanAnnouncedIsPatchedIntoTheHeader)
{
    TSyntheticInput Source(22050, 16, 1, 5000);
    Source.ReportedSize = 0; // nothing clips a source that claims no data
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 5044u);
    EXPECT_EQ(LE32(File, 4), 5036u);
    EXPECT_EQ(LE32(File, 40), 5000u);
}

TEST_F(WaveOutTest, ExtensibleHeaderForDeepOrManyChannelInput)
{
    Writer.SetCreateNonMsHeaders(false);
    TSyntheticInput Source(48000, 24, 2, 600);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    EXPECT_EQ(Writer.WavType(), wtExtPCM);
    std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 668u);
    EXPECT_EQ(Head(File, 68), FromHex("52494646 94020000 57415645 666d7420 28000000 feff 0200"
                                      "80bb0000 00650400 0600 1800 1600 1800 03000000"
                                      "01000000 0000 1000 8000 00aa00389b71 64617461 58020000"));

    TSyntheticInput Six(44100, 16, 6, 1200);
    ASSERT_EQ(RunToEnd(Writer, Six), "");
    File = ReadBytes(Name);
    EXPECT_EQ(LE16(File, 22), 6);
    EXPECT_EQ(LE32(File, 40), 63u);
    EXPECT_EQ(LE32(File, 64), 1200u);

    TWaveOut Classic;
    Classic.SetFileName(Name);
    ASSERT_EQ(RunToEnd(Classic, Six), "");
    File = ReadBytes(Name);
    EXPECT_EQ(File.size(), 1244u);
    EXPECT_EQ(LE16(File, 20), 1);
}

TEST_F(WaveOutTest, UnknownSizeIsPatchedFromTheFileLength)
{
    TSyntheticInput Source(8000, 8, 1, 30000);
    Source.ReportedSize = -1;
    Source.CloseGate();
    int Done = 0;
    Writer.SetOnDone([&](TAuComponent*) { ++Done; });
    Writer.SetInput(&Source);
    Writer.Run();
    Source.WaitAtGate();
    // While the data flows, the header says what little it knows.
    std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 44u);
    EXPECT_EQ(LE32(File, 4), 35u);
    EXPECT_EQ(LE32(File, 40), 0xFFFFFFFFu);
    Source.OpenGate();
    ASSERT_TRUE(PumpUntil([&] { return Done == 1; }));
    File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 30044u);
    EXPECT_EQ(LE32(File, 4), 30036u);
    EXPECT_EQ(LE32(File, 40), 30000u);
}

TEST_F(WaveOutTest, AStoppedRunIsPatchedToWhatWasWritten)
{
    TSyntheticInput Source(44100, 16, 2, int64_t{1} << 31);
    int Done = 0;
    Writer.SetOnDone([&](TAuComponent*) { ++Done; });
    Writer.SetInput(&Source);
    Writer.Run();
    ASSERT_TRUE(PumpUntil([&] { return Writer.Progress() >= 0 && Source.Position() > 100000; }));
    Writer.Stop(true);
    ASSERT_TRUE(PumpUntil([&] { return Done == 1; }));
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_GT(File.size(), 100044u);
    EXPECT_EQ(LE32(File, 4), File.size() - 8);
    EXPECT_EQ(LE32(File, 40), File.size() - 44);
    EXPECT_EQ(Writer.ExceptionMessage(), "");
}

TEST_F(WaveOutTest, APullThatFailsEndsTheRunAsFailedWithATrueHeader)
{
    TSyntheticInput Source(44100, 16, 2, 1000000);
    Source.FailAfter = 40960; // after ten pulls
    Source.FailText = "decoder lost its way";
    std::vector<std::string> Events;
    Writer.SetOnThreadException([&](TAuComponent*) { Events.push_back("exception"); });
    Writer.SetOnDone([&](TAuComponent*) { Events.push_back("done"); });
    Writer.SetInput(&Source);
    Writer.Run();
    ASSERT_TRUE(PumpUntil([&] { return Events.size() == 2; }));
    EXPECT_EQ(Events, (std::vector<std::string>{"exception", "done"}));
    EXPECT_EQ(Writer.ExceptionMessage(), "decoder lost its way");
    const std::vector<uint8_t> File = ReadBytes(Name);
    EXPECT_EQ(File.size(), 41004u);
    EXPECT_EQ(LE32(File, 40), 40960u);
    EXPECT_EQ(LE32(File, 4), 40996u);
    EXPECT_EQ(Source.FlushCount, 1);
}

TEST_F(WaveOutTest, PrepareFailuresHaveTheirOwnTexts)
{
    TSyntheticInput Source(44100, 8, 1, 100);
    TWaveOut Unnamed;
    EXPECT_EQ(RunToEnd(Unnamed, Source), "File name is not assigned.");

    Writer.SetWavType(wtDVIADPCM);
    EXPECT_EQ(RunToEnd(Writer, Source), "Cannot encode 8 bit sound into ADPCM.");
    TSyntheticInput Deep(44100, 24, 1, 100);
    EXPECT_EQ(RunToEnd(Writer, Deep), "Cannot encode 8 bit sound into ADPCM.");
    TSyntheticInput Three(44100, 16, 3, 600);
    EXPECT_EQ(RunToEnd(Writer, Three), "ADPCM encoding supports mono and stereo only.");
    TSyntheticInput Silent(44100, 16, 0, 600);
    EXPECT_EQ(RunToEnd(Writer, Silent), "The input reports no usable audio format.");

    TWaveOut Nowhere;
    Nowhere.SetFileName(Dir.File("no/such/folder/out.wav"));
    EXPECT_EQ(RunToEnd(Nowhere, Source), std::strerror(ENOENT));
    EXPECT_FALSE(Source.Busy());
}

TEST_F(WaveOutTest, PropertiesIgnoreValuesTheyCannotTake)
{
    EXPECT_EQ(Writer.WavType(), wtPCM);
    EXPECT_EQ(Writer.BlockSize(), 512);
    EXPECT_TRUE(Writer.CreateNonMsHeaders());
    EXPECT_EQ(Writer.FileMode(), foRewrite);
    Writer.SetBlockSize(510);
    Writer.SetBlockSize(0);
    EXPECT_EQ(Writer.BlockSize(), 512);
    Writer.SetBlockSize(256);
    EXPECT_EQ(Writer.BlockSize(), 256);
    Writer.SetWavType(wtExtPCM);
    EXPECT_EQ(Writer.WavType(), wtPCM);
    Writer.SetWavType(wtDVIADPCM);
    EXPECT_EQ(Writer.WavType(), wtDVIADPCM);
    Writer.SetFileMode(foAppend);
    EXPECT_EQ(Writer.FileMode(), foAppend);

    TSyntheticInput Source(44100, 16, 2, int64_t{1} << 30);
    Source.CloseGate();
    Writer.SetInput(&Source);
    Writer.Run();
    Source.WaitAtGate();
    Writer.SetWavType(wtPCM);
    Writer.SetBlockSize(1024);
    EXPECT_EQ(Writer.WavType(), wtDVIADPCM);
    EXPECT_EQ(Writer.BlockSize(), 256);
    Source.OpenGate();
    Writer.Stop(false);
}

TEST_F(WaveOutTest, AdpcmMonoHeaderAndBlocks)
{
    Writer.SetWavType(wtDVIADPCM);
    TSyntheticInput Source(44100, 16, 1, 2000);
    Source.Generator = SineBytes(440, 44100, 1, 0.5);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 60u + 512u);
    EXPECT_EQ(Head(File, 60), FromHex("52494646 34020000 57415645 666d7420 14000000 1100 0100"
                                      "44ac0000 00560000 0002 0400 0200 f903"
                                      "66616374 04000000 e8030000 64617461 00020000"));
    // The block starts with the first sample and step index 0.
    EXPECT_EQ(LE16(File, 60), 0);
    EXPECT_EQ(File[62], 0);
}

TEST_F(WaveOutTest, AdpcmStereoAt256BytesHolds249FramesPerBlock)
{
    Writer.SetWavType(wtDVIADPCM);
    Writer.SetBlockSize(256);
    TSyntheticInput Source(22050, 16, 2, 249 * 4 * 3);
    Source.Generator = SineBytes(1000, 22050, 2, 0.5);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    EXPECT_EQ(LE16(File, 38), 249);
    EXPECT_EQ(LE16(File, 32), 256);
    EXPECT_EQ(LE32(File, 28), (22050u / 249u) * 256u);
    EXPECT_EQ(LE32(File, 48), 249u * 3u);
    // Three full blocks and the block of silence that follows the last pull.
    EXPECT_EQ(File.size(), 60u + 4u * 256u);
    EXPECT_EQ(LE32(File, 56), 4u * 256u);
    EXPECT_EQ(LE32(File, 4), File.size() - 8);
}

TEST_F(WaveOutTest, PeersReadEveryLayout)
{
    TSyntheticInput Pcm(44100, 16, 2, 44100 * 4);
    ASSERT_EQ(RunToEnd(Writer, Pcm), "");
    EXPECT_EQ(Probe(Name), "codec_name=pcm_s16le\nsample_rate=44100\nchannels=2\nbits_per_sample=16\n");

    TWaveOut Ext;
    const std::string ExtName = Dir.File("ext.wav");
    Ext.SetFileName(ExtName);
    Ext.SetCreateNonMsHeaders(false);
    TSyntheticInput Deep(48000, 24, 6, 48000 * 18);
    ASSERT_EQ(RunToEnd(Ext, Deep), "");
    EXPECT_EQ(Probe(ExtName), "codec_name=pcm_s24le\nsample_rate=48000\nchannels=6\nbits_per_sample=24\n");

    TWaveOut Adpcm;
    const std::string AdpcmName = Dir.File("adpcm.wav");
    Adpcm.SetFileName(AdpcmName);
    Adpcm.SetWavType(wtDVIADPCM);
    TSyntheticInput Sine(22050, 16, 2, 22050 * 4);
    Sine.Generator = SineBytes(1000, 22050, 2, 0.5);
    ASSERT_EQ(RunToEnd(Adpcm, Sine), "");
    EXPECT_EQ(Probe(AdpcmName), "codec_name=adpcm_ima_wav\nsample_rate=22050\nchannels=2\nbits_per_sample=4\n");
    std::string Sox;
    EXPECT_EQ(RunCommand("sox --i -r '" + AdpcmName + "'", &Sox), 0);
    EXPECT_EQ(Sox, "22050\n");
}

// A peer decoder must hear the tone we encoded: same level, little noise.
TEST_F(WaveOutTest, AdpcmOfASineDecodesCloseToItsSource)
{
    for (int Channels : {1, 2}) {
        TWaveOut Adpcm;
        Adpcm.SetFileName(Name);
        Adpcm.SetWavType(wtDVIADPCM);
        const int Frames = 44100;
        TSyntheticInput Sine(44100, 16, Channels, int64_t{Frames} * 2 * Channels);
        Sine.Generator = SineBytes(1000, 44100, Channels, 0.5);
        ASSERT_EQ(RunToEnd(Adpcm, Sine), "");
        const std::string Raw = Dir.File("decoded.raw");
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -i '" + Name + "' -f s16le -acodec pcm_s16le '" + Raw + "'"), 0);
        const std::vector<uint8_t> Decoded = ReadBytes(Raw);
        const std::vector<uint8_t> Source = Sine.Expected(0, int64_t{Frames} * 2 * Channels);
        ASSERT_GE(Decoded.size(), Source.size());
        double SignalPower = 0, DecodedPower = 0, ErrorPower = 0;
        for (size_t I = 0; I + 1 < Source.size(); I += 2) {
            const double S = static_cast<int16_t>(Source[I] | (Source[I + 1] << 8));
            const double D = static_cast<int16_t>(Decoded[I] | (Decoded[I + 1] << 8));
            SignalPower += S * S;
            DecodedPower += D * D;
            ErrorPower += (S - D) * (S - D);
        }
        EXPECT_LT(std::fabs(10 * std::log10(DecodedPower / SignalPower)), 0.5) << Channels;
        EXPECT_GT(10 * std::log10(SignalPower / ErrorPower), 30.0) << Channels;
    }
}

// Data up to the 32-bit limit of the size fields is written; the byte that
// would pass it ends the run, and the header still tells the truth.
TEST_F(WaveOutTest, ARunStopsAtTheFourGigabyteLimit)
{
    {
        // A sparse file whose data chunk is 1000 bytes short of the limit.
        TAuFileStream File(Name, TAuFileStream::fmCreate);
        const std::vector<uint8_t> Header = FromHex("52494646 00000000 57415645 666d7420 10000000 0100 0100"
                                                    "44ac0000 88580100 0200 1000 64617461 00000000");
        File.Write(Header.data(), static_cast<int64_t>(Header.size()));
        File.SetSize(int64_t{0xFFFFFFFF} + 8 - 1000);
    }
    Writer.SetFileMode(foAppend);
    TSyntheticInput Source(44100, 16, 1, 1 << 20);
    EXPECT_EQ(RunToEnd(Writer, Source), "The WAV file has reached the 4 GiB limit of its format.");
    TAuFileStream File(Name, TAuFileStream::fmOpenRead);
    EXPECT_EQ(File.Size(), int64_t{0xFFFFFFFF} + 8);
    uint8_t Header[44];
    ASSERT_TRUE(File.ReadExact(Header, sizeof Header));
    EXPECT_EQ(GetLE32(Header + 4), 0xFFFFFFFFu);
    EXPECT_EQ(GetLE32(Header + 40), 0xFFFFFFFFu - 36);
}

// Run in a child process (see WriteFailsPartWay): the file size limit makes the
// system refuse writes part-way through the data.
TEST(WaveOutChild, DISABLED_WriteUnderAFileSizeLimit)
{
    const char* Target = std::getenv("KELVARO_FSIZE_TARGET");
    if (Target == nullptr)
        GTEST_SKIP() << "runs only as the child of WriteFailsPartWay";
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limit{100000, 100000};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &Limit), 0);
    TWaveOut Writer;
    Writer.SetFileName(Target);
    TSyntheticInput Source(44100, 16, 2, 1000000);
    std::cout << "message=" << RunToEnd(Writer, Source) << "\n";
}

TEST_F(WaveOutTest, WriteFailsPartWay)
{
    std::string Out;
    RunCommand("KELVARO_FSIZE_TARGET='" + Name + "' /proc/" + std::to_string(::getpid()) +
                   "/exe --gtest_also_run_disabled_tests --gtest_filter=WaveOutChild.DISABLED_WriteUnderAFileSizeLimit 2>&1",
               &Out);
    EXPECT_NE(Out.find(std::string("message=") + std::strerror(EFBIG)), std::string::npos) << Out;
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 100000u);
    EXPECT_EQ(LE32(File, 4), 100000u - 8);
    EXPECT_EQ(LE32(File, 40), 100000u - 44);
}

TEST_F(WaveOutTest, ASourceThatCannotStartLeavesAnExistingFileAlone)
{
    WriteBytes(Name, {1, 2, 3, 4});
    TSyntheticInput Source(44100, 16, 2, 1000);
    Source.FailInit = true;
    Source.FailText = "not audio";
    EXPECT_EQ(RunToEnd(Writer, Source), "not audio");
    EXPECT_EQ(ReadBytes(Name), (std::vector<uint8_t>{1, 2, 3, 4}));
}

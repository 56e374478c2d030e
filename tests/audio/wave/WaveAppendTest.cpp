// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveTestUtil.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/ByteOrder.h"
#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

std::vector<uint8_t> Chunk(const std::string& Id, const std::vector<uint8_t>& Body)
{
    std::vector<uint8_t> Out(Id.begin(), Id.end());
    uint8_t Size[4];
    PutLE32(Size, static_cast<uint32_t>(Body.size()));
    Out.insert(Out.end(), Size, Size + 4);
    Out.insert(Out.end(), Body.begin(), Body.end());
    return Out;
}

std::vector<uint8_t> FmtBody(uint16_t Tag, uint16_t Channels, uint32_t Rate, uint16_t Align, uint16_t Bits)
{
    std::vector<uint8_t> Body(16);
    PutLE16(Body.data(), Tag);
    PutLE16(Body.data() + 2, Channels);
    PutLE32(Body.data() + 4, Rate);
    PutLE32(Body.data() + 8, Rate * Align);
    PutLE16(Body.data() + 12, Align);
    PutLE16(Body.data() + 14, Bits);
    return Body;
}

std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>>& Chunks)
{
    std::vector<uint8_t> Body = {'W', 'A', 'V', 'E'};
    for (const auto& C : Chunks)
        Body.insert(Body.end(), C.begin(), C.end());
    return Chunk("RIFF", Body);
}

class WaveAppendTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("target.wav");
    TWaveOut Writer;

    void SetUp() override
    {
        Writer.SetFileName(Name);
        Writer.SetFileMode(foAppend);
    }
};

} // namespace

TEST_F(WaveAppendTest, SameFormatAddsDataAndUpdatesBothSizes)
{
    TSyntheticInput First(44100, 16, 2, 4000);
    ASSERT_EQ(RunToEnd(Writer, First), ""); // no file yet: a fresh one
    TSyntheticInput Second(44100, 16, 2, 2000);
    Second.Generator = [](int64_t I) { return static_cast<uint8_t>(255 - I % 251); };
    ASSERT_EQ(RunToEnd(Writer, Second), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 6044u);
    EXPECT_EQ(LE32(File, 4), 6036u);
    EXPECT_EQ(LE32(File, 40), 6000u);
    EXPECT_EQ(std::vector<uint8_t>(File.begin() + 4044, File.end()), Second.Expected(0, 2000));
    EXPECT_EQ(Probe(Name), "codec_name=pcm_s16le\nsample_rate=44100\nchannels=2\nbits_per_sample=16\n");
}

TEST_F(WaveAppendTest, AnEmptyExistingFileGetsAFreshHeader)
{
    WriteBytes(Name, {});
    TSyntheticInput Source(8000, 8, 1, 300);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 344u);
    EXPECT_EQ(LE32(File, 4), 336u);
    EXPECT_EQ(LE32(File, 40), 300u);
}

TEST_F(WaveAppendTest, AnotherFormatIsRefusedAndTheFileKept)
{
    const std::vector<uint8_t> Original =
        Riff({Chunk("fmt ", FmtBody(1, 2, 44100, 4, 16)), Chunk("data", std::vector<uint8_t>(400, 9))});
    WriteBytes(Name, Original);
    TSyntheticInput Mono(44100, 16, 1, 100);
    EXPECT_EQ(RunToEnd(Writer, Mono), "Cannot append data in different audio format.");
    TSyntheticInput OtherRate(22050, 16, 2, 100);
    EXPECT_EQ(RunToEnd(Writer, OtherRate), "Cannot append data in different audio format.");
    TSyntheticInput Deeper(44100, 24, 2, 120);
    EXPECT_EQ(RunToEnd(Writer, Deeper), "Cannot append data in different audio format.");
    EXPECT_EQ(ReadBytes(Name), Original);
    EXPECT_FALSE(Mono.Busy());
}

TEST_F(WaveAppendTest, UnusableTargetsAreRefused)
{
    TSyntheticInput Source(44100, 16, 2, 100);
    const std::vector<std::vector<uint8_t>> Targets = {
        std::vector<uint8_t>(64, 'x'),                                                  // no RIFF at all
        Riff({Chunk("fmt ", FmtBody(3, 2, 44100, 8, 32)), Chunk("data", {})}),           // float
        Riff({Chunk("fmt ", FmtBody(0xFFFE, 2, 44100, 4, 16)), Chunk("data", {})}),      // extensible
        Riff({Chunk("fmt ", FmtBody(1, 2, 44100, 4, 16))}),                              // no data chunk
        Riff({Chunk("fmt ", std::vector<uint8_t>(10, 1)), Chunk("data", {})}),           // short fmt
        Riff({Chunk("fmt ", FmtBody(1, 0, 44100, 4, 16)), Chunk("data", {})}),           // no channels
        Riff({Chunk("fmt ", FmtBody(17, 2, 44100, 12, 4)), Chunk("fact", {0, 0, 0, 0}),
              Chunk("data", {})}),                                                       // unusable blocks
    };
    for (size_t I = 0; I < Targets.size(); ++I) {
        WriteBytes(Name, Targets[I]);
        EXPECT_EQ(RunToEnd(Writer, Source), "Cannot append data to this .wav file.") << I;
        EXPECT_EQ(ReadBytes(Name), Targets[I]) << I;
    }
}

TEST_F(WaveAppendTest, IdentifiersMatchWhateverTheirCase)
{
    std::vector<uint8_t> File = Riff({Chunk("LIST", std::vector<uint8_t>(7, 'i')),
                                      Chunk("FMT ", FmtBody(1, 1, 8000, 1, 8)), Chunk("Data", {1, 2, 3})});
    // Leading bytes before "RIFF" are passed over.
    File.insert(File.begin(), {0, 1, 2});
    WriteBytes(Name, File);
    TSyntheticInput Source(8000, 8, 1, 5);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> After = ReadBytes(Name);
    ASSERT_EQ(After.size(), File.size() + 5);
    const size_t DataSizeAt = 3 + 12 + 15 + 24 + 4;
    EXPECT_EQ(LE32(After, DataSizeAt), 8u);
    EXPECT_EQ(LE32(After, 4), After.size() - 8);
}

TEST_F(WaveAppendTest, TheDataChunkMustBeginWithinTheFirst8192Bytes)
{
    TSyntheticInput Source(8000, 8, 1, 5);
    // The filler puts the data chunk's size field at byte 8188, then at 8192.
    for (const size_t SizeFieldAt : {size_t{8188}, size_t{8192}}) {
        const size_t Filler = SizeFieldAt - 4 - (12 + 24) - 8;
        WriteBytes(Name, Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 1, 8)),
                               Chunk("junk", std::vector<uint8_t>(Filler, 0)), Chunk("data", {7})}));
        ASSERT_EQ(LE32(ReadBytes(Name), SizeFieldAt), 1u);
        EXPECT_EQ(RunToEnd(Writer, Source), SizeFieldAt < 8192 ? "" : "Cannot append data to this .wav file.")
            << SizeFieldAt;
    }
}

TEST_F(WaveAppendTest, AdpcmAppendsBlocksAndUpdatesTheFrameCount)
{
    TWaveOut Fresh;
    Fresh.SetFileName(Name);
    Fresh.SetWavType(wtDVIADPCM);
    TSyntheticInput First(22050, 16, 1, 1017 * 2);
    First.Generator = SineBytes(440, 22050, 1, 0.3);
    ASSERT_EQ(RunToEnd(Fresh, First), "");

    // Appending takes the file's kind, whatever WavType says.
    TSyntheticInput Second(22050, 16, 1, 1017 * 2 * 2);
    Second.Generator = SineBytes(440, 22050, 1, 0.3);
    ASSERT_EQ(RunToEnd(Writer, Second), "");
    EXPECT_EQ(Writer.WavType(), wtDVIADPCM);
    const std::vector<uint8_t> File = ReadBytes(Name);
    const uint32_t DataSize = LE32(File, 56);
    EXPECT_EQ(File.size(), 60u + DataSize);
    EXPECT_EQ(DataSize % 512, 0u);
    EXPECT_EQ(LE32(File, 48), DataSize / 512 * 1017);
    EXPECT_EQ(LE32(File, 4), File.size() - 8);
    EXPECT_EQ(Probe(Name), "codec_name=adpcm_ima_wav\nsample_rate=22050\nchannels=1\nbits_per_sample=4\n");

    TSyntheticInput Stereo(22050, 16, 2, 4000);
    EXPECT_EQ(RunToEnd(Writer, Stereo), "Cannot append data in different audio format.");
}

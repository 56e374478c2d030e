// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/DecoderTestUtil.h"
#include "support/TestUtil.h"
#include "wave/WaveTestUtil.h"

#include "audio/convert/AudioConverter.h"
#include "audio/convert/FastResampler.h"
#include "audio/decoders/FLACIn.h"
#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// A decoder pulled by the resampler, pulled by the converter, pulled by the
// writer: the chain every conversion runs.
struct TChain {
    TFLACIn Decoder;
    TFastResampler Resampler;
    TAudioConverter Converter;
    TWaveOut Writer;

    TChain()
    {
        Resampler.SetInput(&Decoder);
        Converter.SetInput(&Resampler);
    }

    std::string Convert(const std::string& Flac, const std::string& Wav, uint32_t Rate, int Bits, int Channels,
                        TWavType Type)
    {
        Decoder.SetFileName(Flac);
        EXPECT_TRUE(Decoder.Valid());
        Resampler.SetOutSampleRate(Rate);
        Converter.SetOutBitsPerSample(Bits);
        Converter.SetOutChannels(Channels);
        Writer.SetWavType(Type);
        Writer.SetFileName(Wav);
        int Done = 0;
        Writer.SetOnDone([&](TAuComponent*) { ++Done; });
        Writer.SetInput(&Converter);
        Writer.Run();
        EXPECT_TRUE(PumpUntil([&] { return Done == 1; }));
        return Writer.ExceptionMessage();
    }
};

struct TChainCase {
    const char* Name;
    uint32_t Rate;
    int Bits, Channels;
    TWavType Type;
    const char* Codec;
    int ProbedBits;
};

class ChainTest : public ::testing::TestWithParam<TChainCase> {};

} // namespace

TEST_P(ChainTest, WritesTheFormatTheSettingsAskFor)
{
    const TChainCase& Case = GetParam();
    TTempDir Dir;
    const std::string Flac = Dir.File("in.flac");
    Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(FixturesDir() + "/tone-44100-16-2.wav"));
    const std::string Wav = Dir.File("out.wav");
    TChain Chain;
    ASSERT_EQ(Chain.Convert(Flac, Wav, Case.Rate, Case.Bits, Case.Channels, Case.Type), "");
    EXPECT_EQ(Probe(Wav), "codec_name=" + std::string(Case.Codec) + "\nsample_rate=" + std::to_string(Case.Rate) +
                              "\nchannels=" + std::to_string(Case.Channels) +
                              "\nbits_per_sample=" + std::to_string(Case.ProbedBits) + "\n");
    std::string Duration;
    RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(Wav), &Duration);
    EXPECT_NEAR(std::stod(Duration), 1.0, 0.05) << Duration;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ChainTest,
    ::testing::Values(TChainCase{"pcm22050_8_mono", 22050, 8, 1, wtPCM, "pcm_u8", 8},
                      TChainCase{"pcm48000_24_stereo", 48000, 24, 2, wtPCM, "pcm_s24le", 24},
                      TChainCase{"pcm8000_32_mono", 8000, 32, 1, wtPCM, "pcm_s32le", 32},
                      TChainCase{"adpcm11025_16_stereo", 11025, 16, 2, wtDVIADPCM, "adpcm_ima_wav", 4},
                      TChainCase{"adpcm44100_16_mono", 44100, 16, 1, wtDVIADPCM, "adpcm_ima_wav", 4}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// A lossless file converted to its own format comes out sample for sample.
TEST(Chain, AnUnchangedFormatKeepsEverySample)
{
    TTempDir Dir;
    for (const char* Fixture : {"tone-44100-16-2.wav", "tone-48000-24-2.wav", "tone-8000-8-1.wav"}) {
        const std::string Source = FixturesDir() + "/" + Fixture;
        const std::string Flac = Dir.File("in.flac");
        Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(Source));
        const std::string Wav = Dir.File("out.wav");
        TChain Chain;
        ASSERT_TRUE((Chain.Decoder.SetFileName(Flac), Chain.Decoder.Valid()));
        const uint32_t Rate = static_cast<uint32_t>(Chain.Decoder.SampleRate());
        const int Bits = Chain.Decoder.BitsPerSample();
        const int Channels = Chain.Decoder.Channels();
        ASSERT_EQ(Chain.Convert(Flac, Wav, Rate, Bits, Channels, wtPCM), "") << Fixture;
        EXPECT_EQ(ReadBytes(Wav), ReadBytes(Source)) << Fixture;
    }
}

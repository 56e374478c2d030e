// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertTestUtil.h"
#include "audio/wave/WaveTestUtil.h"

#include "audio/convert/AudioConverter.h"
#include "audio/convert/FastResampler.h"
#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace au;
using namespace autest;

// The application's chain: source -> resampler -> converter -> WAV writer on
// its worker thread, checked by other programs.
TEST(ConversionChain, ToneFileToEightBitMonoAtHalfTheRate)
{
    const std::vector<uint8_t> Pcm = FixturePcm("tone-44100-16-2.wav");
    ASSERT_EQ(Pcm.size(), 44100u * 4);
    auto Source = BytesInput(44100, 16, 2, Pcm);
    TFastResampler Resampler;
    Resampler.SetInput(Source.get());
    Resampler.SetOutSampleRate(22050);
    TAudioConverter Converter;
    Converter.SetInput(&Resampler);
    Converter.SetOutBitsPerSample(8);
    Converter.SetOutChannels(1);

    TTempDir Dir;
    const std::string Name = Dir.File("out.wav");
    TWaveOut Writer;
    Writer.SetFileName(Name);
    ASSERT_EQ(RunToEnd(Writer, Converter), "");

    EXPECT_EQ(Probe(Name), "codec_name=pcm_u8\nsample_rate=22050\nchannels=1\nbits_per_sample=8\n");
    std::string Samples;
    ASSERT_EQ(RunCommand("soxi -s '" + Name + "'", &Samples), 0);
    EXPECT_EQ(Samples, "22050\n");

    // Left 440 Hz and right 1000 Hz at -3 dB, mixed: each at half of that.
    const std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 44u + 22050);
    const std::vector<uint8_t> Data(File.begin() + 44, File.end());
    const double Expected = 128 * std::pow(10.0, -3.0 / 20) / 2;
    for (const double Hz : {440.0, 1000.0})
        EXPECT_NEAR(ToneAmplitude(Data, Hz / 22050, 2000), Expected, Expected * 0.05) << Hz;
}

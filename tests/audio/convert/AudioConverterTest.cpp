// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertTestUtil.h"

#include "audio/convert/AudioConverter.h"
#include "audio/core/AuException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// Pulls Source through a converter set to OutBits and OutChannels.
std::vector<uint8_t> Convert(TAuInput& Source, int OutBits, int OutChannels, uint32_t Request = 65536)
{
    TAudioConverter Converter;
    Converter.SetInput(&Source);
    Converter.SetOutBitsPerSample(OutBits);
    Converter.SetOutChannels(OutChannels);
    return PullAll(Converter, Request);
}

std::vector<int16_t> Convert16(const std::vector<int16_t>& In, int InChannels, int OutBits, int OutChannels)
{
    auto Source = BytesInput(44100, 16, InChannels, Le16(In));
    return FromLe16(Convert(*Source, OutBits, OutChannels));
}

} // namespace

TEST(AudioConverter, UnchangedFormatsPassThroughByteForByte)
{
    struct TCase {
        const char* File;
        int Rate, Bits, Channels;
    };
    for (const TCase& Case : {TCase{"tone-44100-16-2.wav", 44100, 16, 2}, TCase{"tone-48000-24-2.wav", 48000, 24, 2},
                              TCase{"tone-8000-8-1.wav", 8000, 8, 1}}) {
        const std::vector<uint8_t> Pcm = FixturePcm(Case.File);
        ASSERT_FALSE(Pcm.empty()) << Case.File;
        // Both 0, and the input's own numbers given explicitly.
        for (const auto& [Bits, Channels] : {std::pair{0, 0}, std::pair{Case.Bits, Case.Channels},
                                             std::pair{Case.Bits, 0}, std::pair{0, Case.Channels}}) {
            auto Source = BytesInput(Case.Rate, Case.Bits, Case.Channels, Pcm, 3000);
            EXPECT_EQ(Convert(*Source, Bits, Channels), Pcm) << Case.File << " " << Bits << "/" << Channels;
        }
    }
    // A depth the converter cannot convert still passes when nothing changes.
    const std::vector<uint8_t> Odd = RandomBytes(999, 3);
    auto Source = BytesInput(44100, 12, 1, Odd);
    EXPECT_EQ(Convert(*Source, 0, 0), Odd);
}

TEST(AudioConverter, ChannelChangesScaleSixteenBitSamples)
{
    EXPECT_EQ(Convert16({32767, -32768, 0, 1000}, 1, 0, 2),
              (std::vector<int16_t>{32766, 32766, -32767, -32767, 0, 0, 1000, 1000}));
    EXPECT_EQ(Convert16({1000, -1000, 30000, 10000, -32768, -32768, 32767, 32767}, 2, 16, 1),
              (std::vector<int16_t>{0, 19999, -32767, 32766}));
}

TEST(AudioConverter, SixteenToEightBits)
{
    auto Source = BytesInput(44100, 16, 1, Le16({0, 32767, -32768, 255, 256, -1, -257}));
    EXPECT_EQ(Convert(*Source, 8, 0), (std::vector<uint8_t>{128, 255, 0, 128, 129, 127, 126}));
}

TEST(AudioConverter, EightBitResultsMatchFfmpeg)
{
    // Both round down to 8 bits, so their bytes must agree exactly.
    TTempDir Dir;
    for (const char* Name : {"tone-44100-16-2.wav", "tone-48000-24-2.wav"}) {
        const std::string Path = FixturesDir() + "/" + Name;
        const std::string Raw = Dir.File("peer.u8");
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -i '" + Path + "' -f u8 '" + Raw + "'"), 0) << Name;
        const std::vector<uint8_t> Pcm = FixturePcm(Name);
        const bool Deep = std::string(Name).find("-24-") != std::string::npos;
        auto Source = BytesInput(Deep ? 48000 : 44100, Deep ? 24 : 16, 2, Pcm);
        const std::vector<uint8_t> Ours = Convert(*Source, 8, 0);
        EXPECT_EQ(Ours.size(), Pcm.size() / (Deep ? 3 : 2)) << Name;
        EXPECT_TRUE(Ours == ReadBytes(Raw)) << Name;
    }
}

TEST(AudioConverter, DepthAndChannelsOfManyChannelInput)
{
    // 6 channels: OutChannels does not apply, only the depth changes.
    const std::vector<int16_t> Frames = {0, 1, -1, 16384, -16384, 32767, 100, 200, 300, 400, 500, 600};
    auto Source = BytesInput(48000, 16, 6, Le16(Frames));
    TAudioConverter Converter;
    Converter.SetInput(Source.get());
    Converter.SetOutChannels(2);
    Converter.SetOutBitsPerSample(24);
    EXPECT_EQ(Converter.Channels(), 6);
    EXPECT_EQ(Converter.BitsPerSample(), 24);
    EXPECT_EQ(Converter.SampleRate(), 48000);
    const std::vector<uint8_t> Out = PullAll(Converter);
    ASSERT_EQ(Out.size(), Frames.size() * 3);
    for (size_t I = 0; I < Frames.size(); ++I) {
        int32_t S = Out[3 * I] | (Out[3 * I + 1] << 8) | (Out[3 * I + 2] << 16);
        S = S >= 0x800000 ? S - 0x1000000 : S;
        EXPECT_EQ(S, static_cast<int32_t>(std::floor(Frames[I] / 32768.0 * 8388607.0))) << I;
    }
}

TEST(AudioConverter, FormatQueries)
{
    TAudioConverter Converter;
    EXPECT_EQ(Converter.BitsPerSample(), 0);
    EXPECT_EQ(Converter.Channels(), 0);
    EXPECT_EQ(Converter.SampleRate(), 0);
    EXPECT_EQ(Converter.Mode(), msmMonoToBoth);
    Converter.SetMode(msmMonoToLeft);
    EXPECT_EQ(Converter.Mode(), msmMonoToLeft);

    TSyntheticInput Mono(22050, 16, 1, 100);
    Converter.SetInput(&Mono);
    EXPECT_EQ(Converter.BitsPerSample(), 16);
    EXPECT_EQ(Converter.Channels(), 1);
    EXPECT_EQ(Converter.SampleRate(), 22050);
    Converter.SetOutChannels(3);
    EXPECT_EQ(Converter.Channels(), 1);
    Converter.SetOutChannels(2);
    Converter.SetOutBitsPerSample(32);
    EXPECT_EQ(Converter.Channels(), 2);
    EXPECT_EQ(Converter.BitsPerSample(), 32);

    // Unmasked, unlike the plain converter's forwarding.
    TSyntheticInput Deep(44100, 160, 1, 100);
    Converter.SetInput(&Deep);
    Converter.SetOutBitsPerSample(0);
    EXPECT_EQ(Converter.BitsPerSample(), 160);
}

TEST(AudioConverter, SizeFollowsTheFormatChange)
{
    struct TCase {
        int64_t InSize;
        int InBits, InChannels, OutBits, OutChannels;
        int64_t Expected;
    };
    for (const TCase& Case : {TCase{1000, 16, 2, 24, 1, 750}, TCase{1002, 16, 2, 24, 1, 750},
                              TCase{1001, 8, 1, 16, 2, 4004}, TCase{-1, 16, 2, 8, 1, -1},
                              TCase{0, 16, 2, 8, 1, 0}, TCase{1003, 16, 2, 0, 0, 1000}}) {
        TSyntheticInput Source(44100, Case.InBits, Case.InChannels, 4000);
        Source.ReportedSize = Case.InSize;
        TAudioConverter Converter;
        Converter.SetInput(&Source);
        Converter.SetOutBitsPerSample(Case.OutBits);
        Converter.SetOutChannels(Case.OutChannels);
        Converter.Init();
        EXPECT_EQ(Converter.Size(), Case.Expected) << Case.InSize << " " << Case.OutBits;
        Converter.Flush();
    }
    // The output stops at Size even if the input gives more.
    auto Source = BytesInput(44100, 16, 2, RandomBytes(4000, 1));
    Source->ReportedSize = 1000;
    EXPECT_EQ(Convert(*Source, 24, 1).size(), 750u);
}

TEST(AudioConverter, ChunksThatSplitFramesKeepTheFramesAligned)
{
    // 24-bit stereo frames are 6 bytes; 4096-byte chunks end inside a frame.
    const std::vector<uint8_t> Pcm = RandomBytes(6 * 5000 + 4, 7);
    auto Aligned = BytesInput(44100, 24, 2, Pcm, 4092);
    auto Split = BytesInput(44100, 24, 2, Pcm, 4096);
    const std::vector<uint8_t> Expected = Convert(*Aligned, 16, 0);
    ASSERT_EQ(Expected.size(), 5000u * 4);
    EXPECT_TRUE(Convert(*Split, 16, 0) == Expected);
    // Asking for less than the chunk the input has in hand changes nothing either.
    auto Small = BytesInput(44100, 24, 2, Pcm, 4096);
    EXPECT_TRUE(Convert(*Small, 16, 0, 1000) == Expected);
}

TEST(AudioConverter, HugeRequestsAreServedWithinTheInputsChunks)
{
    // 32-bit stereo to 8-bit mono asks for eight input bytes per output byte.
    auto Source = BytesInput(44100, 32, 2, RandomBytes(8 * 3000, 9));
    TAudioConverter Converter;
    Converter.SetInput(Source.get());
    Converter.SetOutBitsPerSample(8);
    Converter.SetOutChannels(1);
    Converter.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 0xFFFFFFFFu;
    Converter.GetData(Buffer, Bytes);
    EXPECT_EQ(Bytes, 4096u / 8);
    Converter.Flush();
}

TEST(AudioConverter, RefusesWhatItCannotConvert)
{
    TAudioConverter Converter;
    EXPECT_EQ(InitFailure(Converter), "Input is not assigned");

    TSyntheticInput Twelve(44100, 12, 2, 1200);
    Converter.SetInput(&Twelve);
    Converter.SetOutBitsPerSample(16);
    const std::string Message = InitFailure(Converter);
    EXPECT_NE(Message.find("12 bits"), std::string::npos) << Message;
    // A failed start leaves nothing to read.
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 100;
    Converter.GetData(Buffer, Bytes);
    EXPECT_EQ(Bytes, 0u);
    Converter.Flush();

    TSyntheticInput Sixteen(44100, 16, 2, 1200);
    Converter.SetInput(&Sixteen);
    Converter.SetOutBitsPerSample(20);
    EXPECT_NE(InitFailure(Converter).find("20 bits"), std::string::npos);
    Converter.Flush();

    TSyntheticInput NoChannels(44100, 16, 0, 1200);
    Converter.SetInput(&NoChannels);
    Converter.SetOutBitsPerSample(8);
    EXPECT_NE(InitFailure(Converter).find("0 channels"), std::string::npos);
    Converter.Flush();
}

TEST(AudioConverter, AnInputTakenAwayMidRunIsReportedNotFollowed)
{
    for (const int OutBits : {0, 8}) {
        TSyntheticInput Source(44100, 16, 2, 100000);
        TAudioConverter Converter;
        Converter.SetInput(&Source);
        Converter.SetOutBitsPerSample(OutBits);
        Converter.Init();
        Converter.SetInput(nullptr);
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = 4096;
        EXPECT_THROW(Converter.GetData(Buffer, Bytes), EAuException) << OutBits;
        Converter.Flush();
    }
}

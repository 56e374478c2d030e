// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/core/AuProcs.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using au::FloatToSamples;
using au::SamplesToFloat;

// Values written at BytesPerSample and read back as integers (8-bit unsigned,
// the others signed).
std::vector<int64_t> Written(std::vector<float> Values, int BytesPerSample)
{
    const auto Width = static_cast<size_t>(BytesPerSample);
    std::vector<uint8_t> Bytes(Values.size() * Width);
    FloatToSamples(Values.data(), BytesPerSample, Bytes.data(), Values.size());
    std::vector<int64_t> Out;
    for (size_t I = 0; I < Values.size(); ++I) {
        uint64_t U = 0;
        for (size_t B = 0; B < Width; ++B)
            U |= uint64_t{Bytes[I * Width + B]} << (8 * B);
        const uint64_t Sign = uint64_t{1} << (8 * Width - 1);
        Out.push_back(Width == 1 ? int64_t(U) : int64_t(U ^ Sign) - int64_t(Sign));
    }
    return Out;
}

std::vector<int64_t> To8(std::vector<float> Values) { return Written(std::move(Values), 1); }
std::vector<int64_t> To16(std::vector<float> Values) { return Written(std::move(Values), 2); }
std::vector<int64_t> To24(std::vector<float> Values) { return Written(std::move(Values), 3); }
std::vector<int64_t> To32(std::vector<float> Values) { return Written(std::move(Values), 4); }

TEST(SampleRoutines, IntegerSamplesBecomeFloatsOfTheirOwnScale)
{
    const std::vector<uint8_t> In8 = {0, 128, 255};
    std::vector<float> F(3);
    SamplesToFloat(In8.data(), 1, F.data(), 3);
    EXPECT_EQ(F, (std::vector<float>{-1.0f, 0.0f, 127.0f / 128.0f}));

    const std::vector<uint8_t> In16 = {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00};
    SamplesToFloat(In16.data(), 2, F.data(), 3);
    EXPECT_EQ(F, (std::vector<float>{-1.0f, 32767.0f / 32768.0f, 1.0f / 32768.0f}));

    // The low byte of a 24-bit sample is unsigned, the high byte carries the sign.
    const std::vector<uint8_t> In24 = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF};
    SamplesToFloat(In24.data(), 3, F.data(), 3);
    EXPECT_EQ(F, (std::vector<float>{-1.0f, 8388607.0f / 8388608.0f, -1.0f / 8388608.0f}));

    const std::vector<uint8_t> In32 = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x01, 0x00, 0x00};
    SamplesToFloat(In32.data(), 4, F.data(), 3);
    EXPECT_EQ(F, (std::vector<float>{-1.0f, 1.0f, 256.0f / 2147483648.0f}));
}

TEST(SampleRoutines, FullScaleIsAsymmetricOnTheWayBack)
{
    EXPECT_EQ(To16({-1.0f, 1.0f, 0.0f}), (std::vector<int64_t>{-32767, 32767, 0}));
    EXPECT_EQ(To24({-1.0f, 1.0f, 0.0f}), (std::vector<int64_t>{-8388607, 8388607, 0}));
    EXPECT_EQ(To32({-1.0f, 1.0f, 0.0f}), (std::vector<int64_t>{-2147483647, 2147483647, 0}));
    EXPECT_EQ(To8({-1.0f, 1.0f, 0.0f}), (std::vector<int64_t>{0, 255, 128}));
}

TEST(SampleRoutines, SixteenBitsThroughFloatAreScaledBy32767Over32768)
{
    for (int32_t S : {32767, -32768, 16384, -16384, 1, -1, 12345, -20000}) {
        const uint8_t In[2] = {static_cast<uint8_t>(S & 0xFF), static_cast<uint8_t>((S >> 8) & 0xFF)};
        float V = 0;
        SamplesToFloat(In, 2, &V, 1);
        // s - s/32768 is a tie only at +-16384 (+-16383.5, to the even +-16384).
        const auto Expected = static_cast<int32_t>(std::lround(S * 32767.0 / 32768.0));
        EXPECT_EQ(To16({V}), std::vector<int64_t>{Expected}) << S;
    }
}

TEST(SampleRoutines, EightAndTwentyFourBitsRoundDown)
{
    // 8 bits: floor((v + 1) x 128), so every byte survives the round trip.
    std::vector<uint8_t> All(256);
    for (int U = 0; U < 256; ++U)
        All[static_cast<size_t>(U)] = static_cast<uint8_t>(U);
    std::vector<float> F(256);
    SamplesToFloat(All.data(), 1, F.data(), 256);
    EXPECT_EQ(To8(F), std::vector<int64_t>(All.begin(), All.end()));
    EXPECT_EQ(To8({0.99999f, -0.99999f, 2.0f, -3.0f}), (std::vector<int64_t>{255, 0, 255, 0}));

    // 24 bits: floor(v x 8388607), so positive samples lose one step.
    EXPECT_EQ(To24({8388607.0f / 8388608.0f, 1.0f / 8388608.0f, -1.0f / 8388608.0f, -0.5f}),
              (std::vector<int64_t>{8388606, 0, -1, -4194304}));
}

TEST(SampleRoutines, ProductsAreFormedInExtendedPrecision)
{
    // 1 - 2^-60 is still below 1 in extended precision (not in double), so the
    // floor drops to 127.
    EXPECT_EQ(To8({-0x1p-60f}), std::vector<int64_t>{127});
    // (0.5 + 2^-24) x 2147483647 = 1073741951.49999994...: a double would see
    // the tie 1073741951.5 and round it to 1073741952.
    EXPECT_EQ(To32({0.5f + 0x1p-24f}), std::vector<int64_t>{1073741951});
}

TEST(SampleRoutines, SixteenAndTwentyFourBitsRoundTheExtendedProduct)
{
    // Seeded floats of magnitude below 1, of every exponent down to the
    // subnormals, both signs, with every 16-bit sample's float among them (its
    // ties included).
    std::vector<float> Values;
    uint32_t Seed = 99;
    for (int I = 0; I < 200000; ++I) {
        Seed = Seed * 1664525u + 1013904223u;
        const uint32_t Bits = (Seed & 0x807fffffu) | ((126u - (Seed >> 8) % 127u) << 23);
        float V;
        std::memcpy(&V, &Bits, sizeof V);
        Values.push_back(V);
    }
    for (int32_t S = -32768; S < 32768; ++S)
        Values.push_back(static_cast<float>(S) * 0x1p-15f);
    std::vector<int64_t> Nearest16, Floor24;
    for (const float V : Values) {
        Nearest16.push_back(static_cast<int64_t>(std::rint(static_cast<long double>(V) * 32767.0L)));
        Floor24.push_back(static_cast<int64_t>(std::floor(static_cast<long double>(V) * 8388607.0L)));
    }
    EXPECT_TRUE(To16(Values) == Nearest16);
    EXPECT_TRUE(To24(Values) == Floor24);
}

TEST(SampleRoutines, ClampWritesBackAndRoundingModeIsRestored)
{
    std::vector<float> Values = {1.5f, -7.0f, 0.25f, 1.0f};
    std::vector<uint8_t> Bytes(Values.size() * 2);
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    FloatToSamples(Values.data(), 2, Bytes.data(), Values.size());
    const int After = std::fegetround();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(After, FE_UPWARD);
    EXPECT_EQ(Values, (std::vector<float>{1.0f, -1.0f, 0.25f, 1.0f}));

    // 0.3 x 32767 = 9830.1: nearest, whatever mode the caller had.
    std::fesetround(FE_UPWARD);
    const std::vector<int64_t> Rounded = To16({0.3f, -0.3f});
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(Rounded, (std::vector<int64_t>{9830, -9830}));

    // The 8-bit routine saturates without touching the floats.
    std::vector<float> Loud = {1.5f, -1.5f};
    uint8_t Out8[2];
    FloatToSamples(Loud.data(), 1, Out8, 2);
    EXPECT_EQ(Loud, (std::vector<float>{1.5f, -1.5f}));
}

TEST(SampleRoutines, ChannelRoutinesWorkInPlace)
{
    std::vector<float> Values = {0.1f, -0.2f, 0.3f, 0, 0, 0};
    au::MonoToStereo(Values.data(), 3);
    EXPECT_EQ(Values, (std::vector<float>{0.1f, 0.1f, -0.2f, -0.2f, 0.3f, 0.3f}));

    std::vector<float> Stereo = {0.25f, 0.75f, 1000.0f / 32768, -1000.0f / 32768, -1.0f, -1.0f};
    au::StereoToMono(Stereo.data(), 3);
    EXPECT_EQ(std::vector<float>(Stereo.begin(), Stereo.begin() + 3), (std::vector<float>{0.5f, 0.0f, -1.0f}));
}

// What the float routines make of Frames frames of 16-bit samples: the
// reference the integer path must match byte for byte.
std::vector<uint8_t> ThroughFloat(const std::vector<uint8_t>& In, uint32_t InChannels, int BytesPerSample,
                                  uint32_t OutChannels)
{
    const size_t Frames = In.size() / 2 / InChannels;
    std::vector<float> Values(Frames * std::max(InChannels, OutChannels));
    SamplesToFloat(In.data(), 2, Values.data(), Frames * InChannels);
    if (InChannels == 1 && OutChannels == 2)
        au::MonoToStereo(Values.data(), Frames);
    else if (InChannels == 2 && OutChannels == 1)
        au::StereoToMono(Values.data(), Frames);
    std::vector<uint8_t> Out(Frames * OutChannels * static_cast<size_t>(BytesPerSample));
    FloatToSamples(Values.data(), BytesPerSample, Out.data(), Frames * OutChannels);
    return Out;
}

std::vector<uint8_t> InIntegers(const std::vector<uint8_t>& In, uint32_t InChannels, int BytesPerSample,
                                uint32_t OutChannels)
{
    const size_t Frames = In.size() / 2 / InChannels;
    std::vector<uint8_t> Out(Frames * OutChannels * static_cast<size_t>(BytesPerSample));
    au::SixteenBitsTo(In.data(), InChannels, BytesPerSample, OutChannels, Out.data(), Frames);
    return Out;
}

void Append16(std::vector<uint8_t>& Bytes, int32_t S)
{
    Bytes.push_back(static_cast<uint8_t>(S & 0xFF));
    Bytes.push_back(static_cast<uint8_t>((S >> 8) & 0xFF));
}

TEST(SampleRoutines, SixteenBitsInIntegersGiveTheFloatPathsBytesForEverySample)
{
    std::vector<uint8_t> Every;
    for (int32_t S = -32768; S <= 32767; ++S)
        Append16(Every, S);
    // Stereo frames (s, s) and (s, s + 1) reach every sum the mix can see.
    std::vector<uint8_t> Pairs;
    for (int32_t S = -32768; S <= 32767; ++S) {
        Append16(Pairs, S);
        Append16(Pairs, S);
        Append16(Pairs, S);
        Append16(Pairs, S == 32767 ? S : S + 1);
    }
    for (const int Bytes : {1, 2, 3, 4}) {
        EXPECT_EQ(InIntegers(Every, 1, Bytes, 1), ThroughFloat(Every, 1, Bytes, 1)) << Bytes << " bytes, mono";
        EXPECT_EQ(InIntegers(Every, 1, Bytes, 2), ThroughFloat(Every, 1, Bytes, 2)) << Bytes << " bytes, to stereo";
        EXPECT_EQ(InIntegers(Pairs, 2, Bytes, 1), ThroughFloat(Pairs, 2, Bytes, 1)) << Bytes << " bytes, to mono";
        EXPECT_EQ(InIntegers(Every, 2, Bytes, 2), ThroughFloat(Every, 2, Bytes, 2)) << Bytes << " bytes, stereo";
    }
}

} // namespace

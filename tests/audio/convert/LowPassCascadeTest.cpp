// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertTestUtil.h"

#include "audio/convert/LowPassCascade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// The recursion in its plainest form: one stage after the other over the whole
// signal, products and sums in long double, oldest terms first.
std::vector<float> PlainCascade(const TLowPassCoefficients& C, std::vector<float> X)
{
    for (int Stage = 0; Stage < TLowPassCascade::Stages; ++Stage) {
        std::vector<float> Y(X.size());
        const auto At = [](const std::vector<float>& V, int64_t I) { return I < 0 ? 0.0f : V[size_t(I)]; };
        for (int64_t N = 0; N < int64_t(X.size()); ++N) {
            long double Sum = 0;
            for (int J = 0; J <= 4; ++J)
                Sum += static_cast<long double>(C.A[J]) * At(X, N - 4 + J);
            for (int J = 0; J < 4; ++J)
                Sum += static_cast<long double>(C.B[J]) * At(Y, N - 4 + J);
            Y[size_t(N)] = static_cast<float>(Sum);
        }
        X = std::move(Y);
    }
    return X;
}

// Runs Signal through a one-channel cascade in blocks of BlockSize.
std::vector<float> Filter(const TLowPassCoefficients& C, const std::vector<float>& Signal, size_t BlockSize = 4096)
{
    TLowPassCascade Cascade;
    Cascade.Start(C, 1, static_cast<uint32_t>(BlockSize));
    std::vector<float> Out;
    for (size_t Start = 0; Start < Signal.size(); Start += BlockSize) {
        const size_t Count = std::min(BlockSize, Signal.size() - Start);
        std::copy_n(Signal.begin() + std::ptrdiff_t(Start), Count, Cascade.NewInputs(0));
        Cascade.Run(static_cast<uint32_t>(Count));
        Out.insert(Out.end(), Cascade.Outputs(0), Cascade.Outputs(0) + Count);
    }
    return Out;
}

double MeasuredGain(const TLowPassCoefficients& C, double Frequency)
{
    std::vector<float> Tone(40000);
    for (size_t I = 0; I < Tone.size(); ++I)
        Tone[I] = static_cast<float>(0.5 * std::sin(2 * M_PI * Frequency * double(I)));
    return ToneAmplitude(Filter(C, Tone), Frequency, 20000) / 0.5;
}

} // namespace

TEST(LowPassCascade, BlocksOfAnySizeGiveThePlainRecursionsBits)
{
    const TLowPassCoefficients C = DesignChebyshevLowPass(0.85 / 12);
    std::vector<std::vector<float>> Channels(2, std::vector<float>(20000));
    uint32_t Seed = 1;
    for (auto& Signal : Channels)
        for (float& V : Signal) {
            Seed = Seed * 1664525u + 1013904223u;
            V = static_cast<float>(int32_t(Seed) >> 8) * 0x1p-23f;
        }
    // Half of the channels go to a second thread when it is asked for.
    for (const bool SecondThread : {false, true}) {
        TLowPassCascade Cascade;
        Cascade.Start(C, 2, 5000, SecondThread);
        std::vector<std::vector<float>> Out(2);
        const std::vector<uint32_t> Blocks = {1, 3, 4, 5, 2, 5000, 997, 4410, 0, 2000};
        size_t Start = 0;
        for (size_t B = 0; Start < Channels[0].size(); ++B) {
            const auto Count =
                static_cast<uint32_t>(std::min<size_t>(Blocks[B % Blocks.size()], Channels[0].size() - Start));
            for (uint32_t Ch = 0; Ch < 2; ++Ch)
                std::copy_n(Channels[Ch].begin() + std::ptrdiff_t(Start), Count, Cascade.NewInputs(Ch));
            Cascade.Run(Count);
            for (uint32_t Ch = 0; Ch < 2; ++Ch)
                Out[Ch].insert(Out[Ch].end(), Cascade.Outputs(Ch), Cascade.Outputs(Ch) + Count);
            Start += Count;
        }
        for (uint32_t Ch = 0; Ch < 2; ++Ch)
            EXPECT_TRUE(Out[Ch] == PlainCascade(C, Channels[Ch])) << "channel " << Ch << ", second thread "
                                                                 << SecondThread;
    }
}

TEST(LowPassCascade, ResponseMeasuredOnTones)
{
    // Corners of halving and of going to a sixth of the rate.
    for (const double Corner : {0.85 * 0.5 / 2, 0.85 * (1.0 / 6) / 2}) {
        const TLowPassCoefficients C = DesignChebyshevLowPass(Corner);
        // Each stage ripples between 1 and 1 / 0.95 below the corner.
        double Highest = 0;
        for (int Tenth = 1; Tenth <= 9; ++Tenth) {
            const double Gain = MeasuredGain(C, Corner * Tenth / 10);
            Highest = std::max(Highest, Gain);
            EXPECT_TRUE(Gain > 0.999 && Gain < 1.2277 * 1.002) << Corner << " at " << Tenth << "/10: " << Gain;
        }
        EXPECT_GT(Highest, 1.21) << Corner;
        // At the corner each stage is 3 dB below its ripple peak.
        EXPECT_NEAR(MeasuredGain(C, Corner), std::pow(std::sqrt(0.5) / 0.95, 4), 0.005) << Corner;
        // At the lower rate's half the cascade is down more than 40 dB.
        EXPECT_LT(MeasuredGain(C, Corner / 0.85), 0.01) << Corner;
        // Unity gain at zero frequency, as far as coefficients kept as floats allow.
        const std::vector<float> Settled = Filter(C, std::vector<float>(20000, 0.75f));
        EXPECT_NEAR(Settled.back(), 0.75f, 0.75 * 1e-4) << Corner;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertTestUtil.h"

#include "audio/convert/LowPassCascade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// The recursion in its plainest form: one stage after the other over the whole
// signal, products and sums in Sum (long double unless said), oldest terms first.
template <typename Sum = long double>
std::vector<float> PlainCascade(const TLowPassCoefficients& C, std::vector<float> X)
{
    for (int Stage = 0; Stage < TLowPassCascade::Stages; ++Stage) {
        std::vector<float> Y(X.size());
        const auto At = [](const std::vector<float>& V, int64_t I) { return I < 0 ? 0.0f : V[size_t(I)]; };
        for (int64_t N = 0; N < int64_t(X.size()); ++N) {
            Sum Total = 0;
            for (int J = 0; J <= 4; ++J)
                Total += static_cast<Sum>(C.A[J]) * At(X, N - 4 + J);
            for (int J = 0; J < 4; ++J)
                Total += static_cast<Sum>(C.B[J]) * At(Y, N - 4 + J);
            Y[size_t(N)] = static_cast<float>(Total);
        }
        X = std::move(Y);
    }
    return X;
}

// The paths this processor can take.
std::vector<TFilterPath> Paths()
{
    std::vector<TFilterPath> Supported;
    for (const TFilterPath Path : {fpExtended, fpPortable, fpAvx2, fpAvx512})
        if (FilterPathSupported(Path))
            Supported.push_back(Path);
    return Supported;
}

// Runs every channel of Signals through one cascade on Path, in blocks whose
// sizes cycle through Blocks; the helper thread takes about
// half of the channels when SecondThread. Fallbacks receives the cascade's
// count if given.
std::vector<std::vector<float>> Filter(const TLowPassCoefficients& C, const std::vector<std::vector<float>>& Signals,
                                       const std::vector<uint32_t>& Blocks, TFilterPath Path = fpBest,
                                       bool SecondThread = false, uint64_t* Fallbacks = nullptr)
{
    const size_t Channels = Signals.size();
    std::vector<float> Frames(Signals[0].size() * Channels);
    for (size_t I = 0; I < Frames.size(); ++I)
        Frames[I] = Signals[I % Channels][I / Channels];
    std::vector<float> Filtered(Frames.size());
    TLowPassCascade Cascade;
    Cascade.Start(C, static_cast<uint32_t>(Channels), SecondThread, Path);
    for (size_t B = 0, Start = 0; Start < Signals[0].size(); ++B) {
        const auto Count = static_cast<uint32_t>(std::min<size_t>(Blocks[B % Blocks.size()], Signals[0].size() - Start));
        Cascade.Run(Frames.data() + Start * Channels, Filtered.data() + Start * Channels, Count);
        Start += Count;
    }
    if (Fallbacks != nullptr)
        *Fallbacks = Cascade.Fallbacks();
    std::vector<std::vector<float>> Out(Channels);
    for (size_t I = 0; I < Filtered.size(); ++I)
        Out[I % Channels].push_back(Filtered[I]);
    return Out;
}

std::vector<float> Filter(const TLowPassCoefficients& C, const std::vector<float>& Signal)
{
    return Filter(C, {Signal}, {4096})[0];
}

// Bit for bit, so that -0 and +0 differ; "" when alike, else where they part.
std::string Difference(const std::vector<float>& Got, const std::vector<float>& Expected)
{
    if (Got.size() != Expected.size())
        return "sizes " + std::to_string(Got.size()) + " and " + std::to_string(Expected.size());
    for (size_t I = 0; I < Got.size(); ++I)
        if (std::memcmp(&Got[I], &Expected[I], sizeof(float)) != 0) {
            std::ostringstream Text;
            Text << "at " << I << ": " << std::hexfloat << Got[I] << " instead of " << Expected[I];
            return Text.str();
        }
    return "";
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
    std::vector<std::vector<float>> Channels(5, std::vector<float>(20000));
    uint32_t Seed = 1;
    for (auto& Signal : Channels)
        for (float& V : Signal) {
            Seed = Seed * 1664525u + 1013904223u;
            V = static_cast<float>(int32_t(Seed) >> 8) * 0x1p-23f;
        }
    // Blocks shorter than the stages' wavefront too; about half of the channels
    // go to a second thread when it is asked for, in passes of two on the
    // vector paths and the last channel alone.
    const std::vector<uint32_t> Blocks = {1, 3, 4, 5, 2, 5000, 997, 4410, 0, 2000};
    for (const TFilterPath Path : Paths())
        for (const bool SecondThread : {false, true}) {
            const std::vector<std::vector<float>> Out = Filter(C, Channels, Blocks, Path, SecondThread);
            for (uint32_t Ch = 0; Ch < Channels.size(); ++Ch)
                EXPECT_EQ(Difference(Out[Ch], PlainCascade(C, Channels[Ch])), "")
                    << "channel " << Ch << ", path " << Path << ", second thread " << SecondThread;
        }
}

TEST(LowPassCascade, ASumThatDoubleRoundingGetsWrongComesOutAsTheExtendedSumRoundsIt)
{
    // 3 + 2^-23 + d + d - 3 x 2^-53, d = 2^-52 - 2^-60, lies 2^-53 - 2^-59 above
    // the midpoint between the floats 3 and 3 + 2^-22. In double each d is lost,
    // the sum ends below the midpoint, 2^-51 from it: nearer than the
    // midpoint's own half gap, 2^-23, so only a bound on the error tells it apart.
    const float D = 0x1p-58f * (1 - 0x1p-8f);
    const TLowPassCoefficients C = {{1.0f, 0x1p-29f, D, D, -3 * 0x1p-59f}, {0, 0, 0, 0}};
    std::vector<float> Signal(64, 0.0f);
    Signal[10] = 3.0f;
    std::fill(Signal.begin() + 11, Signal.begin() + 15, 64.0f);
    const std::vector<float> Expected = PlainCascade(C, Signal);
    double Double = 0;
    long double Extended = 0;
    for (int K = 0; K <= 4; ++K) {
        Double += static_cast<double>(C.A[K]) * Signal[size_t(10 + K)];
        Extended += static_cast<long double>(C.A[K]) * Signal[size_t(10 + K)];
    }
    ASSERT_EQ(static_cast<float>(Double), 3.0f);
    ASSERT_EQ(static_cast<float>(Extended), 3.0f + 0x1p-22f);
    ASSERT_NE(Difference(PlainCascade<double>(C, Signal), Expected), "");
    for (const TFilterPath Path : Paths()) {
        uint64_t Fallbacks = 0;
        EXPECT_EQ(Difference(Filter(C, {Signal, Signal}, {64}, Path, false, &Fallbacks)[1], Expected), "")
            << "path " << Path;
        if (Path != fpExtended) {
            EXPECT_GT(Fallbacks, 0u) << "path " << Path;
        }
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

namespace {

// Most of a second of one channel at InRate, as Bits-bit samples turned to
// floats: a full-scale square wave from the most negative code to the most
// positive (its overshoot goes past full scale), DC, silence long enough to
// decay through the subnormal floats to zero, a sine sweep up to half the rate
// and seeded noise, in an order and with periods that differ by Channel.
std::vector<float> BoundarySignal(int InRate, int Bits, int Channel)
{
    const double Full = std::ldexp(1.0, Bits - 1);
    const auto Quantised = [&](double V) {
        const double Code = std::clamp(std::round(V * Full), -Full, Full - 1);
        return static_cast<float>(Code / Full);
    };
    const auto Frames = [&](double Seconds) { return static_cast<size_t>(Seconds * InRate); };
    uint32_t Seed = 1234u + static_cast<uint32_t>(Channel);
    const std::vector<std::function<void(std::vector<float>&)>> Parts = {
        [&](std::vector<float>& Out) {
            const size_t Half = 7 + 5 * static_cast<size_t>(Channel);
            for (size_t I = 0; I < Frames(0.15); ++I)
                Out.push_back(I / Half % 2 == 0 ? 1.0f : -1.0f);
        },
        [&](std::vector<float>& Out) { Out.insert(Out.end(), Frames(0.1), Quantised(0.7 - 0.2 * Channel)); },
        [&](std::vector<float>& Out) { Out.insert(Out.end(), Frames(0.08), 0.0f); },
        [&](std::vector<float>& Out) {
            const size_t Count = Frames(0.25);
            for (size_t I = 0; I < Count; ++I)
                Out.push_back(Quantised(0.9 * std::sin(M_PI / 2 * double(I) * double(I) / double(Count))));
        },
        [&](std::vector<float>& Out) {
            for (size_t I = 0; I < Frames(0.2); ++I) {
                Seed = Seed * 1664525u + 1013904223u;
                Out.push_back(Quantised(static_cast<int32_t>(Seed) * 0x1p-31));
            }
        },
    };
    std::vector<float> Signal;
    for (size_t Part = 0; Part < Parts.size(); ++Part)
        Parts[(Part + static_cast<size_t>(Channel)) % Parts.size()](Signal);
    return Signal;
}

} // namespace

// Every vector path against the x87 path, float for float, at every rate pair
// the Option dialog leads to from the usual input rates, with the resampler's
// cutoff and block size, from 1 to 8 channels, at every sample depth.
class FilterPaths : public ::testing::TestWithParam<int> {};

TEST_P(FilterPaths, GiveTheX87PathsFloatsAtEveryDialogRate)
{
    const int InRate = GetParam();
    const std::vector<int> InRates = {11025, 22050, 44100, 48000};
    int Case = static_cast<int>(std::find(InRates.begin(), InRates.end(), InRate) - InRates.begin()) * 7;
    uint64_t Fallbacks = 0;
    uint64_t StageOutputs = 0;
    size_t Subnormal = 0;
    for (const int OutRate : {8000, 11025, 16000, 22050, 32000, 44100, 48000}) {
        ++Case;
        const int InBlock = InRate / 5;
        const int OutBlock = OutRate / 5;
        if (InBlock == OutBlock)
            continue;
        const int Channels = 1 + Case % 8;
        const int Bits = std::vector<int>{16, 24, 8, 32}[size_t(Case) % 4];
        // The filter runs at the higher rate; going up, each input sample is
        // repeated until the next one is due.
        std::vector<std::vector<float>> Signals;
        for (int Channel = 0; Channel < Channels; ++Channel) {
            const std::vector<float> In = BoundarySignal(InRate, Bits, Channel);
            std::vector<float> Signal;
            for (size_t I = 0; InBlock > OutBlock ? I < In.size() : I * InBlock / OutBlock < In.size(); ++I)
                Signal.push_back(In[InBlock > OutBlock ? I : I * InBlock / OutBlock]);
            Signals.push_back(std::move(Signal));
        }
        const TLowPassCoefficients C =
            DesignChebyshevLowPass(0.85 * std::min(InBlock, OutBlock) / std::max(InBlock, OutBlock) / 2);
        // The x87 path in whole blocks at the higher rate; the others in those
        // and in an odd split.
        const std::vector<uint32_t> Whole = {uint32_t(std::max(InBlock, OutBlock))};
        const std::vector<std::vector<float>> Expected = Filter(C, Signals, Whole, fpExtended);
        for (const std::vector<float>& Out : Expected)
            Subnormal += size_t(std::count_if(Out.begin(), Out.end(), [](float V) {
                return std::fpclassify(V) == FP_SUBNORMAL;
            }));
        for (const std::vector<uint32_t>& Blocks : {Whole, std::vector<uint32_t>{2, 1001, 7}}) {
            for (const TFilterPath Path : Paths()) {
                if (Path == fpExtended)
                    continue;
                uint64_t Count = 0;
                const std::vector<std::vector<float>> Got = Filter(C, Signals, Blocks, Path, false, &Count);
                Fallbacks += Count;
                StageOutputs += uint64_t{Signals[0].size()} * Signals.size() * TLowPassCascade::Stages;
                for (int Channel = 0; Channel < Channels; ++Channel)
                    ASSERT_EQ(Difference(Got[size_t(Channel)], Expected[size_t(Channel)]), "")
                        << InRate << " -> " << OutRate << " Hz, " << Bits << " bits, channel " << Channel << " of "
                        << Channels << ", path " << Path << ", blocks of " << Blocks[0];
            }
        }
    }
    // The silences reached the subnormal floats.
    EXPECT_GT(Subnormal, 0u);
    RecordProperty("Fallbacks", std::to_string(Fallbacks));
    RecordProperty("StageOutputs", std::to_string(StageOutputs));
}

INSTANTIATE_TEST_SUITE_P(InputRates, FilterPaths, ::testing::Values(11025, 22050, 44100, 48000));

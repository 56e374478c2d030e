// SPDX-License-Identifier: GPL-3.0-or-later
#include "LowPassCascade.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace au {

namespace {

constexpr int Poles = 4;
constexpr long double RipplePercent = 5;
constexpr long double Pi = 3.14159265359L;

struct TSection {
    long double A0, A1, A2, B1, B2;
};

// One pole pair: its place on the unit circle, warped onto the Chebyshev
// ellipse, taken to the z-plane and moved to the cutoff.
TSection DesignSection(int Pair, long double Cutoff)
{
    const long double Angle = Pi / (2 * Poles) + (Pair - 1) * Pi / Poles;
    long double RP = -std::cos(Angle);
    long double IP = std::sin(Angle);

    const long double Ratio = 100 / (100 - RipplePercent);
    const long double ES = std::sqrt(Ratio * Ratio - 1);
    const long double VX = std::log(1 / ES + std::sqrt(1 / (ES * ES) + 1)) / Poles;
    long double KX = std::log(1 / ES + std::sqrt(1 / (ES * ES) - 1)) / Poles;
    KX = std::cosh(KX);
    RP = RP * std::sinh(VX) / KX;
    IP = IP * std::cosh(VX) / KX;

    const long double T = 2 * std::tan(0.5L);
    const long double M = RP * RP + IP * IP;
    long double D = 4 - 4 * RP * T + M * T * T;
    const long double X0 = T * T / D;
    const long double X1 = 2 * T * T / D;
    const long double X2 = T * T / D;
    const long double Y1 = (8 - 2 * M * T * T) / D;
    const long double Y2 = (-4 - 4 * RP * T - M * T * T) / D;

    const long double W = 2 * Pi * Cutoff;
    const long double K = std::sin(0.5L - W / 2) / std::sin(0.5L + W / 2);
    D = 1 + Y1 * K - Y2 * K * K;
    TSection S;
    S.A0 = (X0 - X1 * K + X2 * K * K) / D;
    S.A1 = (-2 * X0 * K + X1 + X1 * K * K - 2 * X2 * K) / D;
    S.A2 = (X0 * K * K - X1 * K + X2) / D;
    S.B1 = (2 * K + Y1 + Y1 * K * K - 2 * Y2 * K) / D;
    S.B2 = (-K * K - Y1 * K + Y2) / D;
    return S;
}

} // namespace

TLowPassCoefficients DesignChebyshevLowPass(double Cutoff)
{
    // Polynomials in z^-1, index = power; the sections multiply into them.
    long double A[Poles + 1] = {1};
    long double B[Poles + 1] = {1};
    for (int Pair = 1; Pair <= Poles / 2; ++Pair) {
        const TSection S = DesignSection(Pair, Cutoff);
        long double NewA[Poles + 1] = {};
        long double NewB[Poles + 1] = {};
        for (int I = 0; I <= Poles; ++I) {
            const long double A1 = I >= 1 ? A[I - 1] : 0;
            const long double A2 = I >= 2 ? A[I - 2] : 0;
            const long double B1 = I >= 1 ? B[I - 1] : 0;
            const long double B2 = I >= 2 ? B[I - 2] : 0;
            NewA[I] = S.A0 * A[I] + S.A1 * A1 + S.A2 * A2;
            NewB[I] = B[I] - S.B1 * B1 - S.B2 * B2;
        }
        std::memcpy(A, NewA, sizeof A);
        std::memcpy(B, NewB, sizeof B);
    }

    // Feedback coefficients enter the recursion with the sign turned.
    long double SumA = 0;
    long double SumB = 0;
    for (int I = 0; I <= Poles; ++I)
        SumA += A[I];
    for (int I = 1; I <= Poles; ++I)
        SumB += -B[I];
    const long double Gain = SumA / (1 - SumB);

    TLowPassCoefficients C;
    for (int I = 0; I <= Poles; ++I)
        C.A[Poles - I] = static_cast<float>(A[I] / Gain);
    for (int I = 1; I <= Poles; ++I)
        C.B[Poles - I] = static_cast<float>(-B[I]);
    return C;
}

void TLowPassCascade::Start(const TLowPassCoefficients& Coefficients, uint32_t Channels, bool SecondThread,
                            TFilterPath Path)
{
    FCoefficients = Coefficients;
    FPath = Path;
    FChannels = Channels;
    FHistories.assign(size_t{Channels} * Stages, TStageHistory{});
    FFallbacks = 0;
    FHelper.reset();
    // A vector path filters the channels of a pass in the time of one, so the
    // helper takes whole passes: it has work only from three channels on.
    const uint32_t Unit = Path == fpExtended ? 1 : ChannelsPerPass;
    FHelperChannels = (Channels + Unit - 1) / Unit / 2 * Unit;
    if (SecondThread && FHelperChannels > 0)
        FHelper = std::make_unique<TJobThread>([this] { RunChannels(0, FHelperChannels); });
}

void TLowPassCascade::Release()
{
    FHelper.reset();
    FHistories = {};
    FChannels = 0;
}

void TLowPassCascade::Run(const float* In, float* Out, uint32_t Count)
{
    FIn = In;
    FOut = Out;
    FCount = Count;
    if (!FHelper) {
        RunChannels(0, FChannels);
        return;
    }
    // The channels never meet, so each share runs the very same operations on
    // either thread.
    FHelper->Begin();
    RunChannels(FHelperChannels, FChannels);
    if (FHelper->Withdraw())
        RunChannels(0, FHelperChannels);
}

void TLowPassCascade::RunChannels(uint32_t First, uint32_t End)
{
    const size_t Stride = FChannels;
    if (FPath == fpExtended) {
        for (uint32_t Channel = First; Channel < End; ++Channel)
            RunStagesExtended(FCoefficients, FHistories.data() + size_t{Channel} * Stages, FIn + Channel,
                              FOut + Channel, Stride, FCount);
        return;
    }
    uint64_t Fallbacks = 0;
    for (uint32_t Channel = First; Channel < End; Channel += ChannelsPerPass) {
        const uint32_t Pass = std::min(ChannelsPerPass, End - Channel);
        TStageHistory* Histories[ChannelsPerPass] = {};
        for (uint32_t C = 0; C < Pass; ++C)
            Histories[C] = FHistories.data() + size_t{Channel + C} * Stages;
        Fallbacks += RunStagesCertified(FPath, FCoefficients, Pass, FIn + Channel, FOut + Channel, Stride, Histories,
                                        FCount);
    }
    if (Fallbacks != 0)
        FFallbacks.fetch_add(Fallbacks, std::memory_order_relaxed);
}

} // namespace au

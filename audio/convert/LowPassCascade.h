// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StageKernels.h"
#include "audio/core/JobThread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace au {

// A Chebyshev type I low-pass with 4 poles and 5 % pass-band ripple, from pole
// pairs through the bilinear transform, scaled to unity gain at zero frequency.
// Cutoff is a fraction of the sampling rate (0 < Cutoff < 0.5).
TLowPassCoefficients DesignChebyshevLowPass(double Cutoff);

// Four identical stages in cascade for each channel, run block by block; the
// stages keep their last inputs and outputs from one block to the next, so a
// signal split into blocks is filtered as if it came in one piece. Each output
// is the float that the sum accumulated in extended precision rounds to.
//
// Worker thread only; Start allocates, Run does not. With a second thread, Run
// filters about half of the channels there and the rest on the calling thread;
// the results are the same bits either way, and on every path.
class TLowPassCascade {
public:
    static constexpr int Stages = StageCount;

    TLowPassCascade() = default;
    TLowPassCascade(const TLowPassCascade&) = delete;
    TLowPassCascade& operator=(const TLowPassCascade&) = delete;

    // Clears every history for Channels channels. SecondThread asks for a
    // helper thread, which only gets channels when there are more than one pass
    // of the path. Path must be one that FilterPathSupported.
    void Start(const TLowPassCoefficients& Coefficients, uint32_t Channels, bool SecondThread = false,
               TFilterPath Path = fpBest);
    // Frees the histories and ends the helper thread.
    void Release();

    // Filters the next Count frames of interleaved values, one per channel,
    // from In through the stages into Out, another buffer: a vector path that
    // met doubt runs the block again from its inputs.
    void Run(const float* In, float* Out, uint32_t Count);

    const TLowPassCoefficients& Coefficients() const { return FCoefficients; }
    // Outputs of single stages that a vector path handed to the x87 unit since
    // Start (stage outputs: four per output value).
    uint64_t Fallbacks() const { return FFallbacks.load(std::memory_order_relaxed); }

private:
    // Filters channels First to End - 1 of the block Run was given.
    void RunChannels(uint32_t First, uint32_t End);

    TLowPassCoefficients FCoefficients{};
    TFilterPath FPath = fpExtended;
    uint32_t FChannels = 0;
    // The block of the Run under way.
    const float* FIn = nullptr;
    float* FOut = nullptr;
    uint32_t FCount = 0;
    // Stages entries per channel.
    std::vector<TStageHistory> FHistories;
    std::atomic<uint64_t> FFallbacks{0};
    // Runs the first FHelperChannels channels (about half) while Run does the
    // rest (and those too when the helper has not begun by then); none when
    // that leaves it nothing or without a second thread.
    std::unique_ptr<TJobThread> FHelper;
    uint32_t FHelperChannels = 0;
};

} // namespace au

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

    // Clears every history; blocks of up to Capacity values per channel follow.
    // SecondThread asks for a helper thread, which only gets channels when
    // there are more than one pass of the path.
    // Path must be one that FilterPathSupported.
    void Start(const TLowPassCoefficients& Coefficients, uint32_t Channels, uint32_t Capacity,
               bool SecondThread = false, TFilterPath Path = fpBest);
    // Frees the lines and ends the helper thread.
    void Release();

    // Where the next block of one channel goes (room for Capacity values).
    float* NewInputs(uint32_t Channel);
    // Filters Count new inputs of every channel through the stages.
    void Run(uint32_t Count);
    // The last stage's outputs of the last Run, valid until the next one.
    const float* Outputs(uint32_t Channel);

    const TLowPassCoefficients& Coefficients() const { return FCoefficients; }
    // Outputs of single stages that a vector path handed to the x87 unit since
    // Start (stage outputs: four per output value).
    uint64_t Fallbacks() const { return FFallbacks.load(std::memory_order_relaxed); }

private:
    // A channel's inputs (Index 0) or outputs (Index 1).
    float* Line(uint32_t Channel, int Index);
    // Filters channels First to End - 1.
    void RunChannels(uint32_t First, uint32_t End, uint32_t Count);

    TLowPassCoefficients FCoefficients{};
    TFilterPath FPath = fpExtended;
    uint32_t FChannels = 0;
    uint32_t FCapacity = 0;
    // Capacity inputs, then Capacity outputs, of each channel in turn.
    std::vector<float> FLines;
    // Stages entries per channel.
    std::vector<TStageHistory> FHistories;
    std::atomic<uint64_t> FFallbacks{0};
    // Runs the first FHelperChannels channels (about half), FHelperCount values
    // each, while Run does the rest (and those too when the helper has not begun
    // by then); none when that leaves it nothing or without a second thread.
    std::unique_ptr<TJobThread> FHelper;
    uint32_t FHelperChannels = 0;
    uint32_t FHelperCount = 0;
};

} // namespace au

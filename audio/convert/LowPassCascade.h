// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/JobThread.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace au {

// Coefficients of one 4-pole recursive low-pass stage, each array with the
// coefficient of the oldest sample first: y[n] = A[0] x[n-4] + ... + A[4] x[n]
// + B[0] y[n-4] + ... + B[3] y[n-1].
struct TLowPassCoefficients {
    float A[5];
    float B[4];
};

// A Chebyshev type I low-pass with 4 poles and 5 % pass-band ripple, from pole
// pairs through the bilinear transform, scaled to unity gain at zero frequency.
// Cutoff is a fraction of the sampling rate (0 < Cutoff < 0.5).
TLowPassCoefficients DesignChebyshevLowPass(double Cutoff);

// Four identical stages in cascade for each channel, run block by block; the
// stages keep their last inputs and outputs from one block to the next, so a
// signal split into blocks is filtered as if it came in one piece. Sums are
// accumulated in extended precision and each output is stored as a float.
//
// Worker thread only; Start allocates, Run does not. With a second thread, Run
// filters half of the channels there and the rest on the calling thread; the
// results are the same bits either way.
class TLowPassCascade {
public:
    static constexpr int Stages = 4;

    TLowPassCascade() = default;
    TLowPassCascade(const TLowPassCascade&) = delete;
    TLowPassCascade& operator=(const TLowPassCascade&) = delete;

    // Clears every history; blocks of up to Capacity values per channel follow.
    // SecondThread asks for a helper thread, which only two or more channels get.
    void Start(const TLowPassCoefficients& Coefficients, uint32_t Channels, uint32_t Capacity,
               bool SecondThread = false);
    // Frees the lines and ends the helper thread.
    void Release();

    // Where the next block of one channel goes (room for Capacity values).
    float* NewInputs(uint32_t Channel);
    // Filters Count new inputs of every channel through the stages.
    void Run(uint32_t Count);
    // The last stage's outputs of the last Run, valid until the next one.
    const float* Outputs(uint32_t Channel);

    const TLowPassCoefficients& Coefficients() const { return FCoefficients; }

private:
    static constexpr uint32_t History = 4;

    // Stage s reads line s and writes line s + 1: an output line of one stage is
    // the input line of the next, with the same history.
    float* Line(uint32_t Channel, int Index);
    // Filters channels First to End - 1.
    void RunChannels(uint32_t First, uint32_t End, uint32_t Count);

    TLowPassCoefficients FCoefficients{};
    uint32_t FChannels = 0;
    uint32_t FLineLength = 0;
    std::vector<float> FLines;
    // Runs the first half of the channels, FHelperCount values each, while Run
    // does the rest (and the first half too when the helper has not begun by
    // then); none with one channel or without a second thread.
    std::unique_ptr<TJobThread> FHelper;
    uint32_t FHelperCount = 0;
};

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace au {

// Coefficients of one 4-pole recursive low-pass stage, each array with the
// coefficient of the oldest sample first: y[n] = A[0] x[n-4] + ... + A[4] x[n]
// + B[0] y[n-4] + ... + B[3] y[n-1].
struct TLowPassCoefficients {
    float A[5];
    float B[4];
};

// The last four inputs and outputs of one stage of one channel, oldest first.
struct TStageHistory {
    float X[4];
    float Y[4];
};

// Stages of one channel's cascade, and channels that a vector path filters side
// by side.
constexpr int StageCount = 4;
constexpr uint32_t ChannelsPerPass = 2;

// How a stage computes its sums. fpExtended accumulates every output in
// extended precision on the x87 unit; the vector paths sum in double with a
// bound on the error and give the very same floats, handing the rare output
// whose rounding the bound leaves in doubt to the x87 unit. fpBest is the
// widest vector path the processor has.
enum TFilterPath { fpBest, fpExtended, fpPortable, fpAvx2, fpAvx512 };

// Whether this processor can take Path (fpBest and fpExtended always).
bool FilterPathSupported(TFilterPath Path);

// All StageCount stages of one channel, with its histories at Histories, over
// Count values Stride floats apart, in extended precision. Any thread.
void RunStagesExtended(const TLowPassCoefficients& C, TStageHistory* Histories, const float* In, float* Out,
                       size_t Stride, uint32_t Count);

// All StageCount stages of Channels channels (1 to ChannelsPerPass) over Count
// frames Stride floats apart, channel c from In + c to Out + c (another buffer:
// a block that met doubt runs again from its inputs) with its histories at
// Histories[c] (StageCount of them), on a vector path other than fpExtended
// that the processor supports. Gives exactly what RunStagesExtended gives, and
// returns how many stage outputs were handed to the x87 unit. The thread must round to nearest with x87 sums
// in extended precision (the default); under any other setting the results
// are RunStagesExtended's all the same but every output goes through the x87
// unit. Any thread.
uint64_t RunStagesCertified(TFilterPath Path, const TLowPassCoefficients& C, uint32_t Channels, const float* In,
                            float* Out, size_t Stride, TStageHistory* const* Histories, uint32_t Count);

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wave/ImaAdpcm.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// Encoding throughput in input frames per second.
void BM_ImaEncodeStereo(benchmark::State& State)
{
    const uint16_t Block = 512;
    const int Frames = au::ImaSamplesPerBlock(Block, 2);
    std::vector<int16_t> Pcm(2 * Frames);
    for (int I = 0; I < 2 * Frames; ++I)
        Pcm[I] = static_cast<int16_t>(16000 * std::sin(I * 0.01));
    std::vector<uint8_t> Out(Block);
    au::TImaChannelState Channels[2];
    for (auto _ : State) {
        au::ImaEncodeBlock(Pcm.data(), 2, Block, Channels, Out.data());
        benchmark::DoNotOptimize(Out.data());
    }
    State.SetItemsProcessed(State.iterations() * Frames);
}
BENCHMARK(BM_ImaEncodeStereo);

} // namespace

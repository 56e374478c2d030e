// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding speed of the TrueAudio and Monkey's Audio inputs through their
// components, on real files, pulled as the WAV writer pulls them.
#include "audio/decoders/MACIn.h"
#include "audio/decoders/TTAIn.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const std::string Wild = KELVARO_FIXTURES_DIR "/wild/";

template <typename TInput> void Decode(benchmark::State& State, const std::string& File)
{
    TInput In;
    In.SetFileName(File);
    if (!In.Valid()) {
        State.SkipWithError(("cannot open " + File).c_str());
        return;
    }
    std::vector<uint8_t> Chunk(65536);
    int64_t Bytes = 0;
    for (auto _ : State) {
        In.Init();
        while (const uint32_t Got = In.CopyData(Chunk.data(), static_cast<uint32_t>(Chunk.size())))
            Bytes += Got;
        In.Flush();
    }
    State.SetBytesProcessed(Bytes);
}

void BM_TTADecode(benchmark::State& State) { Decode<au::TTTAIn>(State, Wild + "tagged.tta"); }
void BM_APEDecode(benchmark::State& State) { Decode<au::TMACIn>(State, Wild + "mac-399.ape"); }

} // namespace

BENCHMARK(BM_TTADecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_APEDecode)->Unit(benchmark::kMillisecond);

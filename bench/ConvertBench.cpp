// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/convert/AudioConverter.h"
#include "audio/convert/FastResampler.h"
#include "audio/convert/LowPassCascade.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int Seconds = 2;
constexpr uint32_t FrameBytes = 4;
constexpr uint32_t Pull = 65536;

// Two seconds of 44.1 kHz 16-bit stereo music-like signal, served from memory.
class TMemoryInput final : public au::TAuInput {
public:
    TMemoryInput() : FData(size_t{Rate} * Seconds * FrameBytes)
    {
        for (size_t I = 0; I < FData.size() / 2; ++I) {
            const auto S = static_cast<int16_t>(12000 * std::sin(I * 0.031) + 4000 * std::sin(I * 0.37));
            std::memcpy(FData.data() + 2 * I, &S, 2);
        }
    }
    ~TMemoryInput() override { Destroying(); }

    int GetBitsPerSample() override { return 16; }
    int GetChannels() override { return 2; }
    int GetSampleRate() override { return Rate; }
    int64_t Frames() const { return static_cast<int64_t>(FData.size() / FrameBytes); }

protected:
    void DoInit() override
    {
        FAt = 0;
        FSize = static_cast<int64_t>(FData.size());
        FBusy = true;
    }
    void DoFlush() override { FBusy = false; }
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override
    {
        Bytes = static_cast<uint32_t>(std::min<size_t>(Bytes, FData.size() - FAt));
        Buffer = FData.data() + FAt;
        FAt += Bytes;
    }

private:
    std::vector<uint8_t> FData;
    size_t FAt = 0;
};

void PullAll(benchmark::State& State, TMemoryInput& Source, au::TAuConverter& Converter)
{
    Converter.SetInput(&Source);
    for (auto _ : State) {
        Converter.Init();
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = Pull;
        do {
            Bytes = Pull;
            Converter.GetData(Buffer, Bytes);
            benchmark::DoNotOptimize(Buffer);
        } while (Bytes > 0);
        Converter.Flush();
    }
    // Input frames per second.
    State.SetItemsProcessed(State.iterations() * Source.Frames());
}

// Arguments: output rate, and whether the resampler has its helper threads.
// Real time is what counts with helpers: the processor time is the main thread's.
void BM_Resample(benchmark::State& State)
{
    TMemoryInput Source;
    au::TFastResampler Resampler;
    Resampler.SetOutSampleRate(static_cast<uint32_t>(State.range(0)));
    Resampler.SetHelperThreads(State.range(1) != 0);
    PullAll(State, Source, Resampler);
}
BENCHMARK(BM_Resample)
    ->ArgsProduct({{22050, 48000, 8000}, {0, 1}})
    ->ArgNames({"rate", "helpers"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Arguments: output bits and channels (0 keeps the input's).
void BM_Convert(benchmark::State& State)
{
    TMemoryInput Source;
    au::TAudioConverter Converter;
    Converter.SetOutBitsPerSample(static_cast<int>(State.range(0)));
    Converter.SetOutChannels(static_cast<int>(State.range(1)));
    PullAll(State, Source, Converter);
}
BENCHMARK(BM_Convert)->Args({24, 0})->Args({16, 1})->Args({8, 0})->Unit(benchmark::kMillisecond);

// The filter alone, on one block after another of 44.1 kHz 16-bit signal (the
// cutoff of going to 22050 Hz). Arguments: path (fpExtended, fpPortable,
// fpAvx2, fpAvx512), channels, and signal: 0 seeded noise; 1 the hard cases,
// in 16 blocks a full-scale square wave, DC, silence long enough to decay
// through the subnormal floats and noise. Counters: stage outputs handed to
// the x87 unit per million, and output values per second.
void BM_LowPassCascade(benchmark::State& State)
{
    const auto Path = static_cast<au::TFilterPath>(State.range(0));
    if (!au::FilterPathSupported(Path)) {
        State.SkipWithError("not supported here");
        return;
    }
    const auto Channels = static_cast<uint32_t>(State.range(1));
    constexpr uint32_t Block = Rate / 5;
    std::vector<float> Noise(size_t{Block} * 16 * Channels);
    uint32_t Seed = 1;
    for (size_t I = 0; I < Noise.size(); ++I) {
        Seed = Seed * 1664525u + 1013904223u;
        const float Random = static_cast<float>(static_cast<int16_t>(Seed >> 16)) * 0x1p-15f;
        const size_t Part = I / Channels / Block;
        if (State.range(2) == 0 || Part >= 12)
            Noise[I] = Random;
        else if (Part < 4)
            Noise[I] = I / Channels / 7 % 2 == 0 ? 1.0f : -1.0f;
        else
            Noise[I] = Part < 6 ? 0.5f : 0.0f;
    }
    au::TLowPassCascade Cascade;
    Cascade.Start(au::DesignChebyshevLowPass(0.85 * 0.5 / 2), Channels, false, Path);
    std::vector<float> Filtered(size_t{Block} * Channels);
    size_t At = 0;
    for (auto _ : State) {
        Cascade.Run(Noise.data() + At, Filtered.data(), Block);
        At = (At + Filtered.size()) % (Noise.size() - Filtered.size());
        benchmark::DoNotOptimize(Filtered.data());
    }
    const double Stage = static_cast<double>(State.iterations()) * Block * Channels * au::TLowPassCascade::Stages;
    State.counters["fallbacks_per_million"] = static_cast<double>(Cascade.Fallbacks()) / Stage * 1e6;
    State.SetItemsProcessed(State.iterations() * int64_t{Block} * Channels);
}
BENCHMARK(BM_LowPassCascade)
    ->ArgsProduct({{au::fpExtended, au::fpPortable, au::fpAvx2, au::fpAvx512}, {1, 2, 8}, {0, 1}})
    ->ArgNames({"path", "channels", "signal"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

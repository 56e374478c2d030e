// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackTestUtil.h"

#include "support/TestUtil.h"

#include <cmath>
#include <numbers>

namespace autest {

std::vector<int16_t> StereoTone(int Frames, double LeftHz, double RightHz, double Amplitude)
{
    constexpr double Phase = std::numbers::pi / 4;
    std::vector<int16_t> Samples;
    Samples.reserve(static_cast<size_t>(Frames) * 2);
    for (int I = 0; I < Frames; ++I) {
        const double T = static_cast<double>(I) / ToneRate;
        for (double Hz : {LeftHz, RightHz})
            Samples.push_back(static_cast<int16_t>(
                std::lround(Amplitude * std::sin(2 * std::numbers::pi * Hz * T + Phase))));
    }
    return Samples;
}

std::vector<uint8_t> LittleEndianBytes(const std::vector<int16_t>& Samples)
{
    std::vector<uint8_t> Bytes;
    Bytes.reserve(Samples.size() * 2);
    for (int16_t Sample : Samples) {
        const auto Bits = static_cast<uint16_t>(Sample);
        Bytes.push_back(static_cast<uint8_t>(Bits & 0xFF));
        Bytes.push_back(static_cast<uint8_t>(Bits >> 8));
    }
    return Bytes;
}

std::unique_ptr<TSyntheticInput> BytesInput(std::vector<uint8_t> Bytes, int SampleRate, int Bits, int Channels)
{
    auto Shared = std::make_shared<const std::vector<uint8_t>>(std::move(Bytes));
    auto Input = std::make_unique<TSyntheticInput>(SampleRate, Bits, Channels, static_cast<int64_t>(Shared->size()));
    Input->Generator = [Shared](int64_t Index) { return (*Shared)[static_cast<size_t>(Index)]; };
    return Input;
}

TOutputEvents::TOutputEvents(au::TDXAudioOut& Output) : Out(Output)
{
    Out.SetOnDone([this](au::TAuComponent*) { ++Done; });
    Out.SetOnThreadException([this](au::TAuComponent*) { ++ThreadExceptions; });
    Out.SetOnUnderrun([this](au::TAuComponent*) { ++Underruns; });
}

bool TOutputEvents::RunToDone(std::chrono::milliseconds Timeout)
{
    Out.Run();
    return WaitDone(Timeout);
}

bool TOutputEvents::WaitDone(std::chrono::milliseconds Timeout)
{
    return PumpUntil([this] { return Done > 0; }, Timeout);
}

namespace {

bool SilentFrame(const std::vector<int16_t>& Samples, size_t Frame, int Channels)
{
    for (int C = 0; C < Channels; ++C)
        if (Samples[Frame * Channels + C] != 0)
            return false;
    return true;
}

} // namespace

std::vector<int16_t> SoundOf(const std::vector<int16_t>& Recording, int Channels)
{
    const size_t Frames = Recording.size() / Channels;
    size_t First = 0;
    while (First < Frames && SilentFrame(Recording, First, Channels))
        ++First;
    size_t End = Frames;
    while (End > First && SilentFrame(Recording, End - 1, Channels))
        --End;
    return std::vector<int16_t>(Recording.begin() + First * Channels, Recording.begin() + End * Channels);
}

size_t TrailingSilence(const std::vector<int16_t>& Recording, int Channels)
{
    size_t Frames = Recording.size() / Channels;
    size_t Count = 0;
    while (Count < Frames && SilentFrame(Recording, Frames - 1 - Count, Channels))
        ++Count;
    return Count;
}

double Rms(const std::vector<int16_t>& Samples, int Channel, int Channels)
{
    double Sum = 0;
    size_t Count = 0;
    for (size_t I = Channel; I < Samples.size(); I += Channels, ++Count)
        Sum += static_cast<double>(Samples[I]) * Samples[I];
    return Count ? std::sqrt(Sum / Count) : 0;
}

double Frequency(const std::vector<int16_t>& Samples, int Channel, int SampleRate, int Channels)
{
    size_t Crossings = 0;
    const size_t Frames = Samples.size() / Channels;
    for (size_t F = 1; F < Frames; ++F)
        if ((Samples[(F - 1) * Channels + Channel] < 0) != (Samples[F * Channels + Channel] < 0))
            ++Crossings;
    return Frames ? Crossings / 2.0 * SampleRate / static_cast<double>(Frames) : 0;
}

} // namespace autest

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/playback/DXAudioOut.h"
#include "support/TestInputs.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace autest {

constexpr int ToneRate = 44100;
constexpr double ToneAmplitude = 16384; // half of full scale

// Interleaved 16-bit stereo: a sine of LeftHz on the left, RightHz on the right.
// The phase starts off zero, so that the first frame is not silent.
std::vector<int16_t> StereoTone(int Frames, double LeftHz, double RightHz,
                                double Amplitude = ToneAmplitude);
std::vector<uint8_t> LittleEndianBytes(const std::vector<int16_t>& Samples);

// A source that delivers exactly Bytes.
std::unique_ptr<TSyntheticInput> BytesInput(std::vector<uint8_t> Bytes, int SampleRate, int Bits,
                                            int Channels);

// Counts the notifications of one output.
struct TOutputEvents {
    explicit TOutputEvents(au::TDXAudioOut& Output);
    // Runs the output and services the UI thread until OnDone (false on time-out).
    bool RunToDone(std::chrono::milliseconds Timeout = std::chrono::milliseconds(15000));
    bool WaitDone(std::chrono::milliseconds Timeout = std::chrono::milliseconds(15000));

    au::TDXAudioOut& Out;
    std::atomic<int> Done{0};
    std::atomic<int> ThreadExceptions{0};
    std::atomic<int> Underruns{0};
};

// The frames between the first and the last that are not silent.
std::vector<int16_t> SoundOf(const std::vector<int16_t>& Recording, int Channels = 2);
// Silent frames at the end of the recording.
size_t TrailingSilence(const std::vector<int16_t>& Recording, int Channels = 2);
// Root mean square of one channel.
double Rms(const std::vector<int16_t>& Samples, int Channel, int Channels = 2);
// Frequency of one channel, from its zero crossings.
double Frequency(const std::vector<int16_t>& Samples, int Channel, int SampleRate, int Channels = 2);

} // namespace autest

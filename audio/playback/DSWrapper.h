// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sound-card calls of the output, over the sound server's asynchronous client
// API: one connection with its own event thread, and one playback stream that
// plays what is written to it. Every call returns a result code, 0 for success;
// failures of the server connection give the client library's error number.
//
// Threads: a device is used by the output's worker thread, and by the UI thread
// (stop and restart) only while that worker is parked. Every call takes the
// connection's own lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace au {

struct TPulseBinding;

using TDSWResult = uint32_t;

// The volume control of the stream is missing.
constexpr TDSWResult DSWErrControlUnavailable = 0x8878001E;
constexpr size_t DSWMaxDevices = 16;
constexpr size_t DSWMaxDescription = 127;

// One entry of the device table. Name is the sink's name; empty for the default
// sink, which is always the first entry.
struct TDSWDeviceInfo {
    std::string Name;
    std::string Description; // at most DSWMaxDescription characters
};

// The 40-byte extensible wave format record, field for field.
struct TWaveFormatExtensible {
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    uint16_t ExtraSize = 0;
    uint16_t ValidBitsPerSample = 0;
    uint32_t ChannelMask = 0;
    std::array<uint8_t, 16> SubFormat{};
};
static_assert(sizeof(TWaveFormatExtensible) == 40);

constexpr uint16_t WaveFormatPCM = 1;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;

// Plain PCM for one or two channels that are not 24-bit; extensible otherwise,
// with the speaker mask of 2, 6 and 8 channels (0 for any other count).
TWaveFormatExtensible MakeWaveFormat(int Channels, uint32_t SampleRate, int BitsPerSample);

// The state of one open output.
struct TDSWDevice {
    TDSWDevice() = default;
    TDSWDevice(const TDSWDevice&) = delete;
    TDSWDevice& operator=(const TDSWDevice&) = delete;

    const TPulseBinding* Pulse = nullptr;
    pa_threaded_mainloop* Mainloop = nullptr;
    pa_context* Context = nullptr;
    pa_stream* Stream = nullptr;
    std::string SinkName; // empty: the server's default sink
    uint32_t BufferSize = 0; // bytes
    uint32_t FrameSize = 0;  // bytes
    uint32_t BytesPerSecond = 0;
    uint8_t Channels = 0;
    uint64_t Written = 0;  // bytes written to the stream in all
    uint64_t AudioEnd = 0; // Written after the last audio (not silence) write
    std::atomic<uint32_t> Underruns{0};
    std::atomic<bool> Playing{false};
};

// Fills Table with the default sink, then every sink by name, at most
// DSWMaxDevices entries; empty when the library or the server is missing.
TDSWResult DSWEnumerateDevices(std::vector<TDSWDeviceInfo>& Table);
// Connects to the server; the stream goes to the sink named DeviceName.
TDSWResult DSWCreateDevice(TDSWDevice& Device, const std::string& DeviceName);
// Opens the stream, corked and empty, holding up to BufferBytes.
TDSWResult DSWInitOutput(TDSWDevice& Device, const TWaveFormatExtensible& Format,
                         uint32_t BufferBytes);
TDSWResult DSWStartOutput(TDSWDevice& Device);
TDSWResult DSWStopOutput(TDSWDevice& Device);
TDSWResult DSWRestartOutput(TDSWDevice& Device);
// What the stream takes now, at most the buffer size; 0 when the stream failed.
TDSWResult DSWGetFreeSpace(TDSWDevice& Device, uint32_t& Bytes);
TDSWResult DSWWrite(TDSWDevice& Device, const uint8_t* Data, uint32_t Bytes);
// Writes the free space full of Byte.
TDSWResult DSWFillSilence(TDSWDevice& Device, uint8_t Byte);
// Value in hundredths of a decibel of attenuation, 0 for full volume.
TDSWResult DSWSetVolume(TDSWDevice& Device, int Value);
// Whether audio written with DSWWrite has not been heard yet.
bool DSWAudioPending(TDSWDevice& Device);
// Closes the stream and the connection; the record is as new afterwards.
void DSWRelease(TDSWDevice& Device);
// The client library's words for a result code ("Connection refused").
std::string DSWErrorText(TDSWResult Result);

} // namespace au

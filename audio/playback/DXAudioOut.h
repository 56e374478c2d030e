// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DSWrapper.h"

#include "audio/core/AuOutput.h"
#include "audio/core/LockedValue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace au {

using TUnderrunEvent = std::function<void(TAuComponent* Sender)>;

// Plays the chain's PCM on a sound card, in the input's own format. The worker
// keeps a buffer of FramesInBuffer frames ahead of the card, polling it every
// PollingInterval milliseconds (reading ahead from the input meanwhile), and
// after the input ends lets the buffer play out before OnDone.
//
// Failures end the run with these messages: "Invalid device number",
// "Failed to create DirectSound device", "Failed to create DirectSound buffer"
// followed by a result code in 8 hexadecimal digits, "Control not available",
// and "Audio output error" when the card takes nothing for 16 polls in a row.
// Every public method is for the UI thread.
class TDXAudioOut final : public TAuOutput {
public:
    // Reads the device table from the sound server (empty without one).
    TDXAudioOut();
    ~TDXAudioOut() override;

    // Index into the device table, checked when a run starts.
    int DeviceNumber() const { return FDeviceNumber; }
    void SetDeviceNumber(int Value) { FDeviceNumber = Value; }
    // Ignored while the output is busy.
    uint32_t FramesInBuffer() const { return FFramesInBuffer; }
    void SetFramesInBuffer(uint32_t Value);
    // Milliseconds; only the low 16 bits count.
    uint32_t PollingInterval() const { return FPollingInterval; }
    void SetPollingInterval(uint32_t Value) { FPollingInterval = Value; }
    bool PrefetchData() const { return FPrefetchData; }
    void SetPrefetchData(bool Value) { FPrefetchData = Value; }
    // Hundredths of a decibel of attenuation, 0 for full volume; applied when
    // playback starts (at 0 the stream keeps the volume the server gives it).
    int Volume() const { return FVolume; }
    void SetVolume(int Value) { FVolume = Value; }

    // Delivered on the UI thread when the card ran out of data; playback goes on.
    void SetOnUnderrun(TUnderrunEvent Handler) { FOnUnderrun.Set(std::move(Handler)); }
    TUnderrunEvent OnUnderrun() const { return FOnUnderrun.Get(); }
    // Underruns the card reported in this run, as of the last one noticed.
    uint32_t Underruns() const { return FUnderruns; }

    // Reads the device table again (a sound server may have started since);
    // ignored while the output is busy.
    void ReadDevices();
    // Why the device table is empty, in words ("the sound server cannot be
    // reached (Connection refused)"); empty when it has devices.
    std::string NoDeviceReason() const;
    int DeviceCount() const { return static_cast<int>(FDevices.size()); }
    const TDSWDeviceInfo& Device(int Index) const { return FDevices.at(static_cast<size_t>(Index)); }

    // How long the buffer is left to play after the input ended: its duration
    // rounded to whole seconds (halves to even), in milliseconds.
    static uint32_t DrainTime(uint32_t BufferBytes, uint32_t BytesPerSecond);

protected:
    void Prepare() override;
    bool ProcessChunk(bool Abort) override;
    void Finish() override;
    // Stop and restart the card while the worker is parked.
    void Pausing() override;
    void Resuming() override;

private:
    void StartPlaying();
    void WaitPollingInterval();
    uint32_t PollFreeSpace();
    bool DrainStep();
    void ReportUnderrun();

    std::atomic<int> FDeviceNumber{0};
    std::atomic<uint32_t> FFramesInBuffer{24576};
    std::atomic<uint32_t> FPollingInterval{100};
    std::atomic<bool> FPrefetchData{true};
    std::atomic<int> FVolume{0};
    std::atomic<uint32_t> FUnderruns{0};
    std::vector<TDSWDeviceInfo> FDevices;
    TDSWResult FDevicesResult = 0;

    TLockedValue<TUnderrunEvent> FOnUnderrun;

    // Worker state of one run; the UI thread touches the device only while the
    // worker is parked.
    std::unique_ptr<TDSWDevice> FDevice;
    std::vector<uint8_t> FStaging;
    uint32_t FBufferBytes = 0;
    uint32_t FFrameBytes = 0;
    uint32_t FSampleRate = 0;
    uint8_t FSilence = 0;
    bool FFirstChunk = false;
    bool FReleased = true;
    uint32_t FLastUnderruns = 0;
    uint64_t FDrained = 0; // ms of the drain so far
    std::atomic<bool> FInputEnded{false};
};

} // namespace au

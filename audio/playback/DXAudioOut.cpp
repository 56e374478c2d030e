// SPDX-License-Identifier: GPL-3.0-or-later
#include "DXAudioOut.h"

#include "audio/core/AuException.h"
#include "audio/core/AuInput.h"
#include "audio/core/EventHandler.h"
#include "audio/core/Rounding.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace au {
namespace {

constexpr int MaxPollsWithoutSpace = 16;
constexpr uint32_t DrainStepMs = 100;
// However long the server takes, the drain gives up this long after the buffer
// should have played out.
constexpr uint32_t DrainGraceMs = 1000;

std::string HexCode(TDSWResult Code)
{
    char Text[9];
    std::snprintf(Text, sizeof Text, "%08X", static_cast<unsigned>(Code));
    return Text;
}

} // namespace

TDXAudioOut::TDXAudioOut()
{
    ReadDevices();
}

void TDXAudioOut::ReadDevices()
{
    if (!Busy())
        FDevicesResult = DSWEnumerateDevices(FDevices);
}

std::string TDXAudioOut::NoDeviceReason() const
{
    if (!FDevices.empty())
        return std::string();
    if (FDevicesResult == 0)
        return "the sound server has no output device";
    return "the sound server cannot be reached (" + DSWErrorText(FDevicesResult) + ")";
}

TDXAudioOut::~TDXAudioOut()
{
    Destroying();
}

void TDXAudioOut::SetFramesInBuffer(uint32_t Value)
{
    if (!Busy())
        FFramesInBuffer = Value;
}

uint32_t TDXAudioOut::DrainTime(uint32_t BufferBytes, uint32_t BytesPerSecond)
{
    if (BytesPerSecond == 0)
        return 0;
    const long double Seconds = static_cast<long double>(BufferBytes) / BytesPerSecond;
    return static_cast<uint32_t>(RoundToEven(Seconds) * 1000);
}

// A stream that has not started yet has nothing to stop; once the input has
// ended, the rest of the buffer plays while the worker is parked.
void TDXAudioOut::Pausing()
{
    if (!FFirstChunk && !FInputEnded)
        DSWStopOutput(*FDevice);
}

void TDXAudioOut::Resuming()
{
    if (!FFirstChunk && !FInputEnded)
        DSWRestartOutput(*FDevice);
}

void TDXAudioOut::Prepare()
{
    FReleased = false;
    // Only a stop asked for during this run may cut its drain short; one asked
    // for while the output was idle is still flagged.
    FStopped = false;
    const int Number = FDeviceNumber;
    if (Number < 0 || Number >= DeviceCount())
        throw EAuException("Invalid device number");
    TAuInput& Source = *Input();
    Source.Init();
    const int Channels = Source.Channels();
    const int Bits = Source.BitsPerSample();
    FSampleRate = static_cast<uint32_t>(Source.SampleRate());

    FDevice = std::make_unique<TDSWDevice>();
    if (DSWCreateDevice(*FDevice, FDevices[static_cast<size_t>(Number)].Name) != 0)
        throw EAuException("Failed to create DirectSound device");

    FFrameBytes = static_cast<uint32_t>(Bits / 8 * Channels);
    // Beyond 32 bits no server takes it, and the buffer is refused below.
    FBufferBytes = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{FFramesInBuffer} * FFrameBytes, UINT32_MAX));
    FSilence = Bits == 8 ? 128 : 0;

    const TWaveFormatExtensible Format = MakeWaveFormat(Channels, FSampleRate, Bits);
    if (const TDSWResult Result = DSWInitOutput(*FDevice, Format, FBufferBytes); Result != 0)
        throw EAuException("Failed to create DirectSound buffer" + HexCode(Result));
    // Allocated once the server took the buffer, so that a size it refuses is
    // never allocated here.
    FStaging.assign(FBufferBytes, 0);

    FFirstChunk = true;
    FInputEnded = false;
    FDrained = 0;
    FLastUnderruns = 0;
    FUnderruns = 0;
}

bool TDXAudioOut::ProcessChunk(bool Abort)
{
    if (!Active())
        return false;
    if (FFirstChunk)
        StartPlaying();
    if (Abort) {
        DSWStopOutput(*FDevice);
        FActive = false;
        return false;
    }
    if (FInputEnded)
        return DrainStep();

    const uint32_t Free = PollFreeSpace();
    bool EndReached = false;
    const uint32_t Got = Input()->FillBuffer(FStaging.data(), std::min(Free, FBufferBytes), EndReached);
    if (EndReached)
        FInputEnded = true;
    DSWWrite(*FDevice, FStaging.data(), Got);
    if (FInputEnded)
        DSWFillSilence(*FDevice, FSilence);
    if (FDevice->Underruns != FLastUnderruns)
        ReportUnderrun();
    return true;
}

void TDXAudioOut::StartPlaying()
{
    bool EndReached = false;
    const uint32_t Got = Input()->FillBuffer(FStaging.data(), FBufferBytes, EndReached);
    FInputEnded = EndReached;
    DSWWrite(*FDevice, FStaging.data(), Got);
    // A new stream plays at full volume unless the user turned this program
    // down in the mixer; setting full volume anyway would undo that.
    if (FVolume != 0 && DSWSetVolume(*FDevice, FVolume) == DSWErrControlUnavailable)
        throw EAuException("Control not available");
    DSWStartOutput(*FDevice);
    FFirstChunk = false;
}

// Room on the card in whole frames. Sixteen polls without room are tolerated;
// the seventeenth fails, by throwing rather than returning, so that the worker
// keeps the message, notifies OnThreadException and finishes the run.
uint32_t TDXAudioOut::PollFreeSpace()
{
    for (int Poll = 1;; ++Poll) {
        WaitPollingInterval();
        uint32_t Free = 0;
        DSWGetFreeSpace(*FDevice, Free);
        Free -= Free % FFrameBytes;
        if (Poll > MaxPollsWithoutSpace)
            throw EAuException("Audio output error");
        if (Free != 0)
            return Free;
    }
}

void TDXAudioOut::WaitPollingInterval()
{
    const auto Start = std::chrono::steady_clock::now();
    const uint32_t Interval = FPollingInterval & 0xFFFF;
    if (FPrefetchData) {
        const uint64_t Frames = uint64_t{Interval} * FSampleRate / 1000;
        uint64_t Bytes = FFrameBytes * Frames / 4 * 3;
        Bytes -= Bytes % FFrameBytes;
        // A pull of 0 bytes would tell a converter that its input has ended.
        if (Bytes > 0)
            Input()->Prefetch(static_cast<uint32_t>(std::min<uint64_t>(Bytes, UINT32_MAX)));
    }
    std::this_thread::sleep_until(Start + std::chrono::milliseconds(Interval));
}

// The card keeps playing what is buffered while silence follows it. Waiting only
// the rounded buffer time would cut the end of the audio whenever the buffer
// lasts longer than that (under half a second it would not wait at all), so the
// drain goes on while written audio is still unheard. A stop ends it at once.
// One step per chunk: the drain of a large buffer lasts seconds, and a pause
// asked for meanwhile waits for the worker to reach the end of a chunk.
bool TDXAudioOut::DrainStep()
{
    const uint32_t Wait = DrainTime(FBufferBytes, FSampleRate * FFrameBytes);
    const uint64_t Limit =
        uint64_t{Wait} + uint64_t{FBufferBytes} * 1000 / (uint64_t{FSampleRate} * FFrameBytes) + DrainGraceMs;
    if (FDrained < Limit && !Stopped() && (FDrained < Wait || DSWAudioPending(*FDevice))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(DrainStepMs));
        DSWFillSilence(*FDevice, FSilence);
        FDrained += DrainStepMs;
        return true;
    }
    FActive = false;
    DSWStopOutput(*FDevice);
    return false;
}

void TDXAudioOut::ReportUnderrun()
{
    FLastUnderruns = FDevice->Underruns;
    FUnderruns = FLastUnderruns;
    DSWStopOutput(*FDevice);
    DSWFillSilence(*FDevice, FSilence);
    if (TUnderrunEvent Handler = OnUnderrun()) {
        TEventRecord Record;
        Record.Kind = TEventKind::ThreadException;
        Record.Sender = this;
        Record.Handler = std::move(Handler);
        // Run id 0: dropped with whatever the done notification of this run
        // purges, so it never arrives after OnDone.
        TEventHandler::Instance().Post(std::move(Record));
    }
    DSWRestartOutput(*FDevice);
}

void TDXAudioOut::Finish()
{
    if (!FReleased) {
        if (FDevice)
            DSWRelease(*FDevice);
        FDevice.reset();
        FStaging = std::vector<uint8_t>();
    }
    Input()->Flush();
    FReleased = true;
}

} // namespace au

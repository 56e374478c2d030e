// SPDX-License-Identifier: GPL-3.0-or-later
#include "DSWrapper.h"

#include "PulseBinding.h"
#include "PulseBindingTable.h"

#include <algorithm>
#include <cstring>

namespace au {
namespace {

constexpr const char* ClientName = "Trevalin free WMA to Wav Converter";
constexpr const char* StreamName = "Playback";
constexpr const char* DefaultDeviceDescription = "Default output";
// Hundredths of a decibel of attenuation that count as silence.
constexpr int VolumeMinimum = -10000;

// The PCM sub-format identifier in its stored byte order.
constexpr std::array<uint8_t, 16> PCMSubFormat = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                  0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The speakers of the channel mask, in bit order.
constexpr std::array<pa_channel_position_t, 18> MaskPositions = {
    PA_CHANNEL_POSITION_FRONT_LEFT,           PA_CHANNEL_POSITION_FRONT_RIGHT,
    PA_CHANNEL_POSITION_FRONT_CENTER,         PA_CHANNEL_POSITION_LFE,
    PA_CHANNEL_POSITION_REAR_LEFT,            PA_CHANNEL_POSITION_REAR_RIGHT,
    PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER, PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER,
    PA_CHANNEL_POSITION_REAR_CENTER,          PA_CHANNEL_POSITION_SIDE_LEFT,
    PA_CHANNEL_POSITION_SIDE_RIGHT,           PA_CHANNEL_POSITION_TOP_CENTER,
    PA_CHANNEL_POSITION_TOP_FRONT_LEFT,       PA_CHANNEL_POSITION_TOP_FRONT_CENTER,
    PA_CHANNEL_POSITION_TOP_FRONT_RIGHT,      PA_CHANNEL_POSITION_TOP_REAR_LEFT,
    PA_CHANNEL_POSITION_TOP_REAR_CENTER,      PA_CHANNEL_POSITION_TOP_REAR_RIGHT};

// The connection lock, held for a scope. Callbacks run on the connection's event
// thread with this lock held, so none runs while a caller holds it.
class TLoopLock {
public:
    explicit TLoopLock(TDSWDevice& Device) : FDevice(Device)
    {
        FDevice.Pulse->pa_threaded_mainloop_lock(FDevice.Mainloop);
    }
    ~TLoopLock() { FDevice.Pulse->pa_threaded_mainloop_unlock(FDevice.Mainloop); }
    TLoopLock(const TLoopLock&) = delete;
    TLoopLock& operator=(const TLoopLock&) = delete;

private:
    TDSWDevice& FDevice;
};

TDSWResult ContextError(const TDSWDevice& Device)
{
    const int Error = Device.Context ? Device.Pulse->pa_context_errno(Device.Context) : PA_OK;
    return static_cast<TDSWResult>(Error != PA_OK ? Error : PA_ERR_UNKNOWN);
}

// Every state change wakes the thread that waits for it.
void Signal(void* Device)
{
    auto& D = *static_cast<TDSWDevice*>(Device);
    D.Pulse->pa_threaded_mainloop_signal(D.Mainloop, 0);
}
void SignalContext(pa_context*, void* Device) { Signal(Device); }
void SignalStream(pa_stream*, void* Device) { Signal(Device); }
void SignalOperation(pa_operation*, void* Device) { Signal(Device); }

void CountUnderflow(pa_stream*, void* Device)
{
    auto& D = *static_cast<TDSWDevice*>(Device);
    if (D.Playing)
        ++D.Underruns;
}

struct TSuccess {
    int Success = 0;
};

void StoreContextSuccess(pa_context*, int Success, void* Target)
{
    static_cast<TSuccess*>(Target)->Success = Success;
}

// Waits, with the lock held, until the server has answered the operation.
TDSWResult Complete(TDSWDevice& Device, pa_operation* Operation)
{
    if (Operation == nullptr)
        return ContextError(Device);
    const TPulseBinding& P = *Device.Pulse;
    P.pa_operation_set_state_callback(Operation, SignalOperation, &Device);
    while (P.pa_operation_get_state(Operation) == PA_OPERATION_RUNNING)
        P.pa_threaded_mainloop_wait(Device.Mainloop);
    const bool Done = P.pa_operation_get_state(Operation) == PA_OPERATION_DONE;
    P.pa_operation_set_state_callback(Operation, nullptr, nullptr);
    P.pa_operation_unref(Operation);
    return Done ? 0 : ContextError(Device);
}

// Cork or uncork; an uncorked stream starts at once, even with less buffered
// than the server would wait for (a source shorter than the buffer, a refill
// after an underrun).
TDSWResult Cork(TDSWDevice& Device, bool Corked)
{
    if (Device.Stream == nullptr)
        return static_cast<TDSWResult>(PA_ERR_BADSTATE);
    TLoopLock Guard(Device);
    const TPulseBinding& P = *Device.Pulse;
    TDSWResult Result = Complete(Device, P.pa_stream_cork(Device.Stream, Corked ? 1 : 0, nullptr, nullptr));
    if (Result == 0 && !Corked)
        Result = Complete(Device, P.pa_stream_trigger(Device.Stream, nullptr, nullptr));
    return Result;
}

bool SampleFormatOf(int Bits, pa_sample_format_t& Format)
{
    switch (Bits) {
    case 8: Format = PA_SAMPLE_U8; return true;
    case 16: Format = PA_SAMPLE_S16LE; return true;
    case 24: Format = PA_SAMPLE_S24LE; return true;
    case 32: Format = PA_SAMPLE_S32LE; return true;
    default: return false;
    }
}

pa_channel_map ChannelMapOf(const TWaveFormatExtensible& Format)
{
    pa_channel_map Map{};
    Map.channels = static_cast<uint8_t>(Format.Channels);
    if (Format.Channels == 1) {
        Map.map[0] = PA_CHANNEL_POSITION_MONO;
        return Map;
    }
    // Without a mask the channels go to the speakers in mask order, as a card
    // plays them; what the mask does not name stays unassigned.
    uint32_t Mask = Format.FormatTag == WaveFormatExtensible ? Format.ChannelMask : 0;
    if (Mask == 0)
        Mask = Format.Channels >= 32 ? UINT32_MAX : (1u << Format.Channels) - 1;
    unsigned Channel = 0;
    for (size_t Bit = 0; Bit < MaskPositions.size() && Channel < Map.channels; ++Bit)
        if (Mask & (1u << Bit))
            Map.map[Channel++] = MaskPositions[Bit];
    for (unsigned Aux = 0; Channel < Map.channels; ++Aux)
        Map.map[Channel++] = static_cast<pa_channel_position_t>(PA_CHANNEL_POSITION_AUX0 + Aux);
    return Map;
}

// Connects Device to the server and waits until it is ready.
TDSWResult Connect(TDSWDevice& Device)
{
    Device.Pulse = PulseLibrary();
    if (Device.Pulse == nullptr)
        return static_cast<TDSWResult>(PA_ERR_NOTSUPPORTED);
    const TPulseBinding& P = *Device.Pulse;
    Device.Mainloop = P.pa_threaded_mainloop_new();
    if (Device.Mainloop == nullptr)
        return static_cast<TDSWResult>(PA_ERR_INTERNAL);
    Device.Context = P.pa_context_new(P.pa_threaded_mainloop_get_api(Device.Mainloop), ClientName);
    if (Device.Context == nullptr)
        return static_cast<TDSWResult>(PA_ERR_INTERNAL);
    P.pa_context_set_state_callback(Device.Context, SignalContext, &Device);
    if (P.pa_threaded_mainloop_start(Device.Mainloop) < 0)
        return static_cast<TDSWResult>(PA_ERR_INTERNAL);

    TLoopLock Guard(Device);
    // A player must not start a sound server of its own.
    if (P.pa_context_connect(Device.Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return ContextError(Device);
    for (;;) {
        const pa_context_state_t State = P.pa_context_get_state(Device.Context);
        if (State == PA_CONTEXT_READY)
            return 0;
        if (!PA_CONTEXT_IS_GOOD(State))
            return ContextError(Device);
        P.pa_threaded_mainloop_wait(Device.Mainloop);
    }
}

void AddSink(pa_context*, const pa_sink_info* Info, int EndOfList, void* Target)
{
    auto& Table = *static_cast<std::vector<TDSWDeviceInfo>*>(Target);
    if (EndOfList != 0 || Info == nullptr)
        return;
    if (Table.empty())
        Table.push_back({std::string(), DefaultDeviceDescription});
    if (Table.size() >= DSWMaxDevices)
        return;
    std::string Description = Info->description ? Info->description : Info->name;
    if (Description.size() > DSWMaxDescription)
        Description.resize(DSWMaxDescription);
    Table.push_back({Info->name, std::move(Description)});
}

TDSWResult Write(TDSWDevice& Device, const void* Data, uint32_t Bytes)
{
    if (Device.Pulse->pa_stream_write(Device.Stream, Data, Bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return ContextError(Device);
    Device.Written += Bytes;
    return 0;
}

} // namespace

TWaveFormatExtensible MakeWaveFormat(int Channels, uint32_t SampleRate, int BitsPerSample)
{
    TWaveFormatExtensible Format;
    const bool Extensible = Channels > 2 || BitsPerSample == 24;
    Format.FormatTag = Extensible ? WaveFormatExtensible : WaveFormatPCM;
    Format.Channels = static_cast<uint16_t>(Channels);
    Format.SamplesPerSec = SampleRate;
    Format.BlockAlign = static_cast<uint16_t>(Channels * BitsPerSample / 8);
    Format.AvgBytesPerSec = SampleRate * Format.BlockAlign;
    Format.BitsPerSample = static_cast<uint16_t>(BitsPerSample);
    if (Extensible) {
        Format.ExtraSize = 22;
        switch (Channels) {
        case 2: Format.ChannelMask = 0x3; break;
        case 6: Format.ChannelMask = 0x3F; break;
        case 8: Format.ChannelMask = 0xFF; break;
        default: Format.ChannelMask = 0; break;
        }
        Format.SubFormat = PCMSubFormat;
    }
    return Format;
}

TDSWResult DSWEnumerateDevices(std::vector<TDSWDeviceInfo>& Table)
{
    Table.clear();
    TDSWDevice Server;
    TDSWResult Result = Connect(Server);
    if (Result == 0) {
        TLoopLock Guard(Server);
        Result = Complete(Server, Server.Pulse->pa_context_get_sink_info_list(Server.Context, AddSink, &Table));
    }
    DSWRelease(Server);
    if (Result != 0)
        Table.clear();
    return Result;
}

TDSWResult DSWCreateDevice(TDSWDevice& Device, const std::string& DeviceName)
{
    Device.SinkName = DeviceName;
    return Connect(Device);
}

TDSWResult DSWInitOutput(TDSWDevice& Device, const TWaveFormatExtensible& Format, uint32_t BufferBytes)
{
    if (Device.Context == nullptr)
        return static_cast<TDSWResult>(PA_ERR_BADSTATE);
    Device.BufferSize = BufferBytes;
    Device.FrameSize = Format.BlockAlign;
    Device.BytesPerSecond = Format.AvgBytesPerSec;
    Device.Channels = static_cast<uint8_t>(std::min<int>(Format.Channels, PA_CHANNELS_MAX));
    Device.Written = 0;
    Device.AudioEnd = 0;
    Device.Underruns = 0;

    pa_sample_spec Sample{};
    if (!SampleFormatOf(Format.BitsPerSample, Sample.format) || BufferBytes == 0 || Format.BlockAlign == 0)
        return static_cast<TDSWResult>(PA_ERR_INVALID);
    Sample.rate = Format.SamplesPerSec;
    Sample.channels = static_cast<uint8_t>(Format.Channels);
    if (Format.Channels > PA_CHANNELS_MAX)
        return static_cast<TDSWResult>(PA_ERR_INVALID);
    const TPulseBinding& P = *Device.Pulse;
    const pa_channel_map Map = ChannelMapOf(Format);

    TLoopLock Guard(Device);
    Device.Stream = P.pa_stream_new(Device.Context, StreamName, &Sample, &Map);
    if (Device.Stream == nullptr)
        return ContextError(Device);
    P.pa_stream_set_state_callback(Device.Stream, SignalStream, &Device);
    P.pa_stream_set_underflow_callback(Device.Stream, CountUnderflow, &Device);

    pa_buffer_attr Attributes;
    Attributes.maxlength = static_cast<uint32_t>(-1);
    Attributes.tlength = BufferBytes;
    Attributes.prebuf = static_cast<uint32_t>(-1);
    Attributes.minreq = static_cast<uint32_t>(-1);
    Attributes.fragsize = static_cast<uint32_t>(-1);
    // The buffer is the whole way to the speaker: without adjusting the sink's
    // latency to it, a sink that renders far ahead takes data in bursts of its
    // own size, and the stream is empty or full rather than kept topped up.
    const auto Flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY |
                                                      PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    const char* Sink = Device.SinkName.empty() ? nullptr : Device.SinkName.c_str();
    if (P.pa_stream_connect_playback(Device.Stream, Sink, &Attributes, Flags, nullptr, nullptr) < 0)
        return ContextError(Device);
    for (;;) {
        const pa_stream_state_t State = P.pa_stream_get_state(Device.Stream);
        if (State == PA_STREAM_READY)
            break;
        if (!PA_STREAM_IS_GOOD(State))
            return ContextError(Device);
        P.pa_threaded_mainloop_wait(Device.Mainloop);
    }
    // The first block is written whole; the server must be able to hold it.
    const pa_buffer_attr* Granted = P.pa_stream_get_buffer_attr(Device.Stream);
    if (Granted == nullptr || Granted->maxlength < BufferBytes)
        return static_cast<TDSWResult>(PA_ERR_TOOLARGE);
    return 0;
}

TDSWResult DSWStartOutput(TDSWDevice& Device)
{
    return DSWRestartOutput(Device);
}

TDSWResult DSWStopOutput(TDSWDevice& Device)
{
    Device.Playing = false;
    return Cork(Device, true);
}

TDSWResult DSWRestartOutput(TDSWDevice& Device)
{
    Device.Playing = true;
    return Cork(Device, false);
}

TDSWResult DSWGetFreeSpace(TDSWDevice& Device, uint32_t& Bytes)
{
    Bytes = 0;
    if (Device.Stream == nullptr)
        return static_cast<TDSWResult>(PA_ERR_BADSTATE);
    TLoopLock Guard(Device);
    const size_t Writable = Device.Pulse->pa_stream_writable_size(Device.Stream);
    if (Writable == static_cast<size_t>(-1))
        return ContextError(Device);
    Bytes = static_cast<uint32_t>(std::min<size_t>(Writable, Device.BufferSize));
    return 0;
}

TDSWResult DSWWrite(TDSWDevice& Device, const uint8_t* Data, uint32_t Bytes)
{
    if (Device.Stream == nullptr)
        return static_cast<TDSWResult>(PA_ERR_BADSTATE);
    if (Bytes == 0)
        return 0;
    TLoopLock Guard(Device);
    const TDSWResult Result = Write(Device, Data, Bytes);
    if (Result == 0)
        Device.AudioEnd = Device.Written;
    return Result;
}

TDSWResult DSWFillSilence(TDSWDevice& Device, uint8_t Byte)
{
    uint32_t Free = 0;
    if (TDSWResult Result = DSWGetFreeSpace(Device, Free); Result != 0 || Free == 0)
        return Result;
    Free -= Free % Device.FrameSize;
    TLoopLock Guard(Device);
    while (Free > 0) {
        // The server's own memory, so that silence costs no allocation here.
        void* Block = nullptr;
        size_t Bytes = Free;
        if (Device.Pulse->pa_stream_begin_write(Device.Stream, &Block, &Bytes) < 0 || Block == nullptr)
            return ContextError(Device);
        Bytes = std::min<size_t>(Bytes, Free);
        Bytes -= Bytes % Device.FrameSize;
        if (Bytes == 0)
            return static_cast<TDSWResult>(PA_ERR_INTERNAL);
        std::memset(Block, Byte, Bytes);
        if (TDSWResult Result = Write(Device, Block, static_cast<uint32_t>(Bytes)); Result != 0)
            return Result;
        Free -= static_cast<uint32_t>(Bytes);
    }
    return 0;
}

TDSWResult DSWSetVolume(TDSWDevice& Device, int Value)
{
    if (Device.Stream == nullptr)
        return static_cast<TDSWResult>(PA_ERR_BADSTATE);
    const TPulseBinding& P = *Device.Pulse;
    pa_cvolume Volume{};
    const double Decibels = std::clamp(Value, VolumeMinimum, 0) / 100.0;
    P.pa_cvolume_set(&Volume, Device.Channels, P.pa_sw_volume_from_dB(Decibels));
    TLoopLock Guard(Device);
    TSuccess Answer;
    const TDSWResult Result = Complete(
        Device, P.pa_context_set_sink_input_volume(Device.Context, P.pa_stream_get_index(Device.Stream), &Volume,
                                                   StoreContextSuccess, &Answer));
    return Result == 0 && Answer.Success == 0 ? DSWErrControlUnavailable : Result;
}

bool DSWAudioPending(TDSWDevice& Device)
{
    if (Device.Stream == nullptr || Device.BytesPerSecond == 0)
        return false;
    TLoopLock Guard(Device);
    pa_usec_t Played = 0;
    // Without a clock reading yet, nothing is known to have been heard.
    if (Device.Pulse->pa_stream_get_time(Device.Stream, &Played) < 0)
        return Device.AudioEnd > 0;
    const uint64_t PlayedBytes = Played * Device.BytesPerSecond / PA_USEC_PER_SEC;
    return PlayedBytes < Device.AudioEnd;
}

void DSWRelease(TDSWDevice& Device)
{
    if (Device.Mainloop != nullptr) {
        const TPulseBinding& P = *Device.Pulse;
        {
            TLoopLock Guard(Device);
            if (Device.Stream != nullptr) {
                P.pa_stream_set_state_callback(Device.Stream, nullptr, nullptr);
                P.pa_stream_set_underflow_callback(Device.Stream, nullptr, nullptr);
                P.pa_stream_disconnect(Device.Stream);
                P.pa_stream_unref(Device.Stream);
            }
            if (Device.Context != nullptr) {
                P.pa_context_set_state_callback(Device.Context, nullptr, nullptr);
                P.pa_context_disconnect(Device.Context);
                P.pa_context_unref(Device.Context);
            }
        }
        P.pa_threaded_mainloop_stop(Device.Mainloop);
        P.pa_threaded_mainloop_free(Device.Mainloop);
    }
    Device.Pulse = nullptr;
    Device.Mainloop = nullptr;
    Device.Context = nullptr;
    Device.Stream = nullptr;
    Device.SinkName.clear();
    Device.BufferSize = Device.FrameSize = Device.BytesPerSecond = 0;
    Device.Channels = 0;
    Device.Written = Device.AudioEnd = 0;
    Device.Underruns = 0;
    Device.Playing = false;
}

std::string DSWErrorText(TDSWResult Result)
{
    // Without the library its own texts are missing too.
    const TPulseBinding* Pulse = PulseLibrary();
    if (Pulse == nullptr)
        return "the sound library " + PulseLibraryName() + " is missing";
    const char* Text = Pulse->pa_strerror(static_cast<int>(Result));
    return Text != nullptr ? Text : "error " + std::to_string(Result);
}

} // namespace au

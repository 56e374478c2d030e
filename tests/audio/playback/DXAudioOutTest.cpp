// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackTestUtil.h"
#include "SoundServer.h"

#include "audio/playback/DSWrapper.h"
#include "audio/playback/DXAudioOut.h"
#include "audio/playback/PulseBinding.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace std::chrono_literals;
using au::TDXAudioOut;

namespace autest {
namespace {

constexpr uint32_t StereoFrameBytes = 4;

std::vector<uint8_t> FormatBytes(const au::TWaveFormatExtensible& Format)
{
    std::vector<uint8_t> Bytes(sizeof Format);
    std::memcpy(Bytes.data(), &Format, sizeof Format);
    return Bytes;
}

// Starts recording the sink, plays Input through Out and returns what the sink
// played, with a little of the silence after it.
std::vector<int16_t> PlayAndRecord(TDXAudioOut& Out, TOutputEvents& Events, au::TAuInput& Input)
{
    TMonitorRecorder Recorder;
    Out.SetInput(&Input);
    EXPECT_TRUE(Events.RunToDone());
    std::this_thread::sleep_for(100ms);
    return Recorder.Finish();
}

// A small buffer and quick polls keep these runs short: under half a second of
// buffer, the drain lasts only until the audio is heard.
void ConfigureSmallBuffer(TDXAudioOut& Out)
{
    Out.SetFramesInBuffer(8820); // 0.2 s
    Out.SetPollingInterval(20);
}

} // namespace

TEST(DXAudioOutDevices, DefaultSinkFirstThenEachSinkByName)
{
    TDXAudioOut Out;
    ASSERT_EQ(Out.DeviceCount(), 2);
    EXPECT_EQ(Out.Device(0).Name, "");
    EXPECT_EQ(Out.Device(0).Description, "Default output");
    EXPECT_EQ(Out.Device(1).Name, "null");
    EXPECT_FALSE(Out.Device(1).Description.empty());
    EXPECT_LE(Out.Device(1).Description.size(), au::DSWMaxDescription);

    EXPECT_EQ(Out.DeviceNumber(), 0);
    EXPECT_EQ(Out.FramesInBuffer(), 24576u);
    EXPECT_EQ(Out.PollingInterval(), 100u);
    EXPECT_TRUE(Out.PrefetchData());
    EXPECT_EQ(Out.Volume(), 0);
}

TEST(DXAudioOutDevices, WithoutLibraryOrServerTheTableIsEmptyAndRunsFail)
{
    struct TCase {
        const char* What;
        std::function<void()> Break, Mend;
    };
    const std::string Library = au::PulseLibraryName();
    const std::string Server = TSoundServer::Address();
    const TCase Cases[] = {
        {"no library", [] { au::SetPulseLibraryName("/nonexistent/libpulse.so.0"); },
         [&] { au::SetPulseLibraryName(Library); }},
        {"no server", [] { ::setenv("PULSE_SERVER", "unix:/nonexistent/native", 1); },
         [&] { ::setenv("PULSE_SERVER", Server.c_str(), 1); }},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Case.Break();
        {
            TDXAudioOut Out;
            TOutputEvents Events(Out);
            EXPECT_EQ(Out.DeviceCount(), 0);
            auto Input = BytesInput(std::vector<uint8_t>(4000), ToneRate, 16, 2);
            Out.SetInput(Input.get());
            ASSERT_TRUE(Events.RunToDone());
            EXPECT_EQ(Out.ExceptionMessage(), "Invalid device number");
            EXPECT_EQ(Events.ThreadExceptions, 1);
        }
        Case.Mend();
    }

    // With the server back, a negative number is refused the same way.
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    ASSERT_GT(Out.DeviceCount(), 0);
    Out.SetDeviceNumber(-1);
    auto Input = BytesInput(std::vector<uint8_t>(4000), ToneRate, 16, 2);
    Out.SetInput(Input.get());
    ASSERT_TRUE(Events.RunToDone());
    EXPECT_EQ(Out.ExceptionMessage(), "Invalid device number");
    EXPECT_EQ(Input->InitCount, 0);
}

TEST(DXAudioOutDevices, FailuresToOpenTheOutputNameTheirCause)
{
    struct TCase {
        const char* Message;
        int Bits;
        uint32_t Frames;
        bool ServerGone;
    };
    const std::string Server = TSoundServer::Address();
    for (const TCase& C : {TCase{"Failed to create DirectSound device", 16, 24576, true},
                           // The client library's "invalid argument".
                           TCase{"Failed to create DirectSound buffer00000003", 12, 24576, false},
                           TCase{"Failed to create DirectSound buffer00000003", 16, 0, false},
                           // "Too large": more than the server holds for one stream.
                           TCase{"Failed to create DirectSound buffer00000012", 16, 4000000, false}}) {
        SCOPED_TRACE(C.Message);
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        Out.SetFramesInBuffer(C.Frames);
        auto Input = BytesInput(std::vector<uint8_t>(4000), ToneRate, C.Bits, 2);
        Out.SetInput(Input.get());
        if (C.ServerGone)
            ::setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
        const bool Done = Events.RunToDone();
        ::setenv("PULSE_SERVER", Server.c_str(), 1);
        ASSERT_TRUE(Done);
        EXPECT_EQ(Out.ExceptionMessage(), C.Message);
        EXPECT_EQ(Events.ThreadExceptions, 1);
        EXPECT_EQ(Input->FlushCount, 1);
    }
}

TEST(DXAudioOutDevices, TheServerPlaysTheStreamInTheSourceFormat)
{
    struct TCase {
        int Bits, Channels;
        const char* Expected;
        const char* Map;
    };
    for (const TCase& C : {TCase{24, 2, "s24le 2ch 44100Hz", "front-left,front-right"},
                           TCase{16, 5, "s16le 5ch 44100Hz", "front-left,front-right,front-center,lfe,rear-left"},
                           TCase{16, 6, "s16le 6ch 44100Hz",
                                 "front-left,front-right,front-center,lfe,rear-left,rear-right"},
                           TCase{8, 1, "u8 1ch 44100Hz", "mono"}}) {
        SCOPED_TRACE(C.Expected);
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        ConfigureSmallBuffer(Out);
        auto Input = BytesInput(std::vector<uint8_t>(ToneRate * C.Bits / 8 * C.Channels, C.Bits == 8 ? 128 : 0),
                                ToneRate, C.Bits, C.Channels);
        Out.SetInput(Input.get());
        Out.Run();
        // The short listing ends each stream's line with its sample format.
        std::string Streams, Formats;
        const bool Listed = PumpUntil(
            [&] {
                Streams.clear();
                Formats.clear();
                RunCommand("pactl list sink-inputs", &Streams);
                RunCommand("pactl list short sink-inputs", &Formats);
                return Streams.find("Channel Map: ") != std::string::npos && !Formats.empty();
            },
            5s);
        Out.Stop(false);
        ASSERT_TRUE(Listed);
        EXPECT_NE(Formats.find(std::string("\t") + C.Expected + "\n"), std::string::npos) << Formats;
        EXPECT_NE(Streams.find(std::string("Channel Map: ") + C.Map + "\n"), std::string::npos) << Streams;
    }
}

TEST(DXAudioOutFormat, PlainForMonoAndStereoExtensibleForMoreChannelsOr24Bits)
{
    // 24-bit stereo: extensible, front left and right.
    const std::vector<uint8_t> Stereo24 = {
        0xFE, 0xFF, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x98, 0x09, 0x04, 0x00, 0x06, 0x00,
        0x18, 0x00, 0x16, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    EXPECT_EQ(FormatBytes(au::MakeWaveFormat(2, 44100, 24)), Stereo24);

    // 16-bit stereo: plain, nothing after the basic fields.
    std::vector<uint8_t> Stereo16 = {0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1,
                                     0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x00, 0x00};
    Stereo16.resize(40, 0);
    EXPECT_EQ(FormatBytes(au::MakeWaveFormat(2, 44100, 16)), Stereo16);

    struct TCase {
        int Channels, Bits;
        uint16_t Tag;
        uint32_t Mask;
    };
    for (const TCase& C : {TCase{1, 8, 1, 0}, TCase{1, 16, 1, 0}, TCase{2, 32, 1, 0}, TCase{1, 24, 0xFFFE, 0},
                           TCase{5, 16, 0xFFFE, 0}, TCase{6, 16, 0xFFFE, 0x3F}, TCase{8, 24, 0xFFFE, 0xFF},
                           TCase{3, 16, 0xFFFE, 0}}) {
        SCOPED_TRACE(testing::Message() << C.Channels << " channels, " << C.Bits << " bits");
        const au::TWaveFormatExtensible F = au::MakeWaveFormat(C.Channels, 48000, C.Bits);
        EXPECT_EQ(F.FormatTag, C.Tag);
        EXPECT_EQ(F.ChannelMask, C.Mask);
        EXPECT_EQ(F.BlockAlign, C.Channels * C.Bits / 8);
        EXPECT_EQ(F.AvgBytesPerSec, 48000u * F.BlockAlign);
        EXPECT_EQ(F.ExtraSize, C.Tag == 1 ? 0 : 22);
        EXPECT_EQ(F.ValidBitsPerSample, 0);
    }
}

TEST(DXAudioOutFormat, DrainWaitsTheBufferTimeInWholeSeconds)
{
    // 24576 frames of 44100 Hz 16-bit stereo last 0.557 s.
    EXPECT_EQ(TDXAudioOut::DrainTime(98304, 176400), 1000u);
    // 24576 frames of 8000 Hz 8-bit mono last 3.072 s.
    EXPECT_EQ(TDXAudioOut::DrainTime(24576, 8000), 3000u);
    // Halves go to the even neighbour.
    EXPECT_EQ(TDXAudioOut::DrainTime(25000, 10000), 2000u);
    EXPECT_EQ(TDXAudioOut::DrainTime(35000, 10000), 4000u);
    EXPECT_EQ(TDXAudioOut::DrainTime(4000, 10000), 0u);
}

TEST(DXAudioOutPlayback, StereoToneReachesTheSinkWholeThenSilence)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    const std::vector<int16_t> Tone = StereoTone(ToneRate, 440, 1000);
    auto Input = BytesInput(LittleEndianBytes(Tone), ToneRate, 16, 2);

    const auto Start = std::chrono::steady_clock::now();
    const std::vector<int16_t> Recording = PlayAndRecord(Out, Events, *Input);
    const auto Elapsed = std::chrono::steady_clock::now() - Start;

    EXPECT_EQ(Out.ExceptionMessage(), "");
    EXPECT_EQ(Events.ThreadExceptions, 0);
    EXPECT_EQ(Events.Underruns, 0);
    EXPECT_EQ(Input->FlushCount, 1);
    // The last block is written about 0.44 s in; a one-second drain follows.
    EXPECT_GE(Elapsed, 1400ms);

    const std::vector<int16_t> Sound = SoundOf(Recording);
    EXPECT_NEAR(Frequency(Sound, 0, ToneRate), 440, 2);
    EXPECT_NEAR(Frequency(Sound, 1, ToneRate), 1000, 2);
    EXPECT_NEAR(Rms(Sound, 0), ToneAmplitude / std::sqrt(2.0), 20);
    EXPECT_NEAR(Rms(Sound, 1), ToneAmplitude / std::sqrt(2.0), 20);
    ASSERT_EQ(Sound.size(), Tone.size());
    EXPECT_TRUE(Sound == Tone) << "the sink played other samples than the source gave";
    EXPECT_GT(TrailingSilence(Recording), 2205u); // 50 ms
}

TEST(DXAudioOutPlayback, SourceShorterThanTheBufferPlaysWholeAndEndsInSilence)
{
    {
        SCOPED_TRACE("16-bit stereo");
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        ConfigureSmallBuffer(Out);
        const std::vector<int16_t> Tone = StereoTone(ToneRate / 10, 440, 1000);
        auto Input = BytesInput(LittleEndianBytes(Tone), ToneRate, 16, 2);
        const std::vector<int16_t> Sound = SoundOf(PlayAndRecord(Out, Events, *Input));
        EXPECT_EQ(Out.ExceptionMessage(), "");
        EXPECT_TRUE(Sound == Tone) << Sound.size() << " samples played of " << Tone.size();
    }
    {
        // 8-bit silence is 128: any other padding would be heard as a step.
        SCOPED_TRACE("8-bit mono");
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        ConfigureSmallBuffer(Out);
        std::vector<uint8_t> Bytes(ToneRate / 10);
        std::vector<int16_t> Expected;
        for (size_t I = 0; I < Bytes.size(); ++I) {
            Bytes[I] = static_cast<uint8_t>(128 + ((I / 50) % 2 ? 60 : -60));
            const auto Sample = static_cast<int16_t>((Bytes[I] - 128) * 256);
            Expected.insert(Expected.end(), {Sample, Sample});
        }
        auto Input = BytesInput(Bytes, ToneRate, 8, 1);
        const std::vector<int16_t> Recording = PlayAndRecord(Out, Events, *Input);
        EXPECT_EQ(Out.ExceptionMessage(), "");
        EXPECT_TRUE(SoundOf(Recording) == Expected);
        EXPECT_GT(TrailingSilence(Recording), 2205u);
    }
}

TEST(DXAudioOutPlayback, BufferUnderHalfASecondStillPlaysOutItsEnd)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    ConfigureSmallBuffer(Out);
    ASSERT_EQ(TDXAudioOut::DrainTime(8820 * StereoFrameBytes, ToneRate * StereoFrameBytes), 0u);
    const std::vector<int16_t> Tone = StereoTone(ToneRate / 2, 440, 1000);
    auto Input = BytesInput(LittleEndianBytes(Tone), ToneRate, 16, 2);
    const std::vector<int16_t> Sound = SoundOf(PlayAndRecord(Out, Events, *Input));
    EXPECT_EQ(Events.Underruns, 0);
    EXPECT_TRUE(Sound == Tone) << Sound.size() << " samples played of " << Tone.size();
}

TEST(DXAudioOutPlayback, PauseThenResumeGoesOnWhereItStopped)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    ConfigureSmallBuffer(Out);
    const std::vector<int16_t> Tone = StereoTone(ToneRate * 6 / 10, 440, 1000);
    auto Input = BytesInput(LittleEndianBytes(Tone), ToneRate, 16, 2);
    Out.SetInput(Input.get());

    TMonitorRecorder Recorder;
    Out.Run();
    ASSERT_TRUE(PumpUntil([&] { return Input->Position() >= ToneRate * StereoFrameBytes / 4; }));
    Out.Pause();
    EXPECT_EQ(Out.Status(), au::osPaused);
    EXPECT_EQ(Input->PauseCount, 1);
    // Longer than the buffer lasts: a paused card has not run dry.
    std::this_thread::sleep_for(400ms);
    Out.Resume();
    ASSERT_TRUE(Events.WaitDone());
    std::this_thread::sleep_for(100ms);
    const std::vector<int16_t> Sound = SoundOf(Recorder.Finish());

    EXPECT_EQ(Out.ExceptionMessage(), "");
    EXPECT_EQ(Out.Underruns(), 0u);
    EXPECT_EQ(Events.Underruns, 0);
    // One long silence inside the sound; without it, the sound is the source.
    std::vector<int16_t> Played;
    size_t Gaps = 0, Frame = 0;
    const size_t Frames = Sound.size() / 2;
    while (Frame < Frames) {
        size_t Run = 0;
        while (Frame + Run < Frames && Sound[2 * (Frame + Run)] == 0 && Sound[2 * (Frame + Run) + 1] == 0)
            ++Run;
        if (Run >= ToneRate / 10) {
            ++Gaps;
            EXPECT_GE(Run, size_t{ToneRate} * 3 / 10);
        } else {
            Played.insert(Played.end(), Sound.begin() + 2 * Frame, Sound.begin() + 2 * (Frame + Run));
        }
        Frame += Run;
        if (Frame < Frames)
            Played.insert(Played.end(), Sound.begin() + 2 * Frame, Sound.begin() + 2 * Frame + 2);
        ++Frame;
    }
    EXPECT_EQ(Gaps, 1u);
    EXPECT_TRUE(Played == Tone) << Played.size() << " samples played of " << Tone.size();
}

namespace {

// Plays a tenth of a second through a two-second buffer and returns its input
// once the input has ended and the output drains, for about two seconds.
auto StartDraining(TDXAudioOut& Out)
{
    Out.SetFramesInBuffer(ToneRate * 2);
    auto Input = BytesInput(LittleEndianBytes(StereoTone(ToneRate / 10, 440, 1000)), ToneRate, 16, 2);
    Out.SetInput(Input.get());
    Out.Run();
    EXPECT_TRUE(PumpUntil([&] { return Input->EndOfData() || Input->Position() == Input->Size(); }));
    std::this_thread::sleep_for(200ms);
    return Input;
}

} // namespace

TEST(DXAudioOutPlayback, AsyncStopEndsWithOnDoneEvenWhileDraining)
{
    {
        SCOPED_TRACE("while playing");
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        ConfigureSmallBuffer(Out);
        auto Input = BytesInput(LittleEndianBytes(StereoTone(ToneRate * 10, 440, 1000)), ToneRate, 16, 2);
        Out.SetInput(Input.get());
        Out.Run();
        ASSERT_TRUE(PumpUntil([&] { return Input->Position() > 0; }));
        Out.SetFramesInBuffer(100);
        EXPECT_EQ(Out.FramesInBuffer(), 8820u);
        std::this_thread::sleep_for(200ms);
        Out.Stop(true);
        ASSERT_TRUE(Events.WaitDone(5s));
        EXPECT_EQ(Out.ExceptionMessage(), "");
        EXPECT_EQ(Out.Status(), au::osIdle);
        EXPECT_LT(Input->Position(), Input->Size());
    }
    {
        // A two-second buffer drains for two seconds; a stop cuts that short.
        SCOPED_TRACE("while draining");
        TDXAudioOut Out;
        TOutputEvents Events(Out);
        const auto Input = StartDraining(Out);
        const auto Stopped = std::chrono::steady_clock::now();
        Out.Stop(true);
        ASSERT_TRUE(Events.WaitDone(5s));
        EXPECT_LT(std::chrono::steady_clock::now() - Stopped, 1500ms);
        EXPECT_EQ(Out.ExceptionMessage(), "");
    }
}

// A large buffer drains for seconds after the input ended; a pause meanwhile
// parks the worker between two steps of the drain instead of waiting it out.
TEST(DXAudioOutPlayback, PauseWhileDrainingParksTheWorker)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    const auto Input = StartDraining(Out);
    Out.Pause();
    EXPECT_EQ(Out.Status(), au::osPaused);
    Out.Resume();
    ASSERT_TRUE(Events.WaitDone(10s));
    EXPECT_EQ(Out.ExceptionMessage(), "");
    EXPECT_EQ(Out.Status(), au::osIdle);
}

TEST(DXAudioOutPlayback, VolumeIsAttenuationInHundredthsOfADecibel)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    ConfigureSmallBuffer(Out);
    Out.SetVolume(-602); // half the amplitude
    const std::vector<int16_t> Tone = StereoTone(ToneRate / 5, 440, 1000);
    auto Input = BytesInput(LittleEndianBytes(Tone), ToneRate, 16, 2);
    const std::vector<int16_t> Sound = SoundOf(PlayAndRecord(Out, Events, *Input));
    EXPECT_EQ(Out.ExceptionMessage(), "");
    EXPECT_NEAR(Rms(Sound, 0) / Rms(Tone, 0), 0.5, 0.01);
    EXPECT_NEAR(Rms(Sound, 1) / Rms(Tone, 1), 0.5, 0.01);
}

TEST(DXAudioOutPlayback, UnderrunIsReportedAndPlaybackGoesOn)
{
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    ConfigureSmallBuffer(Out);
    auto Input = BytesInput(LittleEndianBytes(StereoTone(ToneRate / 2, 440, 1000)), ToneRate, 16, 2);
    Out.SetInput(Input.get());
    Out.Run();
    ASSERT_TRUE(PumpUntil([&] { return Input->Position() >= ToneRate * StereoFrameBytes / 4; }));
    // The source stalls for longer than the buffer lasts.
    Input->CloseGate();
    Input->WaitAtGate();
    std::this_thread::sleep_for(400ms);
    Input->OpenGate();
    ASSERT_TRUE(Events.WaitDone());
    EXPECT_EQ(Out.ExceptionMessage(), "");
    EXPECT_GE(Out.Underruns(), 1u);
    EXPECT_GE(Events.Underruns, 1);
    EXPECT_EQ(Input->Position(), Input->Size());
}

TEST(DXAudioOutPlayback, CardThatTakesNothingFor16PollsIsAnOutputError)
{
    ASSERT_EQ(RunCommand("pactl suspend-sink null 1"), 0);
    TDXAudioOut Out;
    TOutputEvents Events(Out);
    Out.SetFramesInBuffer(4410);
    Out.SetPollingInterval(10);
    auto Input = BytesInput(LittleEndianBytes(StereoTone(ToneRate, 440, 1000)), ToneRate, 16, 2);
    Out.SetInput(Input.get());
    const bool Done = Events.RunToDone();
    RunCommand("pactl suspend-sink null 0");
    ASSERT_TRUE(Done);
    EXPECT_EQ(Out.ExceptionMessage(), "Audio output error");
    EXPECT_EQ(Events.ThreadExceptions, 1);
    EXPECT_EQ(Input->FlushCount, 1);
}

} // namespace autest

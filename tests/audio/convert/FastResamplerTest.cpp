// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertTestUtil.h"

#include "audio/convert/FastResampler.h"
#include "audio/convert/LowPassCascade.h"
#include "audio/core/AuException.h"
#include "audio/core/AuProcs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

std::vector<uint8_t> Resample(TAuInput& Source, uint32_t OutRate, uint32_t Request = 65536,
                              std::vector<uint32_t>* Chunks = nullptr)
{
    TFastResampler Resampler;
    Resampler.SetInput(&Source);
    Resampler.SetOutSampleRate(OutRate);
    return PullAll(Resampler, Request, Chunks);
}

std::vector<int16_t> Noise16(size_t Count, uint32_t Seed)
{
    return FromLe16(RandomBytes(2 * Count, Seed));
}

// What the resampler must give for 16-bit input: each block of BlockFrames
// input frames becomes the frames Expand says (as indices into the block, at
// the filter's rate), and Pick says which filtered frames are kept; the filter
// runs on across blocks.
std::vector<int16_t> Expected16(const std::vector<int16_t>& In, int Channels, size_t BlockFrames, double Cutoff,
                                const std::function<std::vector<size_t>(size_t)>& Expand,
                                const std::function<std::vector<size_t>(size_t)>& Pick)
{
    const size_t Frames = In.size() / static_cast<size_t>(Channels);
    const auto Ch = static_cast<size_t>(Channels);
    std::vector<float> All(In.size());
    std::vector<uint8_t> Bytes = Le16(In);
    SamplesToFloat(Bytes.data(), 2, All.data(), All.size());
    TLowPassCascade Filter;
    Filter.Start(DesignChebyshevLowPass(Cutoff), static_cast<uint32_t>(Channels));
    std::vector<float> Out;
    for (size_t Start = 0; Start < Frames; Start += BlockFrames) {
        const size_t Count = std::min(BlockFrames, Frames - Start);
        const std::vector<size_t> Sources = Expand(Count);
        std::vector<float> Block;
        for (size_t J = 0; J < Sources.size(); ++J)
            Block.insert(Block.end(), All.begin() + std::ptrdiff_t((Start + Sources[J]) * Ch),
                         All.begin() + std::ptrdiff_t((Start + Sources[J] + 1) * Ch));
        std::vector<float> Filtered(Block.size());
        Filter.Run(Block.data(), Filtered.data(), static_cast<uint32_t>(Sources.size()));
        for (size_t J : Pick(Sources.size()))
            Out.insert(Out.end(), Filtered.begin() + std::ptrdiff_t(J * Ch),
                       Filtered.begin() + std::ptrdiff_t((J + 1) * Ch));
    }
    std::vector<uint8_t> OutBytes(Out.size() * 2);
    FloatToSamples(Out.data(), 2, OutBytes.data(), Out.size());
    return FromLe16(OutBytes);
}

std::vector<size_t> Identity(size_t Count)
{
    std::vector<size_t> All(Count);
    for (size_t I = 0; I < Count; ++I)
        All[I] = I;
    return All;
}

} // namespace

TEST(FastResampler, RatesThatAgreeAfterDivisionByFivePassThrough)
{
    const std::vector<uint8_t> Pcm = FixturePcm("tone-44100-16-2.wav");
    ASSERT_FALSE(Pcm.empty());
    for (const int InRate : {44100, 44101, 44104}) {
        auto Source = BytesInput(InRate, 16, 2, Pcm, 3001);
        TFastResampler Resampler;
        Resampler.SetInput(Source.get());
        Resampler.SetOutSampleRate(44100);
        EXPECT_EQ(PullAll(Resampler), Pcm) << InRate;
        Resampler.Init();
        EXPECT_EQ(Resampler.Size(), static_cast<int64_t>(Pcm.size()));
        Resampler.Flush();
    }
    // A size that ends inside a frame is the input's to keep.
    TSyntheticInput Ragged(44100, 16, 2, 1003);
    TFastResampler Resampler;
    Resampler.SetInput(&Ragged);
    Resampler.SetOutSampleRate(44100);
    EXPECT_EQ(PullAll(Resampler).size(), 1003u);
    // Nothing is filtered, so neither the depth nor the channel count matters.
    const std::vector<uint8_t> Odd(9 * 3 * 100, 0x5A);
    auto Many = BytesInput(48000, 24, 9, Odd);
    EXPECT_EQ(Resample(*Many, 48000), Odd);
}

TEST(FastResampler, DoublingRepeatsFramesAfterTheFirstOfEachBlock)
{
    // Three whole blocks and a short one of 22050 Hz stereo.
    const std::vector<int16_t> In = Noise16(2 * (3 * 4410 + 1000), 5);
    auto Source = BytesInput(22050, 16, 2, Le16(In));
    std::vector<uint32_t> Chunks;
    TFastResampler Resampler;
    Resampler.SetInput(Source.get());
    Resampler.SetOutSampleRate(44100);
    EXPECT_EQ(Resampler.SampleRate(), 44100);
    const std::vector<int16_t> Out = FromLe16(PullAll(Resampler, 1 << 20, &Chunks));
    // A chunk never crosses a block: 8819 frames from each 4410.
    EXPECT_EQ(Chunks, (std::vector<uint32_t>{8819 * 4, 8819 * 4, 8819 * 4, 1999 * 4}));

    const auto Twice = [](size_t Count) {
        std::vector<size_t> Sources = {0};
        for (size_t I = 1; I < Count; ++I)
            Sources.insert(Sources.end(), {I, I});
        return Sources;
    };
    EXPECT_TRUE(Out == Expected16(In, 2, 4410, 0.85 * 0.5 / 2, Twice, Identity));

    Resampler.Init();
    EXPECT_EQ(Resampler.Size(), static_cast<int64_t>(In.size()) * 2 * 2);
    Resampler.Flush();
}

TEST(FastResampler, SixthOfTheRateKeepsEverySixthFilteredFrame)
{
    // Two whole blocks of 48000 Hz mono and a short one.
    const std::vector<int16_t> In = Noise16(2 * 9600 + 4800, 11);
    auto Source = BytesInput(48000, 16, 1, Le16(In));
    std::vector<uint32_t> Chunks;
    const std::vector<int16_t> Out = FromLe16(Resample(*Source, 8000, 1 << 20, &Chunks));
    EXPECT_EQ(Chunks, (std::vector<uint32_t>{1600 * 2, 1600 * 2, 800 * 2}));
    const auto EverySixth = [](size_t Count) {
        std::vector<size_t> Kept;
        for (size_t I = 0; I < Count; I += 6)
            Kept.push_back(I);
        return Kept;
    };
    EXPECT_TRUE(Out == Expected16(In, 1, 9600, 0.85 * (1.0 / 6) / 2, Identity, EverySixth));
}

TEST(FastResampler, AShortLastBlockGivesProportionallyFewerFrames)
{
    // 1.5 blocks at 44100 Hz: 4410 frames, then 2205.
    auto Source = BytesInput(44100, 16, 2, Le16(Noise16(2 * 13230, 2)));
    TFastResampler Resampler;
    Resampler.SetInput(Source.get());
    Resampler.SetOutSampleRate(22050);
    std::vector<uint32_t> Chunks;
    EXPECT_EQ(PullAll(Resampler, 1 << 20, &Chunks).size(), 6615u * 4);
    EXPECT_EQ(Chunks, (std::vector<uint32_t>{4410 * 4, 2205 * 4}));
    // Small requests hand the same blocks out piece by piece.
    Chunks.clear();
    EXPECT_EQ(PullAll(Resampler, 1000, &Chunks).size(), 6615u * 4);
    EXPECT_EQ(Chunks.front(), 1000u);
}

TEST(FastResampler, ChannelsAreFilteredIndependently)
{
    const size_t Frames = 9600 + 3000;
    std::vector<std::vector<int16_t>> Mono;
    std::vector<int16_t> Interleaved(3 * Frames);
    for (uint32_t C = 0; C < 3; ++C) {
        Mono.push_back(Noise16(Frames, 100 + C));
        for (size_t F = 0; F < Frames; ++F)
            Interleaved[3 * F + C] = Mono[C][F];
    }
    auto Source = BytesInput(48000, 16, 3, Le16(Interleaved));
    const std::vector<int16_t> Out = FromLe16(Resample(*Source, 44100));
    for (uint32_t C = 0; C < 3; ++C) {
        auto Alone = BytesInput(48000, 16, 1, Le16(Mono[C]));
        const std::vector<int16_t> Expected = FromLe16(Resample(*Alone, 44100));
        ASSERT_EQ(Out.size(), 3 * Expected.size());
        bool Same = true;
        for (size_t F = 0; F < Expected.size(); ++F)
            Same = Same && Out[3 * F + C] == Expected[F];
        EXPECT_TRUE(Same) << "channel " << C;
    }
}

TEST(FastResampler, DirectCurrentSettlesAtItsOwnLevel)
{
    // 30000 / 32768 x 32767 = 29999.08 is the level after the 16-bit round trip;
    // the filter's coefficients, kept as floats, hold its gain at zero frequency
    // to 1 within 1e-4 at the lowest corner here.
    for (const auto& [InRate, OutRate] : {std::pair{44100, 22050}, std::pair{22050, 44100}, std::pair{48000, 8000},
                                          std::pair{44100, 48000}}) {
        auto Source = BytesInput(InRate, 16, 2, Le16(std::vector<int16_t>(2 * size_t(InRate), 30000)));
        const std::vector<int16_t> Out = FromLe16(Resample(*Source, static_cast<uint32_t>(OutRate)));
        ASSERT_GT(Out.size(), 1000u);
        for (size_t I = Out.size() / 2; I < Out.size(); ++I)
            ASSERT_NEAR(Out[I], 29999, 3) << InRate << " -> " << OutRate << " at " << I;
    }
}

TEST(FastResampler, TonesBelowTheCornerPassAndAboveTheLowerHalfRateAreStopped)
{
    struct TCase {
        int InRate, OutRate;
        double Tone, Seen; // Hz: fed in, and measured in the output
        double Low, High;  // bounds of the gain there
    };
    // The cascade's pass band lies between 1 and 1.0526^4 (four stages of 5 %
    // ripple), the sample repetition of upsampling takes a little off that.
    // What remains of a tone above the lower rate's half shows at its alias,
    // and sample repetition leaves images above the input's half rate.
    const double Top = 1.2277 * 1.005;
    for (const TCase& Case : {TCase{44100, 22050, 2000, 2000, 0.995, Top}, TCase{44100, 22050, 13000, 9050, 0, 0.01},
                              TCase{48000, 8000, 1000, 1000, 0.995, Top}, TCase{48000, 8000, 4500, 3500, 0, 0.01},
                              TCase{22050, 44100, 3000, 3000, 0.95, Top}, TCase{22050, 44100, 3000, 19050, 0, 0.01}}) {
        const double Level = 0.5;
        auto Source = BytesInput(Case.InRate, 16, 1, Le16(Sine16(Case.Tone / Case.InRate, Level, size_t(Case.InRate), 1)));
        const std::vector<int16_t> Out = FromLe16(Resample(*Source, static_cast<uint32_t>(Case.OutRate)));
        const double Gain = ToneAmplitude(Out, Case.Seen / Case.OutRate, Out.size() / 4) / (Level * 32767);
        EXPECT_TRUE(Gain >= Case.Low && Gain <= Case.High)
            << Case.InRate << " -> " << Case.OutRate << ", " << Case.Tone << " Hz seen at " << Case.Seen
            << " Hz: gain " << Gain;
    }
}

TEST(FastResampler, SizeFollowsTheRateInWholeFrames)
{
    struct TCase {
        int InRate;
        uint32_t OutRate;
        int64_t InSize, Expected;
    };
    // 1000 bytes at a sixth: round(166.67) = 167, cut to whole 4-byte frames.
    for (const TCase& Case : {TCase{22050, 44100, 4000, 8000}, TCase{48000, 8000, 1000, 164},
                              TCase{48000, 8000, 9600, 1600}, TCase{44100, 22050, -1, -1},
                              TCase{44100, 22050, 0, 0}}) {
        TSyntheticInput Source(Case.InRate, 16, 2, 100);
        Source.ReportedSize = Case.InSize;
        TFastResampler Resampler;
        Resampler.SetInput(&Source);
        Resampler.SetOutSampleRate(Case.OutRate);
        Resampler.Init();
        EXPECT_EQ(Resampler.Size(), Case.Expected) << Case.InRate << " -> " << Case.OutRate;
        Resampler.Flush();
    }
}

TEST(FastResampler, RefusesWhatItCannotResample)
{
    TFastResampler Resampler;
    for (const std::function<int()>& Query : std::vector<std::function<int()>>{
             [&] { return Resampler.BitsPerSample(); }, [&] { return Resampler.Channels(); },
             [&] { return Resampler.SampleRate(); }}) {
        try {
            Query();
            ADD_FAILURE() << "no exception";
        } catch (const EAuException& E) {
            EXPECT_STREQ(E.what(), "Input is not assigned");
        }
    }
    EXPECT_EQ(InitFailure(Resampler), "Input is not assigned");

    // Data asked of a resampler that was never started.
    TSyntheticInput Source(44100, 16, 2, 1000);
    TFastResampler Unstarted;
    Unstarted.SetInput(&Source);
    Unstarted.SetOutSampleRate(22050);
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 100;
    try {
        Unstarted.GetData(Buffer, Bytes);
        ADD_FAILURE() << "no exception";
    } catch (const EAuException& E) {
        EXPECT_STREQ(E.what(), "The Stream is not opened");
    }
    // Nor can it follow an input taken away while it runs.
    Unstarted.Init();
    Unstarted.SetInput(nullptr);
    EXPECT_THROW(Unstarted.GetData(Buffer, Bytes), EAuException);
    Unstarted.Flush();

    struct TCase {
        int InRate, Bits, Channels;
        uint32_t OutRate;
        const char* Named;
    };
    // Absurd rates, from a damaged file or settings file, are refused before
    // any buffer is sized by them.
    for (const TCase& Case : {TCase{44100, 12, 2, 22050, "12 bits"}, TCase{44100, 16, 9, 22050, "9 channels"},
                              TCase{44100, 16, 2, 4, "4 Hz"},
                              TCase{44100, 16, 2, 0, "0 Hz"}, TCase{3, 16, 2, 8000, "3 Hz"},
                              TCase{44100, 16, 2, 2147483647, "2147483647 Hz"},
                              TCase{2147483647, 32, 8, 48000, "2147483647 Hz"},
                              TCase{8000, 16, 2, 1310725, "1310725 Hz"}}) {
        TSyntheticInput Odd(Case.InRate, Case.Bits, Case.Channels, 1200);
        Resampler.SetInput(&Odd);
        Resampler.SetOutSampleRate(Case.OutRate);
        const std::string Message = InitFailure(Resampler);
        EXPECT_NE(Message.find(Case.Named), std::string::npos) << Case.Named << ": " << Message;
        // A failed start leaves nothing to read.
        Bytes = 100;
        Resampler.GetData(Buffer, Bytes);
        EXPECT_EQ(Bytes, 0u);
        Resampler.Flush();
        Resampler.SetInput(nullptr);
    }
    // A fifth of a second of up to 1.3 MHz makes a block.
    for (const auto& [InRate, OutRate] : {std::pair{1310720, 8000}, std::pair{16000, 1280000}}) {
        TSyntheticInput Fast(InRate, 16, 1, 4000);
        Resampler.SetInput(&Fast);
        Resampler.SetOutSampleRate(static_cast<uint32_t>(OutRate));
        EXPECT_EQ(InitFailure(Resampler), "") << InRate << " -> " << OutRate;
        Resampler.Flush();
    }
    Resampler.SetInput(nullptr);
}

namespace {

// 64-bit FNV-1a, to pin whole outputs in a few characters.
uint64_t Fingerprint(const std::vector<uint8_t>& Bytes)
{
    uint64_t Hash = 0xcbf29ce484222325u;
    for (const uint8_t B : Bytes)
        Hash = (Hash ^ B) * 0x100000001b3u;
    return Hash;
}

struct TSignal {
    std::string Name;
    int Rate, Bits, Channels;
    std::vector<uint8_t> Pcm;
};

// Channels channels of BytesPerSample-byte frames from a stereo fixture: channel
// c is the fixture's channel c % 2, 97 x c frames later, so that no two are alike.
std::vector<uint8_t> Spread(const std::vector<uint8_t>& Stereo, size_t BytesPerSample, int Channels)
{
    const size_t Frames = Stereo.size() / (2 * BytesPerSample);
    const auto Ch = static_cast<size_t>(Channels);
    std::vector<uint8_t> Out(Frames * Ch * BytesPerSample);
    for (size_t F = 0; F < Frames; ++F)
        for (size_t C = 0; C < Ch; ++C)
            std::copy_n(Stereo.begin() + std::ptrdiff_t(((F + 97 * C) % Frames * 2 + C % 2) * BytesPerSample),
                        BytesPerSample, Out.begin() + std::ptrdiff_t((F * Ch + C) * BytesPerSample));
    return Out;
}

// 24-bit samples widened to 32 bits, with seeded noise in the new low byte.
std::vector<uint8_t> Widen24(const std::vector<uint8_t>& Pcm)
{
    const std::vector<uint8_t> Noise = RandomBytes(Pcm.size() / 3, 77);
    std::vector<uint8_t> Out;
    for (size_t I = 0; I + 3 <= Pcm.size(); I += 3)
        Out.insert(Out.end(), {Noise[I / 3], Pcm[I], Pcm[I + 1], Pcm[I + 2]});
    return Out;
}

std::vector<TSignal> FixtureSignals()
{
    const std::vector<uint8_t> Stereo16 = FixturePcm("tone-44100-16-2.wav");
    const std::vector<uint8_t> Stereo24 = FixturePcm("tone-48000-24-2.wav");
    return {{"mono 8-bit", 8000, 8, 1, FixturePcm("tone-8000-8-1.wav")},
            {"mono 16-bit", 22050, 16, 1, FixturePcm("tone-22050-16-1.wav")},
            {"stereo 16-bit", 44100, 16, 2, Stereo16},
            {"stereo 24-bit", 48000, 24, 2, Stereo24},
            {"stereo 32-bit", 48000, 32, 2, Widen24(Stereo24)},
            {"3 channels", 44100, 16, 3, Spread(Stereo16, 2, 3)},
            {"6 channels", 48000, 24, 6, Spread(Stereo24, 3, 6)},
            {"8 channels", 44100, 16, 8, Spread(Stereo16, 2, 8)}};
}

std::vector<uint8_t> ResampleSignal(const TSignal& Signal, uint32_t OutRate, bool Helpers,
                                    TFastResampler* Reused = nullptr)
{
    auto Source = BytesInput(Signal.Rate, Signal.Bits, Signal.Channels, Signal.Pcm, 3001);
    TFastResampler Own;
    TFastResampler& Resampler = Reused != nullptr ? *Reused : Own;
    Resampler.SetInput(Source.get());
    Resampler.SetOutSampleRate(OutRate);
    Resampler.SetHelperThreads(Helpers);
    std::vector<uint8_t> Out = PullAll(Resampler);
    Resampler.SetInput(nullptr);
    return Out;
}

} // namespace

TEST(FastResampler, HelperThreadsGiveTheSameBytes)
{
    for (const TSignal& Signal : FixtureSignals()) {
        ASSERT_FALSE(Signal.Pcm.empty()) << Signal.Name;
        // One resampler for every rate: each run starts its helpers afresh.
        TFastResampler Reused;
        for (const uint32_t OutRate : {8000u, 11025u, 22050u, 32000u, 44100u, 48000u}) {
            if (OutRate / 5 == static_cast<uint32_t>(Signal.Rate) / 5)
                continue;
            const std::vector<uint8_t> Alone = ResampleSignal(Signal, OutRate, false);
            ASSERT_FALSE(Alone.empty());
            EXPECT_TRUE(ResampleSignal(Signal, OutRate, true, &Reused) == Alone)
                << Signal.Name << " to " << OutRate << " Hz";
        }
    }
}

TEST(FastResampler, OutputsKeepTheirBitsWhicheverWayTheyAreComputed)
{
    // Fingerprints of what the resampler has always given for these fixtures;
    // any change to how the filter is computed must keep every bit.
    struct TCase {
        size_t Signal;
        uint32_t OutRate;
        uint64_t Expected;
    };
    const std::vector<TSignal> Signals = FixtureSignals();
    for (const TCase& Case : {TCase{2, 22050, 16719283050734935070u}, TCase{1, 44100, 4370759021784343426u},
                              TCase{4, 8000, 6769209179957391750u}, TCase{6, 32000, 17503234125991650633u},
                              TCase{0, 11025, 15968930583462350347u}}) {
        const TSignal& Signal = Signals[Case.Signal];
        for (const bool Helpers : {false, true})
            EXPECT_EQ(Fingerprint(ResampleSignal(Signal, Case.OutRate, Helpers)), Case.Expected)
                << Signal.Name << " to " << Case.OutRate << " Hz" << (Helpers ? " with helper threads" : "");
    }
}

namespace {

// What a run gives, chunk by chunk, until the end or a failure: the bytes, and
// the failure's text ("" for none). Before the chunk numbered SwitchAt, the
// input is switched to Other.
struct TRun {
    std::vector<uint8_t> Bytes;
    std::string Failure;
};

TRun PullUntilFailure(TFastResampler& Resampler, TAuInput* Other = nullptr, int SwitchAt = -1)
{
    TRun Run;
    Resampler.Init();
    try {
        for (int Chunk = 0;; ++Chunk) {
            if (Chunk == SwitchAt)
                Resampler.SetInput(Other);
            uint8_t* Buffer = nullptr;
            uint32_t Bytes = 5000;
            Resampler.GetData(Buffer, Bytes);
            if (Bytes == 0)
                break;
            Run.Bytes.insert(Run.Bytes.end(), Buffer, Buffer + Bytes);
        }
    } catch (const EAuException& E) {
        Run.Failure = E.what();
    }
    Resampler.Flush();
    return Run;
}

} // namespace

TEST(FastResampler, HelperThreadsKeepWhereAFailureShowsAndWhereASwitchedInputTakesOver)
{
    const std::vector<uint8_t> Pcm = FixturePcm("tone-44100-16-2.wav");
    ASSERT_FALSE(Pcm.empty());
    std::vector<TRun> Failing;
    std::vector<TRun> Switched;
    for (const bool Helpers : {false, true}) {
        // The input fails in its third block of a fifth of a second.
        auto Source = BytesInput(44100, 16, 2, Pcm, 3001);
        Source->FailAfter = 2 * 8820 * 4 + 1000;
        TFastResampler Resampler;
        Resampler.SetHelperThreads(Helpers);
        Resampler.SetOutSampleRate(22050);
        Resampler.SetInput(Source.get());
        Failing.push_back(PullUntilFailure(Resampler));

        // Another input takes over after the first block has been handed out
        // (by chunks of 5000 bytes, the first block is the first four chunks).
        auto First = BytesInput(44100, 16, 2, Pcm, 3001);
        auto Second = BytesInput(44100, 16, 2, std::vector<uint8_t>(Pcm.rbegin(), Pcm.rend()), 3001);
        Resampler.SetInput(First.get());
        Switched.push_back(PullUntilFailure(Resampler, Second.get(), 4));
        Resampler.SetInput(nullptr);
        EXPECT_EQ(Switched.back().Failure, "");
    }
    EXPECT_EQ(Failing[0].Failure, "synthetic failure");
    EXPECT_EQ(Failing[1].Failure, Failing[0].Failure);
    // Two whole blocks made it out before the failure.
    EXPECT_EQ(Failing[0].Bytes.size(), 2u * 4410 * 4);
    EXPECT_TRUE(Failing[1].Bytes == Failing[0].Bytes);
    // The first block of the first input, then the second input's, up to the
    // size the run began with.
    auto Unswitched = BytesInput(44100, 16, 2, Pcm, 3001);
    const std::vector<uint8_t> Plain = Resample(*Unswitched, 22050);
    ASSERT_EQ(Switched[0].Bytes.size(), Plain.size());
    EXPECT_TRUE(std::equal(Plain.begin(), Plain.begin() + 4410 * 4, Switched[0].Bytes.begin()));
    EXPECT_FALSE(std::equal(Plain.begin() + 4410 * 4, Plain.begin() + 4410 * 8, Switched[0].Bytes.begin() + 4410 * 4));
    EXPECT_TRUE(Switched[1].Bytes == Switched[0].Bytes);
}

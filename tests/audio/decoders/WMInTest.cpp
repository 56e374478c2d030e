// SPDX-License-Identifier: GPL-3.0-or-later
#include "AsfTestUtil.h"
#include "DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/core/ByteOrder.h"
#include "audio/decoders/MP3In.h"
#include "audio/decoders/WMFBinding.h"
#include "audio/decoders/WMIn.h"
#include "audio/tags/TagText.h"
#include "audio/wave/WaveOut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

const std::string Tone = FixturesDir() + "/tone-44100-16-2.wav";

// What FFmpeg's own decoder gives for File at 16 bits.
std::vector<uint8_t> Reference(const TTempDir& Dir, const std::string& File)
{
    const std::string Raw = Dir.File("reference.raw");
    Shell("ffmpeg -v error -y -i " + Quote(File) + " -f s16le " + Quote(Raw));
    return ReadBytes(Raw);
}

// FFmpeg's idea of the file's length in seconds.
double ProbedDuration(const std::string& File)
{
    std::string Out;
    RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(File), &Out);
    return std::stod(Out);
}

std::string Encode(const TTempDir& Dir, const std::string& Name, const std::string& Arguments,
                   const std::string& Source = Tone)
{
    const std::string File = Dir.File(Name);
    Shell("ffmpeg -v error -y -i " + Quote(Source) + " " + Arguments + " " + Quote(File));
    return File;
}

// Where the first mismatch is, for a readable failure.
::testing::AssertionResult SameBytes(const std::vector<uint8_t>& Got, const std::vector<uint8_t>& Expected)
{
    if (Got == Expected)
        return ::testing::AssertionSuccess();
    const auto Mismatch = std::mismatch(Got.begin(), Got.end(), Expected.begin(), Expected.end());
    return ::testing::AssertionFailure() << "got " << Got.size() << " bytes, expected " << Expected.size()
                                         << ", first difference at " << (Mismatch.first - Got.begin());
}

// Decodes File to the end and checks it against FFmpeg, cut to Size when the
// input states one.
void ExpectFFmpegsSamples(const TTempDir& Dir, TWMIn& In, const std::string& File)
{
    std::vector<uint8_t> Expected = Reference(Dir, File);
    In.Init();
    const int64_t Size = In.Size();
    if (Size > 0 && Size < static_cast<int64_t>(Expected.size()))
        Expected.resize(static_cast<size_t>(Size));
    EXPECT_TRUE(SameBytes(PullAll(In, 4099), Expected)) << File;
    EXPECT_TRUE(In.EndOfData());
    In.Flush();
}

// Sets the play duration of the file properties so that, less the preroll, it is Duration (100 ns).
void SetPlayDuration(const std::string& File, uint64_t Duration)
{
    std::vector<uint8_t> Bytes = ReadBytes(File);
    const size_t At = FindObject(Bytes, AsfGuid("8CABDCA1-A947-11CF-8EE4-00C00C205365")); // file properties
    const uint64_t Preroll = LE64(Bytes, At + 80) * 10000;
    PutLE64(Bytes, At + 64, Duration == 0 ? 0 : Duration + Preroll);
    WriteBytes(File, Bytes);
}

struct TWmaCase {
    const char* Codec;
    int Rate, Channels;
};

class WmaDecode : public ::testing::TestWithParam<TWmaCase> {};

} // namespace

TEST_P(WmaDecode, GivesFFmpegsSamplesAndTheLengthOfTheHeader)
{
    const TWmaCase& Case = GetParam();
    TTempDir Dir;
    const std::string File =
        Encode(Dir, "in.wma",
               "-ar " + std::to_string(Case.Rate) + " -ac " + std::to_string(Case.Channels) + " -c:a " + Case.Codec);
    TWMIn In;
    In.SetFileName(File);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.SampleRate(), Case.Rate);
    EXPECT_EQ(In.Channels(), Case.Channels);
    EXPECT_EQ(In.BitsPerSample(), 16);
    // The play duration less the preroll, in hundredths of a second.
    const int64_t Centiseconds = std::llround(ProbedDuration(File) * 100);
    EXPECT_EQ(In.TotalSamples(), Centiseconds * Case.Rate / 100);
    In.Init();
    EXPECT_EQ(In.Size(), Centiseconds * Case.Rate / 100 * Case.Channels * 2);
    In.Flush();
    ExpectFFmpegsSamples(Dir, In, File);
}

INSTANTIATE_TEST_SUITE_P(Versions, WmaDecode,
                         ::testing::Values(TWmaCase{"wmav1", 22050, 1}, TWmaCase{"wmav1", 44100, 2},
                                           TWmaCase{"wmav1", 48000, 2}, TWmaCase{"wmav1", 22050, 2},
                                           TWmaCase{"wmav2", 22050, 1}, TWmaCase{"wmav2", 44100, 1},
                                           TWmaCase{"wmav2", 48000, 1}, TWmaCase{"wmav2", 44100, 2},
                                           TWmaCase{"wmav2", 48000, 2}, TWmaCase{"wmav1", 44100, 1},
                                           TWmaCase{"wmav1", 48000, 1}, TWmaCase{"wmav2", 22050, 2}),
                         [](const auto& Info) {
                             return std::string(Info.param.Codec) + "_" + std::to_string(Info.param.Rate) + "_" +
                                    std::to_string(Info.param.Channels);
                         });

TEST(MP3In, GivesFFmpegsSamplesWithAThirdOfASecondMoreLength)
{
    TTempDir Dir;
    for (const std::string Arguments : {"-c:a libmp3lame -b:a 128k", "-ar 22050 -ac 1 -c:a libmp3lame -b:a 64k"}) {
        const std::string File = Encode(Dir, "in.mp3", Arguments);
        TMP3In In;
        In.SetFileName(File);
        ASSERT_TRUE(In.Valid()) << Arguments;
        const int Rate = In.SampleRate();
        const int64_t Centiseconds = std::llround(ProbedDuration(File) * 100);
        EXPECT_EQ(In.TotalSamples(), Centiseconds * Rate / 100 + Rate / 3) << Arguments;
        ExpectFFmpegsSamples(Dir, In, File);
    }
}

TEST(WMIn, TheThreeMinuteFiguresOfBothInputs)
{
    TTempDir Dir;
    const std::string File = Encode(Dir, "in.wma", "-c:a wmav2");
    SetPlayDuration(File, 180ull * 10000000);
    TWMIn Wm;
    Wm.SetFileName(File);
    ASSERT_TRUE(Wm.Valid());
    EXPECT_EQ(Wm.TotalSamples(), 7938000);
    EXPECT_EQ(Wm.Duration(), 180);
    Wm.Init();
    EXPECT_EQ(Wm.Size(), 31752000);
    Wm.Flush();

    TMP3In Mp3;
    Mp3.SetFileName(File);
    ASSERT_TRUE(Mp3.Valid());
    EXPECT_EQ(Mp3.TotalSamples(), 7952700);
    Mp3.Init();
    EXPECT_EQ(Mp3.Size(), 31810800);
    // Asking again while open adds nothing more.
    EXPECT_EQ(Mp3.TotalSamples(), 7952700);
    Mp3.Flush();
}

TEST(WMIn, AttributesFillTheId3v2Tags)
{
    TTempDir Dir;
    const std::string File =
        Encode(Dir, "in.wma",
               "-c:a wmav2 -metadata title='Grüße ♪ 𝄞' -metadata artist='Some Artist' -metadata album='Test Album' "
               "-metadata genre=Jazz -metadata track=7 -metadata date=2024 -metadata copyright='(c) Them'");
    TWMIn In;
    In.SetFileName(File);
    ASSERT_TRUE(In.Valid());
    TId3v2Tags& Tags = In.Id3v2Tags();
    EXPECT_EQ(Tags.Title(), u"Grüße ♪ 𝄞");
    EXPECT_EQ(Tags.Artist(), u"Some Artist");
    EXPECT_EQ(Tags.Album(), u"Test Album");
    EXPECT_EQ(Tags.Genre(), u"Jazz");
    EXPECT_EQ(Tags.Track(), "7");
    EXPECT_EQ(Tags.Year(), "2024");
    EXPECT_EQ(Tags.Comment(), u"(c) Them");
    // The bit rate the list shows, as the file states it.
    std::string Probed;
    RunCommand("ffprobe -v error -select_streams a -show_entries stream=bit_rate -of csv=p=0 " + Quote(File), &Probed);
    EXPECT_EQ(In.Bitrate(), std::stoul(Probed));

    // A file without them leaves the texts empty.
    In.SetFileName(Encode(Dir, "bare.wma", "-c:a wmav2 -map_metadata -1"));
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(Tags.Title(), u"");
    EXPECT_EQ(Tags.Track(), "");
}

TEST(WMIn, ChannelChoices)
{
    TTempDir Dir;
    const std::string File = Encode(Dir, "in.wma", "-c:a wmav2");
    TWMIn In;
    In.SetFileName(File);

    In.SetOutputChannels(cn5dot1);
    EXPECT_TRUE(In.HighPrecision());
    EXPECT_FALSE(In.Valid()); // a stereo file has no six-channel format
    In.SetOutputChannels(cn7dot1);
    EXPECT_FALSE(In.Valid());
    In.SetHighPrecision(false);
    EXPECT_TRUE(In.HighPrecision()); // ignored unless mono-or-stereo

    In.SetOutputChannels(cnMaxAvailable);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.Channels(), 2);
    EXPECT_EQ(In.BitsPerSample(), 16);
    EXPECT_EQ(In.SampleRate(), 44100);

    // A 16-bit source gains nothing from high precision.
    In.SetOutputChannels(cnMonoOrStereo);
    In.SetHighPrecision(true);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.BitsPerSample(), 16);
    ExpectFFmpegsSamples(Dir, In, File);
    In.SetHighPrecision(false);
    EXPECT_FALSE(In.HighPrecision());
}

TEST(WMIn, WithoutADurationNothingIsClippedAndTheWavStillTellsTheTruth)
{
    TTempDir Dir;
    const std::string File = Encode(Dir, "in.wma", "-c:a wmav2");
    SetPlayDuration(File, 0);
    TWMIn In;
    In.SetFileName(File);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.TotalSamples(), 0);
    In.Init();
    EXPECT_EQ(In.Size(), 0);
    In.Flush();
    ExpectFFmpegsSamples(Dir, In, File);

    TWaveOut Writer;
    const std::string Wav = Dir.File("out.wav");
    Writer.SetFileName(Wav);
    int Done = 0;
    Writer.SetOnDone([&](TAuComponent*) { ++Done; });
    Writer.SetInput(&In);
    Writer.Run();
    ASSERT_TRUE(PumpUntil([&] { return Done == 1; }));
    ASSERT_EQ(Writer.ExceptionMessage(), "");
    const std::vector<uint8_t> Expected = Reference(Dir, File);
    EXPECT_TRUE(SameBytes(WavData(Wav), Expected));
    const std::vector<uint8_t> Written = ReadBytes(Wav);
    EXPECT_EQ(LE32(Written, 4), Written.size() - 8);
    // The peer reads the length the data has.
    EXPECT_NEAR(ProbedDuration(Wav), static_cast<double>(Expected.size()) / 4 / 44100, 0.001);
}

TEST(WMIn, SeekingMovesByTime)
{
    TTempDir Dir;
    const std::string File = Encode(Dir, "in.wma", "-c:a wmav2");
    const std::vector<uint8_t> Whole = Reference(Dir, File);
    TWMIn In;
    In.SetFileName(File);
    ASSERT_TRUE(In.Valid());
    In.Init();
    const int64_t Half = In.TotalSamples() / 2;
    ASSERT_TRUE(In.Seek(Half));
    EXPECT_EQ(In.Position(), Half * 4);
    const size_t Rest = PullAll(In).size();
    // The runtime lands on a packet boundary near the time asked for.
    EXPECT_NEAR(static_cast<double>(Rest), static_cast<double>(Whole.size()) - Half * 4, 0.1 * 44100 * 4);
    In.Flush();

    // Looping starts over at the end.
    In.SetLoop(true);
    In.Init();
    const std::vector<uint8_t> Twice = PullAll(In, 10000, Whole.size() * 2);
    In.Flush();
    ASSERT_GE(Twice.size(), Whole.size() * 2);
    EXPECT_TRUE(std::equal(Whole.begin(), Whole.begin() + 4096, Twice.begin()));
}

TEST(WMIn, ProtectedFilesRaiseTheirMessage)
{
    TTempDir Dir;
    for (const auto& [Guid, Body] : ProtectionObjects()) {
        const std::string File = Encode(Dir, "in.wma", "-c:a wmav2");
        InsertObject(File, Guid, Body);
        TWMIn In;
        In.SetFileName(File);
        EXPECT_FALSE(In.Valid());
        try {
            In.SampleRate();
            ADD_FAILURE() << "no exception";
        } catch (const EAuException& E) {
            EXPECT_STREQ(E.what(), "File is protected");
        }
        EXPECT_THROW(In.Init(), EAuException);
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = 100;
        In.GetData(Buffer, Bytes);
        EXPECT_EQ(Bytes, 0u);
    }
}

TEST(WMIn, NoFileNameRaisesItsMessage)
{
    TWMIn In;
    try {
        In.SampleRate();
        ADD_FAILURE() << "no exception";
    } catch (const EAuException& E) {
        EXPECT_STREQ(E.what(), "File name is not assigned");
    }
}

TEST(WMIn, DamagedAndMislabelledFilesFailCleanly)
{
    TTempDir Dir;
    const std::string Wma = Encode(Dir, "good.wma", "-c:a wmav2");
    const std::vector<uint8_t> Good = ReadBytes(Wma);
    std::vector<std::string> Files;
    const auto Add = [&](const std::string& Name, const std::vector<uint8_t>& Bytes) {
        WriteBytes(Dir.File(Name), Bytes);
        Files.push_back(Dir.File(Name));
    };
    Add("empty.wma", {});
    Add("header-only.wma", std::vector<uint8_t>(Good.begin(), Good.begin() + 30));
    Add("cut-in-header.wma", std::vector<uint8_t>(Good.begin(), Good.begin() + 300));
    Add("cut-in-data.wma", std::vector<uint8_t>(Good.begin(), Good.begin() + static_cast<long>(Good.size() / 2)));
    std::vector<uint8_t> Noise(20000);
    uint32_t Seed = 12345;
    for (uint8_t& B : Noise)
        B = static_cast<uint8_t>((Seed = Seed * 1103515245 + 12345) >> 16);
    Add("noise.wma", Noise);
    std::vector<uint8_t> NoisyBody = Good;
    for (size_t I = 6000; I < NoisyBody.size(); I += 97)
        NoisyBody[I] ^= 0x5A;
    Add("noisy-data.wma", NoisyBody);
    // Object sizes and counts a damaged header may claim.
    std::vector<uint8_t> HugeSizes = Good;
    PutLE64(HugeSizes, 16, UINT64_MAX);
    PutLE32(&HugeSizes[24], UINT32_MAX);
    PutLE64(HugeSizes, 30 + 16, UINT64_MAX - 10);
    Add("huge-sizes.wma", HugeSizes);
    std::vector<uint8_t> ZeroSize = Good;
    PutLE64(ZeroSize, 30 + 16, 0);
    Add("zero-object-size.wma", ZeroSize);
    Add("flac.wma", ReadBytes(Encode(Dir, "x.flac", "-c:a flac")));
    Add("wav.mp3", ReadBytes(Tone));
    Add("ogg.wma", ReadBytes(Encode(Dir, "x.ogg", "-c:a libvorbis")));

    for (const std::string& File : Files) {
        for (int Kind = 0; Kind < 2; ++Kind) {
            std::unique_ptr<TWMIn> In = Kind == 0 ? std::make_unique<TWMIn>() : std::make_unique<TMP3In>();
            In->SetFileName(File);
            if (!In->Valid())
                continue;
            try {
                In->Init();
                PullAll(*In, 10000, size_t{1} << 24);
                In->Flush();
            } catch (const EAuException& E) {
                EXPECT_STRNE(E.what(), "") << File;
                In->Reset();
            }
        }
    }
    // What the container or the codec does not offer is refused.
    for (const char* Name : {"empty.wma", "header-only.wma", "noise.wma", "flac.wma", "wav.mp3", "ogg.wma"}) {
        TWMIn In;
        In.SetFileName(Dir.File(Name));
        EXPECT_FALSE(In.Valid()) << Name;
        EXPECT_THROW(In.Init(), EAuException) << Name;
    }
}

TEST(WMIn, FilesFromTheWildDecodeAsFFmpegDoesOrFailCleanly)
{
    TTempDir Dir;
    for (const auto& Entry : std::filesystem::directory_iterator(FixturesDir() + "/wild")) {
        const std::string Name = Entry.path().string();
        const std::string Extension = Entry.path().extension().string();
        if (Extension != ".wma" && Extension != ".mp3")
            continue;
        std::unique_ptr<TWMIn> In = Extension == ".wma" ? std::make_unique<TWMIn>() : std::make_unique<TMP3In>();
        In->SetFileName(Name);
        const bool Valid = In->Valid();
        // What FFmpeg gets out of it, if anything.
        const std::string Raw = Dir.File("wild.raw");
        std::filesystem::remove(Raw);
        RunCommand("ffmpeg -v quiet -y -i " + Quote(Name) + " -f s16le " + Quote(Raw));
        std::vector<uint8_t> Expected = std::filesystem::exists(Raw) ? ReadBytes(Raw) : std::vector<uint8_t>();
        if (!Valid) {
            EXPECT_TRUE(Expected.empty()) << Name << " decodes in FFmpeg";
            continue;
        }
        In->Init();
        if (In->Size() > 0 && In->Size() < static_cast<int64_t>(Expected.size()))
            Expected.resize(static_cast<size_t>(In->Size()));
        EXPECT_TRUE(SameBytes(PullAll(*In, 10000, size_t{1} << 26), Expected)) << Name;
        In->Flush();
    }
}

TEST(WMFBinding, WhileTheRuntimeIsMissingTheFormatReadsZero)
{
    TTempDir Dir;
    const std::string Wma = Encode(Dir, "in.wma", "-c:a wmav2");
    TWMFBinding& Library = WMFLibrary();
    const std::vector<std::string> Real = Library.FileNames();
    Library.Forget();
    Library.SetFileNames({Dir.File("no-such-wmvcore.so")});
    TWMIn In;
    In.SetFileName(Wma);
    EXPECT_EQ(In.SampleRate(), 0);
    Library.SetFileNames(Real);
    EXPECT_EQ(In.SampleRate(), 44100);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "StandInTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/decoders/APEException.h"
#include "audio/decoders/MACDllBinding.h"
#include "audio/decoders/MACIn.h"
#include "audio/decoders/TTAIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

struct TApeCase {
    const char* Name; // fixture without its extension
    int Rate, Bits, Channels;
    int DurationSeconds; // whole seconds of the length, never rounded up
};

const TApeCase ApeCases[] = {
    {"tone-8000-8-1", 8000, 8, 1, 0},
    {"tone-22050-16-1", 22050, 16, 1, 1},
    {"tone-44100-16-2", 44100, 16, 2, 1},
    {"tone-48000-24-2", 48000, 24, 2, 0},
};

std::string Fixture(const std::string& Name) { return FixturesDir() + "/" + Name; }

class ApeDecode : public ::testing::TestWithParam<TApeCase> {};

} // namespace

TEST_P(ApeDecode, GivesExactlyTheSourceSamples)
{
    const TApeCase& Case = GetParam();
    const std::vector<uint8_t> Expected = WavData(Fixture(std::string(Case.Name) + ".wav"));
    const int Frame = Case.Bits / 8 * Case.Channels;

    TMACIn In;
    EXPECT_EQ(In.Bitrate(), 0);
    In.SetFileName(Fixture(std::string(Case.Name) + ".ape"));
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.SampleRate(), Case.Rate);
    EXPECT_EQ(In.BitsPerSample(), Case.Bits);
    EXPECT_EQ(In.Channels(), Case.Channels);
    EXPECT_EQ(In.TotalSamples(), static_cast<int64_t>(Expected.size()) / Frame);
    EXPECT_EQ(In.Duration(), Case.DurationSeconds);
    In.Init();
    EXPECT_EQ(In.Size(), static_cast<int64_t>(Expected.size()));
    EXPECT_EQ(In.FrameSize(), Frame);
    EXPECT_EQ(PullAll(In, 1000 * Frame + 1), Expected);
    In.Flush();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ApeDecode, ::testing::ValuesIn(ApeCases),
                         [](const auto& Info) {
                             std::string Name = std::string(Info.param.Name).substr(5);
                             std::replace(Name.begin(), Name.end(), '-', '_');
                             return Name;
                         });

TEST(ApeException, TextsComeFromTheCodeTable)
{
    EXPECT_STREQ(EAPEException(1004).what(), "MACDll error: input file file too large");
    EXPECT_STREQ(EAPEException(7).what(), "MACDll error: undefined (7)");
    EXPECT_STREQ(EAPEException(0).what(), "MACDll error: OK");
    EXPECT_STREQ(EAPEException(1002).what(), "MACDll error: invalid input file");
    EXPECT_STREQ(EAPEException(4001).what(), "MACDll error: skipped...");
    EXPECT_STREQ(EAPEException(6000).what(), "MACDll error: APE compress too much data");
    EXPECT_STREQ(EAPEException(-1).what(), "MACDll error: undefined (-1)");
    EXPECT_EQ(EAPEException(1013).Code(), 1013);
}

TEST(Ape, TheTagFillsTheAPEv2Object)
{
    TMACIn In;
    In.SetFileName(Fixture("tagged-id3v1.ape"));
    ASSERT_TRUE(In.Valid());
    const TAPEv2Tags& Tags = In.APEv2Tags();
    EXPECT_EQ(Tags.Title(), u"Tone Title");
    EXPECT_EQ(Tags.Artist(), u"Some Artist");
    EXPECT_EQ(Tags.Album(), u"Test Album");
    EXPECT_EQ(Tags.Year(), "2024");
    // The comment is read across the whole field: the track number stops it.
    EXPECT_EQ(Tags.Comment(), u"a comment");
    In.Init();
    EXPECT_EQ(PullAll(In), WavData(Fixture("tone-44100-16-2.wav")));
    In.Flush();

    // A file without a tag leaves the object cleared.
    In.SetFileName(Fixture("tone-44100-16-2.ape"));
    ASSERT_TRUE(In.Valid());
    EXPECT_TRUE(In.APEv2Tags().Title().empty());
    EXPECT_TRUE(In.APEv2Tags().Year().empty());
}

namespace {

// An APEv2 tag (items, then the 32-byte footer) for the end of a file.
std::vector<uint8_t> ApeTag(const std::vector<std::pair<std::string, std::string>>& Items)
{
    std::vector<uint8_t> Tag;
    auto Put32 = [&](uint32_t V) {
        for (int B = 0; B < 4; ++B)
            Tag.push_back(static_cast<uint8_t>(V >> (8 * B)));
    };
    for (const auto& [Key, Value] : Items) {
        Put32(static_cast<uint32_t>(Value.size()));
        Put32(0);
        Tag.insert(Tag.end(), Key.begin(), Key.end());
        Tag.push_back(0);
        Tag.insert(Tag.end(), Value.begin(), Value.end());
    }
    const uint32_t Size = static_cast<uint32_t>(Tag.size()) + 32;
    const std::string Magic = "APETAGEX";
    Tag.insert(Tag.end(), Magic.begin(), Magic.end());
    Put32(2000);
    Put32(Size);
    Put32(static_cast<uint32_t>(Items.size()));
    Put32(0);
    Tag.insert(Tag.end(), 8, 0);
    return Tag;
}

} // namespace

TEST(Ape, AnAPEv2TagWithoutAnId3v1BlockIsMappedToItsFields)
{
    TTempDir Dir;
    std::vector<uint8_t> File = ReadBytes(Fixture("tone-44100-16-2.ape"));
    const std::vector<uint8_t> Tag = ApeTag({{"Title", "Tagged Title"},
                                             {"Artist", "\xC3\x84rtist \xE2\x82\xAC"},
                                             {"Album", "An album whose name is longer than thirty bytes"},
                                             {"Year", "2023-05-01"}});
    File.insert(File.end(), Tag.begin(), Tag.end());
    const std::string Tagged = Dir.File("apev2.ape");
    WriteBytes(Tagged, File);
    std::string Probe;
    ASSERT_EQ(RunCommand("ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 " + Quote(Tagged), &Probe), 0);
    ASSERT_EQ(Probe, "Tagged Title\n") << "ffprobe does not see the tag as made";

    TMACIn In;
    In.SetFileName(Tagged);
    ASSERT_TRUE(In.Valid());
    const TAPEv2Tags& Tags = In.APEv2Tags();
    EXPECT_EQ(Tags.Title(), u"Tagged Title");
    // The tag's own items, not the component's ISO-8859-1 record of 30 bytes
    // a field, which would give "\u00C4rtist ?" and "An album whose name is longer ".
    EXPECT_EQ(Tags.Artist(), u"\u00C4rtist \u20AC");
    EXPECT_EQ(Tags.Album(), u"An album whose name is longer than thirty bytes");
    EXPECT_EQ(Tags.Year(), "2023-05-01");
    EXPECT_TRUE(Tags.Comment().empty());
    In.Init();
    EXPECT_EQ(PullAll(In), WavData(Fixture("tone-44100-16-2.wav")));
    In.Flush();
}

TEST(Ape, TwentyFourBitStereoRefillsInWholeFramesOf8190Bytes)
{
    TMACIn In;
    In.SetFileName(Fixture("tone-48000-24-2.ape"));
    In.Init();
    ASSERT_EQ(In.FrameSize(), 6);
    int64_t Total = 0;
    for (;;) {
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = 100000;
        In.GetData(Buffer, Bytes);
        if (Bytes == 0)
            break;
        Total += Bytes;
        if (Total < In.Size()) {
            ASSERT_EQ(Bytes, 8190u) << "at " << Total;
        }
    }
    EXPECT_EQ(Total, 144000);
    In.Flush();
}

TEST(Ape, ARequestIsCutToWholeFrames)
{
    const std::vector<uint8_t> Expected = WavData(Fixture("tone-44100-16-2.wav"));
    TMACIn In;
    In.SetFileName(Fixture("tone-44100-16-2.ape"));
    In.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 5;
    In.GetData(Buffer, Bytes);
    ASSERT_EQ(Bytes, 4u);
    EXPECT_EQ(std::vector<uint8_t>(Buffer, Buffer + 4), std::vector<uint8_t>(Expected.begin(), Expected.begin() + 4));
    In.Flush();
}

TEST(Ape, DurationIsTheLengthInWholeSecondsAndBitrateInKilobits)
{
    TMACIn In;
    // 3.550023 s: truncated, not rounded.
    In.SetFileName(FixturesDir() + "/wild/mac-399.ape");
    EXPECT_EQ(In.Duration(), 3);
    // What ffprobe states for the file, 192 kbit/s.
    std::string Probe;
    ASSERT_EQ(RunCommand("ffprobe -v error -show_entries format=bit_rate -of default=nw=1:nk=1 " +
                             Quote(FixturesDir() + "/wild/mac-399.ape"),
                         &Probe),
              0);
    EXPECT_EQ(In.Bitrate(), std::stoi(Probe) / 1000);
}

TEST(Ape, SeeksAndPlayRangesGiveTheSamplesFromThere)
{
    const std::vector<uint8_t> All = WavData(Fixture("tone-44100-16-2.wav"));
    auto Slice = [&](int64_t From, int64_t To) {
        return std::vector<uint8_t>(All.begin() + From * 4, All.begin() + To * 4);
    };
    TMACIn In;
    In.SetFileName(Fixture("tone-44100-16-2.ape"));
    In.SetStartSample(10000);
    In.SetEndSample(19999);
    In.Init();
    EXPECT_EQ(PullAll(In), Slice(10000, 20000));
    In.Flush();

    In.Init();
    std::vector<uint8_t> Start(40000);
    bool End = false;
    EXPECT_EQ(In.FillBuffer(Start.data(), 40000, End), 40000u);
    // Back into the middle of a frame, to the start, far ahead, near the end.
    for (int64_t Frame : {int64_t{30001}, int64_t{0}, int64_t{5}, int64_t{44050}}) {
        ASSERT_TRUE(In.Seek(Frame)) << Frame;
        uint8_t Piece[400];
        const uint32_t Got = In.CopyData(Piece, sizeof Piece);
        const int64_t Want = std::min<int64_t>(100, 44100 - Frame);
        ASSERT_EQ(Got, Want * 4) << Frame;
        EXPECT_EQ(std::vector<uint8_t>(Piece, Piece + Got), Slice(Frame, Frame + Want)) << Frame;
    }
    In.Flush();
}

TEST(Ape, LoopStartsAgainAtTheBeginning)
{
    const std::vector<uint8_t> Expected = WavData(Fixture("tone-22050-16-1.wav"));
    TMACIn In;
    In.SetFileName(Fixture("tone-22050-16-1.ape"));
    In.SetLoop(true);
    In.Init();
    std::vector<uint8_t> Twice(Expected.size() * 2);
    bool End = false;
    ASSERT_EQ(In.FillBuffer(Twice.data(), static_cast<uint32_t>(Twice.size()), End), Twice.size());
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.end(), Twice.begin()));
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.end(), Twice.begin() + static_cast<std::ptrdiff_t>(Expected.size())));
    In.Flush();
}

TEST(Ape, FilesTheComponentRefusesRaiseItsCode)
{
    TTempDir Dir;
    const std::string Mislabelled = Dir.File("wave.ape");
    std::filesystem::copy_file(Fixture("tone-44100-16-2.wav"), Mislabelled);
    TMACIn In;
    In.SetFileName(Mislabelled);
    EXPECT_FALSE(In.Valid());
    ExpectInitFails(In, "MACDll error: invalid input file");
    In.SetFileName(Dir.File("absent.ape"));
    EXPECT_FALSE(In.Valid());
    ExpectInitFails(In, "MACDll error: I/O read error");
}

TEST(ApeLibrary, AComponentWithoutTheEntryPointsFailsWithAnException)
{
    TTempDir Dir;
    TLibraryAway Away(MACDllLibrary(), "libkelvaro-macdll.so", Dir);
    MACDllLibrary().SetFileNames({ProgramFolder() + "/libkelvaro-ttalib.so"});
    TMACIn In;
    In.SetFileName(Fixture("tone-22050-16-1.ape"));
    EXPECT_FALSE(In.Valid());
    EXPECT_THROW(In.Init(), EAuException);
    In.Reset();
}

TEST(ApeWild, RealFilesDecodeAsFFmpegDecodesThem)
{
    TTempDir Dir;
    for (const char* Name : {"mac-399.ape", "mac-399-id3v2.ape", "mac-399-tagged.ape"}) {
        const std::string File = FixturesDir() + "/wild/" + Name;
        TMACIn In;
        ExpectDecodes(In, File, FFmpegDecode16(Dir, File));
    }
}

TEST(ApeWild, ACutFileGivesAllThatCanBeDecodedEvenInSmallPieces)
{
    TTempDir Dir;
    const std::vector<uint8_t> Whole = ReadBytes(Fixture("tone-44100-16-2.ape"));
    const std::string Cut = Dir.File("cut.ape");
    WriteBytes(Cut, std::vector<uint8_t>(Whole.begin(), Whole.begin() + 30000));
    TMACIn In;
    In.SetFileName(Cut);
    ASSERT_TRUE(In.Valid());
    In.Init();
    // The bytes buffered when the component runs dry still arrive.
    const std::vector<uint8_t> Got = PullAll(In, 1000);
    In.Flush();
    const std::string Raw = Dir.File("cut.raw");
    // FFmpeg reports the damage but writes what it decoded.
    RunCommand("ffmpeg -v quiet -y -i " + Quote(Cut) + " -f s16le " + Quote(Raw));
    const std::vector<uint8_t> Expected = ReadBytes(Raw);
    ASSERT_GT(Expected.size(), 0u);
    EXPECT_EQ(Got, Expected);
}

TEST(ApeWild, BrokenFilesFailCleanly)
{
    for (const char* Name : {"zerodiv.ape", "longloop.ape", "mac-396.ape", "mac-390-hdr.ape"}) {
        TMACIn In;
        OpenAndPull(In, FixturesDir() + "/wild/" + Name);
    }
}

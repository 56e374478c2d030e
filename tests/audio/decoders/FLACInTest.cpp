// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/core/ByteOrder.h"
#include "audio/decoders/FLACIn.h"
#include "audio/tags/TagText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

struct TFlacCase {
    const char* Name;
    const char* Source; // fixture WAV
    const char* Sox;    // how sox derives the case from it ("" = as it is)
    int Rate, Bits, Channels;
};

const TFlacCase FlacCases[] = {
    {"mono8", "tone-8000-8-1.wav", "", 8000, 8, 1},
    {"stereo8", "tone-8000-8-1.wav", "-c 2", 8000, 8, 2},
    {"mono16", "tone-22050-16-1.wav", "", 22050, 16, 1},
    {"stereo16", "tone-44100-16-2.wav", "", 44100, 16, 2},
    {"mono24", "tone-48000-24-2.wav", "remix 1", 48000, 24, 1},
    {"stereo24", "tone-48000-24-2.wav", "", 48000, 24, 2},
};

// Makes Case's WAV (derived with sox where needed) and its FLAC encoding in Dir.
void MakeCase(const TTempDir& Dir, const TFlacCase& Case, std::string& Wav, std::string& Flac)
{
    Wav = FixturesDir() + "/" + Case.Source;
    if (*Case.Sox != '\0') {
        const std::string Derived = Dir.File(std::string(Case.Name) + ".wav");
        const std::string Args = Case.Sox;
        const bool IsRemix = Args.rfind("remix", 0) == 0;
        Shell("sox " + Quote(Wav) + (IsRemix ? " " : " " + Args + " ") + Quote(Derived) + (IsRemix ? " " + Args : ""));
        Wav = Derived;
    }
    Flac = Dir.File(std::string(Case.Name) + ".flac");
    Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(Wav));
}

class FlacDecode : public ::testing::TestWithParam<TFlacCase> {};

} // namespace

TEST_P(FlacDecode, GivesExactlyTheSourceSamples)
{
    const TFlacCase& Case = GetParam();
    TTempDir Dir;
    std::string Wav, Flac;
    MakeCase(Dir, Case, Wav, Flac);
    const std::vector<uint8_t> Expected = WavData(Wav);
    const int Frame = Case.Bits / 8 * Case.Channels;

    TFLACIn In;
    In.SetFileName(Flac);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.SampleRate(), Case.Rate);
    EXPECT_EQ(In.BitsPerSample(), Case.Bits);
    EXPECT_EQ(In.Channels(), Case.Channels);
    EXPECT_EQ(In.TotalSamples(), static_cast<int64_t>(Expected.size()) / Frame);
    // Half seconds round to even.
    EXPECT_EQ(In.Duration(), static_cast<int>(std::nearbyint(static_cast<double>(Expected.size()) / Frame / Case.Rate)));
    In.Init();
    EXPECT_EQ(In.Size(), static_cast<int64_t>(Expected.size()));
    EXPECT_EQ(In.FrameSize(), Frame);
    // Pieces that are not whole frames are cut down to whole frames.
    EXPECT_EQ(PullAll(In, 1000 * Frame + 1), Expected);
    In.Flush();
}

INSTANTIATE_TEST_SUITE_P(Depths, FlacDecode, ::testing::ValuesIn(FlacCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

class FlacTest : public ::testing::Test {
protected:
    void SetUp() override { MakeCase(Dir, FlacCases[3], Wav, Flac); }

    TTempDir Dir;
    std::string Wav, Flac;
};

TEST_F(FlacTest, ARequestSmallerThanAFrameGivesNothing)
{
    TFLACIn In;
    In.SetFileName(Flac);
    In.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 3;
    In.GetData(Buffer, Bytes);
    EXPECT_EQ(Bytes, 0u);
    In.Flush();
}

TEST_F(FlacTest, PlayRangeAndSeeksGiveTheSamplesFromThere)
{
    const std::vector<uint8_t> All = WavData(Wav);
    auto Slice = [&](int64_t From, int64_t To) {
        return std::vector<uint8_t>(All.begin() + From * 4, All.begin() + To * 4);
    };
    TFLACIn In;
    In.SetFileName(Flac);
    In.SetStartSample(10000);
    In.SetEndSample(19999);
    In.Init();
    EXPECT_EQ(In.TotalSamples(), 10000);
    EXPECT_EQ(PullAll(In), Slice(10000, 20000));
    In.Flush();

    In.Init();
    std::vector<uint8_t> Start(40000);
    bool End = false;
    EXPECT_EQ(In.FillBuffer(Start.data(), 40000, End), 40000u);
    // Back, into the middle of a block, into the first block, onto a block start, into the short last block.
    for (int64_t Frame : {int64_t{30001}, int64_t{5}, int64_t{4096}, int64_t{20}, int64_t{44050}}) {
        ASSERT_TRUE(In.Seek(Frame)) << Frame;
        uint8_t Piece[400];
        const uint32_t Got = In.CopyData(Piece, sizeof Piece);
        const int64_t Want = std::min<int64_t>(100, 44100 - Frame);
        ASSERT_EQ(Got, Want * 4) << Frame;
        EXPECT_EQ(std::vector<uint8_t>(Piece, Piece + Got), Slice(Frame, Frame + Want)) << Frame;
        EXPECT_EQ(In.Position(), (Frame + Want) * 4);
    }
    EXPECT_FALSE(In.CheckMD5Signature());
    In.Flush();
}

TEST_F(FlacTest, TheSignatureIsCheckedWhenAsked)
{
    TFLACIn In;
    In.SetCheckMD5Signature(true);
    In.SetFileName(Flac);
    In.Init();
    PullAll(In);
    In.Flush();
    EXPECT_TRUE(In.MD5Result());

    // A damaged frame decodes to something else than what was signed.
    std::vector<uint8_t> Bytes = ReadBytes(Flac);
    Bytes[Bytes.size() / 2] ^= 0x5A;
    const std::string Damaged = Dir.File("damaged.flac");
    WriteBytes(Damaged, Bytes);
    In.SetCheckMD5Signature(true);
    In.SetFileName(Damaged);
    try {
        In.Init();
        PullAll(In);
        In.Flush();
        EXPECT_FALSE(In.MD5Result());
    } catch (const EAuException&) {
        In.Flush();
    }
}

namespace {

// Replaces the metadata after STREAMINFO by one Vorbis comment block holding Lines.
std::vector<uint8_t> WithComments(const std::vector<uint8_t>& Flac, const std::vector<std::string>& Lines)
{
    size_t At = 4;
    std::vector<uint8_t> StreamInfo;
    bool Last = false;
    while (!Last) {
        Last = (Flac.at(At) & 0x80) != 0;
        const size_t Length = (Flac.at(At + 1) << 16) | (Flac.at(At + 2) << 8) | Flac.at(At + 3);
        if ((Flac[At] & 0x7F) == 0)
            StreamInfo.assign(Flac.begin() + At, Flac.begin() + At + 4 + Length);
        At += 4 + Length;
    }
    std::vector<uint8_t> Body;
    auto Put32 = [&](uint32_t V) {
        uint8_t B[4];
        PutLE32(B, V);
        Body.insert(Body.end(), B, B + 4);
    };
    const std::string Vendor = "test";
    Put32(static_cast<uint32_t>(Vendor.size()));
    Body.insert(Body.end(), Vendor.begin(), Vendor.end());
    Put32(static_cast<uint32_t>(Lines.size()));
    for (const std::string& Line : Lines) {
        Put32(static_cast<uint32_t>(Line.size()));
        Body.insert(Body.end(), Line.begin(), Line.end());
    }
    std::vector<uint8_t> Out = {'f', 'L', 'a', 'C'};
    StreamInfo[0] = 0x00;
    Out.insert(Out.end(), StreamInfo.begin(), StreamInfo.end());
    Out.push_back(0x84);
    Out.push_back(static_cast<uint8_t>(Body.size() >> 16));
    Out.push_back(static_cast<uint8_t>(Body.size() >> 8));
    Out.push_back(static_cast<uint8_t>(Body.size()));
    Out.insert(Out.end(), Body.begin(), Body.end());
    Out.insert(Out.end(), Flac.begin() + At, Flac.end());
    return Out;
}

} // namespace

TEST_F(FlacTest, CommentNamesMatchInAnyCaseAndTheFirstLineWins)
{
    const std::string Tagged = Dir.File("tagged.flac");
    WriteBytes(Tagged, WithComments(ReadBytes(Flac), {"TiTlE=Caf\xc3\xa9", "artist=First", "ARTIST=Second",
                                                      "album", "tracknumber=7", "REPLAYGAIN_TRACK_GAIN=-3.5 dB"}));
    TFLACIn In;
    In.SetFileName(Tagged);
    ASSERT_TRUE(In.Valid());
    TVorbisTags& Tags = In.Tags();
    EXPECT_EQ(Utf16ToUtf8(Tags.Title()), "Caf\xc3\xa9");
    EXPECT_EQ(Utf16ToUtf8(Tags.Artist()), "First");
    EXPECT_EQ(Utf16ToUtf8(Tags.Album()), "");
    EXPECT_EQ(Utf16ToUtf8(Tags.Track()), "7");
    EXPECT_EQ(Utf16ToUtf8(Tags.TrackGain()), "-3.5 dB");
    // The audio is untouched by the new metadata.
    In.Init();
    EXPECT_EQ(PullAll(In), WavData(Wav));
    In.Flush();
}

TEST(FlacWild, FilesFromTheWildDecodeAsTheReferenceDecoderDoes)
{
    TTempDir Dir;
    for (const auto& Entry : std::filesystem::directory_iterator(FixturesDir() + "/wild")) {
        if (Entry.path().extension() != ".flac")
            continue;
        const std::string Name = Entry.path().string();
        const std::string Raw = Dir.File("ref.raw");
        const bool Reference = RunCommand("flac -s -d -f --force-raw-format --endian=little --sign=signed -o " +
                                          Quote(Raw) + " " + Quote(Name) + " 2>/dev/null") == 0;
        TFLACIn In;
        In.SetFileName(Name);
        if (!In.Valid()) {
            EXPECT_FALSE(Reference) << Name;
            continue;
        }
        std::vector<uint8_t> Ours;
        try {
            In.Init();
            Ours = PullAll(In);
        } catch (const EAuException&) {
        }
        In.Flush();
        if (Reference && In.BitsPerSample() != 8) {
            EXPECT_EQ(Ours, ReadBytes(Raw)) << Name;
        }
    }
}

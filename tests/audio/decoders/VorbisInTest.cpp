// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/decoders/FLACIn.h"
#include "audio/decoders/VorbisBinding.h"
#include "audio/decoders/VorbisIn.h"
#include "audio/tags/TagText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

class VorbisTest : public ::testing::Test {
protected:
    std::string Encode(const std::string& Fixture, const std::string& Options = "")
    {
        const std::string Ogg = Dir.File(Fixture + ".ogg");
        Shell("oggenc -Q " + Options + " -o " + Quote(Ogg) + " " + Quote(FixturesDir() + "/" + Fixture));
        return Ogg;
    }

    std::vector<uint8_t> Reference(const std::string& Ogg)
    {
        const std::string Raw = Dir.File("reference.raw");
        Shell("oggdec -Q -b 16 -e 0 -s 1 -R -o " + Quote(Raw) + " " + Quote(Ogg));
        return ReadBytes(Raw);
    }

    TTempDir Dir;
};

} // namespace

TEST_F(VorbisTest, DecodesExactlyAsTheReferenceDecoder)
{
    for (const char* Fixture : {"tone-22050-16-1.wav", "tone-44100-16-2.wav", "tone-48000-24-2.wav"}) {
        const std::string Ogg = Encode(Fixture);
        TVorbisIn In;
        In.SetFileName(Ogg);
        ASSERT_TRUE(In.Valid()) << Fixture;
        const int Channels = In.Channels();
        EXPECT_EQ(In.BitsPerSample(), 16);
        EXPECT_GT(In.Bitrate(), 0);
        In.Init();
        EXPECT_EQ(In.FrameSize(), 2 * Channels);
        const std::vector<uint8_t> Expected = Reference(Ogg);
        EXPECT_EQ(In.Size(), static_cast<int64_t>(Expected.size())) << Fixture;
        // Small pieces: nothing buffered may be lost at the end.
        EXPECT_EQ(PullAll(In, 1000), Expected) << Fixture;
        In.Flush();
    }
}

TEST_F(VorbisTest, NamesAreLoweredAndTheLaterEntryWins)
{
    const std::string Ogg = Encode("tone-22050-16-1.wav", "-c 'TITLE=First' -c 'title=Caf\xc3\xa9' -c 'Artist=Someone'"
                                                          " -c 'tracknumber=3' -c 'comment=ignored'");
    TVorbisIn In;
    In.SetFileName(Ogg);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(Utf16ToUtf8(In.Tags().Title()), "Caf\xc3\xa9");
    EXPECT_EQ(Utf16ToUtf8(In.Tags().Artist()), "Someone");
    EXPECT_EQ(Utf16ToUtf8(In.Tags().Track()), "3");
    EXPECT_EQ(Utf16ToUtf8(In.Tags().Album()), "");
}

TEST_F(VorbisTest, SeeksAndPlayRangesLandOnTheirSample)
{
    const std::string Ogg = Encode("tone-44100-16-2.wav");
    const std::vector<uint8_t> All = Reference(Ogg);
    TVorbisIn In;
    In.SetFileName(Ogg);
    In.SetStartSample(1000);
    In.SetEndSample(1999);
    In.Init();
    EXPECT_EQ(PullAll(In), std::vector<uint8_t>(All.begin() + 4000, All.begin() + 8000));
    In.Flush();
    In.Init();
    ASSERT_TRUE(In.Seek(22050));
    uint8_t Piece[400];
    ASSERT_EQ(In.CopyData(Piece, sizeof Piece), sizeof Piece);
    EXPECT_EQ(std::vector<uint8_t>(Piece, Piece + sizeof Piece),
              std::vector<uint8_t>(All.begin() + 22050 * 4, All.begin() + 22050 * 4 + 400));
    In.Flush();
}

TEST_F(VorbisTest, DamagedAndForeignFilesFailCleanly)
{
    const std::vector<uint8_t> Good = ReadBytes(Encode("tone-44100-16-2.wav"));
    std::vector<std::string> Files;
    auto Add = [&](const std::vector<uint8_t>& Bytes) {
        Files.push_back(Dir.File("bad" + std::to_string(Files.size()) + ".ogg"));
        WriteBytes(Files.back(), Bytes);
    };
    Add(std::vector<uint8_t>(Good.begin(), Good.begin() + Good.size() / 2));
    Add(std::vector<uint8_t>(Good.begin(), Good.begin() + 60));
    std::vector<uint8_t> Flipped = Good;
    for (size_t I = 100; I < Flipped.size(); I += 211)
        Flipped[I] ^= 0x3C;
    Add(Flipped);
    const std::string Text = "plain text, not an Ogg stream\n";
    Add(std::vector<uint8_t>(Text.begin(), Text.end()));
    for (const auto& Entry : std::filesystem::directory_iterator(FixturesDir() + "/wild"))
        if (Entry.path().extension() == ".ogg" || Entry.path().extension() == ".oga")
            Files.push_back(Entry.path().string());
    for (const std::string& Name : Files) {
        TVorbisIn In;
        In.SetFileName(Name);
        if (!In.Valid())
            continue;
        try {
            In.Init();
            const std::vector<uint8_t> Data = PullAll(In);
            if (In.Size() >= 0) {
                EXPECT_LE(static_cast<int64_t>(Data.size()), In.Size()) << Name;
            }
        } catch (const EAuException& E) {
            EXPECT_STRNE(E.what(), "") << Name;
        }
        In.Flush();
    }
    TVorbisIn Foreign;
    Foreign.SetFileName(Files[3]);
    try {
        Foreign.Init();
        ADD_FAILURE();
    } catch (const EAuException& E) {
        EXPECT_EQ(std::string(E.what()).rfind("Failed to open an ogg file: ", 0), 0u) << E.what();
    }
    Foreign.Flush();
    TVorbisIn Missing;
    Missing.SetFileName(Dir.File("missing.ogg"));
    EXPECT_FALSE(Missing.Valid());
}

// Each of the four libraries must load, and the first one missing is named;
// the other decoders keep working meanwhile.
TEST_F(VorbisTest, MissingLibrariesAreNamedInOrder)
{
    const std::string Ogg = Encode("tone-22050-16-1.wav");
    const std::string Flac = Dir.File("other.flac");
    Shell("flac -s -f -o " + Quote(Flac) + " " + Quote(FixturesDir() + "/tone-22050-16-1.wav"));
    struct TEntry {
        TLibraryBinding* Library;
        const char* Message;
    };
    const TEntry Libraries[] = {
        {&OggLibrary(), "ogg.dll library could not be loaded."},
        {&VorbisLibrary(), "vorbis.dll library could not be loaded."},
        {&VorbisFileLibrary(), "vorbisfile.dll library could not be loaded."},
        {&VorbisEncLibrary(), "vorbisenc.dll library could not be loaded."},
    };
    for (const TEntry& Entry : Libraries) {
        const std::vector<std::string> Real = Entry.Library->FileNames();
        Entry.Library->Forget();
        Entry.Library->SetFileNames({Dir.File("absent.so")});
        TVorbisIn In;
        In.SetFileName(Ogg);
        EXPECT_FALSE(In.Valid());
        try {
            In.Init();
            ADD_FAILURE() << Entry.Message;
        } catch (const EAuException& E) {
            EXPECT_STREQ(E.what(), Entry.Message);
        }
        In.Flush();
        TFLACIn Other;
        Other.SetFileName(Flac);
        EXPECT_TRUE(Other.Valid());

        Entry.Library->SetFileNames(Real);
        EXPECT_TRUE(In.Valid()) << Entry.Message;
    }
}

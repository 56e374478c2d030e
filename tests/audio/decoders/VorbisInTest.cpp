// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "StandInTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
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

TEST_F(VorbisTest, NamesAreLoweredAndTheLaterEntryWins)
{
    const std::string Ogg = Encode("tone-22050-16-1.wav", "-c 'TITLE=First' -c 'title=Caf\xc3\xa9' -c 'Artist=Someone'"
                                                          " -c 'tracknumber=3' -c 'comment=ignored'");
    TVorbisIn In;
    In.SetFileName(Ogg);
    ASSERT_TRUE(In.Valid());
    EXPECT_GT(In.Bitrate(), 0);
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

TEST_F(VorbisTest, ForeignAndWildFilesFailCleanly)
{
    for (const auto& Entry : std::filesystem::directory_iterator(FixturesDir() + "/wild"))
        if (Entry.path().extension() == ".ogg" || Entry.path().extension() == ".oga") {
            TVorbisIn In;
            OpenAndPull(In, Entry.path().string());
        }
    const std::string Text = Dir.File("text.ogg");
    WriteBytes(Text, {'p', 'l', 'a', 'i', 'n'});
    TVorbisIn Foreign;
    Foreign.SetFileName(Text);
    try {
        Foreign.Init();
        ADD_FAILURE();
    } catch (const EAuException& E) {
        EXPECT_EQ(std::string(E.what()).rfind("Failed to open an ogg file: ", 0), 0u) << E.what();
    }
    Foreign.Flush();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "StandInTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/decoders/MACIn.h"
#include "audio/decoders/TTADecoder.h"
#include "audio/decoders/TTAIn.h"
#include "audio/decoders/TTALibBinding.h"
#include "audio/tags/TagText.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace au;
using namespace autest;

namespace {

std::string MakeTta(const TTempDir& Dir, const std::string& Wav, const std::string& Name)
{
    const std::string Tta = Dir.File(Name + ".tta");
    Shell("ffmpeg -v error -y -i " + Quote(Wav) + " -c:a tta " + Quote(Tta));
    return Tta;
}

} // namespace

class TtaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Wav = FixturesDir() + "/tone-44100-16-2.wav";
        Tta = MakeTta(Dir, Wav, "stereo16");
        Expected = WavData(Wav);
    }

    TTempDir Dir;
    std::string Wav, Tta;
    std::vector<uint8_t> Expected;
};

TEST_F(TtaTest, TenSecondsOfStereoReportTheirSizeAndDuration)
{
    const std::string Long = Dir.File("long.tta");
    Shell("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=10 -ac 2 -c:a tta " +
          Quote(Long));
    TTTAIn In;
    In.SetFileName(Long);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.TotalSamples(), 441000);
    EXPECT_EQ(In.Duration(), 10);
    In.Init();
    EXPECT_EQ(In.Size(), 1764000);
    EXPECT_EQ(PullAll(In, 65536).size(), 1764000u);
    In.Flush();
}

TEST_F(TtaTest, AOneByteRequestKeepsTheRestOfTheFrameForTheNextCall)
{
    TTTAIn In;
    In.SetFileName(Tta);
    In.Init();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = 1;
    In.GetData(Buffer, Bytes);
    ASSERT_EQ(Bytes, 1u);
    EXPECT_EQ(Buffer[0], Expected[0]);
    Bytes = 3;
    In.GetData(Buffer, Bytes);
    ASSERT_EQ(Bytes, 3u);
    EXPECT_EQ(std::vector<uint8_t>(Buffer, Buffer + 3), std::vector<uint8_t>(Expected.begin() + 1, Expected.begin() + 4));
    EXPECT_EQ(In.Position(), 4);
    std::vector<uint8_t> Rest = PullAll(In, 7);
    Rest.insert(Rest.begin(), Expected.begin(), Expected.begin() + 4);
    EXPECT_EQ(Rest, Expected);
    In.Flush();
}

TEST_F(TtaTest, CannotSeekAndLoopsByOpeningAgain)
{
    TTTAIn In;
    In.SetFileName(Tta);
    In.Init();
    EXPECT_FALSE(In.Seekable());
    EXPECT_FALSE(In.Seek(100));
    In.SetLoop(true);
    std::vector<uint8_t> Twice(Expected.size() * 2 + 100);
    bool End = false;
    ASSERT_EQ(In.FillBuffer(Twice.data(), static_cast<uint32_t>(Twice.size()), End), Twice.size());
    EXPECT_FALSE(End);
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.end(), Twice.begin()));
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.end(), Twice.begin() + static_cast<std::ptrdiff_t>(Expected.size())));
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.begin() + 100, Twice.end() - 100));
    In.Flush();
    EXPECT_TRUE(In.Seekable());
}

TEST_F(TtaTest, DecodesFromBehindAnId3v2TagAndReadsTheId3v1TagAtTheEnd)
{
    // Tags written by a peer tool: version 2.3 in front, version 1.1 behind.
    Shell("id3v2 -t 'Front Title' -a 'Front Artist' -A 'Front Album' -y 2021 -T 7 " + Quote(Tta));
    Shell("id3v2 -1 -t 'Back Title' -a 'Back Artist' -A 'Back Album' -y 1999 -T 5 " + Quote(Tta));
    const std::vector<uint8_t> File = ReadBytes(Tta);
    ASSERT_TRUE(std::equal(File.begin(), File.begin() + 3, "ID3"));
    ASSERT_TRUE(std::equal(File.end() - 128, File.end() - 125, "TAG"));

    TTTAIn In;
    In.SetFileName(Tta);
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.Id3v2Tags().Title(), u"Front Title");
    EXPECT_EQ(In.Id3v2Tags().Artist(), u"Front Artist");
    EXPECT_EQ(In.Id3v2Tags().Album(), u"Front Album");
    EXPECT_EQ(In.Id3v1Tags().Title(), "Back Title");
    EXPECT_EQ(In.Id3v1Tags().Artist(), "Back Artist");
    EXPECT_EQ(In.Id3v1Tags().Year(), 1999);
    EXPECT_EQ(In.Id3v1Tags().Track(), 5);
    In.Init();
    EXPECT_EQ(PullAll(In), Expected);
    In.Flush();
}

TEST_F(TtaTest, AnId3v2TagThatRunsPastTheEndFailsCleanly)
{
    std::vector<uint8_t> File = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    const std::vector<uint8_t> Body = ReadBytes(Tta);
    File.insert(File.end(), Body.begin(), Body.end());
    const std::string Broken = Dir.File("broken.tta");
    WriteBytes(Broken, File);
    TTTAIn In;
    In.SetFileName(Broken);
    EXPECT_FALSE(In.Valid());
        // Nothing is left behind the tag for the decoder.
    ExpectInitFails(In, "Unable to open TrueAudio-file! Error: \"not a TrueAudio stream\"");
}

TEST_F(TtaTest, ASuppliedStreamIsDecodedThroughATemporaryCopy)
{
    TAuFileStream Stream(Tta, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite);
    TTTAIn In;
    In.SetStream(&Stream);
    ASSERT_TRUE(In.Valid());
    In.Init();
    EXPECT_EQ(PullAll(In), Expected);
    In.Flush();
}

TEST_F(TtaTest, OpeningFailuresSayWhy)
{
    TTTAIn In;
    ExpectInitFails(In, "The file name is not assigned");
    In.SetFileName(Dir.File("absent.tta"));
    EXPECT_FALSE(In.Valid());
    EXPECT_THROW(In.Init(), EAuException);
    In.Reset();

    // A WAV file under the TrueAudio name is not decoded as what it is.
    const std::string Mislabelled = Dir.File("wave.tta");
    std::filesystem::copy_file(Wav, Mislabelled);
    In.SetFileName(Mislabelled);
    EXPECT_FALSE(In.Valid());
    ExpectInitFails(In, "Unable to open TrueAudio-file! Error: \"not a TrueAudio stream\"");
}

TEST(TtaDecoder, ChecksItsHandleAndTheComponentBeforeEveryCall)
{
    try {
        TTTADecoder Decoder(-1);
        ADD_FAILURE();
    } catch (const ETTAException& E) {
        EXPECT_STREQ(E.what(), "AHandle is zero!");
    }
    TTempDir Dir;
    const int Handle = ::open((FixturesDir() + "/tone-8000-8-1.wav").c_str(), O_RDONLY);
    ASSERT_GE(Handle, 0);
    {
        TLibraryAway Away(TTALibLibrary(), "libkelvaro-ttalib.so", Dir);
        try {
            TTTADecoder Decoder(Handle);
            ADD_FAILURE();
        } catch (const ETTAException& E) {
            EXPECT_STREQ(E.what(), "TrueAudio library \"TTALib.dll\" not loaded!");
        }
        // A real library that is not the TrueAudio component lacks every entry point.
        TTALibLibrary().SetFileNames({ProgramFolder() + "/libkelvaro-macdll.so"});
        TTALibLibrary().Load();
        try {
            TTTADecoder Decoder(Handle);
            ADD_FAILURE();
        } catch (const ETTAException& E) {
            EXPECT_STREQ(E.what(), "Function \"TTADecoder::TTADecoder\" not found in TrueAudio library!");
        }
    }
    ::close(Handle);
}

TEST(TtaWild, RealFilesDecodeAsFFmpegDecodesThemAndReadTheirTags)
{
    TTempDir Dir;
    for (const char* Name : {"empty.tta", "tagged.tta"}) {
        const std::string File = FixturesDir() + "/wild/" + Name;
        TTTAIn In;
        ExpectDecodes(In, File, FFmpegDecode16(Dir, File));
    }
    TTTAIn In;
    In.SetFileName(FixturesDir() + "/wild/tagged.tta");
    ASSERT_TRUE(In.Valid());
    EXPECT_EQ(In.Id3v1Tags().Title(), "TestTitle");
    EXPECT_EQ(In.Id3v1Tags().Artist(), "TestArtist");
    EXPECT_EQ(In.Id3v1Tags().Album(), "TestAlbum");
}

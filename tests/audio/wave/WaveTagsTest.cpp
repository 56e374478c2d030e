// SPDX-License-Identifier: GPL-3.0-or-later
// The chunks around the data: RF64 for sources that state more than the
// classic sizes can say, and tags that appending must keep behind the data.
#include "WaveTestUtil.h"
#include "audio/decoders/DecoderTestUtil.h"
#include "support/TestInputs.h"
#include "support/TestUtil.h"

#include "audio/core/ByteOrder.h"
#include "audio/core/AuFileStream.h"
#include "audio/core/AuException.h"
#include "audio/wave/WaveOut.h"
#include "audio/wave/WaveReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

constexpr int64_t Limit = 100000;

std::string Peer(const std::string& Command)
{
    std::string Out;
    RunCommand(Command, &Out);
    while (!Out.empty() && (Out.back() == '\n' || Out.back() == '\r'))
        Out.pop_back();
    return Out;
}

// sox's count of sample frames, and ffmpeg's digest of the decoded samples.
std::string SoxFrames(const std::string& File) { return Peer("sox --i -s " + Quote(File)); }
std::string SamplesMd5(const std::string& File)
{
    return Peer("ffmpeg -v fatal -i " + Quote(File) + " -map 0:a -f md5 -");
}

TWaveFacts Facts(const std::string& File)
{
    TAuFileStream Stream(File, TAuFileStream::fmOpenRead);
    return ReadWaveFacts(Stream);
}

uint64_t LE64(const std::vector<uint8_t>& File, size_t At) { return GetLE64(&File[At]); }

class WaveTagsTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("out.wav");
    TWaveOut Writer;

    void SetUp() override
    {
        Writer.SetFileName(Name);
        TWaveOut::SetClassicLimitForTesting(Limit);
    }
    void TearDown() override { TWaveOut::SetClassicLimitForTesting(0); }
};

TEST_F(WaveTagsTest, AStatedLengthPastTheLimitGivesRf64AndOnlyThat)
{
    // Past the limit: RF64 with its ds64 sizes, which the peers read.
    TSyntheticInput Long(44100, 16, 2, 200000);
    Long.Generator = SineBytes(440, 44100, 2, 0.5);
    ASSERT_EQ(RunToEnd(Writer, Long), "");
    std::vector<uint8_t> File = ReadBytes(Name);
    ASSERT_EQ(File.size(), 80u + 200000u);
    EXPECT_EQ(std::string(File.begin(), File.begin() + 4), "RF64");
    EXPECT_EQ(GetLE32(&File[4]), 0xFFFFFFFFu);
    EXPECT_EQ(std::string(File.begin() + 12, File.begin() + 16), "ds64");
    EXPECT_EQ(LE64(File, 20), File.size() - 8);
    EXPECT_EQ(LE64(File, 28), 200000u);
    EXPECT_EQ(LE64(File, 36), 50000u);
    EXPECT_EQ(std::string(File.begin() + 72, File.begin() + 76), "data");
    EXPECT_EQ(GetLE32(&File[76]), 0xFFFFFFFFu);
    EXPECT_EQ(SoxFrames(Name), "50000");
    EXPECT_EQ(Peer("ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 " + Quote(Name)), "50000");

    // Appending goes on in the ds64 sizes.
    Writer.SetFileMode(foAppend);
    TSyntheticInput More(44100, 16, 2, 4000);
    ASSERT_EQ(RunToEnd(Writer, More), "");
    Writer.SetFileMode(foRewrite);
    File = ReadBytes(Name);
    EXPECT_EQ(LE64(File, 20), File.size() - 8);
    EXPECT_EQ(LE64(File, 28), 204000u);
    EXPECT_EQ(GetLE32(&File[76]), 0xFFFFFFFFu);
    EXPECT_EQ(SoxFrames(Name), "51000");
    const TWaveFacts Read = Facts(Name);
    EXPECT_TRUE(Read.Rf64);
    EXPECT_EQ(Read.DataBytes, 204000);
    EXPECT_EQ(Read.Frames, 51000);

    // At the limit: the classic file, as it always was.
    TSyntheticInput Short(44100, 16, 2, Limit - 44);
    ASSERT_EQ(RunToEnd(Writer, Short), "");
    File = ReadBytes(Name);
    ASSERT_EQ(File.size(), static_cast<size_t>(Limit));
    EXPECT_EQ(std::string(File.begin(), File.begin() + 4), "RIFF");
    EXPECT_EQ(GetLE32(&File[4]), Limit - 8);
    EXPECT_EQ(GetLE32(&File[40]), Limit - 44);

    // A length not stated, or stated too short, cannot be told in time.
    for (const int64_t Stated : {int64_t{-1}, int64_t{50000}}) {
        TSyntheticInput Unknown(44100, 16, 2, 200000);
        Unknown.ReportedSize = Stated;
        EXPECT_EQ(RunToEnd(Writer, Unknown), "The WAV file has reached the 4 GiB limit of its format.") << Stated;
    }
}

TEST_F(WaveTagsTest, AppendingToATaggedFileKeepsTheTagsBehindTheData)
{
    TFileTags Tags;
    Tags.Title = "Odd";
    Tags.Picture.Mime = "image/png";
    Tags.Picture.Data = {0x89, 'P', 'N', 'G', 1, 2, 3};
    Writer.SetTags(Tags);
    // Mono 8-bit, an odd count: the id3 chunk must follow a pad byte.
    TSyntheticInput First(8000, 8, 1, 1001);
    First.Generator = [](int64_t I) { return static_cast<uint8_t>(I * 7); };
    ASSERT_EQ(RunToEnd(Writer, First), "");
    const std::string Tagged = Peer(Quote(WavTagsScript()) + " read " + Quote(Name));
    ASSERT_NE(Tagged.find("TIT2=Odd"), std::string::npos) << Tagged;

    Writer.SetTags(TFileTags());
    Writer.SetFileMode(foAppend);
    TSyntheticInput Second(8000, 8, 1, 2000);
    Second.Generator = [](int64_t I) { return static_cast<uint8_t>(I * 3); };
    ASSERT_EQ(RunToEnd(Writer, Second), "");

    const std::vector<uint8_t> File = ReadBytes(Name);
    EXPECT_EQ(GetLE32(&File[4]), File.size() - 8);
    EXPECT_EQ(SoxFrames(Name), "3001");
    // Our own reader walks past the odd data's pad byte to the id3 chunk.
    const TWaveFacts Read = Facts(Name);
    EXPECT_EQ(Read.Frames, 3001);
    EXPECT_EQ(Read.Info, (std::vector<std::pair<std::string, std::string>>{{"INAM", "Odd"}}));
    // The tag reader finds the same tag and picture as before the append.
    EXPECT_EQ(Peer(Quote(WavTagsScript()) + " read " + Quote(Name)),
              Tagged);
    // The samples are the first run's, then the second's.
    TSyntheticInput Both(8000, 8, 1, 3001);
    Both.Generator = [](int64_t I) { return static_cast<uint8_t>(I < 1001 ? I * 7 : (I - 1001) * 3); };
    TWaveOut Plain;
    const std::string PlainName = Dir.File("plain.wav");
    Plain.SetFileName(PlainName);
    ASSERT_EQ(RunToEnd(Plain, Both), "");
    EXPECT_EQ(SamplesMd5(Name), SamplesMd5(PlainName));
}

// What no writer of ours makes, read as far as it reads and never further.
TEST_F(WaveTagsTest, TheReaderTellsDamagedFilesAndReadsCutOnesAsFarAsTheyGo)
{
    TSyntheticInput Source(44100, 16, 2, 4000);
    ASSERT_EQ(RunToEnd(Writer, Source), "");
    const std::vector<uint8_t> Whole = ReadBytes(Name);
    const auto ReadOf = [&](std::vector<uint8_t> Bytes) {
        const std::string Damaged = Dir.File("damaged.wav");
        WriteBytes(Damaged, Bytes);
        try {
            const TWaveFacts F = Facts(Damaged);
            return std::to_string(F.Frames) + " frames";
        } catch (const EAuException& E) {
            return std::string(E.what());
        }
    };
    EXPECT_EQ(ReadOf(Whole), "1000 frames");
    // Cut within the data: the frames that are there.
    EXPECT_EQ(ReadOf({Whole.begin(), Whole.begin() + 44 + 2002}), "500 frames");
    EXPECT_EQ(ReadOf({Whole.begin(), Whole.begin() + 40}), "The WAV file has no data chunk");
    EXPECT_EQ(ReadOf({Whole.begin(), Whole.begin() + 30}), "The WAV file's format chunk is too short");
    EXPECT_EQ(ReadOf({Whole.begin(), Whole.begin() + 11}), "Not a WAV file");
    std::vector<uint8_t> NoFormat = Whole;
    std::memcpy(&NoFormat[12], "junk", 4);
    EXPECT_EQ(ReadOf(NoFormat), "The WAV file has no format chunk");
    // A chunk stating more than the file holds ends the walk there.
    std::vector<uint8_t> Runaway = Whole;
    PutLE32(&Runaway[16], 0xFFFFFFF0u);
    EXPECT_EQ(ReadOf(Runaway), "The WAV file has no data chunk");
    std::vector<uint8_t> Rf64 = Whole;
    std::memcpy(&Rf64[0], "RF64", 4);
    PutLE32(&Rf64[40], 0xFFFFFFFFu);
    EXPECT_EQ(ReadOf(Rf64), "The RF64 file has no ds64 chunk");
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// convert --tags: what the peers read of the tags and cover in the WAV file,
// and that the audio is the same as without them.
#include "CliTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace autest;

namespace {

std::string Peer(const std::string& Command)
{
    std::string Out;
    RunCommand(Command, &Out);
    while (!Out.empty() && Out.back() == '\n')
        Out.pop_back();
    return Out;
}

std::string Sha256(const std::string& File) { return Peer("sha256sum < " + Quote(File) + " | cut -d' ' -f1"); }
std::string SamplesMd5(const std::string& File)
{
    return Peer("ffmpeg -v fatal -i " + Quote(File) + " -map 0:a -c:a pcm_s32le -f md5 -");
}
std::string FormatTag(const std::string& File, const std::string& Key)
{
    return Peer("ffprobe -v error -show_entries format_tags=" + Key + " -of default=nw=1:nk=1 " + Quote(File));
}

TEST(CliTags, EveryKindWithACoverGivesTagsAndPictureThePeersRead)
{
    TTempDir Dir;
    const std::string Cover = Dir.File("cover.jpg");
    Shell("ffmpeg -v error -f lavfi -i testsrc=s=96x96 -frames:v 1 " + Quote(Cover));
    Shell(Quote(WavTagsScript()) + " make " + Quote(Dir.Path()) + " " + Quote(FixturesDir()) + " " + Quote(Cover));
    const std::string Picture = "APIC=image/jpeg 3 " + Sha256(Cover);
    for (const std::string Kind : {"flac", "mp3", "wma", "ogg", "ape"}) {
        SCOPED_TRACE(Kind);
        ASSERT_EQ(Cli(Dir, "convert -q --tags -o tags-" + Kind + " tagged." + Kind).Status, 0);
        ASSERT_EQ(Cli(Dir, "convert -q -o plain-" + Kind + " tagged." + Kind).Status, 0);
        const std::string Tagged = Dir.File("tags-" + Kind + "/tagged.wav");
        const std::string Plain = Dir.File("plain-" + Kind + "/tagged.wav");

        // Off, the file is header and samples only.
        const std::vector<uint8_t> PlainBytes = ReadBytes(Plain);
        EXPECT_EQ(LE32(PlainBytes, 40) + 44, PlainBytes.size());
        EXPECT_EQ(Peer(Quote(WavTagsScript()) + " read " + Quote(Plain)), "id3=none");

        const std::vector<uint8_t> TaggedBytes = ReadBytes(Tagged);
        EXPECT_EQ(LE32(TaggedBytes, 4) + 8, TaggedBytes.size());
        // The codec library hands Monkey's Audio titles over in Latin-1.
        if (Kind != "ape")
            EXPECT_EQ(FormatTag(Tagged, "title"), "Tëst Title ☃");
        EXPECT_EQ(FormatTag(Tagged, "artist"), "An Artist");
        EXPECT_EQ(FormatTag(Tagged, "album"), "Some Album");
        EXPECT_EQ(FormatTag(Tagged, "date"), "2004");
        const std::string Id3 = Peer(Quote(WavTagsScript()) + " read " + Quote(Tagged));
        EXPECT_NE(Id3.find("TPE1=An Artist\nTALB=Some Album"), std::string::npos) << Id3;
        EXPECT_NE(Id3.find(Picture), std::string::npos) << Id3;
        EXPECT_EQ(SamplesMd5(Tagged), SamplesMd5(Plain));
        EXPECT_EQ(Peer("sox --i -s " + Quote(Tagged)), Peer("sox --i -s " + Quote(Plain)));
    }
}

TEST(CliTags, BadTagsAreCutOrLeftOutAndTheLogSaysSo)
{
    TTempDir Dir;
    Shell(Quote(WavTagsScript()) + " bad " + Quote(Dir.Path()) + " " + Quote(FixturesDir()));

    const TCliResult R = Cli(Dir, "convert --tags -o out bad.mp3");
    ASSERT_EQ(R.Status, 0) << R.Out;
    EXPECT_NE(R.Out.find("Convert to: bad.wav [Success] Tags: 1 tag value(s) cut to 1000 bytes; the picture "
                         "(20971520 bytes) was left out, as it is larger than 16 MiB.\n"),
              std::string::npos)
        << R.Out;
    const std::string Wav = Dir.File("out/bad.wav");
    EXPECT_EQ(FormatTag(Wav, "title"), std::string(1000, 'x'));
    EXPECT_EQ(FormatTag(Wav, "artist"), "A\xEF\xBF\xBD\xEF\xBF\xBD" "B");
    EXPECT_EQ(Peer(Quote(WavTagsScript()) + " read " + Quote(Wav)).find("APIC"), std::string::npos);
    ASSERT_EQ(Cli(Dir, "convert -q -o plain plain.mp3").Status, 0);
    EXPECT_EQ(SamplesMd5(Wav), SamplesMd5(Dir.File("plain/plain.wav")));

    // A file with nothing left out keeps the line as it always was.
    const TCliResult Clean = Cli(Dir, "convert --tags -o out2 " + Quote(FixturesDir() + "/tone-44100-16-2.ape"));
    EXPECT_NE(Clean.Out.find("Convert to: tone-44100-16-2.wav [Success]\n"), std::string::npos) << Clean.Out;
}

} // namespace

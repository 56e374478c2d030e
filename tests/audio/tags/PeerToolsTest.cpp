// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagTestUtil.h"
#include "audio/tags/Id3v1Tags.h"
#include "audio/tags/Id3v2Tags.h"
#include "audio/tags/TagText.h"

#include <gtest/gtest.h>
#include <map>

using namespace au;
using namespace autest;

namespace {

// Tags written by other programs into a small MP3 that starts without any.
class PeerTools : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static TTempDir Dir;
        Plain = new TBytes;
        const std::string Name = Dir.File("plain.mp3");
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=0.2 -c:a libmp3lame "
                             "-id3v2_version 0 -write_xing 0 '" + Name + "'"),
                  0);
        *Plain = ReadBytes(Name);
        ASSERT_GT(Plain->size(), 200u);
        ASSERT_NE(TBytes(Plain->begin(), Plain->begin() + 3), Bytes("ID3"));
    }
    static void TearDownTestSuite() { delete Plain; }

    // Runs Command with FILE replaced by the file's name, then reopens the file.
    static void Run(TTagFile& File, const std::string& Command)
    {
        std::string Line = Command;
        Line.replace(Line.find("FILE"), 4, "'" + File.Name() + "'");
        ASSERT_EQ(RunCommand(Line + " >/dev/null 2>&1"), 0) << Line;
        File.Reopen();
    }

    // ffmpeg -id3v2_version Version writes a tag in front of a copy of the plain file.
    static void FfmpegTag(TTagFile& File, int Version, const std::string& Metadata)
    {
        TTagFile Source(*Plain, "source.mp3");
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -i '" + Source.Name() + "' -c copy -id3v2_version " +
                             std::to_string(Version) + " " + Metadata + " '" + File.Name() + "'"),
                  0);
        File.Reopen();
    }

    static TBytes* Plain;
};

TBytes* PeerTools::Plain = nullptr;

void ReadId3v2(TTagFile& File, TId3v2Tags& Tags)
{
    File.Seek(0);
    ASSERT_TRUE(Tags.IsPresent(File.Handle()));
    ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
    ASSERT_TRUE(Tags.UsesFourCharIds());
}

// ffprobe's format tags, by lower-case key.
std::map<std::string, std::string> Probe(const std::string& Name)
{
    std::string Out;
    EXPECT_EQ(RunCommand("ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 '" + Name + "'",
                         &Out),
              0);
    std::map<std::string, std::string> Tags;
    size_t At = 0;
    while (At < Out.size()) {
        const size_t End = Out.find('\n', At);
        const std::string Line = Out.substr(At, End - At);
        At = End == std::string::npos ? Out.size() : End + 1;
        const size_t Eq = Line.find('=');
        if (Line.rfind("TAG:", 0) == 0 && Eq != std::string::npos) {
            std::string Key = Line.substr(4, Eq - 4);
            for (char& C : Key)
                C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
            Tags[Key] = Line.substr(Eq + 1);
        }
    }
    return Tags;
}

} // namespace

TEST_F(PeerTools, Id3v2ToolWritesLatin1Version23AndVersion1)
{
    TTagFile File(*Plain);
    Run(File, "id3v2 -t 'Café' -a 'Zoë' -A 'Ålbum' -y 2001 -T 5 -g 8 FILE");

    TId3v2Tags V2;
    ReadId3v2(File, V2);
    EXPECT_EQ(V2.Title(), u"Café");
    EXPECT_TRUE(std::holds_alternative<std::string>(V2.GetValue("TIT2"))) << "stored as ISO-8859-1";
    EXPECT_EQ(V2.Artist(), u"Zoë");
    EXPECT_EQ(V2.Album(), u"Ålbum");
    EXPECT_EQ(V2.Year(), "2001");
    EXPECT_EQ(V2.Track(), "5");

    TId3v1Tags V1;
    ASSERT_TRUE(V1.IsPresent(File.Handle()));
    ASSERT_TRUE(V1.ReadFromFile(File.Handle()));
    EXPECT_EQ(V1.Title(), "Café");
    EXPECT_EQ(V1.Artist(), "Zoë");
    EXPECT_EQ(V1.Album(), "Ålbum");
    EXPECT_EQ(V1.Year(), 2001);
    EXPECT_EQ(V1.Track(), 5);
    EXPECT_EQ(V1.Genre(), "Jazz");
}

TEST_F(PeerTools, EyeD3WritesUtf16Version23)
{
    TTagFile File(*Plain);
    Run(File, "eyeD3 --to-v2.3 --encoding utf16 -t 'Café ♫ 🎵' -a 'Zoë' -A 'Album' -G Jazz -n 7 FILE");
    TId3v2Tags Tags;
    ReadId3v2(File, Tags);
    EXPECT_EQ(Tags.Title(), u"Café ♫ 🎵");
    EXPECT_EQ(Tags.Artist(), u"Zoë");
    EXPECT_EQ(Tags.Album(), u"Album");
    EXPECT_EQ(Tags.AsInteger("TRCK"), 7);
    EXPECT_NE(Tags.Genre().find(u"Jazz"), std::u16string::npos);
}

TEST_F(PeerTools, EyeD3WritesUtf8Version24AndVersion11)
{
    TTagFile File(*Plain);
    Run(File, "eyeD3 --to-v2.4 --encoding utf8 -t 'Café ♫' -a 'Zoë' FILE");
    Run(File, "eyeD3 --v1 -t 'Café' -a 'Zoë' -A 'Album' -Y 1999 -n 3 -G Jazz FILE");
    TId3v2Tags V2;
    ReadId3v2(File, V2);
    EXPECT_EQ(V2.Title(), u"Café ♫");
    EXPECT_EQ(V2.Artist(), u"Zoë");

    TId3v1Tags V1;
    ASSERT_TRUE(V1.ReadFromFile(File.Handle()));
    EXPECT_EQ(V1.Title(), "Café");
    EXPECT_EQ(V1.Artist(), "Zoë");
    EXPECT_EQ(V1.Year(), 1999);
    EXPECT_EQ(V1.Track(), 3);
    EXPECT_EQ(V1.GenreId(), 8);
}

TEST_F(PeerTools, FfmpegVersion3And4Tags)
{
    const std::string Metadata = "-metadata title='Café ♫' -metadata artist=Plain -metadata album='Ålbum' "
                                 "-metadata track=4 -metadata date=2001 -metadata genre=Jazz";
    for (const int Version : {3, 4}) {
        TTagFile File({}, "ffmpeg.mp3");
        FfmpegTag(File, Version, Metadata);
        TId3v2Tags Tags;
        ReadId3v2(File, Tags);
        EXPECT_EQ(Tags.Title(), u"Café ♫") << Version;
        EXPECT_EQ(Tags.Artist(), u"Plain") << Version;
        EXPECT_EQ(Tags.Album(), u"Ålbum") << Version;
        EXPECT_EQ(Tags.Track(), "4") << Version;
        EXPECT_EQ(Tags.Genre(), u"Jazz") << Version;
        // Version 2.4 keeps the date in TDRC, which has no row here.
        EXPECT_EQ(Tags.Year(), Version == 3 ? "2001" : "") << Version;
        // The reader stops right behind the tag, where the audio starts.
        TBytes First(4);
        ASSERT_EQ(::read(File.Handle(), First.data(), 4), 4);
        EXPECT_EQ(First[0], 0xFF) << "an MPEG frame sync follows the tag";
    }
}

TEST_F(PeerTools, FfprobeReadsTheTagsWeWrite)
{
    TId3v2Tags Tags;
    Tags.SetTitle(u"Café ♫ 🎵");
    Tags.SetArtist(u"Zoë");
    Tags.SetAlbum(u"Ålbum");
    Tags.SetGenre(u"Jazz");
    Tags.SetTrack("3/12");
    Tags.SetYear("2024");
    Tags.SetComposer(u"Composer");
    Tags.SetCopyright(u"(c) 2024");
    Tags.SetLanguage(u"eng");
    Tags.SetEncoder(u"kelvaro");
    for (const bool Unicode : {true, false}) {
        TTagFile File(*Plain);
        ASSERT_TRUE(Tags.WriteToFile(File.Handle(), Unicode));
        const auto Seen = Probe(File.Name());
        EXPECT_EQ(Seen.at("title"), "Café ♫ 🎵") << Unicode;
        EXPECT_EQ(Seen.at("artist"), "Zoë") << Unicode;
        EXPECT_EQ(Seen.at("album"), "Ålbum") << Unicode;
        EXPECT_EQ(Seen.at("genre"), "Jazz") << Unicode;
        EXPECT_EQ(Seen.at("track"), "3/12") << Unicode;
        EXPECT_EQ(Seen.at("date"), "2024") << Unicode;
        EXPECT_EQ(Seen.at("composer"), "Composer") << Unicode;
        EXPECT_EQ(Seen.at("copyright"), "(c) 2024") << Unicode;
        EXPECT_EQ(Seen.at("language"), "eng") << Unicode;
        EXPECT_EQ(Seen.at("encoded_by"), "kelvaro") << Unicode;

        // The audio behind the tag still decodes to what it was.
        TTagFile Original(*Plain, "original.mp3");
        std::string Ours, Theirs;
        ASSERT_EQ(RunCommand("ffmpeg -v error -i '" + File.Name() + "' -f md5 -", &Ours), 0);
        ASSERT_EQ(RunCommand("ffmpeg -v error -i '" + Original.Name() + "' -f md5 -", &Theirs), 0);
        EXPECT_EQ(Ours, Theirs);
    }
}

TEST_F(PeerTools, FfprobeReadsOurVersion1Block)
{
    TTagFile File(*Plain);
    TId3v1Tags Tags;
    Tags.SetTitle("Plain title");
    Tags.SetArtist("Some Artist");
    Tags.SetAlbum("Album");
    Tags.SetYear(1999);
    Tags.SetComment("Comment");
    Tags.SetTrack(9);
    Tags.SetGenre("Jazz");
    ASSERT_TRUE(Tags.WriteToFile(File.Handle()));
    const auto Seen = Probe(File.Name());
    EXPECT_EQ(Seen.at("title"), "Plain title");
    EXPECT_EQ(Seen.at("artist"), "Some Artist");
    EXPECT_EQ(Seen.at("album"), "Album");
    EXPECT_EQ(Seen.at("date"), "1999");
    EXPECT_EQ(Seen.at("comment"), "Comment");
    EXPECT_EQ(Seen.at("track"), "9");
    EXPECT_EQ(Seen.at("genre"), "Jazz");
}

TEST(RealTags, ReadAsFfprobeReadsThem)
{
    for (const char* Name : {"tagged.tta", "duplicate_id3v2.mp3", "mac-399-id3v2.ape", "id3v22-tda.mp3"}) {
        TTagFile File(ReadBytes(FixturesDir() + "/wild/" + Name));
        TId3v2Tags Tags;
        ASSERT_TRUE(Tags.ReadFromFile(File.Handle())) << Name;
        auto Seen = Probe(File.Name());
        EXPECT_EQ(Utf16ToUtf8(Tags.Title()), Seen["title"]) << Name;
        EXPECT_EQ(Utf16ToUtf8(Tags.Artist()), Seen["artist"]) << Name;
        EXPECT_EQ(Utf16ToUtf8(Tags.Album()), Seen["album"]) << Name;
        if (std::string(Name) == "duplicate_id3v2.mp3") {
            // Its track is in the second tag, which ffprobe reads too; we stop
            // in front of it.
            EXPECT_EQ(File.Position(), 3943);
        } else {
            EXPECT_EQ(Tags.Track(), Seen["track"]) << Name;
        }
    }
    TTagFile Ape(ReadBytes(FixturesDir() + "/tagged-id3v1.ape"));
    TId3v1Tags V1;
    ASSERT_TRUE(V1.ReadFromFile(Ape.Handle()));
    EXPECT_EQ(V1.Title(), "Tone Title");
    EXPECT_EQ(V1.Artist(), "Some Artist");
    EXPECT_EQ(V1.Album(), "Test Album");
    EXPECT_EQ(V1.Year(), 2024);
    EXPECT_EQ(V1.Comment(), "a comment");
    EXPECT_EQ(V1.Track(), 3);
    EXPECT_EQ(V1.Genre(), "Jazz");
}

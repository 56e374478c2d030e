// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagTestUtil.h"
#include "audio/tags/Id3v1Tags.h"

#include <gtest/gtest.h>

using namespace au;
using namespace autest;

namespace {

const TBytes Audio(300, 0xAA);

TBytes Comment(const std::string& Text, std::initializer_list<std::pair<size_t, uint8_t>> Bytes = {})
{
    TBytes Field(30, 0);
    std::copy(Text.begin(), Text.end(), Field.begin());
    for (const auto& [At, Value] : Bytes)
        Field[At] = Value;
    return Field;
}

void ExpectAllNull(const TId3v1Tags& Tags)
{
    for (int I = 0; I < Tags.Count(); ++I)
        EXPECT_TRUE(std::holds_alternative<std::monostate>(Tags.GetValue(Tags.KeyAt(I)))) << Tags.KeyAt(I);
}

} // namespace

TEST(Id3v1Tags, NewTagsHaveGenreOtherAndSortedKeys)
{
    TId3v1Tags Tags;
    EXPECT_EQ(Tags.GenreId(), 12);
    EXPECT_EQ(Tags.Genre(), "Other");
    EXPECT_EQ(Tags.Year(), 0);
    EXPECT_EQ(Tags.Title(), "");
    ASSERT_EQ(Tags.Count(), 7);
    const char* Sorted[] = {"album", "artist", "comment", "genre", "title", "track", "year"};
    for (int I = 0; I < 7; ++I)
        EXPECT_EQ(Tags.KeyAt(I), Sorted[I]);
}

TEST(Id3v1Tags, ReadsAV11BlockAndTurnsLatin1IntoUtf8)
{
    TTagFile File(Audio + Id3v1Block("  Caf\xE9 au lait\x01", "Artist", "Album", "1987",
                                     Comment("Nice", {{28, 0}, {29, 7}}), 8));
    File.Seek(10);
    TId3v1Tags Tags;
    EXPECT_TRUE(Tags.IsPresent(File.Handle()));
    EXPECT_EQ(File.Position(), 10);
    ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
    EXPECT_EQ(File.Position(), static_cast<int64_t>(Audio.size() + 128));
    EXPECT_EQ(Tags.Title(), "Café au lait");
    EXPECT_EQ(Tags.Artist(), "Artist");
    EXPECT_EQ(Tags.Album(), "Album");
    EXPECT_EQ(Tags.Year(), 1987);
    EXPECT_EQ(Tags.Comment(), "Nice");
    EXPECT_EQ(Tags.Track(), 7);
    EXPECT_EQ(Tags.GenreId(), 8);
    EXPECT_EQ(Tags.Genre(), "Jazz");
    EXPECT_FALSE(Tags.Empty());
}

TEST(Id3v1Tags, AZeroInsideAFieldDoesNotEndIt)
{
    TBytes Block = Id3v1Block("", "", "", "", Comment(""), 0);
    const char Title[] = "Ab\0cd  ";
    std::copy(Title, Title + 7, Block.begin() + 3);
    TTagFile File(Block);
    TId3v1Tags Tags;
    ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
    EXPECT_EQ(Tags.Title(), std::string("Ab\0cd", 5));
}

TEST(Id3v1Tags, TrackRulesOfTheV11Form)
{
    const std::string Text(28, 'c');
    struct TCase {
        uint8_t Byte125, Byte126;
        std::string Comment;
        uint8_t Track;
    };
    for (const TCase& C : {TCase{0, 7, Text, 7}, TCase{32, 32, Text, 0}, TCase{32, 0, Text, 0},
                           TCase{32, 9, Text, 9}, TCase{0, 0, Text, 0}, TCase{'x', 5, Text + "x", 0},
                           TCase{7, 'y', Text + "\x07y", 0}}) {
        TBytes Field(30, 'c');
        Field[28] = C.Byte125;
        Field[29] = C.Byte126;
        TTagFile File(Id3v1Block("", "", "", "", Field, 0));
        TId3v1Tags Tags;
        ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
        EXPECT_EQ(Tags.Comment(), C.Comment) << int(C.Byte125) << "," << int(C.Byte126);
        EXPECT_EQ(Tags.Track(), C.Track) << int(C.Byte125) << "," << int(C.Byte126);
    }
}

TEST(Id3v1Tags, GenreOutsideTheTableReadsAsOther)
{
    TTagFile File(Id3v1Block("", "", "", "", Comment(""), 255));
    TId3v1Tags Tags;
    ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
    EXPECT_EQ(Tags.AsInteger("genre"), 255) << "stored unchanged";
    EXPECT_EQ(Tags.GenreId(), 12);
    EXPECT_EQ(Tags.Genre(), "Other");
    Tags.SetValue("genre", -1);
    EXPECT_EQ(Tags.GenreId(), 12) << "a negative value is not an index either";
}

TEST(Id3v1Tags, YearWithALetterReadsZero)
{
    for (const char* Year : {"19a7", "-123", "    "}) {
        TTagFile File(Id3v1Block("", "", "", Year, Comment(""), 0));
        TId3v1Tags Tags;
        ASSERT_TRUE(Tags.ReadFromFile(File.Handle()));
        EXPECT_EQ(Tags.Year(), 0) << Year;
    }
    TTagFile Padded(Id3v1Block("", "", "", " 42 ", Comment(""), 0));
    TId3v1Tags Tags;
    ASSERT_TRUE(Tags.ReadFromFile(Padded.Handle()));
    EXPECT_EQ(Tags.Year(), 42);
}

TEST(Id3v1Tags, NoBlockLeavesEveryValueNull)
{
    TTagFile Short(TBytes(127, 'T'));
    TTagFile LowerCase(Audio + Id3v1Block("Title", "", "", "", Comment(""), 1, "tag"));
    TId3v1Tags Tags;
    for (const TTagFile* File : {&Short, &LowerCase}) {
        Tags.SetTitle("before");
        File->Seek(3);
        EXPECT_FALSE(Tags.IsPresent(File->Handle()));
        EXPECT_EQ(File->Position(), 3);
        EXPECT_FALSE(Tags.ReadFromFile(File->Handle()));
        ExpectAllNull(Tags);
        EXPECT_EQ(Tags.GenreId(), 0) << "Null genre reads as 0";
        EXPECT_EQ(Tags.Genre(), "Blues");
    }
    EXPECT_FALSE(Tags.IsPresent(-1));
    EXPECT_FALSE(Tags.ReadFromFile(-1));
}

TEST(Id3v1Tags, GenreSetterMatchesTrimmedNamesWithoutCase)
{
    TId3v1Tags Tags;
    Tags.SetGenre(" hip-hop ");
    EXPECT_EQ(Tags.GenreId(), 7);
    Tags.SetGenre("Not A Genre");
    EXPECT_EQ(Tags.GenreId(), 7);
    Tags.SetGenre("SYNTHPOP");
    EXPECT_EQ(Tags.GenreId(), 147);
    EXPECT_EQ(TId3v1Tags::GenreName(79), "Hard Rock");
    EXPECT_EQ(TId3v1Tags::GenreName(80), "Folk");
    EXPECT_EQ(TId3v1Tags::GenreName(0), "Blues");
}

TEST(Id3v1Tags, ArtistIsEmptyWhenNotText)
{
    TId3v1Tags Tags;
    Tags.SetValue("artist", 5);
    EXPECT_EQ(Tags.Artist(), "");
    EXPECT_EQ(Tags.AsString("artist"), "5");
}

TEST(Id3v1Tags, WritesACompleteBlockAfterTheContent)
{
    TTagFile File(Audio);
    TId3v1Tags Tags;
    Tags.SetTitle("A title that is much longer than thirty bytes");
    Tags.SetArtist("Zoë ♫");
    Tags.SetAlbum("Album");
    Tags.SetYear(2024);
    Tags.SetComment(std::string(30, 'c'));
    Tags.SetTrack(5);
    Tags.SetGenre("Jazz");
    ASSERT_TRUE(Tags.WriteToFile(File.Handle()));

    const TBytes Written = File.Content();
    ASSERT_EQ(Written.size(), Audio.size() + 128);
    const TBytes Expected = Id3v1Block("A title that is much longer th", "Zo\xEB ?", "Album", "2024",
                                       Comment(std::string(28, 'c'), {{29, 5}}), 8);
    EXPECT_EQ(TBytes(Written.begin() + static_cast<long>(Audio.size()), Written.end()), Expected);

    TId3v1Tags Back;
    ASSERT_TRUE(Back.ReadFromFile(File.Handle()));
    EXPECT_EQ(Back.Artist(), "Zoë ?");
    EXPECT_EQ(Back.Track(), 5);
    EXPECT_EQ(Back.Comment(), std::string(28, 'c'));
}

TEST(Id3v1Tags, WithoutATrackTheCommentKeepsAllThirtyBytes)
{
    TTagFile File;
    TId3v1Tags Tags;
    Tags.SetComment(std::string(29, 'c') + "d");
    Tags.SetYear(0);
    ASSERT_TRUE(Tags.WriteToFile(File.Handle()));
    const TBytes Written = File.Content();
    ASSERT_EQ(Written.size(), 128u);
    EXPECT_EQ(std::string(Written.begin() + 97, Written.end() - 1), std::string(29, 'c') + "d");
    EXPECT_EQ(Written[93], '0') << "year 0 is written as \"0\"";
    EXPECT_EQ(Written[94], 0);
    EXPECT_EQ(Written[127], 12);

    // A second write appends rather than replaces.
    ASSERT_TRUE(Tags.WriteToFile(File.Handle()));
    EXPECT_EQ(File.Content().size(), 256u);
    EXPECT_FALSE(Tags.WriteToFile(-1));
}

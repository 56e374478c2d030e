// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/tags/APEv2Tags.h"
#include "audio/tags/AuTaggedFileIn.h"
#include "audio/tags/Id3v1Tags.h"
#include "audio/tags/VorbisTags.h"

#include <gtest/gtest.h>

using namespace au;

namespace {

std::vector<std::string> Keys(const TAuTags& Tags)
{
    std::vector<std::string> Result;
    for (int I = 0; I < Tags.Count(); ++I)
        Result.push_back(Tags.KeyAt(I));
    return Result;
}

} // namespace

TEST(AuTags, KeysAreSortedWithoutRegardToCaseAndFoundInAnyCase)
{
    TAPEv2Tags Ape;
    ASSERT_EQ(Ape.Count(), 25);
    EXPECT_EQ(Ape.KeyAt(0), "Abstract");
    EXPECT_EQ(Ape.KeyAt(24), "Year");
    const auto All = Keys(Ape);
    EXPECT_TRUE(std::is_sorted(All.begin(), All.end(), [](std::string A, std::string B) {
        for (auto* S : {&A, &B})
            for (char& C : *S)
                C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
        return A < B;
    }));
    EXPECT_EQ(Ape.KeyAt(-1), "");
    EXPECT_EQ(Ape.KeyAt(Ape.Count()), "");

    Ape.SetValue("tItLe", std::u16string(u"Song"));
    EXPECT_EQ(Ape.Title(), u"Song");
    EXPECT_EQ(Ape.AsString("TITLE"), "Song");

    TVorbisTags Vorbis;
    EXPECT_EQ(Keys(Vorbis), (std::vector<std::string>{
                                "album", "artist", "date", "discnumber", "genre", "replaygain_album_gain",
                                "replaygain_album_peak", "replaygain_reference_loudness",
                                "replaygain_track_gain", "replaygain_track_peak", "title", "tracknumber"}));
}

TEST(AuTags, EmptyAndChangedFollowRealChangesOnly)
{
    TVorbisTags Tags;
    EXPECT_TRUE(Tags.Empty());
    EXPECT_FALSE(Tags.Changed());

    Tags.SetValue("no such key", std::string("x"));
    Tags.SetValue("title", std::monostate{});
    EXPECT_TRUE(Tags.Empty());
    EXPECT_FALSE(Tags.Changed()) << "an absent key and Null over Null change nothing";

    Tags.SetTitle(u"");
    EXPECT_FALSE(Tags.Empty()) << "empty text is not Null";
    EXPECT_TRUE(Tags.Changed());

    Tags.Clear();
    EXPECT_TRUE(Tags.Empty());
    EXPECT_TRUE(Tags.Changed()) << "Clear counts as a change";
    EXPECT_EQ(Tags.Artist(), u"");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Tags.GetValue("artist")));
}

TEST(AuTags, SameValuesAreNotStoredAgain)
{
    TId3v1Tags Tags;
    ASSERT_FALSE(Tags.Changed());
    Tags.SetGenreId(12); // the initial value
    Tags.SetValue("genre", 12);
    Tags.SetValue("genre", uint16_t{12});
    EXPECT_FALSE(Tags.Changed()) << "integers compare by value whatever their width";
    EXPECT_TRUE(std::holds_alternative<uint8_t>(Tags.GetValue("genre")));

    TAPEv2Tags Ape;
    Ape.SetArtist(u"Zoë");
    Ape.SetValue("artist", std::string("Zoë"));
    EXPECT_TRUE(std::holds_alternative<std::u16string>(Ape.GetValue("Artist")))
        << "the same text in UTF-8 is the same value";
    Ape.SetValue("artist", std::string("zoë"));
    EXPECT_EQ(Ape.AsString("Artist"), "zoë") << "texts compare with case";
}

TEST(AuTags, AccessorsConvertBetweenTextAndNumbers)
{
    TAPEv2Tags Tags;
    EXPECT_EQ(Tags.AsInteger("absent"), 0);
    EXPECT_EQ(Tags.AsString("absent"), "");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Tags.GetValue("absent")));

    Tags.SetValue("Track", uint8_t{7});
    EXPECT_EQ(Tags.Track(), "7");
    EXPECT_EQ(Tags.AsWideString("Track"), u"7");
    Tags.SetValue("Track", int8_t{-3});
    EXPECT_EQ(Tags.AsInteger("Track"), -3);
    Tags.SetValue("Track", uint32_t{4000000000u});
    EXPECT_EQ(Tags.AsString("Track"), "4000000000");
    Tags.SetValue("Track", int16_t{-300});
    EXPECT_EQ(Tags.AsInteger("Track"), -300);

    Tags.SetYear("1987");
    EXPECT_EQ(Tags.AsInteger("Year"), 1987);
    Tags.SetValue("Year", std::u16string(u"-42"));
    EXPECT_EQ(Tags.AsInteger("Year"), -42);
    for (const char* NotANumber : {"19a7", " 1987", "", "+", "99999999999"}) {
        Tags.SetYear(NotANumber);
        EXPECT_EQ(Tags.AsInteger("Year"), 0) << NotANumber;
    }

    Tags.SetTitle(u"Caf\u00e9 \u266b \U0001F3B5");
    EXPECT_EQ(Tags.AsString("Title"), "Café ♫ 🎵");
    Tags.SetValue("Title", std::string("Café ♫ 🎵"));
    EXPECT_EQ(Tags.AsWideString("Title"), u"Caf\u00e9 \u266b \U0001F3B5");
}

TEST(AuTags, BrokenUnicodeBecomesReplacementCharacters)
{
    TAPEv2Tags Tags;
    Tags.SetValue("Title", std::u16string(u"a\xD800" "b"));
    EXPECT_EQ(Tags.AsString("Title"), "a\xEF\xBF\xBD" "b");
    Tags.SetValue("Title", std::string("a\xC3"));
    EXPECT_EQ(Tags.AsWideString("Title"), u"a\uFFFD");
    Tags.SetValue("Title", std::string("\xC0\xAF\xED\xA0\x80!"));
    EXPECT_EQ(Tags.AsWideString("Title"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD!")
        << "overlong forms and encoded surrogates are rejected byte by byte";
}

TEST(AuTags, AssignFromId3v1ToApeCopiesTheSharedKeysOnly)
{
    TId3v1Tags Source;
    Source.SetTitle("Title");
    Source.SetArtist("Artist");
    Source.SetAlbum("Album");
    Source.SetYear(1999);
    Source.SetComment("Comment");
    Source.SetTrack(4);
    Source.SetGenreId(8);

    TAPEv2Tags Ape;
    Ape.SetPublisher(u"left over");
    Ape.Assign(Source);
    EXPECT_EQ(Ape.Title(), u"Title");
    EXPECT_EQ(Ape.Artist(), u"Artist");
    EXPECT_EQ(Ape.Album(), u"Album");
    EXPECT_EQ(Ape.Year(), "1999");
    EXPECT_EQ(Ape.Comment(), u"Comment");
    EXPECT_EQ(Ape.Track(), "4");
    EXPECT_EQ(Ape.Genre(), u"8");
    EXPECT_EQ(Ape.Publisher(), u"");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Ape.GetValue("Publisher")));

    TAPEv2Tags Other;
    Source.AssignTo(Other);
    for (int I = 0; I < Ape.Count(); ++I)
        EXPECT_EQ(Other.AsString(Ape.KeyAt(I)), Ape.AsString(Ape.KeyAt(I))) << Ape.KeyAt(I);
}

TEST(AuTags, AssignFromVorbisToApeLeavesYearAndTrackEmpty)
{
    TVorbisTags Vorbis;
    EXPECT_EQ(Vorbis.Title(), u"");
    Vorbis.SetAlbum(u"Al");
    Vorbis.SetArtist(u"Ar");
    Vorbis.SetGenre(u"Ge");
    Vorbis.SetTitle(u"Ti");
    Vorbis.SetDate(u"2001");
    Vorbis.SetTrack(u"3");

    TAPEv2Tags Ape;
    Ape.SetYear("1900");
    Ape.Assign(Vorbis);
    EXPECT_EQ(Ape.Album(), u"Al");
    EXPECT_EQ(Ape.Artist(), u"Ar");
    EXPECT_EQ(Ape.Genre(), u"Ge");
    EXPECT_EQ(Ape.Title(), u"Ti");
    EXPECT_EQ(Ape.Year(), "");
    EXPECT_EQ(Ape.Track(), "");

    Ape.Assign(Ape);
    EXPECT_EQ(Ape.Title(), u"Ti") << "assigning to itself keeps the values";
}

TEST(AuTags, ApeStringPropertiesUseTheirItemNames)
{
    TAPEv2Tags Ape;
    Ape.SetBarCode("0123456789012");
    Ape.SetLabelCode("LC 0001");
    Ape.SetFile_(u"file.ape");
    EXPECT_EQ(Ape.AsString("EAN/UPC"), "0123456789012");
    EXPECT_EQ(Ape.AsString("LC"), "LC 0001");
    EXPECT_EQ(Ape.AsString("File"), "file.ape");
    EXPECT_TRUE(std::holds_alternative<std::string>(Ape.GetValue("EAN/UPC")));
    EXPECT_TRUE(std::holds_alternative<std::u16string>(Ape.GetValue("File")));
}

TEST(AuTags, BaseFileOperationsOnlyCheckTheHandle)
{
    TVorbisTags Tags;
    Tags.SetTitle(u"x");
    EXPECT_FALSE(Tags.IsPresent(-1));
    EXPECT_FALSE(Tags.ReadFromFile(-1));
    EXPECT_FALSE(Tags.WriteToFile(-1));
    EXPECT_EQ(Tags.Title(), u"x") << "a failed base step keeps the values";
    EXPECT_TRUE(Tags.IsPresent(0));
    EXPECT_TRUE(Tags.WriteToFile(0));
    EXPECT_TRUE(Tags.ReadFromFile(0));
    EXPECT_EQ(Tags.Title(), u"");
}

namespace {

// The smallest decoder: a tagged input with no audio.
class TSilentTaggedIn final : public TAuTaggedFileIn {
public:
    ~TSilentTaggedIn() override { Destroying(); }

protected:
    void OpenFile() override {}
    void CloseFile() override { FOpenCount = 0; }
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override
    {
        Buffer = nullptr;
        Bytes = 0;
    }
    bool DoSeek(int64_t&) override { return false; }
};

} // namespace

TEST(AuTaggedFileIn, OwnsOneTagObjectOfEachKind)
{
    TSilentTaggedIn In;
    EXPECT_EQ(In.Id3v1Tags().GenreId(), 12);
    EXPECT_TRUE(In.Id3v2Tags().UsesFourCharIds());
    EXPECT_EQ(In.APEv2Tags().Count(), 25);
    In.APEv2Tags().SetTitle(u"t");
    In.Id3v1Tags().Assign(In.APEv2Tags());
    EXPECT_EQ(In.Id3v1Tags().Title(), "t");
}

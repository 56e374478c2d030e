// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagTestUtil.h"
#include "audio/tags/Id3v2Tags.h"

#include <gtest/gtest.h>

using namespace au;
using namespace autest;

namespace {

const TBytes Audio(200, 0xAA);
const TBytes Utf16AB = {'A', 0, 'B', 0, 0, 0};

bool AllNull(const TAuTags& Tags)
{
    for (int I = 0; I < Tags.Count(); ++I)
        if (!std::holds_alternative<std::monostate>(Tags.GetValue(Tags.KeyAt(I))))
            return false;
    return true;
}

// Reads a tag that starts 5 bytes into the file.
struct TReadResult {
    bool Present = false, Read = false;
    int64_t PositionAfter = -1;
};

TReadResult ReadAt5(TId3v2Tags& Tags, const TBytes& Tag, const TBytes& After = Audio)
{
    TTagFile File(TBytes(5, 'x') + Tag + After);
    File.Seek(5);
    TReadResult R;
    R.Present = Tags.IsPresent(File.Handle());
    EXPECT_EQ(File.Position(), 5) << "IsPresent keeps the position";
    R.Read = Tags.ReadFromFile(File.Handle());
    R.PositionAfter = File.Position() - 5;
    return R;
}

} // namespace

TEST(Id3v2Tags, HeaderRejections)
{
    const TBytes Frames = Id3v2Frame(3, "TIT2", TextData(0, Bytes("T")));
    const auto Sized = [&](TBytes Header) { return Header + Frames; };
    TBytes BigSize = Id3v2Header(3, 0, static_cast<uint32_t>(Frames.size()));
    BigSize[9] |= 0x80;
    TBytes Revision255 = Id3v2Header(3, 0, static_cast<uint32_t>(Frames.size()));
    Revision255[4] = 255;
    TBytes LowerCase = Id3v2Header(3, 0, static_cast<uint32_t>(Frames.size()));
    LowerCase[0] = 'i';
    const uint32_t Size = static_cast<uint32_t>(Frames.size());
    for (const TBytes& Bad : {Sized(Id3v2Header(5, 0, Size)), Sized(Id3v2Header(1, 0, Size)),
                              Sized(Id3v2Header(3, 0x10, Size)), Sized(Id3v2Header(2, 0x01, Size)),
                              Sized(Id3v2Header(4, 0x01, Size)), Sized(BigSize), Sized(Revision255),
                              Sized(LowerCase), TBytes{'I', 'D', '3', 3, 0, 0, 0}}) {
        TId3v2Tags Tags;
        Tags.SetTitle(u"before");
        const TReadResult R = ReadAt5(Tags, Bad, {});
        EXPECT_FALSE(R.Present);
        EXPECT_FALSE(R.Read);
        EXPECT_TRUE(AllNull(Tags));
    }
    for (const TBytes& Good : {Sized(Id3v2Header(2, 0xC0, Size)), Sized(Id3v2Header(3, 0xE0, Size)),
                               Sized(Id3v2Header(4, 0x10, Size))}) {
        TId3v2Tags Tags;
        EXPECT_TRUE(ReadAt5(Tags, Good).Present) << int(Good[3]) << " flags " << int(Good[5]);
    }
    TId3v2Tags Tags;
    EXPECT_FALSE(Tags.IsPresent(-1));
    EXPECT_FALSE(Tags.ReadFromFile(-1));
}

TEST(Id3v2Tags, FooterAddsTenBytesToTheLength)
{
    TId3v2Tags Tags;
    const TBytes Tag = Id3v2Header(4, 0x10, 1000) + Id3v2Frame(4, "TIT2", TextData(0, Bytes("Foot"))) +
                       TBytes(1000, 0);
    const TReadResult R = ReadAt5(Tags, Tag);
    EXPECT_TRUE(R.Read);
    EXPECT_EQ(R.PositionAfter, 1020);
    EXPECT_EQ(Tags.Title(), u"Foot");
}

TEST(Id3v2Tags, ATagLongerThanTheFileReadsNoValues)
{
    TId3v2Tags Tags;
    const TBytes Tag = Id3v2Header(3, 0, 5000) + Id3v2Frame(3, "TIT2", TextData(0, Bytes("Lost")));
    const TReadResult R = ReadAt5(Tags, Tag);
    EXPECT_TRUE(R.Read);
    EXPECT_EQ(R.PositionAfter, 5010);
    EXPECT_TRUE(AllNull(Tags));
}

TEST(Id3v2Tags, TextEncodings)
{
    struct TCase {
        const char* What;
        TBytes Data;
        std::u16string Title;
    };
    const TCase Cases[] = {
        {"UTF-16 with a byte order mark", TBytes{1, 0xFF, 0xFE} + Utf16AB, u"AB"},
        {"UTF-16 without one", TBytes{1} + Utf16AB, u"AB"},
        {"UTF-16 big-endian by its mark", TBytes{1, 0xFE, 0xFF, 0, 'A', 0, 'B'}, u"AB"},
        {"UTF-16 surrogate pair, unterminated", TBytes{1, 0xFF, 0xFE, 0x3C, 0xD8, 0xB5, 0xDF}, u"\U0001F3B5"},
        {"UTF-16 odd last byte", TBytes{1, 'A', 0, 'B'}, u"AB"},
        {"UTF-16 BOM only", TBytes{1, 0xFF, 0xFE}, u""},
        {"UTF-8", TBytes{3} + Raw("Caf\xC3\xA9\0rest"), u"Café"},
        {"ISO-8859-1", TBytes{0} + Bytes("Caf\xE9"), u"Café"},
        {"UTF-16 big-endian without a mark is not read", TBytes{2, 0, 'A', 0, 'B'}, u""},
        {"unknown encoding", TBytes{9, 'A'}, u""},
        {"encoding byte only", TBytes{0}, u""},
    };
    for (const TCase& C : Cases) {
        TId3v2Tags Tags;
        ReadAt5(Tags, Id3v2Tag(3, Id3v2Frame(3, "TIT2", C.Data), 10));
        EXPECT_EQ(Tags.Title(), C.Title) << C.What;
    }
}

TEST(Id3v2Tags, Latin1IsStoredAsUtf8Text)
{
    TId3v2Tags Tags;
    ReadAt5(Tags, Id3v2Tag(4, Id3v2Frame(4, "TRCK", TextData(0, Bytes("3/9"))) +
                                 Id3v2Frame(4, "TPE1", TextData(0, Bytes("Zo\xEB")))));
    EXPECT_EQ(Tags.Track(), "3/9");
    const TTagValue Artist = Tags.GetValue("TPE1");
    ASSERT_TRUE(std::holds_alternative<std::string>(Artist));
    EXPECT_EQ(std::get<std::string>(Artist), "Zoë");
}

TEST(Id3v2Tags, CommentsAndUnknownFramesAreSkipped)
{
    TId3v2Tags Tags;
    const TBytes Frames = Id3v2Frame(3, "COMM", TextData(0, Raw("eng\0Note")) + TBytes{0}) +
                          Id3v2Frame(3, "APIC", TBytes(3000, 0xFF)) + Id3v2Frame(3, "TXXX", TBytes()) +
                          Id3v2Frame(3, "TALB", TextData(0, Bytes("Album"))) +
                          Id3v2Frame(3, "WXXX", TextData(0, Raw("Site\0http://x")));
    const TReadResult R = ReadAt5(Tags, Id3v2Tag(3, Frames, 20));
    EXPECT_TRUE(R.Read);
    EXPECT_EQ(Tags.Comment(), u"");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Tags.GetValue("COMM")));
    EXPECT_EQ(Tags.Album(), u"Album");
    EXPECT_EQ(Tags.Link(), u"Site") << "the description before the link";
}

TEST(Id3v2Tags, Version22UsesThreeCharacterIds)
{
    TId3v2Tags Tags;
    const TBytes Frames = Id3v2Frame(2, "TT2", TextData(0, Bytes("Old"))) +
                          Id3v2Frame(2, "TAL", TextData(1, Utf16AB)) +
                          Id3v2Frame(2, "TYE", TextData(0, Bytes("1998")));
    EXPECT_TRUE(ReadAt5(Tags, Id3v2Tag(2, Frames, 6)).Read);
    EXPECT_FALSE(Tags.UsesFourCharIds());
    EXPECT_EQ(Tags.Title(), u"Old");
    EXPECT_EQ(Tags.Year(), "1998");
    EXPECT_EQ(Tags.Album(), u"AB");
    EXPECT_EQ(Tags.AsString("TIT2"), "");
    EXPECT_EQ(Tags.AsString("TALB"), "");

    EXPECT_TRUE(ReadAt5(Tags, Id3v2Tag(3, Id3v2Frame(3, "TIT2", TextData(0, Bytes("New"))))).Read);
    EXPECT_TRUE(Tags.UsesFourCharIds());
    EXPECT_EQ(Tags.Title(), u"New");
    EXPECT_EQ(Tags.AsString("TT2"), "") << "a new read clears the old values";
}

TEST(Id3v2Tags, FramesAtAndBeyondTheTagEnd)
{
    const TBytes Title = Id3v2Frame(4, "TIT2", TextData(0, Bytes("T")));
    const TBytes Album = Id3v2Frame(4, "TALB", TextData(0, Bytes("Album")));
    {
        TId3v2Tags Tags;
        const TReadResult R = ReadAt5(Tags, Id3v2Tag(4, Title + Album));
        EXPECT_EQ(Tags.Album(), u"Album") << "a frame ending exactly at the end is used";
        EXPECT_EQ(R.PositionAfter, static_cast<int64_t>(10 + Title.size() + Album.size()));
    }
    {
        // The album's data runs one byte past the end the header states.
        TId3v2Tags Tags;
        const TBytes Tag = Id3v2Header(4, 0, static_cast<uint32_t>(Title.size() + Album.size() - 1)) + Title + Album;
        const TReadResult R = ReadAt5(Tags, Tag);
        EXPECT_TRUE(R.Read);
        EXPECT_EQ(Tags.Title(), u"T") << "values before the damage stay";
        EXPECT_EQ(Tags.Album(), u"");
        EXPECT_EQ(R.PositionAfter, static_cast<int64_t>(10 + Title.size() + Album.size() - 1));
    }
    {
        // A header that ends exactly at the end has no data to read.
        TId3v2Tags Tags;
        const TBytes AlbumData = TextData(0, Bytes("Album"));
        const TBytes Tag = Id3v2Header(4, 0, static_cast<uint32_t>(Title.size() + 10)) + Title +
                           Id3v2Frame(4, "TALB", {}, static_cast<int64_t>(AlbumData.size()));
        ReadAt5(Tags, Tag, AlbumData);
        EXPECT_EQ(Tags.Title(), u"T");
        EXPECT_EQ(Tags.Album(), u"");
    }
    {
        // A huge size is refused before anything is read or allocated.
        TId3v2Tags Tags;
        const TBytes Tag = Id3v2Tag(3, Title + Id3v2Frame(3, "TALB", TextData(0, Bytes("x")), 0xFFFFFFF0));
        EXPECT_TRUE(ReadAt5(Tags, Tag).Read);
        EXPECT_EQ(Tags.Album(), u"");
    }
}

TEST(Id3v2Tags, ZeroSizedFramesAreStepsAndPaddingEndsTheFrames)
{
    TId3v2Tags Tags;
    const TBytes Frames = Id3v2Frame(3, "TPE1", {}) + Id3v2Frame(3, "TALB", TextData(0, Bytes("A"))) +
                          TBytes(12, 0) + Id3v2Frame(3, "TIT2", TextData(0, Bytes("hidden")));
    const TReadResult R = ReadAt5(Tags, Id3v2Tag(3, Frames));
    EXPECT_EQ(Tags.Album(), u"A");
    EXPECT_EQ(Tags.Title(), u"");
    EXPECT_EQ(R.PositionAfter, static_cast<int64_t>(10 + Frames.size()));
}

namespace {

// The bytes WriteToFile puts in front of Content.
TBytes WrittenTag(const TId3v2Tags& Source, bool Unicode, const TBytes& Content = Audio)
{
    TTagFile File(Content);
    TId3v2Tags Tags;
    Tags.Assign(Source);
    EXPECT_TRUE(Tags.WriteToFile(File.Handle(), Unicode));
    const TBytes All = File.Content();
    EXPECT_GE(All.size(), Content.size());
    EXPECT_TRUE(std::equal(Content.begin(), Content.end(), All.end() - static_cast<long>(Content.size())))
        << "the content follows the tag unchanged";
    return TBytes(All.begin(), All.end() - static_cast<long>(Content.size()));
}

} // namespace

TEST(Id3v2Tags, WritesVersion24FramesInTableOrder)
{
    TId3v2Tags Tags;
    Tags.SetArtist(u"Zoë");
    Tags.SetTitle(u"T");
    Tags.SetTrack("5");
    Tags.SetComment(u"never written");
    Tags.SetAlbum(u"");
    const TBytes Frames = Id3v2Frame(4, "TPE1", TBytes{3, 'Z', 'o', 0xC3, 0xAB}) +
                          Id3v2Frame(4, "TIT2", TBytes{3, 'T'}) + Id3v2Frame(4, "TRCK", TBytes{0, '5'});
    ASSERT_EQ(Frames.size(), 39u);
    EXPECT_EQ(WrittenTag(Tags, true), Id3v2Tag(4, Frames, 15));

    const TBytes Latin1 = Id3v2Frame(4, "TPE1", TBytes{0, 'Z', 'o', 0xEB}) +
                          Id3v2Frame(4, "TIT2", TBytes{0, 'T'}) + Id3v2Frame(4, "TRCK", TBytes{0, '5'});
    EXPECT_EQ(WrittenTag(Tags, false), Id3v2Tag(4, Latin1, 16)) << "a whole 16 when already aligned";
}

TEST(Id3v2Tags, TextIso88591CannotHoldIsWrittenAsUtf8)
{
    TId3v2Tags Tags;
    Tags.SetArtist(u"♫");
    Tags.SetValue("TALB", std::string("Ω"));
    const TBytes Frames = Id3v2Frame(4, "TALB", TBytes{3, 0xCE, 0xA9}) +
                          Id3v2Frame(4, "TPE1", TBytes{3, 0xE2, 0x99, 0xAB});
    EXPECT_EQ(WrittenTag(Tags, false), Id3v2Tag(4, Frames, 16 - (Frames.size() + 10) % 16));
}

TEST(Id3v2Tags, PaddingRoundsTheTagToSixteenBytes)
{
    struct TCase {
        size_t TextLength, TagSize;
    };
    for (const TCase C : {TCase{43, 70}, TCase{39, 54}, TCase{0, 6}, TCase{44, 70}}) {
        TId3v2Tags Tags;
        Tags.SetTitle(std::u16string(C.TextLength, u'x'));
        const TBytes Tag = WrittenTag(Tags, true);
        ASSERT_EQ(Tag.size(), C.TagSize + 10) << C.TextLength;
        EXPECT_EQ(TBytes(Tag.begin(), Tag.begin() + 10), Id3v2Header(4, 0, static_cast<uint32_t>(C.TagSize)));
        const size_t FramesLength = C.TextLength ? C.TextLength + 11 : 0;
        EXPECT_TRUE(std::all_of(Tag.begin() + 10 + static_cast<long>(FramesLength), Tag.end(),
                                [](uint8_t B) { return B == 0; }));
    }
}

TEST(Id3v2Tags, WrittenTagsReadBack)
{
    TId3v2Tags Tags;
    Tags.SetAlbum(u"Ålbum");
    Tags.SetArtist(u"Artist \U0001F3B5");
    Tags.SetGenre(u"Jazz");
    Tags.SetTitle(u"Title");
    Tags.SetTrack("7/12");
    Tags.SetYear("2024");
    Tags.SetComposer(u"Composer");
    Tags.SetEncoder(u"kelvaro");
    Tags.SetCopyright(u"(c)");
    Tags.SetLanguage(u"eng");
    Tags.SetLink(u"http://example.org/");
    for (const bool Unicode : {true, false}) {
        TTagFile File(Audio);
        ASSERT_TRUE(Tags.WriteToFile(File.Handle(), Unicode));
        File.Seek(0);
        TId3v2Tags Back;
        ASSERT_TRUE(Back.ReadFromFile(File.Handle()));
        for (int I = 0; I < Tags.Count(); ++I)
            EXPECT_EQ(Back.AsString(Tags.KeyAt(I)), Tags.AsString(Tags.KeyAt(I))) << Tags.KeyAt(I);
        EXPECT_EQ(File.Position() + static_cast<int64_t>(Audio.size()), static_cast<int64_t>(File.Content().size()));
    }
}

TEST(Id3v2Tags, ANewTagGoesInFrontOfAnOldOne)
{
    TId3v2Tags Tags;
    Tags.SetTitle(u"New");
    const TBytes Old = Id3v2Tag(3, Id3v2Frame(3, "TIT2", TextData(0, Bytes("Old"))));
    const TBytes Tag = WrittenTag(Tags, true, Old + Audio);
    EXPECT_EQ(Tag.size(), 32u);
}

TEST(Id3v2Tags, AFileThatCannotBeMappedStaysAsItWas)
{
    TTagFile File(Audio);
    TId3v2Tags Tags;
    Tags.SetTitle(u"x");
    for (const int Flags : {O_WRONLY, O_RDONLY}) {
        const int Handle = ::open(File.Name().c_str(), Flags);
        ASSERT_GE(Handle, 0);
        EXPECT_FALSE(Tags.WriteToFile(Handle));
        ::close(Handle);
        EXPECT_EQ(File.Content(), Audio) << "flags " << Flags;
    }
    EXPECT_FALSE(Tags.WriteToFile(-1));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Id3v1Tags.h"

#include "TagFile.h"
#include "TagText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace au {

namespace {

constexpr size_t BlockSize = 128;
constexpr uint8_t DefaultGenre = 12;

constexpr std::array<std::string_view, TId3v1Tags::GenreCount> Genres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "Alt. Rock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental pop", "Instrumental rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
    "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock",
    "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad",
    "Rhythmic soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A Cappella", "Euro-House",
    "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop",
    "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop",
    "Synthpop",
};

bool EqualIgnoringCase(std::string_view A, std::string_view B)
{
    const auto Lower = [](char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; };
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [&](char X, char Y) { return Lower(X) == Lower(Y); });
}

// A text field of the block as UTF-8.
std::string FieldText(const uint8_t* Field, size_t Width)
{
    return Latin1ToUtf8(TrimBlanks(std::string_view(reinterpret_cast<const char*>(Field), Width)));
}

// Text as ISO-8859-1, cut to Width bytes, at Field (already zeroed).
void PutField(uint8_t* Field, size_t Width, const std::string& Utf8)
{
    std::string Latin1;
    Utf8ToLatin1(Utf8, Latin1);
    std::memcpy(Field, Latin1.data(), std::min(Latin1.size(), Width));
}

bool HasBlock(const uint8_t* Block) { return std::memcmp(Block, "TAG", 3) == 0; }

// Reads the last 128 bytes; false when the file is shorter or unreadable.
bool ReadBlock(int Handle, uint8_t* Block)
{
    return TagFileSeek(Handle, -static_cast<int64_t>(BlockSize), SEEK_END) >= 0 &&
           TagFileReadExact(Handle, Block, BlockSize);
}

} // namespace

std::string_view TId3v1Tags::GenreName(int Id)
{
    return (Id >= 0 && Id < GenreCount) ? Genres[static_cast<size_t>(Id)] : Genres[DefaultGenre];
}

TId3v1Tags::TId3v1Tags()
{
    AddKey("artist", {});
    AddKey("album", {});
    AddKey("genre", DefaultGenre);
    AddKey("year", {});
    AddKey("track", {});
    AddKey("title", {});
    AddKey("comment", {});
}

std::string TId3v1Tags::Artist() const
{
    const TTagValue Value = GetValue("artist");
    const bool Text = std::holds_alternative<std::string>(Value) || std::holds_alternative<std::u16string>(Value);
    return Text ? AsString("artist") : std::string();
}

uint8_t TId3v1Tags::GenreId() const
{
    const int32_t Id = AsInteger("genre");
    return (Id >= 0 && Id < GenreCount) ? static_cast<uint8_t>(Id) : DefaultGenre;
}

void TId3v1Tags::SetGenre(std::string_view Name)
{
    const std::string_view Wanted = TrimBlanks(Name);
    for (int Id = 0; Id < GenreCount; ++Id) {
        if (EqualIgnoringCase(Genres[static_cast<size_t>(Id)], Wanted)) {
            SetGenreId(static_cast<uint8_t>(Id));
            return;
        }
    }
}

bool TId3v1Tags::IsPresent(int Handle)
{
    if (Handle < 0)
        return false;
    TTagFilePositionKeeper Keeper(Handle);
    uint8_t Block[BlockSize];
    return Keeper.Valid() && ReadBlock(Handle, Block) && HasBlock(Block);
}

bool TId3v1Tags::ReadFromFile(int Handle)
{
    if (!TAuTags::ReadFromFile(Handle))
        return false;
    uint8_t Block[BlockSize];
    if (!ReadBlock(Handle, Block) || !HasBlock(Block))
        return false;
    SetTitle(FieldText(Block + 3, 30));
    SetArtist(FieldText(Block + 33, 30));
    SetAlbum(FieldText(Block + 63, 30));
    int32_t Year = 0;
    if (!ParseDecimal(TrimBlanks(std::string_view(reinterpret_cast<const char*>(Block + 93), 4)), Year) ||
        Year < 0)
        Year = 0;
    SetYear(static_cast<uint16_t>(Year));
    const bool Version11 = (Block[125] == 0 && Block[126] != 0) || (Block[125] == ' ' && Block[126] != ' ');
    SetComment(FieldText(Block + 97, Version11 ? 28 : 30));
    SetTrack(Version11 ? Block[126] : 0);
    SetGenreId(Block[127]);
    return true;
}

bool TId3v1Tags::WriteToFile(int Handle, bool Unicode)
{
    if (!TAuTags::WriteToFile(Handle, Unicode) || TagFileSeek(Handle, 0, SEEK_END) < 0)
        return false;
    uint8_t Block[BlockSize] = {};
    std::memcpy(Block, "TAG", 3);
    PutField(Block + 3, 30, Title());
    PutField(Block + 33, 30, Artist());
    PutField(Block + 63, 30, Album());
    PutField(Block + 93, 4, std::to_string(Year()));
    const uint8_t TrackNumber = Track();
    PutField(Block + 97, TrackNumber != 0 ? 28 : 30, Comment());
    if (TrackNumber != 0) {
        Block[125] = 0;
        Block[126] = TrackNumber;
    }
    Block[127] = GenreId();
    return TagFileWriteAll(Handle, Block, BlockSize);
}

} // namespace au

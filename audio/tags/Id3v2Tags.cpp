// SPDX-License-Identifier: GPL-3.0-or-later
#include "Id3v2Tags.h"

#include "TagFile.h"
#include "audio/core/ByteOrder.h"
#include "TagText.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace au {

namespace {

struct TFrameId {
    const char* Short; // version 2.2
    const char* Long;  // versions 2.3 and 2.4
};

constexpr TFrameId FrameIds[] = {
    {"TAL", "TALB"}, {"TP1", "TPE1"}, {"TCO", "TCON"}, {"TT2", "TIT2"}, {"TRK", "TRCK"}, {"TYE", "TYER"},
    {"COM", "COMM"}, {"TCM", "TCOM"}, {"TEN", "TENC"}, {"TCR", "TCOP"}, {"TLA", "TLAN"}, {"WXX", "WXXX"},
};
constexpr size_t CommentRow = 6;

constexpr size_t HeaderSize = 10;
constexpr uint8_t FooterFlag = 0x10;
// The largest value a 4-byte synchsafe integer holds.
constexpr uint32_t SynchsafeLimit = (1u << 28) - 1;

constexpr uint8_t EncodingLatin1 = 0;
constexpr uint8_t EncodingUtf16 = 1;
constexpr uint8_t EncodingUtf8 = 3;

uint32_t GetSynchsafe(const uint8_t* P)
{
    return (static_cast<uint32_t>(P[0] & 0x7F) << 21) | (static_cast<uint32_t>(P[1] & 0x7F) << 14) |
           (static_cast<uint32_t>(P[2] & 0x7F) << 7) | static_cast<uint32_t>(P[3] & 0x7F);
}

void PutSynchsafe(uint8_t* P, uint32_t V)
{
    P[0] = static_cast<uint8_t>((V >> 21) & 0x7F);
    P[1] = static_cast<uint8_t>((V >> 14) & 0x7F);
    P[2] = static_cast<uint8_t>((V >> 7) & 0x7F);
    P[3] = static_cast<uint8_t>(V & 0x7F);
}

struct THeader {
    uint8_t Version = 0;
    int64_t TotalLength = 0;
};

// Reads and tests the 10-byte header at the current position.
bool ReadHeader(int Handle, THeader& Header)
{
    uint8_t B[HeaderSize];
    if (!TagFileReadExact(Handle, B, HeaderSize))
        return false;
    if (std::memcmp(B, "ID3", 3) != 0 || B[4] == 0xFF)
        return false;
    const uint8_t Version = B[3], Flags = B[5];
    const bool FlagsValid = (Version == 2 && (Flags & 0x3F) == 0) || (Version == 3 && (Flags & 0x1F) == 0) ||
                            (Version == 4 && (Flags & 0x0F) == 0);
    if (!FlagsValid)
        return false;
    if ((B[6] | B[7] | B[8] | B[9]) & 0x80)
        return false;
    Header.Version = Version;
    Header.TotalLength = static_cast<int64_t>(GetSynchsafe(B + 6)) + HeaderSize +
                         ((Flags & FooterFlag) != 0 ? HeaderSize : 0);
    return true;
}

// UTF-16 code units from Data[At] on, up to the first zero unit or the end;
// a last odd byte pairs with a zero.
std::u16string Utf16Units(const std::vector<uint8_t>& Data, size_t At, bool BigEndian)
{
    const auto Byte = [&](size_t I) -> uint16_t { return I < Data.size() ? Data[I] : 0; };
    std::u16string Text;
    for (; At < Data.size(); At += 2) {
        const uint16_t First = Byte(At), Second = Byte(At + 1);
        const auto Unit = static_cast<char16_t>(BigEndian ? (First << 8) | Second : First | (Second << 8));
        if (Unit == 0)
            break;
        Text += Unit;
    }
    return Text;
}

// The bytes from Data[1] up to the first zero byte or the end.
std::string_view ZeroEnded(const std::vector<uint8_t>& Data)
{
    std::string_view All(reinterpret_cast<const char*>(Data.data()) + 1, Data.size() - 1);
    return All.substr(0, All.find('\0'));
}

// A text frame's data (encoding byte first, never empty) as a value; false for
// an encoding that is not read.
bool DecodeText(const std::vector<uint8_t>& Data, TTagValue& Value)
{
    switch (Data[0]) {
    case EncodingLatin1:
        Value = Latin1ToUtf8(ZeroEnded(Data));
        return true;
    case EncodingUtf16: {
        // Without a byte order mark the text is taken as little-endian.
        const bool Little = Data.size() >= 3 && Data[1] == 0xFF && Data[2] == 0xFE;
        const bool Big = Data.size() >= 3 && Data[1] == 0xFE && Data[2] == 0xFF;
        Value = Utf16Units(Data, (Little || Big) ? 3 : 1, Big);
        return true;
    }
    case EncodingUtf8:
        Value = Utf8ToUtf16(ZeroEnded(Data));
        return true;
    default:
        return false;
    }
}

// One frame of the writer: id, synchsafe data size, no flags, encoding, text.
void AppendFrame(std::vector<uint8_t>& Frames, const char* Id, uint8_t Encoding, const std::string& Text)
{
    uint8_t Head[HeaderSize] = {};
    std::memcpy(Head, Id, 4);
    PutSynchsafe(Head + 4, static_cast<uint32_t>(Text.size() + 1));
    Frames.insert(Frames.end(), Head, Head + HeaderSize);
    Frames.push_back(Encoding);
    Frames.insert(Frames.end(), Text.begin(), Text.end());
}

// Grows the file by Prefix.size() bytes and moves its content behind Prefix.
bool PutInFront(int Handle, const std::vector<uint8_t>& Prefix)
{
    const int64_t OldSize = TagFileSize(Handle);
    if (OldSize < 0)
        return false;
    const auto NewSize = static_cast<size_t>(OldSize) + Prefix.size();
    if (::ftruncate(Handle, static_cast<off_t>(NewSize)) != 0)
        return false;
    void* Map = ::mmap(nullptr, NewSize, PROT_READ | PROT_WRITE, MAP_SHARED, Handle, 0);
    if (Map == MAP_FAILED) {
        // Leave no zeros behind the content when the file could not be mapped.
        [[maybe_unused]] const int Ignored = ::ftruncate(Handle, static_cast<off_t>(OldSize));
        return false;
    }
    auto* Bytes = static_cast<uint8_t*>(Map);
    std::memmove(Bytes + Prefix.size(), Bytes, static_cast<size_t>(OldSize));
    std::memcpy(Bytes, Prefix.data(), Prefix.size());
    const bool Flushed = ::msync(Map, NewSize, MS_SYNC) == 0;
    ::munmap(Map, NewSize);
    return Flushed;
}

} // namespace

TId3v2Tags::TId3v2Tags()
{
    for (const TFrameId& Id : FrameIds) {
        AddKey(Id.Short, {});
        AddKey(Id.Long, {});
    }
}

const char* TId3v2Tags::Key(TRow Row) const
{
    return FUsesFourCharIds ? FrameIds[Row].Long : FrameIds[Row].Short;
}

bool TId3v2Tags::IsPresent(int Handle)
{
    if (Handle < 0)
        return false;
    TTagFilePositionKeeper Keeper(Handle);
    THeader Header;
    return Keeper.Valid() && ReadHeader(Handle, Header);
}

bool TId3v2Tags::ReadFromFile(int Handle)
{
    if (!TAuTags::ReadFromFile(Handle))
        return false;
    const int64_t Start = TagFilePosition(Handle);
    THeader Header;
    if (Start < 0 || !ReadHeader(Handle, Header))
        return false;
    FUsesFourCharIds = Header.Version != 2;
    ReadFrames(Handle, Start + static_cast<int64_t>(HeaderSize), Start + Header.TotalLength, Header.Version);
    TagFileSeek(Handle, Start + Header.TotalLength, SEEK_SET);
    return true;
}

void TId3v2Tags::ReadFrames(int Handle, int64_t Position, int64_t End, uint8_t Version)
{
    const int64_t FileSize = TagFileSize(Handle);
    if (FileSize < End)
        return;
    const size_t FrameHeaderSize = Version == 2 ? 6 : 10;
    const size_t IdLength = Version == 2 ? 3 : 4;
    while (Position < End) {
        uint8_t Head[10];
        if (!TagFileReadExact(Handle, Head, FrameHeaderSize) || Head[0] < 'A' || Head[0] > 'Z')
            return;
        Position += static_cast<int64_t>(FrameHeaderSize);
        if (Position >= End)
            return;
        const uint32_t DataSize = Version == 2   ? (static_cast<uint32_t>(Head[3]) << 16) | (Head[4] << 8) | Head[5]
                                  : Version == 3 ? GetBE32(Head + 4)
                                                 : GetSynchsafe(Head + 4);
        if (DataSize == 0)
            continue;
        // Checked before reading so that a damaged size never makes us allocate
        // more than the tag holds.
        if (static_cast<int64_t>(DataSize) > End - Position)
            return;
        const std::string_view Id(reinterpret_cast<const char*>(Head), IdLength);
        size_t Row = 0;
        while (Row < rRowCount && Id != (Version == 2 ? FrameIds[Row].Short : FrameIds[Row].Long))
            ++Row;
        if (Row == rRowCount || Row == CommentRow) {
            if (TagFileSeek(Handle, Position + DataSize, SEEK_SET) < 0)
                return;
            Position += DataSize;
            continue;
        }
        std::vector<uint8_t> Data(DataSize);
        if (!TagFileReadExact(Handle, Data.data(), DataSize))
            return;
        Position += DataSize;
        TTagValue Value;
        if (DecodeText(Data, Value))
            SetValue(Id, Value);
    }
}

bool TId3v2Tags::WriteToFile(int Handle, bool Unicode)
{
    if (!TAuTags::WriteToFile(Handle, Unicode))
        return false;
    std::vector<uint8_t> Frames;
    for (size_t Row = 0; Row < rRowCount; ++Row) {
        if (Row == CommentRow)
            continue;
        const char* Id = FrameIds[Row].Long;
        const bool Wide = std::holds_alternative<std::u16string>(GetValue(Id));
        const std::string Text = AsString(Id);
        if (Text.empty())
            continue;
        std::string Latin1;
        if (Unicode && Wide)
            AppendFrame(Frames, Id, EncodingUtf8, Text);
        else if (Utf8ToLatin1(Text, Latin1))
            AppendFrame(Frames, Id, EncodingLatin1, Latin1);
        else
            // ISO-8859-1 cannot hold it; UTF-8 keeps the text instead of '?'.
            AppendFrame(Frames, Id, EncodingUtf8, Text);
        if (Frames.size() > SynchsafeLimit)
            return false;
    }
    const size_t Padding = 16 - (Frames.size() + HeaderSize) % 16;
    const size_t TagSize = Frames.size() + Padding;
    if (TagSize > SynchsafeLimit)
        return false;
    std::vector<uint8_t> Prefix(HeaderSize + TagSize, 0);
    std::memcpy(Prefix.data(), "ID3\x04\x00\x00", 6);
    PutSynchsafe(Prefix.data() + 6, static_cast<uint32_t>(TagSize));
    std::copy(Frames.begin(), Frames.end(), Prefix.begin() + HeaderSize);
    return PutInFront(Handle, Prefix);
}

} // namespace au

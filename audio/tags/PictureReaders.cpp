// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureReaders.h"

#include "TagFile.h"
#include "audio/core/ByteOrder.h"

#include <cstring>
#include <functional>
#include <strings.h>
#include <string>
#include <vector>

namespace au {
namespace {

// Reads big-endian fields off a block, never past its end.
class TBlockReader {
public:
    TBlockReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}

    bool Number(uint32_t& Value)
    {
        if (FSize - FPos < 4)
            return false;
        Value = GetBE32(FData + FPos);
        FPos += 4;
        return true;
    }
    // A length-prefixed field; its bytes stay in the block.
    bool Field(const uint8_t*& Bytes, uint32_t& Length)
    {
        if (!Number(Length) || Length > FSize - FPos)
            return false;
        Bytes = FData + FPos;
        FPos += Length;
        return true;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

int Base64Value(char C)
{
    if (C >= 'A' && C <= 'Z')
        return C - 'A';
    if (C >= 'a' && C <= 'z')
        return C - 'a' + 26;
    if (C >= '0' && C <= '9')
        return C - '0' + 52;
    if (C == '+')
        return 62;
    if (C == '/')
        return 63;
    return -1;
}

// Padding and line breaks are passed over; any other stray character makes
// the text unreadable.
bool DecodeBase64(std::string_view Text, std::vector<uint8_t>& Out)
{
    Out.clear();
    Out.reserve(Text.size() / 4 * 3);
    uint32_t Bits = 0;
    int Count = 0;
    for (const char C : Text) {
        if (C == '=' || C == '\r' || C == '\n')
            continue;
        const int Value = Base64Value(C);
        if (Value < 0)
            return false;
        Bits = (Bits << 6) | static_cast<uint32_t>(Value);
        Count += 6;
        if (Count >= 8) {
            Count -= 8;
            Out.push_back(static_cast<uint8_t>(Bits >> Count));
        }
    }
    return true;
}

constexpr size_t ApeFooterSize = 32;
constexpr size_t Id3v1Size = 128;
// Tag items are read in one piece; a tag larger than the largest picture we
// keep and some text is not read at all.
constexpr uint32_t MaxApeTag = static_cast<uint32_t>(TTagPicture::MaxBytes + (1u << 20));

bool ReadApeFooter(int Handle, int64_t End, uint8_t (&Footer)[ApeFooterSize])
{
    return End >= static_cast<int64_t>(ApeFooterSize) &&
           TagFileSeek(Handle, End - static_cast<int64_t>(ApeFooterSize), SEEK_SET) >= 0 &&
           TagFileReadExact(Handle, Footer, sizeof Footer) && std::memcmp(Footer, "APETAGEX", 8) == 0;
}

} // namespace

bool ReadFlacPicture(const uint8_t* Block, size_t Size, TTagPicture& Picture)
{
    TBlockReader Reader(Block, Size);
    uint32_t Type = 0;
    uint32_t Length = 0;
    const uint8_t* Mime = nullptr;
    const uint8_t* Description = nullptr;
    uint32_t DescriptionLength = 0;
    uint32_t Unused = 0;
    const uint8_t* Data = nullptr;
    uint32_t DataLength = 0;
    if (!Reader.Number(Type) || !Reader.Field(Mime, Length))
        return false;
    const std::string MimeText(reinterpret_cast<const char*>(Mime), Length);
    if (!Reader.Field(Description, DescriptionLength))
        return false;
    for (int I = 0; I < 4; ++I) // width, height, depth, colours
        if (!Reader.Number(Unused))
            return false;
    if (!Reader.Field(Data, DataLength) || DataLength == 0)
        return false;
    Picture.Take(Data, DataLength);
    Picture.Mime = MimeText;
    Picture.Type = static_cast<uint8_t>(Type <= 20 ? Type : 0);
    Picture.Description.assign(reinterpret_cast<const char*>(Description), DescriptionLength);
    return true;
}

bool ReadVorbisCommentPicture(std::string_view Base64, TTagPicture& Picture)
{
    std::vector<uint8_t> Block;
    return DecodeBase64(Base64, Block) && ReadFlacPicture(Block.data(), Block.size(), Picture);
}

namespace {

// Calls Item for each item of the APEv2 tag at the end of the file (behind
// it an ID3v1 block may follow) until it answers false; false when there is
// no such tag or it breaks off before its items end.
bool ForEachApeItem(int Handle,
                    const std::function<bool(std::string_view Key, uint32_t Flags, const uint8_t* Value, size_t Size)>& Item)
{
    const TTagFilePositionKeeper Keeper(Handle);
    const int64_t FileSize = TagFileSize(Handle);
    if (!Keeper.Valid() || FileSize < 0)
        return false;
    uint8_t Footer[ApeFooterSize];
    int64_t End = FileSize;
    if (!ReadApeFooter(Handle, End, Footer)) {
        End -= static_cast<int64_t>(Id3v1Size);
        if (!ReadApeFooter(Handle, End, Footer))
            return false;
    }
    // The tag size counts the items and the footer, not a header.
    const uint32_t TagSize = GetLE32(Footer + 12);
    const uint32_t Items = GetLE32(Footer + 16);
    if (TagSize < ApeFooterSize || TagSize > MaxApeTag || TagSize > End)
        return false;
    std::vector<uint8_t> Body(TagSize - ApeFooterSize);
    if (TagFileSeek(Handle, End - TagSize, SEEK_SET) < 0 || !TagFileReadExact(Handle, Body.data(), Body.size()))
        return false;
    size_t At = 0;
    for (uint32_t I = 0; I < Items && Body.size() - At >= 8; ++I) {
        const uint32_t ValueSize = GetLE32(&Body[At]);
        const uint32_t Flags = GetLE32(&Body[At + 4]);
        At += 8;
        const uint8_t* KeyStart = Body.data() + At;
        const void* KeyEnd = std::memchr(KeyStart, 0, Body.size() - At);
        if (KeyEnd == nullptr)
            return false;
        const size_t KeyLength = static_cast<size_t>(static_cast<const uint8_t*>(KeyEnd) - KeyStart);
        const std::string_view Key(reinterpret_cast<const char*>(KeyStart), KeyLength);
        At += KeyLength + 1;
        if (ValueSize > Body.size() - At)
            return false;
        const uint8_t* Value = Body.data() + At;
        At += ValueSize;
        if (!Item(Key, Flags, Value, ValueSize))
            return true;
    }
    return true;
}

} // namespace

bool ReadApeCover(int Handle, TTagPicture& Picture)
{
    bool Found = false;
    ForEachApeItem(Handle, [&](std::string_view Key, uint32_t, const uint8_t* Value, size_t ValueSize) {
        if (Key.size() != 17 || strncasecmp(Key.data(), "Cover Art (Front)", 17) != 0)
            return true;
        // A file name, a zero byte, then the image.
        const void* NameEnd = std::memchr(Value, 0, ValueSize);
        if (NameEnd == nullptr)
            return false;
        const size_t Skip = static_cast<size_t>(static_cast<const uint8_t*>(NameEnd) - Value) + 1;
        if (Skip >= ValueSize)
            return false;
        const uint8_t* Image = Value + Skip;
        const size_t ImageSize = ValueSize - Skip;
        Picture.Take(Image, ImageSize);
        Picture.Type = 3;
        Picture.Description.clear();
        Picture.Mime = ImageSize >= 8 && std::memcmp(Image, "\x89PNG", 4) == 0 ? "image/png" : "image/jpeg";
        Found = true;
        return false;
    });
    return Found;
}

std::vector<std::pair<std::string, std::string>> ReadApeTexts(int Handle)
{
    std::vector<std::pair<std::string, std::string>> Texts;
    ForEachApeItem(Handle, [&](std::string_view Key, uint32_t Flags, const uint8_t* Value, size_t ValueSize) {
        // Bits 1 and 2 give the kind of value: 0 is UTF-8 text.
        if ((Flags & 6) == 0)
            Texts.emplace_back(Key, std::string(reinterpret_cast<const char*>(Value), ValueSize));
        return true;
    });
    return Texts;
}

} // namespace au

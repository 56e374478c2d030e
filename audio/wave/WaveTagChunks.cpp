// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveTagChunks.h"

#include "audio/core/ByteOrder.h"
#include "audio/tags/TagText.h"

#include <cstring>
#include <string>
#include <string_view>

namespace au {
namespace {

// The texts both chunks carry, by their identifiers in each; the comment is
// an ID3 frame of its own kind (COMM).
struct TTextField {
    const char* InfoId;
    const char* FrameId;
    std::string TFileTags::*Value;
};
constexpr TTextField TextFields[] = {
    {"INAM", "TIT2", &TFileTags::Title}, {"IART", "TPE1", &TFileTags::Artist}, {"IPRD", "TALB", &TFileTags::Album},
    {"ITRK", "TRCK", &TFileTags::Track}, {"ICRD", "TYER", &TFileTags::Year},   {"IGNR", "TCON", &TFileTags::Genre},
    {"ICMT", nullptr, &TFileTags::Comment},
};

void Append(std::vector<uint8_t>& Out, std::string_view Bytes) { Out.insert(Out.end(), Bytes.begin(), Bytes.end()); }

void AppendLE32(std::vector<uint8_t>& Out, uint32_t Value)
{
    uint8_t Field[4];
    PutLE32(Field, Value);
    Out.insert(Out.end(), Field, Field + 4);
}

void AppendBE32(std::vector<uint8_t>& Out, uint32_t Value)
{
    uint8_t Field[4];
    PutBE32(Field, Value);
    Out.insert(Out.end(), Field, Field + 4);
}

void PadEven(std::vector<uint8_t>& Out)
{
    if (Out.size() % 2 != 0)
        Out.push_back(0);
}

void InfoItem(std::vector<uint8_t>& Out, const char* Id, const std::string& Text)
{
    if (Text.empty())
        return;
    Append(Out, Id);
    AppendLE32(Out, static_cast<uint32_t>(Text.size() + 1));
    Append(Out, Text);
    Out.push_back(0);
    PadEven(Out);
}

// UTF-16 little-endian with its byte order mark, as ID3v2.3 encoding 1 wants it.
void AppendUtf16(std::vector<uint8_t>& Out, const std::string& Utf8, bool Terminate)
{
    Out.push_back(0xFF);
    Out.push_back(0xFE);
    for (const char16_t Unit : Utf8ToUtf16(Utf8)) {
        Out.push_back(static_cast<uint8_t>(Unit & 0xFF));
        Out.push_back(static_cast<uint8_t>(Unit >> 8));
    }
    if (Terminate) {
        Out.push_back(0);
        Out.push_back(0);
    }
}

// A version 2.3 frame: its size is a plain big-endian number.
void Frame(std::vector<uint8_t>& Out, const char* Id, const std::vector<uint8_t>& Body)
{
    Append(Out, Id);
    AppendBE32(Out, static_cast<uint32_t>(Body.size()));
    Out.push_back(0);
    Out.push_back(0);
    Out.insert(Out.end(), Body.begin(), Body.end());
}

void TextFrame(std::vector<uint8_t>& Out, const char* Id, const std::string& Text)
{
    if (Text.empty())
        return;
    std::vector<uint8_t> Body{1};
    AppendUtf16(Body, Text, false);
    Frame(Out, Id, Body);
}

void CommentFrame(std::vector<uint8_t>& Out, const std::string& Text)
{
    if (Text.empty())
        return;
    std::vector<uint8_t> Body{1};
    Append(Body, "eng");
    AppendUtf16(Body, std::string(), true);
    AppendUtf16(Body, Text, false);
    Frame(Out, "COMM", Body);
}

void PictureFrame(std::vector<uint8_t>& Out, const TTagPicture& Picture)
{
    if (!Picture.Present())
        return;
    std::vector<uint8_t> Body{1};
    // The MIME type is Latin-1 by the tag's rules; what else a file claims is
    // not a type any reader knows.
    std::string Mime;
    for (const char C : Picture.Mime)
        if (C > 0x20 && C < 0x7F)
            Mime.push_back(C);
    Append(Body, Mime.empty() ? std::string("image/") : Mime);
    Body.push_back(0);
    Body.push_back(Picture.Type);
    AppendUtf16(Body, Picture.Description, true);
    Body.insert(Body.end(), Picture.Data.begin(), Picture.Data.end());
    Frame(Out, "APIC", Body);
}

} // namespace

std::vector<uint8_t> InfoListChunk(const TFileTags& Tags)
{
    if (!Tags.HasText())
        return {};
    std::vector<uint8_t> Items;
    Append(Items, "INFO");
    for (const TTextField& Field : TextFields)
        InfoItem(Items, Field.InfoId, Tags.*Field.Value);
    std::vector<uint8_t> Chunk;
    Append(Chunk, "LIST");
    AppendLE32(Chunk, static_cast<uint32_t>(Items.size()));
    Chunk.insert(Chunk.end(), Items.begin(), Items.end());
    return Chunk;
}

std::vector<uint8_t> Id3Chunk(const TFileTags& Tags)
{
    if (Tags.Empty())
        return {};
    std::vector<uint8_t> Frames;
    for (const TTextField& Field : TextFields)
        if (Field.FrameId != nullptr)
            TextFrame(Frames, Field.FrameId, Tags.*Field.Value);
    CommentFrame(Frames, Tags.Comment);
    PictureFrame(Frames, Tags.Picture);
    // Pictures are capped far below the 256 MiB a synchsafe size can state.
    const uint32_t Size = static_cast<uint32_t>(Frames.size());
    std::vector<uint8_t> Chunk;
    Append(Chunk, "id3 ");
    AppendLE32(Chunk, Size + 10);
    Append(Chunk, std::string_view("ID3\x03\x00\x00", 6));
    for (int Shift = 21; Shift >= 0; Shift -= 7)
        Chunk.push_back(static_cast<uint8_t>((Size >> Shift) & 0x7F));
    Chunk.insert(Chunk.end(), Frames.begin(), Frames.end());
    PadEven(Chunk);
    return Chunk;
}

} // namespace au

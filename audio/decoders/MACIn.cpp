// SPDX-License-Identifier: GPL-3.0-or-later
#include "MACIn.h"

#include "APEDecompress.h"
#include "MACDllBinding.h"
#include "audio/core/AuException.h"
#include "audio/tags/PictureReaders.h"
#include "audio/tags/TagText.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <string_view>
#include <unistd.h>

namespace au {
namespace {

constexpr const char* MsgNotOpened = "The Stream is not opened";

// A fixed-width 8-bit field of the tag record, up to its first zero byte.
std::string_view Field(const char* Text, size_t Width)
{
    const void* Zero = std::memchr(Text, 0, Width);
    return {Text, Zero != nullptr ? static_cast<size_t>(static_cast<const char*>(Zero) - Text) : Width};
}

} // namespace

TMACIn::TMACIn() = default;

TMACIn::~TMACIn()
{
    Destroying();
    CloseFile();
}

int TMACIn::Bitrate()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    return FDecompressor != nullptr ? FDecompressor->AverageBitrate() : 0;
}

int TMACIn::GetDuration()
{
    OpenFile();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    return FDecompressor != nullptr ? static_cast<int>(static_cast<uint32_t>(FDecompressor->LengthMs()) / 1000) : 0;
}

void TMACIn::ReadTag()
{
    TAPEv2Tags& Tags = APEv2Tags();
    Tags.Clear();
    Picture() = TTagPicture();
    // The codec library hands out the cover not at all, and the texts as an
    // ID3v1 record: Latin-1 with '?' for the rest, cut at 30 bytes. The APEv2
    // tag's own items are read here and win; the record serves the files
    // without them.
    std::vector<std::pair<std::string, std::string>> Texts;
    const int Handle = ::open(FileName().c_str(), O_RDONLY | O_CLOEXEC);
    if (Handle >= 0) {
        ReadApeCover(Handle, Picture());
        Texts = ReadApeTexts(Handle);
        ::close(Handle);
    }
    ID3Tag Tag{};
    if (MACDllLibrary().GetID3Tag(FileName().c_str(), &Tag) != 0)
        return;
    const auto Text = [&Texts](const char* Key, std::string_view Record) {
        // An item of several values separates them with zero bytes: the first counts.
        for (const auto& [Name, Value] : Texts)
            if (strcasecmp(Name.c_str(), Key) == 0 && !Value.empty() && Value[0] != '\0')
                return Value.substr(0, Value.find('\0'));
        return Latin1ToUtf8(Record);
    };
    Tags.SetAlbum(Utf8ToUtf16(Text("Album", Field(Tag.Album, sizeof Tag.Album))));
    Tags.SetArtist(Utf8ToUtf16(Text("Artist", Field(Tag.Artist, sizeof Tag.Artist))));
    Tags.SetTitle(Utf8ToUtf16(Text("Title", Field(Tag.Title, sizeof Tag.Title))));
    Tags.SetYear(Text("Year", Field(Tag.Year, sizeof Tag.Year)));
    Tags.SetComment(Utf8ToUtf16(Text("Comment", Field(Tag.Comment, sizeof Tag.Comment))));
}

void TMACIn::OpenFile()
{
    MACDllLibrary().Require();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    FValid = true;
    if (FOpenCount != 0)
        return;
    ReadTag();
    auto Decompressor = std::make_unique<TAPEDecompress>(FileName());
    if (!Decompressor->HasHandle()) {
        FValid = false;
        return;
    }
    // A length the component cannot state is unknown, not negative.
    const int32_t Bytes = Decompressor->DataBytes();
    FSize = Bytes < 0 ? -1 : Bytes;
    FSampleRate = static_cast<uint32_t>(Decompressor->SampleRate());
    FBitsPerSample = static_cast<uint32_t>(Decompressor->BitsPerSample());
    FChannels = static_cast<uint32_t>(Decompressor->Channels());
    FDecompressor = std::move(Decompressor);
    FDecoderDone = false;
    ++FOpenCount;
}

void TMACIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    FDecompressor.reset();
    FOpenCount = 0;
}

void TMACIn::Refill()
{
    const uint32_t Frame = FFrameSize;
    const uint32_t Limit = BufferBytes - BufferBytes % Frame;
    FBufStart = 1;
    FBufEnd = 0;
    while (!FDecoderDone && FBufEnd < Limit) {
        const int32_t Wanted = static_cast<int32_t>((BufferBytes - FBufEnd) / Frame);
        int32_t Retrieved = 0;
        FDecompressor->GetData(FBuffer + FBufEnd, Wanted, &Retrieved);
        // Never trust the component with more than was asked for.
        const int64_t Got = static_cast<int64_t>(Frame) * std::clamp(Retrieved, 0, Wanted);
        if (Got <= 0) {
            FDecoderDone = true;
            break;
        }
        FBufEnd += static_cast<uint32_t>(Got);
    }
}

void TMACIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (!FBusy)
        throw EAuException(MsgNotOpened);
    const uint32_t Frame = FFrameSize;
    if (FDecompressor == nullptr || Frame == 0) {
        Bytes = 0;
        return;
    }
    if (FBufStart > FBufEnd)
        Refill();
    Bytes -= Bytes % Frame;
    Bytes = std::min(Bytes, FBufEnd - FBufStart + 1);
    Buffer = FBuffer + FBufStart - 1;
    FBufStart += Bytes;
}

bool TMACIn::DoSeek(int64_t& SampleNum)
{
    if (FDecompressor == nullptr)
        return false;
    FDecompressor->Seek(static_cast<int32_t>(SampleNum));
    FBufStart = 1;
    FBufEnd = 0;
    FDecoderDone = false;
    return true;
}

} // namespace au

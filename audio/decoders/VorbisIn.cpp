// SPDX-License-Identifier: GPL-3.0-or-later
#include "VorbisIn.h"

#include "VorbisBinding.h"
#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/tags/PictureReaders.h"
#include "audio/tags/TagText.h"

#include <algorithm>
#include <fenv.h>
#include <cstring>
#include <string>
#include <string_view>

namespace au {
namespace {

constexpr const char* MsgOpenStream = "Failed to open stream";
constexpr const char* MsgOpenOgg = "Failed to open an ogg file: ";
constexpr const char* MsgNotOpened = "The Stream is not opened";

// Vorbis decoding must never trap on a floating-point condition. Threads start
// with every exception masked; this keeps it so on the thread that starts the
// program whatever a host library did before.
[[maybe_unused]] const int ExceptionsMasked = ::fedisableexcept(FE_ALL_EXCEPT);

} // namespace

struct TVorbisIn::TDecoderState {
    OggVorbis_File File{};
};

// libvorbisfile calls back into C: nothing may throw through it.
struct TVorbisIn::TCallbacks {
    static TVorbisIn& Self(void* Source) { return *static_cast<TVorbisIn*>(Source); }

    static size_t Read(void* Destination, size_t Size, size_t Count, void* Source)
    {
        try {
            return static_cast<size_t>(
                Self(Source).Stream()->Read(Destination, static_cast<int64_t>(Size * Count)));
        } catch (...) {
            return 0;
        }
    }

    static int Seek(void* Source, ogg_int64_t Offset, int Whence)
    {
        TVorbisIn& In = Self(Source);
        if (!In.Seekable())
            return -1;
        try {
            TSeekOrigin Origin = TSeekOrigin::Begin;
            if (Whence == SEEK_CUR)
                Origin = TSeekOrigin::Current;
            else if (Whence == SEEK_END)
                Origin = TSeekOrigin::End;
            // The reader only tests for -1, and a position past 2 GiB would not fit the result.
            In.Stream()->Seek(Offset, Origin);
            return 0;
        } catch (...) {
            return -1;
        }
    }

    static int Close(void* Source)
    {
        TVorbisIn& In = Self(Source);
        try {
            if (In.FStreamAssigned) {
                In.FStream->SetPosition(0);
            } else {
                In.FOwnStream.reset();
                In.FStream = nullptr;
            }
        } catch (...) {
        }
        return 0;
    }

    static long Tell(void* Source)
    {
        try {
            return static_cast<long>(Self(Source).Stream()->Position());
        } catch (...) {
            return -1;
        }
    }
};

TVorbisIn::TVorbisIn() = default;

TVorbisIn::~TVorbisIn()
{
    Destroying();
    CloseFile();
}

int TVorbisIn::Bitrate()
{
    OpenFile();
    return static_cast<int>(FNominalBitrate);
}

void TVorbisIn::OpenFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0)
        return;
    for (TLibraryBinding* Library : {&OggLibrary(), static_cast<TLibraryBinding*>(&VorbisLibrary()),
                                     static_cast<TLibraryBinding*>(&VorbisFileLibrary()), &VorbisEncLibrary()})
        Library->Require();
    TVorbisFileBinding& Vorbis = VorbisFileLibrary();

    FValid = true;
    if (!FStreamAssigned) {
        try {
            FOwnStream = std::make_unique<TAuFileStream>(FileName(), TAuFileStream::fmOpenRead |
                                                                         TAuFileStream::fmShareDenyWrite);
        } catch (const EAuException&) {
            FValid = false;
            throw EAuException(MsgOpenStream);
        }
        FStream = FOwnStream.get();
    }

    auto Decoder = std::make_unique<TDecoderState>();
    const ov_callbacks Callbacks = {TCallbacks::Read, TCallbacks::Seek, TCallbacks::Close, TCallbacks::Tell};
    const int Result = Vorbis.TestCallbacks(this, &Decoder->File, nullptr, 0, Callbacks);
    if (Result != 0) {
        // A failed test-open leaves the state cleared but the stream ours.
        FValid = false;
        if (!FStreamAssigned) {
            FOwnStream.reset();
            FStream = nullptr;
        }
        throw EAuException(MsgOpenOgg + std::to_string(Result));
    }
    FDecoder = std::move(Decoder);
    ++FOpenCount;
    Vorbis.TestOpen(&FDecoder->File);

    FTags.Clear();
    FPicture = TTagPicture();
    if (vorbis_comment* Comments = Vorbis.Comment(&FDecoder->File, -1)) {
        for (int I = 0; I < Comments->comments; ++I) {
            if (Comments->user_comments[I] == nullptr)
                break;
            const std::string_view Entry(Comments->user_comments[I],
                                         static_cast<size_t>(std::max(0, Comments->comment_lengths[I])));
            const size_t Equals = Entry.find('=');
            std::string Name(Entry.substr(0, Equals == std::string_view::npos ? 0 : Equals));
            for (char& C : Name)
                if (C >= 'A' && C <= 'Z')
                    C = static_cast<char>(C + 32);
            const std::u16string Value =
                Utf8ToUtf16(Equals == std::string_view::npos ? std::string_view() : Entry.substr(Equals + 1));
            if (Name == "artist")
                FTags.SetArtist(Value);
            else if (Name == "album")
                FTags.SetAlbum(Value);
            else if (Name == "title")
                FTags.SetTitle(Value);
            else if (Name == "date")
                FTags.SetDate(Value);
            else if (Name == "genre")
                FTags.SetGenre(Value);
            else if (Name == "tracknumber")
                FTags.SetTrack(Value);
            else if (Name == "metadata_block_picture") {
                TTagPicture Found;
                if (ReadVorbisCommentPicture(Entry.substr(Equals + 1), Found) && FPicture.WouldTake(Found.Type))
                    FPicture = std::move(Found);
            }
        }
    }

    FChannels = 0;
    FSampleRate = 0;
    if (vorbis_info* Info = Vorbis.Info(&FDecoder->File, -1)) {
        FChannels = static_cast<uint32_t>(std::max(0, Info->channels));
        FSampleRate = static_cast<uint32_t>(std::max<long>(0, Info->rate));
        FUpperBitrate = Info->bitrate_upper;
        FNominalBitrate = Info->bitrate_nominal;
        FLowerBitrate = Info->bitrate_lower;
    }
    FBitsPerSample = 16;
    // A damaged last granule position can state any length: one that no byte
    // count holds is no length at all.
    const int64_t Total = Vorbis.PcmTotal(&FDecoder->File, -1);
    const int64_t FrameBytes = 2 * static_cast<int64_t>(FChannels);
    FSize = Total < 0 || (FrameBytes != 0 && Total > INT64_MAX / FrameBytes) ? -1 : Total * FrameBytes;
    FCurrentSection = -1;
    FDecoderDone = false;
    FDecoderUnusable = false;
}

void TVorbisIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    if (FDecoder) {
        try {
            VorbisFileLibrary().Clear(&FDecoder->File);
        } catch (...) {
        }
        FDecoder.reset();
    }
    FOpenCount = 0;
}

void TVorbisIn::FillBuffer()
{
    TVorbisFileBinding& Vorbis = VorbisFileLibrary();
    while (FBufEnd < BufferBytes) {
        const long Got = Vorbis.Read(&FDecoder->File, reinterpret_cast<char*>(FBuffer) + FBufEnd,
                                     static_cast<int>(BufferBytes - FBufEnd), 0, 2, 1, &FCurrentSection);
        // A hole or a damaged page ends the data; it is not an error.
        if (Got <= 0) {
            FDecoderDone = true;
            FDecoderUnusable = Got == OV_EBADLINK;
            return;
        }
        FBufEnd += static_cast<uint32_t>(Got);
        if (FSize >= 0 && FPosition + FBufEnd >= FSize) {
            FBufEnd = static_cast<uint32_t>(std::max<int64_t>(0, FSize - FPosition));
            FDecoderDone = true;
            return;
        }
    }
}

void TVorbisIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (!FBusy)
        throw EAuException(MsgNotOpened);
    // Indices are 1-based: bytes FBufStart..FBufEnd are still to be handed out.
    if (FBufStart > FBufEnd) {
        FBufStart = 1;
        FBufEnd = 0;
        if (!FDecoderDone && FDecoder)
            FillBuffer();
    }
    if (FBufStart > FBufEnd) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    Bytes = std::min(Bytes, FBufEnd - FBufStart + 1);
    Buffer = FBuffer + (FBufStart - 1);
    FBufStart += Bytes;
}

bool TVorbisIn::DoSeek(int64_t& SampleNum)
{
    OpenFile();
    if (FDecoderUnusable)
        return false;
    if (FDecoder && VorbisFileLibrary().PcmSeek(&FDecoder->File, SampleNum) == OV_EBADLINK) {
        FDecoderUnusable = true;
        FDecoderDone = true;
        return false;
    }
    FDecoderDone = false;
    FBufStart = 1;
    FBufEnd = 0;
    return true;
}

} // namespace au

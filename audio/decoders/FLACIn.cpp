// SPDX-License-Identifier: GPL-3.0-or-later
#include "FLACIn.h"

#include "FlacBinding.h"
#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/tags/TagText.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

namespace au {
namespace {

constexpr const char* MsgNoFileName = "File name is not assigned";
constexpr const char* MsgCreateFailed = "Failed to initialize the FLAC decoder.";
constexpr const char* MsgMd5Failed = "Internal error 113, please report to Ostrane developers";
constexpr const char* MsgSetUpFailed = "Failed to set up the FLAC decoder.";
constexpr const char* MsgNotOpened = "The Stream is not opened";
constexpr const char* MsgReadError = "Error reading FLAC file";
constexpr const char* MsgSyncLost = "Sinc lost or corrupt data";

FLAC__StreamDecoder* AsDecoder(void* Handle) { return static_cast<FLAC__StreamDecoder*>(Handle); }

// The value of the first comment line whose name (the text before its first
// "=") is Key, in any case; empty when no line has that name.
std::string_view CommentValue(const std::vector<std::string_view>& Lines, std::string_view Key)
{
    for (std::string_view Line : Lines) {
        const size_t Equals = Line.find('=');
        if (Equals == std::string_view::npos || Equals != Key.size())
            continue;
        if (std::equal(Key.begin(), Key.end(), Line.begin(),
                       [](char A, char B) { return A == (B >= 'A' && B <= 'Z' ? B + 32 : B); }))
            return Line.substr(Equals + 1);
    }
    return {};
}

} // namespace

void TFLACIn::TDecoderDelete::operator()(void* Decoder) const
{
    // The library stays loaded once loaded, so the entry point is there.
    try {
        FlacLibrary().StreamDecoderDelete(AsDecoder(Decoder));
    } catch (...) {
    }
}

// libFLAC calls back into C: nothing may throw through it, so every callback
// turns a failure into the library's own result code.
struct TFLACIn::TCallbacks {
    static TFLACIn& Self(void* Client) { return *static_cast<TFLACIn*>(Client); }

    static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte Buffer[], size_t* Bytes,
                                              void* Client)
    {
        TAuStream& Stream = *Self(Client).Stream();
        try {
            if (Stream.Position() >= Stream.Size()) {
                *Bytes = 0;
                return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
            }
            *Bytes = static_cast<size_t>(Stream.Read(Buffer, static_cast<int64_t>(*Bytes)));
            return *Bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                               : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
        } catch (...) {
            *Bytes = 0;
            return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        }
    }

    static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 Offset, void* Client)
    {
        TFLACIn& In = Self(Client);
        if (!In.Seekable())
            return FLAC__STREAM_DECODER_SEEK_STATUS_UNSUPPORTED;
        try {
            // The whole 64-bit offset: files beyond 4 GiB seek like any other.
            In.Stream()->SetPosition(static_cast<int64_t>(Offset));
            return In.Size() < static_cast<int64_t>(Offset) ? FLAC__STREAM_DECODER_SEEK_STATUS_ERROR
                                                             : FLAC__STREAM_DECODER_SEEK_STATUS_OK;
        } catch (...) {
            return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
        }
    }

    static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* Offset, void* Client)
    {
        TFLACIn& In = Self(Client);
        if (In.Size() == 0)
            return FLAC__STREAM_DECODER_TELL_STATUS_UNSUPPORTED;
        try {
            *Offset = static_cast<FLAC__uint64>(In.Stream()->Position());
            return FLAC__STREAM_DECODER_TELL_STATUS_OK;
        } catch (...) {
            return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
        }
    }

    static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* Length, void* Client)
    {
        try {
            *Length = static_cast<FLAC__uint64>(Self(Client).Stream()->Size());
            return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
        } catch (...) {
            return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
        }
    }

    static FLAC__bool Eof(const FLAC__StreamDecoder*, void* Client)
    {
        try {
            TAuStream& Stream = *Self(Client).Stream();
            return Stream.Position() >= Stream.Size();
        } catch (...) {
            return true;
        }
    }

    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* Frame,
                                                const FLAC__int32* const Samples[], void* Client)
    {
        TFLACIn& In = Self(Client);
        const uint32_t Channels = In.FChannels;
        const uint32_t Width = In.FBitsPerSample / 8;
        In.FLastBlockSize = Frame->header.blocksize;
        In.FBytesInBuffer = In.FLastBlockSize * Width * Channels;
        if (In.FBytesInBuffer > In.FBuffer.size())
            In.FBuffer.resize(In.FBytesInBuffer);
        // A damaged stream may change its channel count mid-way: channels the
        // frame lacks are silent, never read from beyond its arrays.
        const uint32_t Present = std::min(Channels, Frame->header.channels);
        uint8_t* Out = In.FBuffer.data();
        for (uint32_t I = 0; I < In.FLastBlockSize; ++I) {
            for (uint32_t C = 0; C < Channels; ++C) {
                const int32_t S = C < Present ? Samples[C][I] : 0;
                switch (Width) {
                case 1:
                    *Out++ = static_cast<uint8_t>(S + 128);
                    break;
                case 2:
                    *Out++ = static_cast<uint8_t>(S);
                    *Out++ = static_cast<uint8_t>(S >> 8);
                    break;
                case 3:
                    *Out++ = static_cast<uint8_t>(S);
                    *Out++ = static_cast<uint8_t>(S >> 8);
                    *Out++ = static_cast<uint8_t>(S >> 16);
                    break;
                default:
                    for (uint32_t B = 0; B < Width; ++B)
                        *Out++ = B < 4 ? static_cast<uint8_t>(static_cast<uint32_t>(S) >> (8 * B)) : 0;
                    break;
                }
            }
        }
        In.FFrameWritten = true;
        In.FHaveFrame = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* Block, void* Client)
    {
        TFLACIn& In = Self(Client);
        if (Block->type == FLAC__METADATA_TYPE_STREAMINFO) {
            const FLAC__StreamMetadata_StreamInfo& Info = Block->data.stream_info;
            In.FSampleRate = Info.sample_rate;
            In.FChannels = Info.channels;
            In.FBitsPerSample = Info.bits_per_sample;
            In.FTotalSamples = static_cast<int64_t>(Info.total_samples);
            In.FSize = static_cast<int64_t>(Info.total_samples) * (Info.bits_per_sample / 8) * Info.channels;
        } else if (Block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
            const FLAC__StreamMetadata_VorbisComment& Comments = Block->data.vorbis_comment;
            std::vector<std::string_view> Lines;
            for (uint32_t I = 0; I < Comments.num_comments; ++I)
                Lines.emplace_back(reinterpret_cast<const char*>(Comments.comments[I].entry),
                                   Comments.comments[I].length);
            TVorbisTags& Tags = In.FTags;
            const auto Text = [&](std::string_view Key) { return Utf8ToUtf16(CommentValue(Lines, Key)); };
            Tags.SetTitle(Text("title"));
            Tags.SetArtist(Text("artist"));
            Tags.SetAlbum(Text("album"));
            Tags.SetDate(Text("date"));
            Tags.SetGenre(Text("genre"));
            Tags.SetTrack(Text("tracknumber"));
            Tags.SetDisc(Text("discnumber"));
            Tags.SetReference(Text("replaygain_reference_loudness"));
            Tags.SetTrackGain(Text("replaygain_track_gain"));
            Tags.SetTrackPeak(Text("replaygain_track_peak"));
            Tags.SetAlbumGain(Text("replaygain_album_gain"));
            Tags.SetAlbumPeak(Text("replaygain_album_peak"));
        } else if (Block->type == FLAC__METADATA_TYPE_PICTURE) {
            const FLAC__StreamMetadata_Picture& Picture = Block->data.picture;
            if (In.FPicture.WouldTake(Picture.type) && Picture.data != nullptr && Picture.data_length > 0) {
                In.FPicture.Take(Picture.data, Picture.data_length);
                In.FPicture.Type = static_cast<uint8_t>(Picture.type <= 20 ? Picture.type : 0);
                In.FPicture.Mime = Picture.mime_type != nullptr ? Picture.mime_type : "";
                In.FPicture.Description =
                    Picture.description != nullptr ? reinterpret_cast<const char*>(Picture.description) : "";
            }
        }
        In.FMetadataDone = Block->is_last;
    }

    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* Client)
    {
        Self(Client).FValid = false;
    }
};

TFLACIn::TFLACIn() = default;

TFLACIn::~TFLACIn()
{
    Destroying();
    CloseFile();
}

void TFLACIn::OpenFile()
{
    TFlacBinding& Flac = FlacLibrary();
    Flac.Require();
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0)
        return;
    ++FOpenCount;
    FSeekOffset = 0;
    OpenOwnStream(MsgNoFileName);
    FValid = true;
    FSampleRate = 0;
    FChannels = 0;
    FBitsPerSample = 0;
    FSize = 0;
    FDecoder.reset(Flac.StreamDecoderNew());
    if (FDecoder == nullptr)
        throw EAuException(MsgCreateFailed);
    FLAC__StreamDecoder* Decoder = AsDecoder(FDecoder.get());
    if (!Flac.StreamDecoderSetMd5Checking(Decoder, FCheckMD5Signature))
        throw EAuException(MsgMd5Failed);
    Flac.StreamDecoderSetMetadataRespondAll(Decoder);
    if (Flac.StreamDecoderInitStream(Decoder, TCallbacks::Read, TCallbacks::Seek, TCallbacks::Tell,
                                     TCallbacks::Length, TCallbacks::Eof, TCallbacks::Write, TCallbacks::Metadata,
                                     TCallbacks::Error, this) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        throw EAuException(MsgSetUpFailed);

    FTags.Clear();
    FPicture = TTagPicture();
    FMetadataDone = false;
    FHaveFrame = false;
    FLastBlockSize = 0;
    FBytesInBuffer = 0;
    while (!FMetadataDone) {
        if (!Flac.StreamDecoderProcessSingle(Decoder)) {
            FValid = false;
            break;
        }
        // Without the last-block flag (no FLAC at all, or a cut header) the
        // decoder moves on to frames or the end: there is no more metadata.
        const FLAC__StreamDecoderState State = Flac.StreamDecoderGetState(Decoder);
        if (State != FLAC__STREAM_DECODER_SEARCH_FOR_METADATA && State != FLAC__STREAM_DECODER_READ_METADATA &&
            !FMetadataDone) {
            FValid = false;
            break;
        }
    }
    if (FSampleRate == 0 || FChannels == 0 || FBitsPerSample == 0)
        FValid = false;
}

void TFLACIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount <= 0)
        return;
    if (FDecoder != nullptr) {
        try {
            FMD5Result = FlacLibrary().StreamDecoderFinish(AsDecoder(FDecoder.get()));
        } catch (...) {
        }
        FDecoder.reset();
    }
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FHaveFrame = false;
    if (FStreamAssigned) {
        FStream->SetPosition(0);
    } else {
        FOwnStream.reset();
        FStream = nullptr;
    }
    FOpenCount = 0;
}

// Decodes until a frame arrives or the stream ends. Units without a frame (a
// skipped bad frame) are decoded past; at the end no stale frame is served again.
void TFLACIn::DecodeFrame()
{
    TFlacBinding& Flac = FlacLibrary();
    FLAC__StreamDecoder* Decoder = AsDecoder(FDecoder.get());
    // A stream that ends before the samples its header promised is cut short:
    // that is an error, not silence to pad with.
    const auto EndOfStream = [this] {
        if (FSize > 0 && FPosition < FSize)
            throw EAuException(MsgReadError);
    };
    for (;;) {
        FFrameWritten = false;
        const bool Ok = Flac.StreamDecoderProcessSingle(Decoder);
        const FLAC__StreamDecoderState State = Flac.StreamDecoderGetState(Decoder);
        if (!Ok) {
            if (State == FLAC__STREAM_DECODER_END_OF_STREAM)
                return EndOfStream();
            throw EAuException(MsgReadError);
        }
        if (FFrameWritten) {
            FBufEnd = FBytesInBuffer;
            return;
        }
        if (State == FLAC__STREAM_DECODER_END_OF_STREAM)
            return EndOfStream();
        if (!FHaveFrame) {
            if (FStream->Position() < FStream->Size())
                throw EAuException(MsgSyncLost);
            return;
        }
    }
}

void TFLACIn::Refill()
{
    FBufStart = 0;
    FBufEnd = 0;
    DecodeFrame();
}

void TFLACIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (!FBusy)
        throw EAuException(MsgNotOpened);
    if (FDecoder == nullptr) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    const uint32_t Frame = FFrameSize;
    if (FBufStart >= FBufEnd)
        Refill();
    // A seek lands on a frame start; the frames before the one asked for are
    // skipped here, across as many decoded frames as it takes.
    while (FSeekOffset > 0 && FBufStart < FBufEnd) {
        const int64_t Held = (FBufEnd - FBufStart) / Frame;
        if (FSeekOffset < Held) {
            FBufStart += static_cast<uint32_t>(FSeekOffset) * Frame;
            FPosition += FSeekOffset * Frame;
            FSeekOffset = 0;
            break;
        }
        FSeekOffset -= Held;
        FPosition += Held * Frame;
        Refill();
    }
    if (FBufStart >= FBufEnd) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    Bytes -= Bytes % Frame;
    Bytes = std::min(Bytes, FBufEnd - FBufStart);
    Buffer = FBuffer.data() + FBufStart;
    FBufStart += Bytes;
}

bool TFLACIn::DoSeek(int64_t& SampleNum)
{
    FCheckMD5Signature = false;
    TFlacBinding& Flac = FlacLibrary();
    FLAC__StreamDecoder* Decoder = AsDecoder(FDecoder.get());
    int64_t Target = SampleNum;
    FSeekOffset = 0;
    if (FLastBlockSize != 0) {
        FSeekOffset = SampleNum % FLastBlockSize;
        Target = SampleNum - FSeekOffset;
    }
    FFrameWritten = false;
    const bool Sought = Decoder != nullptr &&
                        Flac.StreamDecoderSeekAbsolute(Decoder, static_cast<FLAC__uint64>(Target));
    if (!Sought && Decoder != nullptr)
        Flac.StreamDecoderReset(Decoder);
    SampleNum = Target;
    // The decoder hands over the frame it sought to (cut to begin at Target)
    // while seeking; it is the first data to serve.
    FBufStart = 0;
    FBufEnd = Sought && FFrameWritten ? FBytesInBuffer : 0;
    return Sought;
}

} // namespace au

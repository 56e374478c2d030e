// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyncReader.h"

#include <algorithm>
#include <iterator>
#include <cstring>
#include <new>
#include <string_view>

namespace wmvcore {
namespace {

using wmf::HRESULT;

// Turns whatever a method throws (out of memory, mostly) into a failure code:
// nothing may unwind into the caller's code.
template <typename F> HRESULT Guarded(F&& Body) noexcept
{
    try {
        return Body();
    } catch (const std::bad_alloc&) {
        return wmf::E_OUTOFMEMORY;
    } catch (...) {
        return wmf::E_FAIL;
    }
}

bool NameIs(const char16_t* Name, std::string_view Ascii)
{
    if (Name == nullptr)
        return false;
    size_t I = 0;
    for (; I < Ascii.size(); ++I)
        if (Name[I] != static_cast<char16_t>(Ascii[I]))
            return false;
    return Name[I] == 0;
}

// A PCM output format, as an output's properties.
class TMediaProps final : public wmf::TRefCounted<wmf::IWMOutputMediaProps> {
public:
    explicit TMediaProps(const TPcmFormat& Format) : FFormat(Format) {}

    HRESULT GetMediaType(wmf::WM_MEDIA_TYPE* Type, uint32_t* Size) override
    {
        constexpr uint32_t Needed = sizeof(wmf::WM_MEDIA_TYPE) + sizeof(wmf::WAVEFORMATEX);
        if (Size == nullptr)
            return wmf::E_POINTER;
        if (Type == nullptr) {
            *Size = Needed;
            return wmf::S_OK;
        }
        if (*Size < Needed) {
            *Size = Needed;
            return wmf::ASF_E_BUFFERTOOSMALL;
        }
        const uint16_t BlockAlign = static_cast<uint16_t>(FFormat.Channels * FFormat.BitsPerSample / 8);
        const wmf::WAVEFORMATEX Wave = {wmf::WAVE_FORMAT_PCM,
                                        static_cast<uint16_t>(FFormat.Channels),
                                        FFormat.SampleRate,
                                        FFormat.SampleRate * BlockAlign,
                                        BlockAlign,
                                        static_cast<uint16_t>(FFormat.BitsPerSample),
                                        0};
        std::memset(Type, 0, sizeof *Type);
        Type->majortype = wmf::WMMEDIATYPE_Audio;
        Type->subtype = wmf::WMMEDIASUBTYPE_PCM;
        Type->bFixedSizeSamples = 1;
        Type->lSampleSize = BlockAlign;
        Type->formattype = wmf::WMFORMAT_WaveFormatEx;
        Type->cbFormat = sizeof Wave;
        Type->pbFormat = reinterpret_cast<uint8_t*>(Type) + sizeof(wmf::WM_MEDIA_TYPE);
        std::memcpy(Type->pbFormat, &Wave, sizeof Wave);
        *Size = Needed;
        return wmf::S_OK;
    }

    const TPcmFormat& Format() const { return FFormat; }

private:
    TPcmFormat FFormat;
};

class TSampleBuffer final : public wmf::TRefCounted<wmf::INSSBuffer> {
public:
    explicit TSampleBuffer(TPcmBuffer&& Pcm) : FPcm(std::move(Pcm)) {}

    HRESULT GetLength(uint32_t* Length) override
    {
        if (Length == nullptr)
            return wmf::E_POINTER;
        *Length = static_cast<uint32_t>(FPcm.size());
        return wmf::S_OK;
    }

    HRESULT GetBufferAndLength(uint8_t** Buffer, uint32_t* Length) override
    {
        if (Buffer == nullptr || Length == nullptr)
            return wmf::E_POINTER;
        *Buffer = FPcm.data();
        *Length = static_cast<uint32_t>(FPcm.size());
        return wmf::S_OK;
    }

private:
    TPcmBuffer FPcm;
};

// The reader's attributes; holds a reference to the reader.
class THeaderInfo final : public wmf::TRefCounted<wmf::IWMHeaderInfo3> {
public:
    HRESULT QueryInterface(const wmf::GUID& Iid, void** Object) override
    {
        if (Object == nullptr || !(Iid == wmf::IID_IWMHeaderInfo || Iid == wmf::IID_IWMHeaderInfo3))
            return TRefCounted::QueryInterface(Iid, Object);
        AddRef();
        *Object = static_cast<wmf::IWMHeaderInfo3*>(this);
        return wmf::S_OK;
    }

    explicit THeaderInfo(TSyncReader& Reader) : FReader(Reader) { FReader.AddRef(); }

    HRESULT GetAttributeByName(uint16_t* StreamNum, const char16_t* Name, wmf::WMT_ATTR_DATATYPE* Type,
                               uint8_t* Value, uint16_t* Length) override
    {
        if (StreamNum == nullptr)
            return wmf::E_POINTER;
        return FReader.GetAttribute(Name, Type, Value, Length);
    }

    HRESULT GetAttributeIndices(uint16_t, const char16_t* Name, uint16_t* LangIndex, uint16_t* Indices,
                                uint16_t* Count) override
    {
        if (Count == nullptr)
            return wmf::E_POINTER;
        if (LangIndex != nullptr && *LangIndex != 0)
            return wmf::E_INVALIDARG;
        const uint16_t Found = NameIs(Name, "WM/Picture") ? FReader.PictureCount() : 0;
        if (Indices != nullptr) {
            if (*Count < Found) {
                *Count = Found;
                return wmf::ASF_E_BUFFERTOOSMALL;
            }
            for (uint16_t I = 0; I < Found; ++I)
                Indices[I] = I;
        }
        *Count = Found;
        return wmf::S_OK;
    }

    HRESULT GetAttributeByIndexEx(uint16_t, uint16_t Index, char16_t* Name, uint16_t* NameLength,
                                  wmf::WMT_ATTR_DATATYPE* Type, uint16_t* LangIndex, uint8_t* Value,
                                  uint32_t* Length) override
    {
        if (NameLength == nullptr || Type == nullptr || Length == nullptr)
            return wmf::E_POINTER;
        static constexpr char16_t PictureName[] = u"WM/Picture";
        const uint16_t Needed = static_cast<uint16_t>(std::size(PictureName));
        if (Name != nullptr) {
            if (*NameLength < Needed) {
                *NameLength = Needed;
                return wmf::ASF_E_BUFFERTOOSMALL;
            }
            std::copy(std::begin(PictureName), std::end(PictureName), Name);
        }
        *NameLength = Needed;
        if (LangIndex != nullptr)
            *LangIndex = 0;
        *Type = wmf::WMT_TYPE_BINARY;
        return FReader.GetPicture(Index, Value, Length);
    }

private:
    ~THeaderInfo() override { FReader.Release(); }
    TSyncReader& FReader;
};

HRESULT Answer(wmf::WMT_ATTR_DATATYPE Kind, const void* Data, size_t Size, wmf::WMT_ATTR_DATATYPE* Type,
               uint8_t* Value, uint16_t* Length)
{
    if (Type == nullptr || Length == nullptr)
        return wmf::E_POINTER;
    if (Size > UINT16_MAX)
        return wmf::ASF_E_NOTFOUND;
    *Type = Kind;
    if (Value == nullptr) {
        *Length = static_cast<uint16_t>(Size);
        return wmf::S_OK;
    }
    if (*Length < Size) {
        *Length = static_cast<uint16_t>(Size);
        return wmf::ASF_E_BUFFERTOOSMALL;
    }
    std::memcpy(Value, Data, Size);
    *Length = static_cast<uint16_t>(Size);
    return wmf::S_OK;
}

// Attribute names and the FFmpeg metadata keys that answer them, first found
// wins. FFmpeg keeps the ASF names it has no common key for ("WM/Year",
// "WM/Track"); MPEG audio files answer through the common keys.
struct TTextAttribute {
    const char* Name;
    const char* Keys[3];
};

constexpr TTextAttribute TextAttributes[] = {
    {"Title", {"title", nullptr}},
    {"Author", {"artist", "author"}},
    {"WM/AlbumTitle", {"album", nullptr}},
    {"WM/Genre", {"genre", nullptr}},
    {"WM/Track", {"WM/Track", "track", nullptr}},
    {"WM/TrackNumber", {"track", nullptr}},
    {"WM/Year", {"WM/Year", "date", "year"}},
    {"Copyright", {"copyright", nullptr}},
};

constexpr uint32_t OutputIndex = 0;

} // namespace

TSyncReader::~TSyncReader() = default;

HRESULT TSyncReader::QueryInterface(const wmf::GUID& Iid, void** Object)
{
    if (Object == nullptr || !(Iid == wmf::IID_IWMHeaderInfo || Iid == wmf::IID_IWMHeaderInfo3))
        return TRefCounted::QueryInterface(Iid, Object);
    return Guarded([&] {
        *Object = nullptr;
        *Object = static_cast<wmf::IWMHeaderInfo3*>(new THeaderInfo(*this));
        return wmf::S_OK;
    });
}

uint16_t TSyncReader::PictureCount() const
{
    if (!FSource)
        return 0;
    return static_cast<uint16_t>(std::min<size_t>(FSource->Pictures().size(), UINT16_MAX));
}

// A WM_PICTURE with its MIME type, description and image behind it.
HRESULT TSyncReader::GetPicture(uint16_t Index, uint8_t* Value, uint32_t* Length) const
{
    if (!FSource)
        return wmf::NS_E_INVALID_REQUEST;
    return Guarded([&] {
        const std::vector<TMediaSource::TPicture> Pictures = FSource->Pictures();
        if (Index >= Pictures.size())
            return wmf::E_INVALIDARG;
        const TMediaSource::TPicture& Picture = Pictures[Index];
        const std::u16string Mime(Picture.Mime.begin(), Picture.Mime.end());
        const size_t MimeBytes = (Mime.size() + 1) * sizeof(char16_t);
        const size_t DescriptionBytes = (Picture.Description.size() + 1) * sizeof(char16_t);
        const size_t Size = sizeof(wmf::WM_PICTURE) + MimeBytes + DescriptionBytes + Picture.Size;
        if (Size > UINT32_MAX)
            return wmf::ASF_E_NOTFOUND;
        if (Value == nullptr || *Length < Size) {
            const bool Asked = Value == nullptr;
            *Length = static_cast<uint32_t>(Size);
            return Asked ? wmf::S_OK : wmf::ASF_E_BUFFERTOOSMALL;
        }
        uint8_t* At = Value + sizeof(wmf::WM_PICTURE);
        wmf::WM_PICTURE Head{};
        Head.pwszMIMEType = reinterpret_cast<char16_t*>(At);
        std::memcpy(At, Mime.c_str(), MimeBytes);
        At += MimeBytes;
        Head.bPictureType = Picture.Type;
        Head.pwszDescription = reinterpret_cast<char16_t*>(At);
        std::memcpy(At, Picture.Description.c_str(), DescriptionBytes);
        At += DescriptionBytes;
        Head.dwDataLen = static_cast<uint32_t>(Picture.Size);
        Head.pbData = At;
        std::memcpy(At, Picture.Data, Picture.Size);
        std::memcpy(Value, &Head, sizeof Head);
        *Length = static_cast<uint32_t>(Size);
        return wmf::S_OK;
    });
}

void TSyncReader::DropStream()
{
    FSource.reset();
    FStream.Reset();
}

HRESULT TSyncReader::OpenStream(wmf::IStream* Stream)
{
    if (Stream == nullptr)
        return wmf::E_POINTER;
    if (FSource)
        return wmf::NS_E_INVALID_REQUEST;
    return Guarded([&] {
        FFacts = ReadAsfFacts(*Stream);
        uint64_t Position = 0;
        if (Stream->Seek(0, 0, &Position) != wmf::S_OK)
            return wmf::E_FAIL;
        FSource = TMediaSource::Open(*Stream);
        if (!FSource)
            return wmf::NS_E_UNRECOGNIZED_STREAM_TYPE;
        Stream->AddRef();
        *FStream.Put() = Stream;
        FDiscrete = false;
        FSpeakerConfig = 0;
        FFormat = DefaultFormat();
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::Close()
{
    if (!FSource)
        return wmf::NS_E_INVALID_REQUEST;
    DropStream();
    return wmf::S_OK;
}

HRESULT TSyncReader::SetRange(uint64_t Start, int64_t Duration)
{
    if (!FSource)
        return wmf::NS_E_INVALID_REQUEST;
    if (Duration != 0)
        return wmf::E_INVALIDARG; // reading part of a file is not offered
    return Guarded([&] { return FSource->Seek(Start) ? wmf::S_OK : wmf::E_FAIL; });
}

HRESULT TSyncReader::SetReadStreamSamples(uint16_t StreamNum, int32_t Compressed)
{
    if (!FSource || StreamNum != StreamNumber())
        return wmf::NS_E_INVALID_REQUEST;
    if (FFacts.Protected)
        return wmf::NS_E_PROTECTED_CONTENT;
    return Compressed ? wmf::NS_E_INVALID_REQUEST : wmf::S_OK;
}

HRESULT TSyncReader::GetNextSample(uint16_t StreamNum, wmf::INSSBuffer** Sample, uint64_t* SampleTime,
                                   uint64_t* Duration, uint32_t* Flags, uint32_t* OutputNum,
                                   uint16_t* StreamNumOut)
{
    if (Sample == nullptr)
        return wmf::E_POINTER;
    *Sample = nullptr;
    if (!FSource || StreamNum != StreamNumber())
        return wmf::NS_E_INVALID_REQUEST;
    if (FFacts.Protected)
        return wmf::NS_E_PROTECTED_CONTENT;
    return Guarded([&] {
        TPcmBuffer Pcm;
        uint64_t Time = 0;
        if (!FSource->Next(Pcm, Time))
            return wmf::NS_E_NO_MORE_SAMPLES;
        const uint64_t Frames = Pcm.size() / (FFormat.Channels * FFormat.BitsPerSample / 8);
        *Sample = new TSampleBuffer(std::move(Pcm));
        if (SampleTime != nullptr)
            *SampleTime = Time;
        if (Duration != nullptr)
            *Duration = Frames * 10000000 / FFormat.SampleRate;
        if (Flags != nullptr)
            *Flags = 0;
        if (OutputNum != nullptr)
            *OutputNum = OutputIndex;
        if (StreamNumOut != nullptr)
            *StreamNumOut = StreamNumber();
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::GetOutputCount(uint32_t* Outputs)
{
    if (Outputs == nullptr)
        return wmf::E_POINTER;
    if (!FSource)
        return wmf::NS_E_INVALID_REQUEST;
    *Outputs = 1;
    return wmf::S_OK;
}

HRESULT TSyncReader::GetOutputProps(uint32_t Output, wmf::IWMOutputMediaProps** Props)
{
    if (Props == nullptr)
        return wmf::E_POINTER;
    *Props = nullptr;
    if (!FSource || Output != OutputIndex)
        return wmf::E_INVALIDARG;
    return Guarded([&] {
        *Props = new TMediaProps(FFormat);
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::SetOutputProps(uint32_t Output, wmf::IWMOutputMediaProps* Props)
{
    if (!FSource || Output != OutputIndex || Props == nullptr)
        return wmf::E_INVALIDARG;
    // Only a format this reader offers is taken, whoever made the properties.
    wmf::WM_MEDIA_TYPE Type[2]; // room for the type and its format block
    uint32_t Size = sizeof Type;
    if (Props->GetMediaType(Type, &Size) != wmf::S_OK || !(Type->formattype == wmf::WMFORMAT_WaveFormatEx) ||
        Type->cbFormat < sizeof(wmf::WAVEFORMATEX) || Type->pbFormat == nullptr)
        return wmf::NS_E_INVALID_OUTPUT_FORMAT;
    wmf::WAVEFORMATEX Wave;
    std::memcpy(&Wave, Type->pbFormat, sizeof Wave);
    const TPcmFormat Wanted = {Wave.nChannels, Wave.nSamplesPerSec, Wave.wBitsPerSample};
    return Guarded([&] {
        const std::vector<TPcmFormat> Offered = Formats();
        if (std::find(Offered.begin(), Offered.end(), Wanted) == Offered.end())
            return wmf::NS_E_INVALID_OUTPUT_FORMAT;
        FFormat = Wanted;
        FSource->SetOutput(FFormat);
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::GetOutputFormatCount(uint32_t Output, uint32_t* Count)
{
    if (Count == nullptr)
        return wmf::E_POINTER;
    if (!FSource || Output != OutputIndex)
        return wmf::E_INVALIDARG;
    return Guarded([&] {
        *Count = static_cast<uint32_t>(Formats().size());
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::GetOutputFormat(uint32_t Output, uint32_t Format, wmf::IWMOutputMediaProps** Props)
{
    if (Props == nullptr)
        return wmf::E_POINTER;
    *Props = nullptr;
    if (!FSource || Output != OutputIndex)
        return wmf::E_INVALIDARG;
    return Guarded([&] {
        const std::vector<TPcmFormat> Offered = Formats();
        if (Format >= Offered.size())
            return wmf::E_INVALIDARG;
        *Props = new TMediaProps(Offered[Format]);
        return wmf::S_OK;
    });
}

HRESULT TSyncReader::GetStreamNumberForOutput(uint32_t Output, uint16_t* StreamNum)
{
    if (StreamNum == nullptr)
        return wmf::E_POINTER;
    if (!FSource || Output != OutputIndex)
        return wmf::E_INVALIDARG;
    *StreamNum = StreamNumber();
    return wmf::S_OK;
}

HRESULT TSyncReader::SetOutputSetting(uint32_t Output, const char16_t* Name, wmf::WMT_ATTR_DATATYPE Type,
                                      const uint8_t* Value, uint16_t Length)
{
    if (!FSource || Output != OutputIndex || Value == nullptr || Length != 4)
        return wmf::E_INVALIDARG;
    uint32_t Number = 0;
    std::memcpy(&Number, Value, sizeof Number);
    if (NameIs(Name, "EnableDiscreteOutput") && Type == wmf::WMT_TYPE_BOOL) {
        FDiscrete = Number != 0;
        FFormat = DefaultFormat();
        FSource->SetOutput(FFormat);
        return wmf::S_OK;
    }
    if (NameIs(Name, "SpeakerConfig") && Type == wmf::WMT_TYPE_DWORD) {
        FSpeakerConfig = Number;
        return wmf::S_OK;
    }
    return wmf::E_INVALIDARG;
}

HRESULT TSyncReader::GetAttribute(const char16_t* Name, wmf::WMT_ATTR_DATATYPE* Type, uint8_t* Value,
                                  uint16_t* Length) const
{
    if (!FSource)
        return wmf::NS_E_INVALID_REQUEST;
    return Guarded([&] {
        if (NameIs(Name, "Duration")) {
            const uint64_t Duration = FFacts.PlayDuration != 0 ? FFacts.PlayDuration : FSource->Duration();
            if (Duration == 0)
                return wmf::ASF_E_NOTFOUND;
            return Answer(wmf::WMT_TYPE_QWORD, &Duration, sizeof Duration, Type, Value, Length);
        }
        if (NameIs(Name, "Bitrate")) {
            const uint32_t Bitrate = FSource->Bitrate();
            return Answer(wmf::WMT_TYPE_DWORD, &Bitrate, sizeof Bitrate, Type, Value, Length);
        }
        for (const TTextAttribute& Attribute : TextAttributes) {
            if (!NameIs(Name, Attribute.Name))
                continue;
            for (const char* Key : Attribute.Keys) {
                std::u16string Text = Key != nullptr ? FSource->Tag(Key) : std::u16string();
                if (Text.empty())
                    continue;
                Text.push_back(0);
                return Answer(wmf::WMT_TYPE_STRING, Text.data(), Text.size() * sizeof(char16_t), Type, Value, Length);
            }
        }
        return wmf::ASF_E_NOTFOUND;
    });
}

// By default the file's channels if mono or stereo, else a stereo downmix, at
// 16 bits; with discrete output the file's own channels and depth.
TPcmFormat TSyncReader::DefaultFormat() const
{
    if (FDiscrete)
        return Formats().back();
    return {std::min<uint32_t>(FSource->Channels(), 2), FSource->SampleRate(), 16};
}

// The formats of the one output, from the least to the most: callers that take
// the last acceptable format then get the best one.
std::vector<TPcmFormat> TSyncReader::Formats() const
{
    const uint32_t Rate = FSource->SampleRate();
    const uint32_t Own = FSource->Channels();
    std::vector<TPcmFormat> Offered;
    for (uint32_t Channels = 1; Channels <= std::min<uint32_t>(Own, 2); ++Channels) {
        Offered.push_back({Channels, Rate, 8});
        Offered.push_back({Channels, Rate, 16});
    }
    if (FDiscrete) {
        if (Own > 2)
            Offered.push_back({Own, Rate, 16});
        if (FSource->Deep())
            Offered.push_back({Own, Rate, 24});
    }
    return Offered;
}

uint16_t TSyncReader::StreamNumber() const { return static_cast<uint16_t>(FSource->StreamIndex() + 1); }

} // namespace wmvcore

extern "C" __attribute__((visibility("default"))) wmf::HRESULT WMCreateSyncReader(wmf::IUnknown* Certificate,
                                                                                   uint32_t,
                                                                                   wmf::IWMSyncReader** Reader)
{
    if (Reader == nullptr)
        return wmf::E_POINTER;
    *Reader = nullptr;
    if (Certificate != nullptr)
        return wmf::E_INVALIDARG;
    return wmvcore::Guarded([&] {
        *Reader = new wmvcore::TSyncReader();
        return wmf::S_OK;
    });
}

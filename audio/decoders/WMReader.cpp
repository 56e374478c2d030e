// SPDX-License-Identifier: GPL-3.0-or-later
#include "WMReader.h"

#include "AudioStream.h"
#include "WMFBinding.h"
#include "audio/core/Rounding.h"
#include "audio/tags/TagText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace au {
namespace {

// Where the runtime is tried a second time when it cannot open a stream: the
// first object behind the 30-byte ASF header object.
constexpr int64_t RetryOffset = 30;

struct TWaveFormat {
    bool Audio = false;    // major type audio
    bool WaveEx = false;   // a wave-format-ex format block
    uint32_t Channels = 0;
    uint32_t SampleRate = 0;
    uint32_t BitsPerSample = 0;
};

// The media type of Props, asked for twice as the runtime wants (size, then contents).
TWaveFormat MediaFormat(wmf::IWMOutputMediaProps& Props)
{
    TWaveFormat Format;
    uint32_t Size = 0;
    if (Props.GetMediaType(nullptr, &Size) != wmf::S_OK || Size < sizeof(wmf::WM_MEDIA_TYPE))
        return Format;
    // 64-bit elements keep the media type at its natural alignment.
    std::vector<uint64_t> Buffer((Size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    auto* Type = reinterpret_cast<wmf::WM_MEDIA_TYPE*>(Buffer.data());
    if (Props.GetMediaType(Type, &Size) != wmf::S_OK)
        return Format;
    Format.Audio = Type->majortype == wmf::WMMEDIATYPE_Audio;
    const auto* Begin = reinterpret_cast<const uint8_t*>(Buffer.data());
    const auto* End = Begin + Buffer.size() * sizeof(uint64_t);
    // The format block must lie inside what the runtime gave back.
    if (Type->formattype == wmf::WMFORMAT_WaveFormatEx && Type->cbFormat >= sizeof(wmf::WAVEFORMATEX) &&
        Type->pbFormat >= Begin && Type->pbFormat <= End - sizeof(wmf::WAVEFORMATEX)) {
        wmf::WAVEFORMATEX Wave;
        std::memcpy(&Wave, Type->pbFormat, sizeof Wave);
        Format.WaveEx = true;
        Format.Channels = Wave.nChannels;
        Format.SampleRate = Wave.nSamplesPerSec;
        Format.BitsPerSample = Wave.wBitsPerSample;
    }
    return Format;
}

uint32_t SetDwordSetting(wmf::IWMSyncReader& Reader, uint32_t Output, const char16_t* Name,
                         wmf::WMT_ATTR_DATATYPE Type, uint32_t Value)
{
    uint8_t Bytes[4];
    std::memcpy(Bytes, &Value, sizeof Bytes);
    return Reader.SetOutputSetting(Output, Name, Type, Bytes, sizeof Bytes);
}

} // namespace

void TWMReader::Open(TAuStream& Stream, bool HighPrecision, int ChannelCode)
{
    Close();
    FConsumed = 0;
    FStreamNumber = 0;
    FOutput = 0;
    FFound = false;
    FProtected = false;
    FChannels = 0;
    FSampleRate = 0;
    FBitsPerSample = 0;
    FDuration = 0;

    TWMFBinding& Library = WMFLibrary();
    Library.Load();
    if (!Library.Loaded() || !Library.CreateSyncReader.Present())
        return;
    if (Library.CreateSyncReader(nullptr, 0, FReader.Put()) != wmf::S_OK || !FReader)
        return;
    *FAdapter.Put() = new TAudioStream(Stream);
    if (FReader->OpenStream(FAdapter.Get()) != wmf::S_OK) {
        try {
            Stream.SetPosition(RetryOffset);
        } catch (...) {
        }
        if (FReader->OpenStream(FAdapter.Get()) != wmf::S_OK) {
            FReader.Reset();
            FAdapter.Reset();
            return;
        }
    }
    ChooseFormat(HighPrecision, ChannelCode);
    if (!FFound)
        return;
    FReader->GetStreamNumberForOutput(FOutput, &FStreamNumber);
    if (FReader->SetReadStreamSamples(FStreamNumber, 0) == wmf::NS_E_PROTECTED_CONTENT)
        FProtected = true;
    FReader->QueryInterface(wmf::IID_IWMHeaderInfo, reinterpret_cast<void**>(FHeaderInfo.Put()));
    uint64_t Duration = 0;
    uint16_t Length = sizeof Duration;
    FDuration = Attribute(u"Duration", &Duration, Length) && Length == sizeof Duration ? Duration : 0;
}

void TWMReader::ChooseFormat(bool HighPrecision, int ChannelCode)
{
    uint32_t Outputs = 0;
    if (FReader->GetOutputCount(&Outputs) != wmf::S_OK)
        return;
    for (uint32_t Output = 0; Output < Outputs; ++Output) {
        wmf::TComPtr<wmf::IWMOutputMediaProps> Props;
        if (FReader->GetOutputProps(Output, Props.Put()) != wmf::S_OK || !Props)
            continue;
        const TWaveFormat Current = MediaFormat(*Props);
        if (!Current.Audio)
            continue;
        SetDwordSetting(*FReader, Output, u"EnableDiscreteOutput", wmf::WMT_TYPE_BOOL, HighPrecision ? 1 : 0);
        if (ChannelCode > 2)
            SetDwordSetting(*FReader, Output, u"SpeakerConfig", wmf::WMT_TYPE_DWORD,
                            static_cast<uint32_t>(ChannelCode));
        uint32_t Formats = 0;
        if (FReader->GetOutputFormatCount(Output, &Formats) != wmf::S_OK)
            continue;
        for (uint32_t Index = 0; Index < Formats; ++Index) {
            wmf::TComPtr<wmf::IWMOutputMediaProps> Candidate;
            if (FReader->GetOutputFormat(Output, Index, Candidate.Put()) != wmf::S_OK || !Candidate)
                continue;
            const TWaveFormat Format = MediaFormat(*Candidate);
            if (!Format.WaveEx)
                continue;
            bool Accept;
            if (ChannelCode == ccMonoOrStereo)
                Accept = Format.Channels == Current.Channels && Format.SampleRate == Current.SampleRate &&
                         Format.BitsPerSample >= Current.BitsPerSample;
            else if (ChannelCode == cc5dot1 || ChannelCode == cc7dot1)
                Accept = Format.Channels == static_cast<uint32_t>(ChannelCode);
            else
                Accept = Format.Channels >= FChannels && Format.SampleRate >= FSampleRate &&
                         Format.BitsPerSample >= FBitsPerSample;
            if (!Accept)
                continue;
            FFound = true;
            FOutput = Output;
            FChannels = ChannelCode == ccMonoOrStereo ? Current.Channels : Format.Channels;
            FSampleRate = ChannelCode == ccMonoOrStereo ? Current.SampleRate : Format.SampleRate;
            FBitsPerSample = Format.BitsPerSample;
            FReader->SetOutputProps(Output, Candidate.Get());
        }
    }
}

void TWMReader::Close()
{
    if (FReader)
        FReader->Close();
    FSample.Reset();
    FHeaderInfo.Reset();
    FReader.Reset();
    FAdapter.Reset();
    FConsumed = 0;
}

void TWMReader::Read(uint8_t*& Buffer, uint32_t& Bytes)
{
    for (;;) {
        if (FSample) {
            uint8_t* Data = nullptr;
            uint32_t Length = 0;
            if (FSample->GetBufferAndLength(&Data, &Length) == wmf::S_OK && Data != nullptr && FConsumed < Length) {
                Bytes = std::min(Length - FConsumed, Bytes);
                Buffer = Data + FConsumed;
                FConsumed += Bytes;
                return;
            }
        }
        FSample.Reset();
        FConsumed = 0;
        uint64_t Time = 0, Duration = 0;
        uint32_t Flags = 0, Output = 0;
        uint16_t StreamNumber = 0;
        if (!FReader || FReader->GetNextSample(FStreamNumber, FSample.Put(), &Time, &Duration, &Flags, &Output,
                                               &StreamNumber) != wmf::S_OK) {
            FSample.Reset();
            Buffer = nullptr;
            Bytes = 0;
            return;
        }
    }
}

void TWMReader::Seek(long double Centiseconds)
{
    if (FReader)
        FReader->SetRange(static_cast<uint64_t>(std::max<int64_t>(0, RoundToEven(Centiseconds * 100000))), 0);
}

bool TWMReader::Attribute(const char16_t* Name, void* Value, uint16_t& Length)
{
    if (!FHeaderInfo)
        return false;
    uint16_t StreamNumber = 0;
    wmf::WMT_ATTR_DATATYPE Type = wmf::WMT_TYPE_DWORD;
    return FHeaderInfo->GetAttributeByName(&StreamNumber, Name, &Type, static_cast<uint8_t*>(Value), &Length) ==
           wmf::S_OK;
}

std::u16string TWMReader::AttributeText(const char16_t* Name)
{
    uint16_t Length = 0;
    if (!Attribute(Name, nullptr, Length) || Length < sizeof(char16_t))
        return {};
    std::vector<char16_t> Text(Length / sizeof(char16_t) + 1, 0);
    if (!Attribute(Name, Text.data(), Length))
        return {};
    // Up to the terminating zero, and never past what was read.
    Text[std::min<size_t>(Length / sizeof(char16_t), Text.size() - 1)] = 0;
    return std::u16string(Text.data());
}

uint32_t TWMReader::AttributeDword(const char16_t* Name)
{
    uint32_t Value = 0;
    uint16_t Length = sizeof Value;
    return Attribute(Name, &Value, Length) && Length == sizeof Value ? Value : 0;
}

constexpr uint32_t MaxPictureValue = 256u << 20;

// Of the file's pictures the front cover, else the first; one larger than a
// WAV file carries is only counted. The value is a WM_PICTURE whose pointers
// point into the same buffer: each is checked to lie inside it.
void TWMReader::ReadPicture(TTagPicture& Picture)
{
    Picture = TTagPicture();
    wmf::TComPtr<wmf::IWMHeaderInfo3> Info;
    if (!FHeaderInfo ||
        FHeaderInfo->QueryInterface(wmf::IID_IWMHeaderInfo3, reinterpret_cast<void**>(Info.Put())) != wmf::S_OK ||
        !Info)
        return;
    uint16_t Count = 0;
    if (Info->GetAttributeIndices(0xFFFF, u"WM/Picture", nullptr, nullptr, &Count) != wmf::S_OK || Count == 0)
        return;
    std::vector<uint16_t> Indices(Count);
    if (Info->GetAttributeIndices(0xFFFF, u"WM/Picture", nullptr, Indices.data(), &Count) != wmf::S_OK)
        return;
    for (uint16_t I = 0; I < std::min<size_t>(Count, Indices.size()); ++I) {
        uint16_t NameLength = 0;
        wmf::WMT_ATTR_DATATYPE Type = wmf::WMT_TYPE_BINARY;
        uint32_t Length = 0;
        if (Info->GetAttributeByIndexEx(0xFFFF, Indices[I], nullptr, &NameLength, &Type, nullptr, nullptr, &Length) !=
                wmf::S_OK ||
            Type != wmf::WMT_TYPE_BINARY || Length < sizeof(wmf::WM_PICTURE))
            continue;
        // Read whole, so that the size of one left out is exact, unless
        // that would take more memory than any cover is worth.
        if (Length > MaxPictureValue) {
            if (Picture.WouldTake(3))
                Picture.LeftOutBytes = Length - sizeof(wmf::WM_PICTURE);
            continue;
        }
        std::vector<uint8_t> Value(Length);
        if (Info->GetAttributeByIndexEx(0xFFFF, Indices[I], nullptr, &NameLength, &Type, nullptr, Value.data(),
                                        &Length) != wmf::S_OK ||
            Length > Value.size())
            continue;
        wmf::WM_PICTURE Head{};
        std::memcpy(&Head, Value.data(), sizeof Head);
        const uint8_t* Begin = Value.data();
        const uint8_t* End = Begin + Length;
        const auto Inside = [&](const void* At, size_t Bytes) {
            const auto* P = static_cast<const uint8_t*>(At);
            return P >= Begin && P <= End && Bytes <= static_cast<size_t>(End - P);
        };
        if (!Inside(Head.pbData, Head.dwDataLen) || Head.dwDataLen == 0 || !Picture.WouldTake(Head.bPictureType))
            continue;
        // Texts end at their terminator or at the end of the buffer.
        const auto Text = [&](const char16_t* At) {
            std::u16string Result;
            if (At == nullptr || !Inside(At, 0))
                return Result;
            for (const auto* P = reinterpret_cast<const uint8_t*>(At); End - P >= 2; P += 2) {
                const char16_t Unit = static_cast<char16_t>(P[0] | (P[1] << 8));
                if (Unit == 0)
                    break;
                Result.push_back(Unit);
            }
            return Result;
        };
        Picture.Take(Head.pbData, Head.dwDataLen);
        Picture.Type = Head.bPictureType <= 20 ? Head.bPictureType : 0;
        Picture.Mime = Utf16ToUtf8(Text(Head.pwszMIMEType));
        Picture.Description = Utf16ToUtf8(Text(Head.pwszDescription));
    }
}

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestUtil.h"
#include "support/TestUtil.h"

#include "audio/core/AuFileStream.h"
#include "audio/decoders/AudioStream.h"
#include "audio/decoders/WMFBinding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace au;
using namespace autest;

namespace {

// A file of Size bytes 0, 1, 2, ... opened for reading.
struct TNumberedFile {
    TTempDir Dir;
    std::string Name = Dir.File("data.bin");
    explicit TNumberedFile(size_t Size)
    {
        std::vector<uint8_t> Bytes(Size);
        for (size_t I = 0; I < Size; ++I)
            Bytes[I] = static_cast<uint8_t>(I);
        WriteBytes(Name, Bytes);
    }
};

} // namespace

TEST(AudioStream, ReadsSeeksAndStatsTheInputStream)
{
    TNumberedFile File(1000);
    TAuFileStream Stream(File.Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite);
    wmf::TComPtr<wmf::IStream> Adapter;
    *Adapter.Put() = new TAudioStream(Stream);

    uint8_t Buffer[16];
    uint32_t Count = 0;
    ASSERT_EQ(Adapter->Read(Buffer, 10, &Count), wmf::S_OK);
    EXPECT_EQ(Count, 10u);
    EXPECT_EQ(Buffer[9], 9);

    uint64_t Position = 0;
    EXPECT_EQ(Adapter->Seek(-4, 2, &Position), wmf::S_OK);
    EXPECT_EQ(Position, 996u);
    ASSERT_EQ(Adapter->Read(Buffer, 16, &Count), wmf::S_OK);
    EXPECT_EQ(Count, 4u);
    EXPECT_EQ(Buffer[0], static_cast<uint8_t>(996));
    // Nothing left: a failure with every bit set, and a count of 0.
    EXPECT_EQ(Adapter->Read(Buffer, 16, &Count), 0xFFFFFFFFu);
    EXPECT_EQ(Count, 0u);

    EXPECT_EQ(Adapter->Seek(100, 0, nullptr), wmf::S_OK);
    EXPECT_EQ(Adapter->Seek(5, 1, &Position), wmf::S_OK);
    EXPECT_EQ(Position, 105u);
    EXPECT_EQ(Adapter->Seek(0, 3, &Position), wmf::E_INVALIDARG);
    // SetSize moves the position; the file keeps its size.
    EXPECT_EQ(Adapter->SetSize(20), wmf::S_OK);
    EXPECT_EQ(Stream.Position(), 20);

    wmf::STATSTG Stat{7, 7, 7};
    EXPECT_EQ(Adapter->Stat(&Stat, 0), wmf::S_OK);
    EXPECT_EQ(Stat.cbSize, 1000u);
    EXPECT_EQ(Stat.grfMode, 0u);

    wmf::IStream* Copy = Adapter.Get();
    EXPECT_NE(Adapter->Clone(&Copy), wmf::S_OK);
    EXPECT_EQ(Copy, nullptr);
    EXPECT_NE(Adapter->Commit(0), wmf::S_OK);
    EXPECT_NE(Adapter->Revert(), wmf::S_OK);
    EXPECT_NE(Adapter->LockRegion(0, 1, 0), wmf::S_OK);
    EXPECT_NE(Adapter->UnlockRegion(0, 1, 0), wmf::S_OK);
    EXPECT_NE(Adapter->CopyTo(nullptr, 1, nullptr, nullptr), wmf::S_OK);
    // A read-only file refuses writes; the failure comes back as a code.
    EXPECT_EQ(Adapter->Write(Buffer, 4, &Count), 0xFFFFFFFFu);
    EXPECT_EQ(Count, 0u);
}

TEST(AudioStream, LivesAsLongAsItsLastReference)
{
    TNumberedFile File(10);
    TAuFileStream Stream(File.Name, TAuFileStream::fmOpenRead);
    wmf::IStream* Adapter = new TAudioStream(Stream);
    EXPECT_EQ(Adapter->AddRef(), 2u);
    void* Same = nullptr;
    EXPECT_EQ(Adapter->QueryInterface(wmf::IID_IUnknown, &Same), wmf::S_OK);
    EXPECT_EQ(Same, static_cast<void*>(Adapter));
    EXPECT_EQ(Adapter->QueryInterface(wmf::IID_IWMHeaderInfo, &Same), wmf::E_NOINTERFACE);
    EXPECT_EQ(Same, nullptr);
    EXPECT_EQ(Adapter->Release(), 2u);
    EXPECT_EQ(Adapter->Release(), 1u);
    EXPECT_EQ(Adapter->Release(), 0u); // gone; the sanitizer build sees a leak or a double free
}

// The runtime stand-in answers as the input relies on.
TEST(WMVCore, AnswersWithTheRuntimesConventions)
{
    TTempDir Dir;
    const std::string Wma = Dir.File("in.wma");
    Shell("ffmpeg -v error -y -i " + Quote(FixturesDir() + "/tone-22050-16-1.wav") +
          " -c:a wmav2 -metadata title=Tone " + Quote(Wma));
    TWMFBinding& Library = WMFLibrary();
    Library.Require();
    wmf::TComPtr<wmf::IWMSyncReader> Reader;
    EXPECT_EQ(Library.CreateSyncReader(reinterpret_cast<wmf::IUnknown*>(&Library), 0, Reader.Put()),
              wmf::E_INVALIDARG);
    ASSERT_EQ(Library.CreateSyncReader(nullptr, 0, Reader.Put()), wmf::S_OK);
    uint32_t Outputs = 0;
    EXPECT_NE(Reader->GetOutputCount(&Outputs), wmf::S_OK); // nothing open yet

    TAuFileStream Stream(Wma, TAuFileStream::fmOpenRead);
    wmf::TComPtr<wmf::IStream> Adapter;
    *Adapter.Put() = new TAudioStream(Stream);
    ASSERT_EQ(Reader->OpenStream(Adapter.Get()), wmf::S_OK);
    ASSERT_EQ(Reader->GetOutputCount(&Outputs), wmf::S_OK);
    EXPECT_EQ(Outputs, 1u);

    // The media type comes with its format block in the caller's buffer.
    wmf::TComPtr<wmf::IWMOutputMediaProps> Props;
    ASSERT_EQ(Reader->GetOutputProps(0, Props.Put()), wmf::S_OK);
    uint32_t Size = 0;
    ASSERT_EQ(Props->GetMediaType(nullptr, &Size), wmf::S_OK);
    EXPECT_EQ(Size, sizeof(wmf::WM_MEDIA_TYPE) + sizeof(wmf::WAVEFORMATEX));
    std::vector<uint64_t> Buffer(Size / 8 + 1);
    auto* Type = reinterpret_cast<wmf::WM_MEDIA_TYPE*>(Buffer.data());
    uint32_t Short = Size - 1;
    EXPECT_EQ(Props->GetMediaType(Type, &Short), wmf::ASF_E_BUFFERTOOSMALL);
    ASSERT_EQ(Props->GetMediaType(Type, &Size), wmf::S_OK);
    EXPECT_TRUE(Type->majortype == wmf::WMMEDIATYPE_Audio);
    EXPECT_TRUE(Type->formattype == wmf::WMFORMAT_WaveFormatEx);
    wmf::WAVEFORMATEX Wave;
    std::memcpy(&Wave, Type->pbFormat, sizeof Wave);
    EXPECT_EQ(Wave.wFormatTag, wmf::WAVE_FORMAT_PCM);
    EXPECT_EQ(Wave.nChannels, 1);
    EXPECT_EQ(Wave.nSamplesPerSec, 22050u);
    EXPECT_EQ(Wave.wBitsPerSample, 16);
    EXPECT_EQ(Wave.nBlockAlign, 2);

    // A format the output does not offer is refused.
    Wave.nChannels = 6;
    std::memcpy(Type->pbFormat, &Wave, sizeof Wave);
    struct TForeignProps final : wmf::TRefCounted<wmf::IWMOutputMediaProps> {
        const std::vector<uint64_t>* Source;
        wmf::HRESULT GetMediaType(wmf::WM_MEDIA_TYPE* Out, uint32_t* Length) override
        {
            if (Out == nullptr || Length == nullptr)
                return wmf::E_POINTER;
            std::memcpy(Out, Source->data(), std::min<size_t>(*Length, Source->size() * sizeof(uint64_t)));
            Out->pbFormat = reinterpret_cast<uint8_t*>(Out) + sizeof(wmf::WM_MEDIA_TYPE);
            return wmf::S_OK;
        }
    };
    auto* Foreign = new TForeignProps;
    Foreign->Source = &Buffer;
    EXPECT_EQ(Reader->SetOutputProps(0, Foreign), wmf::NS_E_INVALID_OUTPUT_FORMAT);
    Foreign->Release();

    uint16_t StreamNumber = 0;
    ASSERT_EQ(Reader->GetStreamNumberForOutput(0, &StreamNumber), wmf::S_OK);
    EXPECT_EQ(Reader->SetReadStreamSamples(StreamNumber, 0), wmf::S_OK);
    EXPECT_NE(Reader->SetReadStreamSamples(StreamNumber + 1, 0), wmf::S_OK);

    // Attributes: size first, then the value; absent ones fail.
    wmf::TComPtr<wmf::IWMHeaderInfo> Info;
    ASSERT_EQ(Reader->QueryInterface(wmf::IID_IWMHeaderInfo, reinterpret_cast<void**>(Info.Put())), wmf::S_OK);
    uint16_t StreamZero = 0, Length = 0;
    wmf::WMT_ATTR_DATATYPE Kind{};
    ASSERT_EQ(Info->GetAttributeByName(&StreamZero, u"Title", &Kind, nullptr, &Length), wmf::S_OK);
    EXPECT_EQ(Kind, wmf::WMT_TYPE_STRING);
    EXPECT_EQ(Length, 10); // "Tone" and its terminator
    char16_t Text[5];
    ASSERT_EQ(Info->GetAttributeByName(&StreamZero, u"Title", &Kind, reinterpret_cast<uint8_t*>(Text), &Length),
              wmf::S_OK);
    EXPECT_EQ(std::u16string(Text), u"Tone");
    EXPECT_EQ(Info->GetAttributeByName(&StreamZero, u"WM/Genre", &Kind, nullptr, &Length), wmf::ASF_E_NOTFOUND);
    uint64_t Duration = 0;
    Length = sizeof Duration;
    ASSERT_EQ(Info->GetAttributeByName(&StreamZero, u"Duration", &Kind, reinterpret_cast<uint8_t*>(&Duration),
                                       &Length),
              wmf::S_OK);
    EXPECT_EQ(Kind, wmf::WMT_TYPE_QWORD);
    std::string Probed;
    RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(Wma), &Probed);
    EXPECT_NEAR(static_cast<double>(Duration) / 1e7, std::stod(Probed), 1e-6);

    // Samples until the end, then a failure every time after.
    wmf::TComPtr<wmf::INSSBuffer> Sample;
    uint64_t Time = 0, SampleDuration = 0;
    uint32_t Flags = 0, Output = 0, Total = 0;
    uint16_t Number = 0;
    while (Reader->GetNextSample(StreamNumber, Sample.Put(), &Time, &SampleDuration, &Flags, &Output, &Number) ==
           wmf::S_OK) {
        uint8_t* Data = nullptr;
        uint32_t Bytes = 0;
        ASSERT_EQ(Sample->GetBufferAndLength(&Data, &Bytes), wmf::S_OK);
        EXPECT_EQ(Bytes % 2, 0u);
        Total += Bytes;
    }
    const std::string Raw = Dir.File("reference.raw");
    Shell("ffmpeg -v error -y -i " + Quote(Wma) + " -f s16le " + Quote(Raw));
    EXPECT_EQ(Total, ReadBytes(Raw).size());
    EXPECT_EQ(Reader->GetNextSample(StreamNumber, Sample.Put(), &Time, &SampleDuration, &Flags, &Output, &Number),
              wmf::NS_E_NO_MORE_SAMPLES);
    EXPECT_EQ(Reader->Close(), wmf::S_OK);
    EXPECT_NE(Reader->Close(), wmf::S_OK);
}

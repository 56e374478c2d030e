// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AsfHeader.h"
#include "MediaSource.h"
#include "WMFInterface.h"

#include <memory>
#include <string>
#include <vector>

namespace wmvcore {

// The synchronous reader: one audio output (the file's main audio stream)
// whose output formats are PCM at the file's own sample rate. By default mono
// or stereo 16-bit; with "EnableDiscreteOutput" also the file's own channel
// count, at 24 bits for sources deeper than 16. Every method catches what it
// could throw and answers with a failure code instead. One thread at a time.
class TSyncReader final : public wmf::TRefCounted<wmf::IWMSyncReader> {
public:
    // IID_IWMHeaderInfo gives the header attributes: "Duration" (QWORD, 100-ns
    // units), "Bitrate" (DWORD, bits per second) and the texts "Title",
    // "Author", "WM/AlbumTitle", "WM/Genre", "WM/Track", "WM/TrackNumber",
    // "WM/Year", "Copyright".
    wmf::HRESULT QueryInterface(const wmf::GUID& Iid, void** Object) override;

    wmf::HRESULT OpenStream(wmf::IStream* Stream) override;
    wmf::HRESULT Close() override;
    wmf::HRESULT SetRange(uint64_t Start, int64_t Duration) override;
    // NS_E_PROTECTED_CONTENT for files whose header carries a content encryption object.
    wmf::HRESULT SetReadStreamSamples(uint16_t StreamNum, int32_t Compressed) override;
    wmf::HRESULT GetNextSample(uint16_t StreamNum, wmf::INSSBuffer** Sample, uint64_t* SampleTime,
                               uint64_t* Duration, uint32_t* Flags, uint32_t* OutputNum,
                               uint16_t* StreamNumOut) override;
    wmf::HRESULT GetOutputCount(uint32_t* Outputs) override;
    wmf::HRESULT GetOutputProps(uint32_t Output, wmf::IWMOutputMediaProps** Props) override;
    wmf::HRESULT SetOutputProps(uint32_t Output, wmf::IWMOutputMediaProps* Props) override;
    wmf::HRESULT GetOutputFormatCount(uint32_t Output, uint32_t* Formats) override;
    wmf::HRESULT GetOutputFormat(uint32_t Output, uint32_t Format, wmf::IWMOutputMediaProps** Props) override;
    wmf::HRESULT GetStreamNumberForOutput(uint32_t Output, uint16_t* StreamNum) override;
    // "EnableDiscreteOutput" (BOOL) and "SpeakerConfig" (DWORD, kept but without effect).
    wmf::HRESULT SetOutputSetting(uint32_t Output, const char16_t* Name, wmf::WMT_ATTR_DATATYPE Type,
                                  const uint8_t* Value, uint16_t Length) override;

    // For the header-info object.
    wmf::HRESULT GetAttribute(const char16_t* Name, wmf::WMT_ATTR_DATATYPE* Type, uint8_t* Value,
                              uint16_t* Length) const;
    // The file's pictures, as "WM/Picture" attributes 0, 1, ...
    uint16_t PictureCount() const;
    wmf::HRESULT GetPicture(uint16_t Index, uint8_t* Value, uint32_t* Length) const;

private:
    ~TSyncReader() override;
    std::vector<TPcmFormat> Formats() const;
    TPcmFormat DefaultFormat() const;
    void DropStream();
    uint16_t StreamNumber() const;

    wmf::TComPtr<wmf::IStream> FStream;
    // Reads FStream, so it goes first.
    std::unique_ptr<TMediaSource> FSource;
    TAsfFacts FFacts;
    bool FDiscrete = false;
    uint32_t FSpeakerConfig = 0;
    TPcmFormat FFormat;
};

} // namespace wmvcore

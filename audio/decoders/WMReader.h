// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuStream.h"
#include "audio/tags/FileTags.h"
#include "codecs/wmvcore/WMFInterface.h"

#include <cstdint>
#include <string>

namespace au {

// The Windows Media runtime's synchronous reader over an input's stream: picks
// a PCM output format, hands out the decoded samples and reads the header
// attributes. Used by one thread at a time (the caller's locks see to it).
class TWMReader {
public:
    // Channel codes of Open.
    static constexpr int ccMaxAvailable = -1;
    static constexpr int ccMonoOrStereo = 0;
    static constexpr int cc5dot1 = 6;
    static constexpr int cc7dot1 = 8;

    TWMReader() = default;
    ~TWMReader() { Close(); }
    TWMReader(const TWMReader&) = delete;
    TWMReader& operator=(const TWMReader&) = delete;

    // Closes what was open, then opens Stream (which must outlive the reader's
    // use). Never throws for a file the runtime refuses: Opened() is then false.
    // With the runtime missing, too, nothing opens.
    void Open(TAuStream& Stream, bool HighPrecision, int ChannelCode);
    void Close();

    bool Opened() const { return static_cast<bool>(FReader); }
    // A PCM output format was chosen.
    bool Found() const { return FFound; }
    // The runtime refused to hand out uncompressed samples of protected content.
    bool Protected() const { return FProtected; }
    uint32_t Channels() const { return FChannels; }
    uint32_t SampleRate() const { return FSampleRate; }
    uint32_t BitsPerSample() const { return FBitsPerSample; }
    // The "Duration" attribute in 100-ns units; 0 when absent.
    uint64_t Duration() const { return FDuration; }

    // Hands out at most Bytes bytes of the current sample (fetching the next
    // one when it is used up); Buffer stays valid until the next call. Bytes = 0
    // and Buffer null at the end of the samples.
    void Read(uint8_t*& Buffer, uint32_t& Bytes);
    // Moves to Centiseconds; the rest of the current sample still comes first.
    void Seek(long double Centiseconds);

    // A text attribute of the file (empty when it fails or is absent).
    std::u16string AttributeText(const char16_t* Name);
    // A 32-bit attribute of the file (0 when it fails or is absent).
    uint32_t AttributeDword(const char16_t* Name);
    // The file's cover ("WM/Picture"), or an empty picture.
    void ReadPicture(TTagPicture& Picture);

private:
    void ChooseFormat(bool HighPrecision, int ChannelCode);
    bool Attribute(const char16_t* Name, void* Value, uint16_t& Length);

    wmf::TComPtr<wmf::IStream> FAdapter;
    wmf::TComPtr<wmf::IWMSyncReader> FReader;
    wmf::TComPtr<wmf::INSSBuffer> FSample;
    wmf::TComPtr<wmf::IWMHeaderInfo> FHeaderInfo;
    uint32_t FConsumed = 0;
    uint16_t FStreamNumber = 0;
    uint32_t FOutput = 0;
    bool FFound = false;
    bool FProtected = false;
    uint32_t FChannels = 0;
    uint32_t FSampleRate = 0;
    uint32_t FBitsPerSample = 0;
    uint64_t FDuration = 0;
};

} // namespace au

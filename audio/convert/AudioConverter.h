// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuConverter.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace au {

enum TMSConverterMode : uint8_t { msmMonoToBoth = 0, msmMonoToLeft = 1, msmMonoToRight = 2 };

// Changes the sample depth (8, 16, 24 or 32 bits) and turns mono into stereo or
// stereo into mono, through 32-bit floats (16-bit input in integers, to the same
// bytes). Data whose depth and channel count do not change passes through
// untouched; a real change of depth or channels scales 16-bit data by
// 32767/32768 (see AuProcs.h).
class TAudioConverter final : public TAuConverter {
public:
    TAudioConverter() = default;
    ~TAudioConverter() override;

    // Any thread. OutBitsPerSample if set, else the input's (0 without input).
    int GetBitsPerSample() override;
    // Any thread. OutChannels when it is 1 or 2 and the input has 1 or 2
    // channels, else the input's count (0 without input).
    int GetChannels() override;
    // Any thread. The input's rate (0 without input).
    int GetSampleRate() override;

    // UI thread, while idle. Stored only: mono input always goes to both channels.
    void SetMode(TMSConverterMode Value) { FMode = Value; }
    TMSConverterMode Mode() const { return FMode; }
    // UI thread, while idle. 0 keeps the input's depth.
    void SetOutBitsPerSample(int Value) { FOutBitsPerSample = Value; }
    int OutBitsPerSample() const { return FOutBitsPerSample; }
    // UI thread, while idle. 0 keeps the input's channels; only 1 and 2 take effect.
    void SetOutChannels(int Value) { FOutChannels = Value; }
    int OutChannels() const { return FOutChannels; }

protected:
    // Worker thread, under the data lock. Throws EAuException "Input is not
    // assigned" without input, and names what is unsupported when a conversion
    // would need a depth other than 8, 16, 24 or 32 bits or the input has no channels.
    void DoInit() override;
    void DoFlush() override;
    // Worker thread, under the data lock. Gives whole output frames; the buffer is
    // valid until the next call. Allocates only while chunks grow. Throws
    // EAuException "Input is not assigned" when the input was taken away.
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;

private:
    void CheckFormat(int InBits, int InChannels) const;
    void ComputeSize(int64_t InputSize, int InBits, int InChannels);
    // A chunk that ends inside a frame is copied and that frame completed from
    // the input, so the frames that follow stay aligned. Only a frame cut short
    // by the end of the input is dropped.
    void CompleteLastFrame(TAuInput& Source, uint8_t*& Data, uint32_t& Bytes);
    void Reserve(uint32_t Frames);

    std::vector<uint8_t> FOutBuffer;
    std::vector<float> FFloatBuffer;
    std::vector<uint8_t> FStaging;
    uint32_t FCapacity = 0;
    uint32_t FInBytesPerSample = 0;
    uint32_t FOutBytesPerSample = 0;
    std::atomic<TMSConverterMode> FMode{msmMonoToBoth};
    std::atomic<int> FOutBitsPerSample{0};
    std::atomic<int> FOutChannels{0};
    uint32_t FInChannels = 0;
    uint32_t FOutChannelCount = 0;
    int FOutBits = 0;
    bool FPassThrough = false;
};

} // namespace au

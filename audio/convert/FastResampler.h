// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BlockReader.h"
#include "LowPassCascade.h"
#include "audio/core/AuConverter.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace au {

// Changes the sample rate to OutSampleRate, keeping depth and channels. It
// works in blocks of a fifth of a second of input: a block is turned into
// floats, brought to the output rate by repeating samples (up) or picking them
// (down), smoothed by a low-pass cascade at the higher of the two rates and
// turned back into the input's depth. The block phase restarts with every block;
// the filters run on. Rates that agree after division by 5 pass untouched.
class TFastResampler final : public TAuConverter {
public:
    // Filter state is held for at most this many channels.
    static constexpr int MaxChannels = 8;

    TFastResampler() = default;
    ~TFastResampler() override;

    // Any thread. The input's depth and channels, and OutSampleRate; each throws
    // EAuException "Input is not assigned" without input.
    int GetBitsPerSample() override;
    int GetChannels() override;
    int GetSampleRate() override;

    // UI thread, while idle. Hz.
    void SetOutSampleRate(uint32_t Value) { FOutSampleRate = Value; }
    uint32_t OutSampleRate() const { return FOutSampleRate; }
    // UI thread, while idle. Whether a run that resamples has helper threads:
    // one reads each next block of input ahead while a block is worked on, one
    // filters about half of the channels (when there are more than the filter
    // takes at once: two on the vector paths of the processors that have
    // them). The output is
    // the same either way. On by default when the machine has more than one
    // processor; a caller that keeps every processor busy with runs of its own
    // may turn them off.
    void SetHelperThreads(bool Value) { FHelperThreads = Value; }
    bool HelperThreads() const { return FHelperThreads; }

    // Any thread, takes the data lock. A block read ahead from the old input is
    // dropped, so that the new input's data follows at once.
    void SetInput(TAuInput* Value) override;

protected:
    // Worker thread, under the data lock; allocates everything a run needs.
    // Throws EAuException "Input is not assigned" without input and, when the
    // rate must change, names what is unsupported: a depth other than 8, 16, 24
    // or 32 bits, no channels or more than MaxChannels, rates below 5 Hz, and
    // rates whose blocks of a fifth of a second would pass 2^18 frames.
    void DoInit() override;
    void DoFlush() override;
    // Worker thread, under the data lock. Throws EAuException "The Stream is not
    // opened" before a successful DoInit, and "Input is not assigned" when the
    // input was taken away. The buffer is valid until the next call.
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;

private:
    void CheckFormat(int Bits, int Channels, int InRate) const;
    // Each turns the block's Frames input frames, as floats in FFloats, into
    // output frames in FFloats and returns their count, by way of FWork: the
    // repeated frames going up, the filtered ones going down.
    uint32_t Upsample(uint32_t Frames);
    void CopyFrame(const float* From, float* To) const;
    uint32_t Downsample(uint32_t Frames);
    void Refill();

    std::atomic<uint32_t> FOutSampleRate{0};
    std::atomic<bool> FHelperThreads{std::thread::hardware_concurrency() > 1};
    bool FPassThrough = false;
    TBlockReader FReader;
    TLowPassCascade FFilter;
    uint32_t FInBlockFrames = 0;
    uint32_t FOutBlockFrames = 0;
    uint32_t FInBlockBytes = 0;
    uint32_t FOutBlockBytes = 0;
    uint32_t FCapacity = 0;
    std::vector<float> FFloats;
    std::vector<float> FWork;
    std::vector<uint8_t> FBytes;
    uint32_t FBytesPerSample = 0;
    uint32_t FFrameSize = 0;
    uint32_t FChannels = 0;
};

} // namespace au

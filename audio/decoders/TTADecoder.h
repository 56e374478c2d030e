// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TTAException.h"

#include <cstdint>

extern "C" struct TTADecoder;

namespace au {

// One decoder of the TrueAudio component, reading from a file descriptor from
// its current position on. Before every call it checks that the component is
// loaded and has the entry point; every failure is an ETTAException. Used only
// by the thread that holds the input that owns it.
class TTTADecoder {
public:
    // Throws ETTAException ("AHandle is zero!" for no descriptor, -1 here).
    explicit TTTADecoder(int Handle);
    // Failures of the component are ignored.
    ~TTTADecoder();
    TTTADecoder(const TTTADecoder&) = delete;
    TTTADecoder& operator=(const TTTADecoder&) = delete;

    int32_t GetNumChannels();
    int32_t GetBitsPerSample();
    int32_t GetSampleRate();
    // Samples per channel; negative when the stream states more than 2^31 - 1.
    int32_t GetDataLength();
    // The next block: *Block holds GetNumChannels() x result samples, one per
    // 32-bit slot, owned by the decoder until the next call; 0 at the end.
    int32_t GetBlock(int32_t** Block);

    int Handle() const { return FHandle; }

private:
    TTADecoder* FDecoder = nullptr;
    int FHandle;
};

} // namespace au

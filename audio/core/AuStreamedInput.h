// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuInput.h"
#include "AuStream.h"

#include <memory>

namespace au {

// An input that reads a stream: adds the play range (StartSample..EndSample,
// inclusive, in frames), looping and seeking.
class TAuStreamedInput : public TAuInput {
public:
    // Any thread. Reads from a stream the caller keeps owning.
    virtual void SetStream(TAuStream* Stream);

    // Worker thread, takes the data lock: serves read-ahead bytes, clips to Size,
    // and restarts at StartSample when Loop is set.
    void GetData(uint8_t*& Buffer, uint32_t& Bytes) override;

    bool Seekable() const { return FSeekable; }
    int64_t StartSample() const { return FStartSample; }
    void SetStartSample(int64_t Value) { FStartSample = Value; }
    int64_t EndSample() const { return FEndSample; }
    void SetEndSample(int64_t Value) { FEndSample = Value; }
    bool Loop() const { return FLoop; }
    void SetLoop(bool Value) { FLoop = Value; }

protected:
    // Moves the decoder to frame SampleNum counted from the start of the file;
    // may rewrite SampleNum to the frame actually reached.
    virtual bool DoSeek(int64_t& SampleNum) = 0;

    // The stream read: FOwnStream when the input opened it, else the caller's.
    TAuStream* Stream() const { return FStream; }
    bool StreamAssigned() const { return FStreamAssigned; }

    TAuStream* FStream = nullptr;
    std::unique_ptr<TAuStream> FOwnStream;
    bool FStreamAssigned = false;
    std::atomic<bool> FSeekable{true};
    std::atomic<int64_t> FStartSample{0};
    std::atomic<int64_t> FEndSample{-1};
    std::atomic<bool> FLoop{false};
    std::atomic<int64_t> FTotalSamples{0};
};

} // namespace au

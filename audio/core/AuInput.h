// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuComponent.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace au {

// Abstract source of interleaved little-endian PCM (8-bit unsigned, 16/24/32-bit
// signed). The format is known before data flows; Size is the number of bytes a
// run delivers, -1 when not known.
//
// Threads: format queries come from the UI thread; Init, GetData and Flush from
// the worker of the sink that pulls the chain. The data lock (recursive) serialises
// GetData, Init, Flush, Prefetch and input switching.
class TAuInput : public TAuComponent {
public:
    TAuInput() = default;
    ~TAuInput() override;

    virtual int GetBitsPerSample() = 0;
    virtual int GetChannels() = 0;
    virtual int GetSampleRate() = 0;
    // Whole seconds.
    virtual int GetDuration() { return 0; }
    // Frames.
    virtual int64_t GetTotalSamples() { return 0; }

    int BitsPerSample() { return GetBitsPerSample(); }
    int Channels() { return GetChannels(); }
    int SampleRate() { return GetSampleRate(); }
    int Duration() { return GetDuration(); }
    int64_t TotalSamples() { return GetTotalSamples(); }

    virtual void SetUnmaskedBits(bool Value) { FUnmaskedBits = Value; }
    bool UnmaskedBits() const { return FUnmaskedBits; }

    // Worker thread, takes the data lock. On entry Bytes is the most wanted; on
    // return Buffer points into memory this input owns, valid until its next
    // call, and Bytes is the count given. 0 bytes means no more data (not an error).
    virtual void GetData(uint8_t*& Buffer, uint32_t& Bytes);
    // Flush, swallowing any exception; the input is idle afterwards.
    virtual void Reset();
    // Reads up to Bytes ahead so that the next GetData is served from memory.
    virtual void Prefetch(uint32_t Bytes);
    virtual void Pause() {}
    virtual void Resume() {}

    // Makes the source ready. Throws EAuException with the text of whatever
    // DoInit raised; the input is then at its end, so GetData gives nothing.
    void Init();
    // Releases the source and drops read-ahead bytes.
    void Flush();
    void Lock() { FDataLock.lock(); }
    void Unlock() { FDataLock.unlock(); }
    // GetData copied into Dest; returns the count, 0 at the end.
    uint32_t CopyData(void* Dest, uint32_t Bytes);
    // CopyData until Bytes are gathered or the input ends (EndReached).
    uint32_t FillBuffer(void* Dest, uint32_t Bytes, bool& EndReached);

    int64_t Position() const { return FPosition; }
    int64_t Size() const { return FSize; }
    uint16_t FrameSize() const { return FFrameSize; }
    bool Busy() const { return FBusy; }
    bool EndOfData() const { return FEndOfData; }

    // Any thread. Users register while they hold this input as their Input.
    void AddUser(TAuInputUser* User);
    void RemoveUser(TAuInputUser* User);

protected:
    // Makes the source ready: sets Size and Busy.
    virtual void DoInit() = 0;
    // Releases the source and clears Busy.
    virtual void DoFlush() = 0;
    // As GetData, without the read-ahead bytes.
    virtual void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) = 0;

    void DoDestroying() override;

    // Serves read-ahead bytes; false when none are held. Caller holds the data lock.
    bool ServeReadAhead(uint8_t*& Buffer, uint32_t& Bytes);
    void DropReadAhead();

    std::atomic<int64_t> FPosition{0};
    std::atomic<int64_t> FSize{0};
    std::atomic<uint16_t> FFrameSize{0};
    std::atomic<bool> FBusy{false};
    // Indices into the concrete input's own output buffer; each input defines them.
    uint32_t FBufStart = 0;
    uint32_t FBufEnd = 0;
    std::recursive_mutex FDataLock;
    std::atomic<bool> FEndOfData{false};
    std::atomic<bool> FUnmaskedBits{false};

private:
    std::vector<uint8_t> FReadAhead;
    uint32_t FReadAheadCount = 0;
    uint32_t FReadAheadOffset = 0;

    std::recursive_mutex FUsersLock;
    std::vector<TAuInputUser*> FUsers;
};

} // namespace au

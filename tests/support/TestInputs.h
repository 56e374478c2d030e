// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"
#include "audio/core/AuInput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace autest {

// A source of synthetic PCM: Total bytes produced by Generator (byte index ->
// byte), reported as ReportedSize (the real count by default, or -1, or a lie).
// It can fail on Init or after some bytes, and hold each pull at a gate so that
// a test controls when the worker gets data.
class TSyntheticInput final : public au::TAuInput {
public:
    TSyntheticInput(int SampleRate, int Bits, int Channels, int64_t Total);
    ~TSyntheticInput() override;

    int GetBitsPerSample() override { return FBits; }
    int GetChannels() override { return FChannels; }
    int GetSampleRate() override { return FRate; }

    std::function<uint8_t(int64_t)> Generator;
    int64_t ReportedSize = -2; // -2: report the real total
    uint32_t ChunkLimit = 4096;
    bool FailInit = false;
    std::chrono::milliseconds InitDelay{0}; // a slow opening
    int64_t FailAfter = -1;   // throw once this many bytes were given
    std::string FailText = "synthetic failure";

    // Gate: while closed, a pull waits until Open() (or Release of the test).
    void CloseGate();
    void OpenGate();
    // Blocks until a pull is waiting at the closed gate.
    void WaitAtGate();

    std::atomic<int> InitCount{0};
    std::atomic<int> FlushCount{0};
    std::atomic<int> PauseCount{0};
    std::atomic<int> ResumeCount{0};

    void Pause() override { ++PauseCount; }
    void Resume() override { ++ResumeCount; }

    // The bytes the generator gives for [From, From + Count).
    std::vector<uint8_t> Expected(int64_t From, int64_t Count) const;

protected:
    void DoInit() override;
    void DoFlush() override;
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;

private:
    int FRate, FBits, FChannels;
    int64_t FTotal;
    int64_t FProduced = 0;
    std::vector<uint8_t> FBuffer;
    std::mutex FGateLock;
    std::condition_variable FGateChanged;
    bool FGateClosed = false;
    bool FAtGate = false;
};

// Headerless PCM read from a real file, in a format the test states: a decoder
// as small as one can be, to exercise the file input layer.
class TRawFileIn final : public au::TAuFileIn {
public:
    TRawFileIn(int SampleRate, int Bits, int Channels);
    ~TRawFileIn() override;

    uint32_t ChunkLimit = 4096;
    std::atomic<int> SeekCount{0};

protected:
    void OpenFile() override;
    void CloseFile() override;
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    bool DoSeek(int64_t& SampleNum) override;

private:
    int FFormatRate, FFormatBits, FFormatChannels;
    std::vector<uint8_t> FBuffer;
};

// A byte pattern that differs from frame to frame and byte to byte.
uint8_t PatternByte(int64_t Index);

} // namespace autest

// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestInputs.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace autest {

uint8_t PatternByte(int64_t Index)
{
    return static_cast<uint8_t>((Index * 7 + (Index >> 8) * 13 + 1) & 0xFF);
}

TSyntheticInput::TSyntheticInput(int SampleRate, int Bits, int Channels, int64_t Total)
    : Generator(PatternByte), FRate(SampleRate), FBits(Bits), FChannels(Channels), FTotal(Total)
{
}

TSyntheticInput::~TSyntheticInput()
{
    OpenGate();
    Destroying();
}

void TSyntheticInput::CloseGate()
{
    std::lock_guard<std::mutex> Guard(FGateLock);
    FGateClosed = true;
}

void TSyntheticInput::OpenGate()
{
    {
        std::lock_guard<std::mutex> Guard(FGateLock);
        FGateClosed = false;
    }
    FGateChanged.notify_all();
}

void TSyntheticInput::WaitAtGate()
{
    std::unique_lock<std::mutex> Guard(FGateLock);
    FGateChanged.wait(Guard, [this] { return FAtGate; });
}

std::vector<uint8_t> TSyntheticInput::Expected(int64_t From, int64_t Count) const
{
    std::vector<uint8_t> Bytes(static_cast<size_t>(Count));
    for (int64_t I = 0; I < Count; ++I)
        Bytes[static_cast<size_t>(I)] = Generator(From + I);
    return Bytes;
}

void TSyntheticInput::DoInit()
{
    ++InitCount;
    std::this_thread::sleep_for(InitDelay);
    if (FailInit)
        throw au::EAuException(FailText);
    FProduced = 0;
    FPosition = 0;
    FSize = ReportedSize == -2 ? FTotal : ReportedSize;
    FBusy = true;
}

void TSyntheticInput::DoFlush()
{
    ++FlushCount;
    FBusy = false;
}

void TSyntheticInput::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    {
        std::unique_lock<std::mutex> Guard(FGateLock);
        FAtGate = true;
        FGateChanged.notify_all();
        FGateChanged.wait(Guard, [this] { return !FGateClosed; });
        FAtGate = false;
    }
    if (FailAfter >= 0 && FProduced >= FailAfter)
        throw au::EAuException(FailText);
    const int64_t Left = FTotal - FProduced;
    const uint32_t Count = static_cast<uint32_t>(std::min<int64_t>({Left, Bytes, ChunkLimit}));
    if (Count == 0) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    FBuffer.resize(Count);
    for (uint32_t I = 0; I < Count; ++I)
        FBuffer[I] = Generator(FProduced + I);
    FProduced += Count;
    FPosition += Count;
    Buffer = FBuffer.data();
    Bytes = Count;
}

TRawFileIn::TRawFileIn(int SampleRate, int Bits, int Channels)
    : FFormatRate(SampleRate), FFormatBits(Bits), FFormatChannels(Channels)
{
}

TRawFileIn::~TRawFileIn()
{
    Destroying();
    CloseFile();
}

void TRawFileIn::OpenFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (FOpenCount != 0)
        return;
    FValid = false;
    if (!FStreamAssigned) {
        FOwnStream = std::make_unique<au::TAuFileStream>(
            FileName(), au::TAuFileStream::fmOpenRead | au::TAuFileStream::fmShareDenyWrite);
        FStream = FOwnStream.get();
    }
    FSampleRate = static_cast<uint32_t>(FFormatRate);
    FBitsPerSample = static_cast<uint32_t>(FFormatBits);
    FChannels = static_cast<uint32_t>(FFormatChannels);
    FSize = FStream->Size();
    FStream->SetPosition(0);
    FValid = true;
    FOpenCount = 1;
}

void TRawFileIn::CloseFile()
{
    std::lock_guard<std::recursive_mutex> Guard(FFileLock);
    if (!FStreamAssigned) {
        FOwnStream.reset();
        FStream = nullptr;
    }
    FOpenCount = 0;
}

void TRawFileIn::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    const uint32_t Count = std::min(Bytes, ChunkLimit);
    FBuffer.resize(Count);
    const int64_t Got = FStream->Read(FBuffer.data(), Count);
    Buffer = Got > 0 ? FBuffer.data() : nullptr;
    Bytes = static_cast<uint32_t>(Got);
}

bool TRawFileIn::DoSeek(int64_t& SampleNum)
{
    ++SeekCount;
    FStream->SetPosition(SampleNum * FrameSize());
    return true;
}

} // namespace autest

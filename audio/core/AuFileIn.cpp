// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuFileIn.h"

#include "AuException.h"
#include "AuFileStream.h"
#include "Rounding.h"

#include <algorithm>
#include <memory>

namespace au {

int TAuFileIn::GetBitsPerSample()
{
    OpenFile();
    return static_cast<int>(FBitsPerSample.load());
}

int TAuFileIn::GetChannels()
{
    OpenFile();
    return static_cast<int>(FChannels.load());
}

int TAuFileIn::GetSampleRate()
{
    OpenFile();
    return static_cast<int>(FSampleRate.load());
}

int TAuFileIn::GetDuration()
{
    OpenFile();
    const uint64_t Rate = FSampleRate, Channels = FChannels, Bits = FBitsPerSample;
    if (Rate == 0 || Channels == 0 || Bits == 0)
        return 0;
    const uint64_t BytesPerSecond = Rate * Channels * (Bits / 8);
    if (BytesPerSecond == 0)
        return 0;
    return static_cast<int>(
        RoundToEven(static_cast<long double>(FSize.load()) / static_cast<long double>(BytesPerSecond)));
}

int64_t TAuFileIn::GetTotalSamples()
{
    OpenFile();
    const int64_t Frame = (static_cast<int64_t>(FChannels) * FBitsPerSample) >> 3;
    // A damaged header may report no channels or bits: the length is then unknown.
    if (FSize > 0 && Frame > 0)
        FTotalSamples = FSize / Frame;
    else
        FTotalSamples = -1;
    return FTotalSamples;
}

void TAuFileIn::Reset()
{
    TAuStreamedInput::Reset();
    FOpenCount = 0;
}

void TAuFileIn::SetStream(TAuStream* Stream)
{
    CloseFile();
    TAuStreamedInput::SetStream(Stream);
}

void TAuFileIn::SetFileName(const std::string& Value)
{
    CloseFile();
    std::lock_guard<std::mutex> Guard(FNameLock);
    FFileName = Value;
}

std::string TAuFileIn::FileName() const
{
    std::lock_guard<std::mutex> Guard(FNameLock);
    return FFileName;
}

void TAuFileIn::OpenOwnStream(const char* MissingNameText)
{
    if (FStreamAssigned)
        return;
    const std::string Name = FileName();
    if (Name.empty())
        throw EAuException(MissingNameText);
    FOwnStream = std::make_unique<TAuFileStream>(Name, TAuFileStream::fmOpenRead | TAuFileStream::fmShareDenyWrite);
    FStream = FOwnStream.get();
}

void TAuFileIn::DoInit()
{
    if (FBusy)
        throw EAuException("The component is Busy");
    if (!FStreamAssigned && FileName().empty())
        throw EAuException("The file name is not assigned");
    FBusy = true;
    FPosition = 0;
    OpenFile();
    const int64_t Frame = (static_cast<int64_t>(FChannels) * FBitsPerSample) >> 3;
    if (Frame <= 0 || Frame > UINT16_MAX) {
        FBusy = false;
        throw EAuException("The file reports no usable audio format");
    }
    FFrameSize = static_cast<uint16_t>(Frame);
    FTotalSamples = FSize / Frame;
    // The buffer is emptied before the seek, not after it: a decoder may hand
    // over its first data while it seeks.
    FBufStart = 1;
    FBufEnd = 0;
    if (FStartSample > 0) {
        Seek(0);
        FPosition = 0;
    }
    if (FStartSample <= 0 && FEndSample == -1)
        return;
    int64_t Last = FEndSample;
    if (Last == -1 || Last >= FTotalSamples) {
        Last = FTotalSamples - 1;
        FEndSample = -1;
    }
    FTotalSamples = Last - FStartSample + 1;
    FSize = FTotalSamples * Frame;
}

void TAuFileIn::DoFlush()
{
    CloseFile();
    FStartSample = 0;
    FEndSample = -1;
    FBusy = false;
}

bool TAuFileIn::Valid()
{
    if (FStreamAssigned || !FileName().empty()) {
        try {
            OpenFile();
        } catch (...) {
            FValid = false;
        }
    }
    if (!FValid) {
        if (FOpenCount != 0) {
            try {
                CloseFile();
            } catch (...) {
            }
        } else if (!FStreamAssigned) {
            FOwnStream.reset();
            FStream = nullptr;
        }
    }
    return FValid;
}

bool TAuFileIn::Seek(int64_t SampleNum)
{
    if (!FSeekable)
        return false;
    if (FTotalSamples != 0 && FTotalSamples < SampleNum)
        return false;
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    if (FBusy) {
        DropReadAhead();
        int64_t Target = FStartSample + SampleNum;
        bool Result = false;
        try {
            Result = DoSeek(Target);
        } catch (...) {
            return false;
        }
        FPosition = (Target - FStartSample) * FFrameSize;
        return Result;
    }
    FStartSample = SampleNum;
    FEndSample = -1;
    FPosition = SampleNum * FFrameSize;
    return true;
}

void TAuFileIn::SeekRelative(int Percent)
{
    if (!FSeekable || FSize == 0)
        return;
    double Fraction = static_cast<double>(FPosition) / static_cast<double>(FSize) +
                      static_cast<double>(Percent) / 100.0;
    Fraction = std::clamp(Fraction, 0.0, 1.0);
    Seek(RoundToEven(static_cast<long double>(FTotalSamples) * Fraction));
}

} // namespace au

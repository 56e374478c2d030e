// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuStreamedInput.h"

namespace au {

void TAuStreamedInput::SetStream(TAuStream* Stream)
{
    FOwnStream.reset();
    FStream = Stream;
    FStreamAssigned = Stream != nullptr;
}

void TAuStreamedInput::GetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    if (ServeReadAhead(Buffer, Bytes))
        return;
    if (FEndOfData) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    const uint32_t Wanted = Bytes;
    DoGetData(Buffer, Bytes);
    if (Bytes > 0) {
        FPosition += Bytes;
        const int64_t Limit = FSize;
        if (Limit > 0 && FPosition >= Limit) {
            FEndOfData = true;
            if (FPosition > Limit) {
                Bytes -= static_cast<uint32_t>(FPosition - Limit);
                FPosition = Limit;
            }
        }
    } else {
        FEndOfData = true;
    }
    if (!(FEndOfData && FLoop))
        return;

    FEndOfData = false;
    if (FSeekable) {
        int64_t Start = FStartSample;
        DoSeek(Start);
    } else {
        Flush();
        Init();
    }
    FPosition = 0;
    // A range that ended with no bytes restarts within this same call.
    if (Bytes > 0)
        return;
    Bytes = Wanted;
    DoGetData(Buffer, Bytes);
    FPosition += Bytes;
    const int64_t Limit = FSize;
    if ((Limit > 0 && FPosition >= Limit) || Bytes == 0)
        FEndOfData = true;
}

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuConverter.h"

namespace au {

TAuConverter::~TAuConverter()
{
    Destroying();
}

void TAuConverter::DoDestroying()
{
    TAuInput::DoDestroying();
    if (TAuInput* Old = FInput.exchange(nullptr))
        Old->RemoveUser(this);
}

void TAuConverter::InputRemoved(TAuInput* Removed)
{
    if (FInput == Removed)
        SetInput(nullptr);
}

int TAuConverter::GetBitsPerSample()
{
    TAuInput* Source = FInput;
    if (Source == nullptr)
        return 0;
    const int Bits = Source->BitsPerSample();
    return UnmaskedBits() ? Bits : (Bits & 127);
}

int TAuConverter::GetChannels()
{
    TAuInput* Source = FInput;
    return Source != nullptr ? Source->Channels() : 0;
}

int TAuConverter::GetSampleRate()
{
    TAuInput* Source = FInput;
    return Source != nullptr ? Source->SampleRate() : 0;
}

void TAuConverter::GetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    if (FEndOfData) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    DoGetData(Buffer, Bytes);
    FPosition += Bytes;
    const int64_t Limit = FSize;
    if (Limit > 0 && FPosition > Limit) {
        Bytes -= static_cast<uint32_t>(FPosition - Limit);
        FPosition = Limit;
        FEndOfData = true;
    }
    if (Bytes == 0)
        FEndOfData = true;
}

void TAuConverter::Prefetch(uint32_t Bytes)
{
    if (TAuInput* Source = FInput)
        Source->Prefetch(Bytes);
}

void TAuConverter::Pause()
{
    if (TAuInput* Source = FInput)
        Source->Pause();
}

void TAuConverter::Resume()
{
    if (TAuInput* Source = FInput)
        Source->Resume();
}

void TAuConverter::SetInput(TAuInput* Value)
{
    if (Value == this)
        return;
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    TAuInput* Old = FInput;
    if (Busy()) {
        if (Old != nullptr)
            Old->Flush();
        if (Value != nullptr)
            Value->Init();
    }
    if (Old != nullptr)
        Old->RemoveUser(this);
    FInput = Value;
    if (Value != nullptr)
        Value->AddUser(this);
}

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuInput.h"

#include "AuException.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

namespace au {

TAuInput::~TAuInput()
{
    Destroying();
}

void TAuInput::DoDestroying()
{
    std::vector<TAuInputUser*> Users;
    {
        std::lock_guard<std::recursive_mutex> Guard(FUsersLock);
        Users.swap(FUsers);
    }
    for (TAuInputUser* User : Users)
        User->InputRemoved(this);
}

void TAuInput::AddUser(TAuInputUser* User)
{
    std::lock_guard<std::recursive_mutex> Guard(FUsersLock);
    if (std::find(FUsers.begin(), FUsers.end(), User) == FUsers.end())
        FUsers.push_back(User);
}

void TAuInput::RemoveUser(TAuInputUser* User)
{
    std::lock_guard<std::recursive_mutex> Guard(FUsersLock);
    FUsers.erase(std::remove(FUsers.begin(), FUsers.end(), User), FUsers.end());
}

void TAuInput::Init()
{
    std::string Failure;
    bool Failed = false;
    {
        std::lock_guard<std::recursive_mutex> Guard(FDataLock);
        FEndOfData = false;
        try {
            DoInit();
        } catch (const std::exception& E) {
            FEndOfData = true;
            Failure = E.what();
            Failed = true;
        }
    }
    if (Failed)
        throw EAuException(Failure);
}

void TAuInput::Flush()
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    DropReadAhead();
    DoFlush();
}

void TAuInput::Reset()
{
    try {
        Flush();
    } catch (...) {
    }
    FBusy = false;
}

bool TAuInput::ServeReadAhead(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (FReadAheadCount == 0)
        return false;
    Bytes = std::min(Bytes, FReadAheadCount - FReadAheadOffset);
    Buffer = FReadAhead.data() + FReadAheadOffset;
    FReadAheadOffset += Bytes;
    FPosition += Bytes;
    if (FReadAheadOffset >= FReadAheadCount)
        DropReadAhead();
    return true;
}

void TAuInput::DropReadAhead()
{
    FReadAheadCount = 0;
    FReadAheadOffset = 0;
}

void TAuInput::GetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    if (ServeReadAhead(Buffer, Bytes))
        return;
    DoGetData(Buffer, Bytes);
}

void TAuInput::Prefetch(uint32_t Bytes)
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    // Asking for nothing must not read as the end of the data.
    if (FReadAheadCount > 0 || Bytes == 0)
        return;
    if (FReadAhead.size() < Bytes)
        FReadAhead.resize(Bytes);
    const uint32_t Got = CopyData(FReadAhead.data(), Bytes);
    if (Got > 0) {
        FReadAheadCount = Got;
        FReadAheadOffset = 0;
        // The bytes are counted again when GetData serves them.
        FPosition -= Got;
    }
}

uint32_t TAuInput::CopyData(void* Dest, uint32_t Bytes)
{
    // The bytes lie in the input's own buffer, which a seek from another
    // thread refills: they are copied before it may.
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    uint8_t* Buffer = nullptr;
    GetData(Buffer, Bytes);
    if (Buffer == nullptr)
        return 0;
    if (Bytes > 0)
        std::memcpy(Dest, Buffer, Bytes);
    return Bytes;
}

uint32_t TAuInput::FillBuffer(void* Dest, uint32_t Bytes, bool& EndReached)
{
    auto* Out = static_cast<uint8_t*>(Dest);
    uint32_t Total = 0;
    EndReached = false;
    while (Total < Bytes) {
        const uint32_t Got = CopyData(Out + Total, Bytes - Total);
        if (Got == 0) {
            EndReached = true;
            break;
        }
        Total += Got;
    }
    return Total;
}

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockReader.h"

#include "audio/core/AuException.h"

#include <algorithm>
#include <utility>

namespace au {

void TBlockReader::Start(const std::atomic<TAuInput*>& Source, uint32_t BlockBytes, bool Ahead)
{
    Release();
    FSource = &Source;
    FBlockBytes = BlockBytes;
    if (Ahead) {
        FBlock.assign(BlockBytes, 0);
        FReader = std::make_unique<TJobThread>([this] { ReadAhead(); });
    }
}

void TBlockReader::Release()
{
    FReader.reset();
    FBlock = {};
    FError = nullptr;
    FReady = false;
}

uint32_t TBlockReader::Read(uint8_t* Dest) const
{
    TAuInput* Source = FSource->load();
    if (Source == nullptr)
        throw EAuException("Input is not assigned");
    bool EndReached = false;
    return Source->FillBuffer(Dest, FBlockBytes, EndReached);
}

void TBlockReader::ReadAhead()
{
    try {
        FCount = Read(FBlock.data());
    } catch (...) {
        FCount = 0;
        FError = std::current_exception();
    }
}

uint32_t TBlockReader::Next(uint8_t* Dest)
{
    if (!FReader)
        return Read(Dest);
    uint32_t Count = 0;
    // A read the helper has not begun is done here instead: it is the same read.
    if (FReady && !FReader->Withdraw()) {
        FReady = false;
        if (FError)
            std::rethrow_exception(std::exchange(FError, nullptr));
        std::copy_n(FBlock.data(), FCount, Dest);
        Count = FCount;
    } else {
        FReady = false;
        Count = Read(Dest);
    }
    // Past the end there is nothing to wait for.
    if (Count > 0) {
        FReader->Begin();
        FReady = true;
    }
    return Count;
}

void TBlockReader::Discard()
{
    if (FReady)
        FReader->Withdraw();
    FReady = false;
    FError = nullptr;
}

} // namespace au

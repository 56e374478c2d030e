// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuInput.h"
#include "audio/core/JobThread.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

namespace au {

// Reads an input in blocks of a fixed size, each as one FillBuffer gives it.
// Reading ahead, it reads each next block on a thread of its own while the
// caller works on the current one (or on the caller's thread when that thread
// has not begun by the time the block is wanted): the input sees the same calls
// in the same order, and a failure reaches the caller when it asks for the
// block that failed.
//
// Worker thread of the chain only; Start allocates, Next does not.
class TBlockReader {
public:
    TBlockReader() = default;
    TBlockReader(const TBlockReader&) = delete;
    TBlockReader& operator=(const TBlockReader&) = delete;

    // Blocks of BlockBytes from whatever Source points to when each is read.
    void Start(const std::atomic<TAuInput*>& Source, uint32_t BlockBytes, bool Ahead);
    // Waits for a read in progress and frees everything.
    void Release();
    // Copies the next block to Dest (room for BlockBytes) and returns its size,
    // less than BlockBytes only at the end and 0 past it. Throws what the input
    // threw, and EAuException "Input is not assigned" without input.
    uint32_t Next(uint8_t* Dest);
    // Waits for a read in progress and drops what it read, so that the next
    // block comes from the input as it is then (after the input was switched).
    void Discard();

private:
    uint32_t Read(uint8_t* Dest) const;
    void ReadAhead();

    const std::atomic<TAuInput*>* FSource = nullptr;
    uint32_t FBlockBytes = 0;
    // The block read ahead, its size or failure; valid while FReady.
    std::vector<uint8_t> FBlock;
    uint32_t FCount = 0;
    std::exception_ptr FError;
    bool FReady = false;
    std::unique_ptr<TJobThread> FReader;
};

} // namespace au

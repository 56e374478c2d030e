// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuInput.h"
#include "audio/core/AuOutput.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace autest {

// A sink that keeps what it pulls in memory and records which thread ran its
// Prepare and Finish.
class TMemorySink final : public au::TAuOutput {
public:
    ~TMemorySink() override { Destroying(); }

    std::vector<uint8_t> Data() const
    {
        std::lock_guard<std::mutex> Guard(FLock);
        return FData;
    }

    uint32_t ChunkBytes = 4096;
    std::atomic<int> PrepareCount{0};
    std::atomic<int> FinishCount{0};
    std::atomic<int> ChunkCount{0};
    std::atomic<bool> SawAbort{false};
    std::thread::id WorkerThread;

protected:
    void Prepare() override
    {
        ++PrepareCount;
        WorkerThread = std::this_thread::get_id();
        {
            std::lock_guard<std::mutex> Guard(FLock);
            FData.clear();
        }
        Input()->Init();
    }

    bool ProcessChunk(bool Abort) override
    {
        if (Abort) {
            SawAbort = true;
            return false;
        }
        ++ChunkCount;
        uint8_t* Buffer = nullptr;
        uint32_t Bytes = ChunkBytes;
        Input()->GetData(Buffer, Bytes);
        if (Bytes == 0)
            return false;
        std::lock_guard<std::mutex> Guard(FLock);
        FData.insert(FData.end(), Buffer, Buffer + Bytes);
        return true;
    }

    void Finish() override
    {
        ++FinishCount;
        Input()->Flush();
    }

private:
    mutable std::mutex FLock;
    std::vector<uint8_t> FData;
};

} // namespace autest

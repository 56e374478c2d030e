// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuStream.h"
#include "codecs/wmvcore/WMFInterface.h"

namespace au {

// Lets the Windows Media reader read an input's stream. Reference-counted: it
// lives as long as its last holder, and the stream must outlive it. Read and
// Write answer 0 when they moved at least one byte, all bits set otherwise;
// failures of the stream never leave as exceptions. Called on the thread that
// uses the reader.
class TAudioStream final : public wmf::TRefCounted<wmf::IStream> {
public:
    explicit TAudioStream(TAuStream& Stream) : FStream(Stream) {}

    wmf::HRESULT Read(void* Buffer, uint32_t Count, uint32_t* CountRead) override;
    wmf::HRESULT Write(const void* Buffer, uint32_t Count, uint32_t* CountWritten) override;
    // Stores the new position when asked for it.
    wmf::HRESULT Seek(int64_t Move, uint32_t Origin, uint64_t* NewPosition) override;
    // Moves the stream to NewSize from the beginning; the stream keeps its size.
    wmf::HRESULT SetSize(uint64_t NewSize) override;
    wmf::HRESULT CopyTo(wmf::IStream* Target, uint64_t Count, uint64_t* CountRead, uint64_t* CountWritten) override;
    wmf::HRESULT Commit(uint32_t Flags) override;
    wmf::HRESULT Revert() override;
    wmf::HRESULT LockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    wmf::HRESULT UnlockRegion(uint64_t Offset, uint64_t Count, uint32_t LockType) override;
    // The stream's length as the size, no lock modes.
    wmf::HRESULT Stat(wmf::STATSTG* Stat, uint32_t StatFlag) override;
    wmf::HRESULT Clone(wmf::IStream** Copy) override;

private:
    ~TAudioStream() override = default;
    TAuStream& FStream;
};

} // namespace au

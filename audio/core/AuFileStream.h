// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuStream.h"

#include <cstdint>
#include <string>

namespace au {

// A file stream over a file descriptor.
//
// Mode 0xFFFF creates the file (truncating an existing one) for reading and
// writing and shares nothing. Any other mode opens an existing file: access in
// bits 0-1 (0 read, 1 write, 2 read-write), sharing in bits 4-7 (0 and 1 share
// nothing, 2 lets others read, 3 lets others write, 4 lets others do both).
// Sharing is kept between this program's own streams with advisory flock locks.
// Failures throw EAuException with the system's message text.
class TAuFileStream : public TAuStream {
public:
    static constexpr uint16_t fmCreate = 0xFFFF;
    static constexpr uint16_t fmOpenRead = 0x0000;
    static constexpr uint16_t fmOpenWrite = 0x0001;
    static constexpr uint16_t fmOpenReadWrite = 0x0002;
    static constexpr uint16_t fmShareExclusive = 0x0010;
    static constexpr uint16_t fmShareDenyWrite = 0x0020;
    static constexpr uint16_t fmShareDenyRead = 0x0030;
    static constexpr uint16_t fmShareDenyNone = 0x0040;

    TAuFileStream(const std::string& FileName, uint16_t Mode);
    ~TAuFileStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    void Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override;
    void SetSize(int64_t NewSize);

    int Handle() const { return FHandle; }

private:
    int FHandle = -1;
};

} // namespace au

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace au {

// File-descriptor I/O for the tag readers and writers: nothing here throws, and
// every failure is an answer (-1, a short count or false).

// The current position, -1 when it cannot be read (a pipe, a closed handle).
int64_t TagFilePosition(int Handle);
// Positions relative to the start (Whence SEEK_SET) or end (SEEK_END); the new
// position, -1 on failure.
int64_t TagFileSeek(int Handle, int64_t Offset, int Whence);
// -1 when it cannot be read.
int64_t TagFileSize(int Handle);
// Reads until Count bytes or the end of the file; the count read, -1 on error.
int64_t TagFileRead(int Handle, void* Buffer, size_t Count);
// Reads exactly Count bytes at the current position.
bool TagFileReadExact(int Handle, void* Buffer, size_t Count);
// Writes all of Buffer at the current position.
bool TagFileWriteAll(int Handle, const void* Buffer, size_t Count);

// Puts the file back where it was on construction, whatever happens between.
class TTagFilePositionKeeper {
public:
    explicit TTagFilePositionKeeper(int Handle) : FHandle(Handle), FPosition(TagFilePosition(Handle)) {}
    ~TTagFilePositionKeeper()
    {
        if (FPosition >= 0)
            TagFileSeek(FHandle, FPosition, SEEK_SET);
    }
    TTagFilePositionKeeper(const TTagFilePositionKeeper&) = delete;
    TTagFilePositionKeeper& operator=(const TTagFilePositionKeeper&) = delete;

    // False when the position could not be read; nothing is restored then.
    bool Valid() const { return FPosition >= 0; }

private:
    int FHandle;
    int64_t FPosition;
};

} // namespace au

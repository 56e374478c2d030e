// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace autest {

// One fuzz input in a file that lives in memory: the readers that open files by
// name (the codec stand-ins hand names to FFmpeg) reach it through Path, the
// others through Handle. Refilled for every input.
class TMemoryFile {
public:
    explicit TMemoryFile(const char* Name) : FHandle(::memfd_create(Name, 0)) {}
    ~TMemoryFile()
    {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;

    int Handle() const { return FHandle; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(FHandle); }

    // Replaces the content by Data and puts the position at the start.
    bool Fill(const uint8_t* Data, size_t Size)
    {
        return FHandle >= 0 && ::ftruncate(FHandle, 0) == 0 &&
               (Size == 0 || ::pwrite(FHandle, Data, Size, 0) == static_cast<ssize_t>(Size)) &&
               ::lseek(FHandle, 0, SEEK_SET) == 0;
    }

private:
    int FHandle;
};

// Replaces the content of the file Name by Data, for the readers that look for
// their file in a fixed place.
inline bool WriteWholeFile(const std::string& Name, const uint8_t* Data, size_t Size)
{
    const int Handle = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (Handle < 0)
        return false;
    const bool Written = Size == 0 || ::write(Handle, Data, Size) == static_cast<ssize_t>(Size);
    return ::close(Handle) == 0 && Written;
}

} // namespace autest

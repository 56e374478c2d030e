// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace au {

int64_t TagFilePosition(int Handle) { return TagFileSeek(Handle, 0, SEEK_CUR); }

int64_t TagFileSeek(int Handle, int64_t Offset, int Whence)
{
    if (Handle < 0)
        return -1;
    const off_t Result = ::lseek(Handle, static_cast<off_t>(Offset), Whence);
    return Result < 0 ? -1 : static_cast<int64_t>(Result);
}

int64_t TagFileSize(int Handle)
{
    struct stat Info {};
    if (Handle < 0 || ::fstat(Handle, &Info) != 0)
        return -1;
    return static_cast<int64_t>(Info.st_size);
}

int64_t TagFileRead(int Handle, void* Buffer, size_t Count)
{
    auto* Bytes = static_cast<uint8_t*>(Buffer);
    size_t Done = 0;
    while (Done < Count) {
        const ssize_t Got = ::read(Handle, Bytes + Done, Count - Done);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0)
            return -1;
        if (Got == 0)
            break;
        Done += static_cast<size_t>(Got);
    }
    return static_cast<int64_t>(Done);
}

bool TagFileReadExact(int Handle, void* Buffer, size_t Count)
{
    return TagFileRead(Handle, Buffer, Count) == static_cast<int64_t>(Count);
}

bool TagFileWriteAll(int Handle, const void* Buffer, size_t Count)
{
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    size_t Done = 0;
    while (Done < Count) {
        const ssize_t Put = ::write(Handle, Bytes + Done, Count - Done);
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put <= 0)
            return false;
        Done += static_cast<size_t>(Put);
    }
    return true;
}

} // namespace au

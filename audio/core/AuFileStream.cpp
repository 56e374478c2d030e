// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuFileStream.h"

#include "AuException.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace au {
namespace {

[[noreturn]] void RaiseSystemError(int Error)
{
    throw EAuException(std::strerror(Error));
}

// The flock lock that stands for a sharing mode: readers that keep writers out
// share, anything that keeps readers out (or writes while keeping writers out) is
// exclusive, and a stream that lets everyone in takes none.
int LockFor(uint16_t Mode)
{
    if (Mode == TAuFileStream::fmCreate)
        return LOCK_EX;
    const int Access = Mode & 0x3;
    const int Sharing = (Mode >> 4) & 0xF;
    switch (Sharing) {
    case 4:
        return 0;
    case 2:
        return Access == 0 ? LOCK_SH : LOCK_EX;
    case 3:
        return Access == 0 ? LOCK_EX : LOCK_SH;
    default:
        return LOCK_EX;
    }
}

} // namespace

TAuFileStream::TAuFileStream(const std::string& FileName, uint16_t Mode)
{
    int Flags = O_CLOEXEC;
    if (Mode == fmCreate) {
        // Truncate only once the lock is ours, so a refused create leaves the file alone.
        Flags |= O_RDWR | O_CREAT;
    } else {
        switch (Mode & 0x3) {
        case 0:
            Flags |= O_RDONLY;
            break;
        case 1:
            Flags |= O_WRONLY;
            break;
        default:
            Flags |= O_RDWR;
            break;
        }
    }
    FHandle = ::open(FileName.c_str(), Flags, 0666);
    if (FHandle < 0)
        RaiseSystemError(errno);
    struct stat Info {};
    if (::fstat(FHandle, &Info) == 0 && S_ISDIR(Info.st_mode)) {
        ::close(FHandle);
        FHandle = -1;
        RaiseSystemError(EISDIR);
    }
    const int Lock = LockFor(Mode);
    if (Lock != 0 && ::flock(FHandle, Lock | LOCK_NB) != 0) {
        const int Error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(FHandle);
        FHandle = -1;
        RaiseSystemError(Error);
    }
    if (Mode == fmCreate && ::ftruncate(FHandle, 0) != 0) {
        const int Error = errno;
        ::close(FHandle);
        FHandle = -1;
        RaiseSystemError(Error);
    }
}

TAuFileStream::~TAuFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TAuFileStream::Read(void* Buffer, int64_t Count)
{
    for (;;) {
        const ssize_t Got = ::read(FHandle, Buffer, static_cast<size_t>(Count));
        if (Got >= 0)
            return Got;
        if (errno != EINTR)
            RaiseSystemError(errno);
    }
}

void TAuFileStream::Write(const void* Buffer, int64_t Count)
{
    const auto* In = static_cast<const uint8_t*>(Buffer);
    while (Count > 0) {
        const ssize_t Put = ::write(FHandle, In, static_cast<size_t>(Count));
        if (Put < 0) {
            if (errno == EINTR)
                continue;
            RaiseSystemError(errno);
        }
        if (Put == 0)
            RaiseSystemError(ENOSPC);
        In += Put;
        Count -= Put;
    }
}

int64_t TAuFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    int Whence = SEEK_SET;
    if (Origin == TSeekOrigin::Current)
        Whence = SEEK_CUR;
    else if (Origin == TSeekOrigin::End)
        Whence = SEEK_END;
    const off_t Result = ::lseek(FHandle, static_cast<off_t>(Offset), Whence);
    if (Result < 0)
        RaiseSystemError(errno);
    return Result;
}

int64_t TAuFileStream::Size()
{
    struct stat Info {};
    if (::fstat(FHandle, &Info) != 0)
        RaiseSystemError(errno);
    return Info.st_size;
}

void TAuFileStream::SetSize(int64_t NewSize)
{
    if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
        RaiseSystemError(errno);
}

} // namespace au

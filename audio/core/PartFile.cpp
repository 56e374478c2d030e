// SPDX-License-Identifier: GPL-3.0-or-later
#include "PartFile.h"

#include "AuException.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace au {
namespace {

std::atomic<unsigned long> NextTag{0};

// The longest start of Name that fits in Room bytes without splitting a UTF-8
// sequence, so that a long final name still gives a legal temporary name.
std::string FittedName(const std::string& Name, size_t Room)
{
    if (Name.size() <= Room)
        return Name;
    size_t Length = Room;
    while (Length > 0 && (static_cast<unsigned char>(Name[Length]) & 0xC0) == 0x80)
        --Length;
    return Name.substr(0, Length);
}

} // namespace

TPartFile::TPartFile(const std::string& FinalName) : FFinalName(FinalName)
{
    const size_t Slash = FinalName.rfind('/');
    const std::string Folder = Slash == std::string::npos ? std::string() : FinalName.substr(0, Slash + 1);
    const std::string Name = Slash == std::string::npos ? FinalName : FinalName.substr(Slash + 1);
    const std::string Tag = "." + std::to_string(::getpid()) + "-" + std::to_string(NextTag++) + ".part";
    FTemporaryName = Folder + "." + FittedName(Name, NAME_MAX - 1 - Tag.size()) + Tag;
}

TPartFile::~TPartFile()
{
    if (!FPublished)
        ::unlink(FTemporaryName.c_str());
}

std::string NumberedName(const std::string& FinalName, int Number)
{
    if (Number <= 1)
        return FinalName;
    const size_t Slash = FinalName.rfind('/');
    const size_t NameStart = Slash == std::string::npos ? 0 : Slash + 1;
    size_t Dot = FinalName.rfind('.');
    if (Dot == std::string::npos || Dot <= NameStart)
        Dot = FinalName.size();
    return FinalName.substr(0, Dot) + " (" + std::to_string(Number) + ")" + FinalName.substr(Dot);
}

std::string TPartFile::Publish(TPublishMode Mode)
{
    for (int Number = 1;; ++Number) {
        const std::string Name = Mode == pmNumbered ? NumberedName(FFinalName, Number) : FFinalName;
        const int Error = Mode == pmReplace ? RenameReplacing(Name) : RenameKeeping(Name);
        if (Error == 0) {
            FPublished = true;
            return Name;
        }
        if (Error == EEXIST && Mode == pmNumbered && Number < MaxNumber)
            continue;
        ::unlink(FTemporaryName.c_str());
        throw EAuException(Error == EEXIST ? Name + ": " + MsgNameTaken : std::string(std::strerror(Error)));
    }
}

int TPartFile::RenameReplacing(const std::string& Name) const
{
    return std::rename(FTemporaryName.c_str(), Name.c_str()) == 0 ? 0 : errno;
}

// 0, EEXIST when Name is taken, or another errno.
int TPartFile::RenameKeeping(const std::string& Name) const
{
    if (::renameat2(AT_FDCWD, FTemporaryName.c_str(), AT_FDCWD, Name.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without the one-step rename: a hard link fails on a taken
    // name just the same.
    if (::link(FTemporaryName.c_str(), Name.c_str()) == 0) {
        ::unlink(FTemporaryName.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    // Neither: test, then rename, and accept the small window between them.
    if (::access(Name.c_str(), F_OK) == 0)
        return EEXIST;
    return RenameReplacing(Name);
}

} // namespace au

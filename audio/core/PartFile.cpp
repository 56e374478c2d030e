// SPDX-License-Identifier: GPL-3.0-or-later
#include "PartFile.h"

#include "AuException.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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

void TPartFile::Publish()
{
    if (std::rename(FTemporaryName.c_str(), FFinalName.c_str()) != 0) {
        const int Error = errno;
        ::unlink(FTemporaryName.c_str());
        throw EAuException(std::strerror(Error));
    }
    FPublished = true;
}

} // namespace au

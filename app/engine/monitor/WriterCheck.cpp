// SPDX-License-Identifier: GPL-3.0-or-later
#include "WriterCheck.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

struct TDirCloser {
    void operator()(DIR* Dir) const { closedir(Dir); }
};
using TDirPtr = std::unique_ptr<DIR, TDirCloser>;

bool IsNumber(const char* Name)
{
    if (!*Name)
        return false;
    for (; *Name; ++Name)
        if (*Name < '0' || *Name > '9')
            return false;
    return true;
}

// The access mode a descriptor was opened with, from its "flags:" line (octal).
std::optional<int> DescriptorAccessMode(const std::string& FdInfoPath)
{
    FILE* Info = fopen(FdInfoPath.c_str(), "re");
    if (!Info)
        return std::nullopt;
    std::optional<int> Mode;
    char Line[256];
    while (fgets(Line, sizeof Line, Info)) {
        unsigned Flags = 0;
        if (sscanf(Line, "flags: %o", &Flags) == 1) {
            Mode = static_cast<int>(Flags) & O_ACCMODE;
            break;
        }
    }
    fclose(Info);
    return Mode;
}

} // namespace

std::optional<bool> HasWriterByLease(const QString& FileName)
{
    const int Fd = open(QFile::encodeName(FileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Fd < 0)
        return std::nullopt;
    // A writer that opens the file in the moment we hold the lease makes the
    // kernel signal us; SIGIO would end the program, SIGURG is ignored unless
    // someone asks for it.
    std::optional<bool> Result;
    if (fcntl(Fd, F_SETSIG, SIGURG) == 0) {
        if (fcntl(Fd, F_SETLEASE, F_RDLCK) == 0) {
            fcntl(Fd, F_SETLEASE, F_UNLCK);
            Result = false;
        } else if (errno == EAGAIN) {
            Result = true;
        }
    }
    close(Fd);
    return Result;
}

bool HasWriterInProc(const QString& FileName)
{
    struct stat Target;
    if (stat(QFile::encodeName(FileName).constData(), &Target) != 0)
        return false;
    TDirPtr Proc(opendir("/proc"));
    if (!Proc)
        return false;
    while (const dirent* Process = readdir(Proc.get())) {
        if (!IsNumber(Process->d_name))
            continue;
        const std::string Base = std::string("/proc/") + Process->d_name;
        TDirPtr Fds(opendir((Base + "/fd").c_str()));
        if (!Fds)
            continue; // gone, or not ours to look at
        while (const dirent* Fd = readdir(Fds.get())) {
            if (!IsNumber(Fd->d_name))
                continue;
            struct stat Open;
            if (stat((Base + "/fd/" + Fd->d_name).c_str(), &Open) != 0
                || Open.st_dev != Target.st_dev || Open.st_ino != Target.st_ino)
                continue;
            const std::optional<int> Mode = DescriptorAccessMode(Base + "/fdinfo/" + Fd->d_name);
            if (Mode && *Mode != O_RDONLY)
                return true;
        }
    }
    return false;
}

bool HasWriter(const QString& FileName)
{
    if (const std::optional<bool> ByLease = HasWriterByLease(FileName))
        return *ByLease;
    return HasWriterInProc(FileName);
}

} // namespace app

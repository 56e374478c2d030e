// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderWatch.h"

#include "app/engine/system/PathUtils.h"
#include "audio/core/AuException.h"

#include <QFile>
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace app {

namespace {

constexpr uint32_t FileEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO;
// Moved-away folders must lose their watches, or their files would be
// reported under names that no longer exist.
constexpr uint32_t WatchMask = FileEvents | IN_MOVED_FROM | IN_ONLYDIR | IN_EXCL_UNLINK;

struct TDirCloser {
    void operator()(DIR* Dir) const { closedir(Dir); }
};

timespec Now()
{
    timespec Time;
    clock_gettime(CLOCK_REALTIME, &Time);
    return Time;
}

bool NotBefore(const timespec& Time, const timespec& Since)
{
    return Time.tv_sec != Since.tv_sec ? Time.tv_sec > Since.tv_sec : Time.tv_nsec >= Since.tv_nsec;
}

bool IsDots(const char* Name)
{
    return Name[0] == '.' && (Name[1] == 0 || (Name[1] == '.' && Name[2] == 0));
}

} // namespace

TFolderWatch::TFolderWatch(const QString& Directory, bool Subtree)
    : FRoot(QFile::encodeName(AddTrailingBackslash(Directory))), FSubtree(Subtree)
{
    FHandle = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FHandle < 0)
        throw au::EAuException(strerror(errno));
    FLastEmpty = Now();
    try {
        AddTree(QByteArray(), TScan::None, nullptr, true);
    } catch (...) {
        close(FHandle);
        throw;
    }
}

TFolderWatch::~TFolderWatch()
{
    close(FHandle);
}

void TFolderWatch::AddTree(const QByteArray& Relative, TScan Scan, const TChanged* Changed, bool Throw)
{
    const QByteArray Path = FRoot + Relative;
    const int Wd = inotify_add_watch(FHandle, Path.constData(), WatchMask);
    if (Wd < 0) {
        const int Error = errno;
        // A folder may vanish between its notification and our look at it.
        if (Error == ENOENT || Error == ENOTDIR)
            return;
        // Only the folder itself must be watched; a sub-folder we may not read
        // should not keep the rest from being watched.
        if (Throw && Relative.isEmpty())
            throw au::EAuException(strerror(Error));
        qWarning("Cannot watch %s: %s", Path.constData(), strerror(Error));
        return;
    }
    const bool Known = FFolders.count(Wd) != 0;
    FFolders[Wd] = Relative;
    FSeen.insert(Wd);
    if (Changed)
        ReportFiles(Relative, Scan == TScan::ChangedSince && !Known ? TScan::AllFiles : Scan, *Changed);
    if (!FSubtree)
        return;
    std::unique_ptr<DIR, TDirCloser> Dir(opendir(Path.constData()));
    if (!Dir)
        return;
    std::vector<QByteArray> Children;
    while (const dirent* Entry = readdir(Dir.get())) {
        if (IsDots(Entry->d_name))
            continue;
        bool IsDir = Entry->d_type == DT_DIR;
        if (Entry->d_type == DT_UNKNOWN) {
            struct stat Info;
            IsDir = lstat((Path + Entry->d_name).constData(), &Info) == 0 && S_ISDIR(Info.st_mode);
        }
        if (IsDir)
            Children.push_back(Relative + Entry->d_name + '/');
    }
    Dir.reset();
    for (const QByteArray& Child : Children)
        AddTree(Child, Scan, Changed, Throw);
}

void TFolderWatch::ReportFiles(const QByteArray& Relative, TScan Scan, const TChanged& Changed)
{
    if (Scan == TScan::None)
        return;
    const QByteArray Path = FRoot + Relative;
    std::unique_ptr<DIR, TDirCloser> Dir(opendir(Path.constData()));
    if (!Dir)
        return;
    std::vector<QByteArray> Names;
    while (const dirent* Entry = readdir(Dir.get())) {
        if (IsDots(Entry->d_name) || Entry->d_type == DT_DIR)
            continue;
        struct stat Info;
        if (stat((Path + Entry->d_name).constData(), &Info) != 0 || S_ISDIR(Info.st_mode))
            continue;
        if (Scan == TScan::ChangedSince && !NotBefore(Info.st_ctim, FRescanSince))
            continue;
        Names.push_back(Relative + Entry->d_name);
    }
    Dir.reset();
    for (const QByteArray& Name : Names)
        Changed(QFile::decodeName(Name), true);
}

void TFolderWatch::RemoveTree(const QByteArray& Relative)
{
    for (auto It = FFolders.begin(); It != FFolders.end();) {
        if (It->second.startsWith(Relative)) {
            inotify_rm_watch(FHandle, It->first);
            It = FFolders.erase(It);
        } else {
            ++It;
        }
    }
}

void TFolderWatch::Rescan(const TChanged& Changed)
{
    FRescanSince = FLastEmpty;
    FRescanSince.tv_sec -= ClockSlackSeconds;
    FSeen.clear();
    AddTree(QByteArray(), TScan::ChangedSince, &Changed, false);
    for (auto It = FFolders.begin(); It != FFolders.end();) {
        if (FSeen.count(It->first) == 0) {
            inotify_rm_watch(FHandle, It->first);
            It = FFolders.erase(It);
        } else {
            ++It;
        }
    }
}

void TFolderWatch::HandleEvent(int Wd, uint32_t Mask, const QByteArray& Name, const TChanged& Changed)
{
    if (Mask & IN_Q_OVERFLOW) {
        Rescan(Changed);
        return;
    }
    const auto Folder = FFolders.find(Wd);
    if (Folder == FFolders.end())
        return;
    if (Mask & IN_IGNORED) {
        FFolders.erase(Folder);
        return;
    }
    if (Name.isEmpty())
        return;
    const QByteArray Relative = Folder->second + Name;
    if (!(Mask & IN_ISDIR)) {
        if (Mask & FileEvents)
            Changed(QFile::decodeName(Relative), false);
        return;
    }
    if (!FSubtree)
        return;
    if (Mask & IN_MOVED_FROM)
        RemoveTree(Relative + '/');
    else if (Mask & (IN_CREATE | IN_MOVED_TO))
        // Files may have been written into a new folder before its watch
        // existed, and a folder moved in brings its files along.
        AddTree(Relative + '/', TScan::AllFiles, &Changed, false);
}

void TFolderWatch::ReadChanges(const TChanged& Changed)
{
    alignas(inotify_event) char Buffer[64 * 1024];
    const ssize_t Got = read(FHandle, Buffer, sizeof Buffer);
    if (Got <= 0)
        return;
    const size_t Size = static_cast<size_t>(Got);
    size_t At = 0;
    while (At + sizeof(inotify_event) <= Size) {
        inotify_event Event;
        memcpy(&Event, Buffer + At, sizeof Event);
        const size_t NameAt = At + sizeof(inotify_event);
        if (Event.len > Size - NameAt)
            break;
        const QByteArray Name(Buffer + NameAt, static_cast<qsizetype>(strnlen(Buffer + NameAt, Event.len)));
        HandleEvent(Event.wd, Event.mask, Name, Changed);
        At = NameAt + Event.len;
    }
    // Taken before the look, so that whatever the kernel queues afterwards is
    // stamped no earlier than this.
    const timespec Seen = Now();
    int Queued = 0;
    if (ioctl(FHandle, FIONREAD, &Queued) == 0 && Queued == 0)
        FLastEmpty = Seen;
}

} // namespace app

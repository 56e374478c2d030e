// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaitThread.h"

#include "app/engine/system/PathUtils.h"
#include "ReadyQueue.h"
#include "WriterCheck.h"
#include "audio/core/AuException.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

// The extension from the name's last dot, dot included, must occur in
// Extensions; a name without a dot passes only an empty filter.
bool PassesFilter(const QString& FileName, const QString& Extensions)
{
    if (Extensions.isEmpty())
        return true;
    const QString Name = FileName.mid(FileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype Dot = Name.lastIndexOf(QLatin1Char('.'));
    return Dot >= 0 && Extensions.contains(Name.mid(Dot).toLower());
}

// Empty when the file is gone.
std::optional<struct stat> Status(const QString& FileName)
{
    struct stat Info;
    if (stat(QFile::encodeName(FileName).constData(), &Info) != 0)
        return std::nullopt;
    return Info;
}

// 0 for anything but a regular file.
int64_t FileSize(const struct stat& Info)
{
    return S_ISREG(Info.st_mode) ? static_cast<int64_t>(Info.st_size) : 0;
}

bool operator==(const timespec& A, const timespec& B)
{
    return A.tv_sec == B.tv_sec && A.tv_nsec == B.tv_nsec;
}

} // namespace

TWaitThread::TWaitThread(DirectoryMonitor* Monitor, std::unique_ptr<TFolderWatch> Watch, const QString& Directory,
                         TTickSource& CheckTicks)
    : FMonitor(Monitor), FWatch(std::move(Watch)), FDirectory(AddTrailingBackslash(Directory)), FCheckTicks(CheckTicks)
{
    FCheckTicks.Start([this] { CheckFiles(); });
}

TWaitThread::~TWaitThread()
{
    if (FThread.joinable()) {
        const uint64_t One = 1;
        while (write(FWake, &One, sizeof One) < 0 && errno == EINTR) {
        }
        FThread.join();
    }
    if (FWake >= 0)
        close(FWake);
    FCheckTicks.Stop();
}

void TWaitThread::Start()
{
    FWake = eventfd(0, EFD_CLOEXEC);
    if (FWake < 0)
        throw au::EAuException(strerror(errno));
    FThread = std::thread([this] { Execute(); });
}

int TWaitThread::PendingCount()
{
    std::lock_guard Lock(TReadyQueue::Instance().PendingLock);
    return static_cast<int>(FPending.size());
}

void TWaitThread::Execute()
{
    const auto Changed = [this](const QString& RelativeName, bool Scanned) { FileChanged(RelativeName, Scanned); };
    pollfd Waits[2] = {{FWake, POLLIN, 0}, {FWatch->Handle(), POLLIN, 0}};
    for (;;) {
        if (poll(Waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (Waits[0].revents)
            return;
        if (Waits[1].revents & POLLIN)
            FWatch->ReadChanges(Changed);
        else if (Waits[1].revents)
            return; // the notification descriptor broke; nothing more will come
    }
}

void TWaitThread::FileChanged(const QString& RelativeName, bool Scanned)
{
    const QString FileName = FDirectory + RelativeName;
    if (!PassesFilter(FileName, FExtensions))
        return;
    const QString Key = LowerTrim(FileName);
    const std::optional<struct stat> Info = Status(FileName);
    std::lock_guard Lock(TReadyQueue::Instance().PendingLock);
    if (FPendingKeys.contains(Key))
        return;
    if (Scanned && Info) {
        const auto Reported = FReported.constFind(Key);
        if (Reported != FReported.constEnd() && *Reported == Info->st_ctim)
            return;
    }
    FPending.push_back({FileName, Info ? FileSize(*Info) : 0, 0});
    FPendingKeys.insert(Key, std::prev(FPending.end()));
}

void TWaitThread::Remember(const QString& Key, const timespec& Changed)
{
    FReported.insert(Key, Changed);
    if (FReported.size() < FPruneAt)
        return;
    timespec Now;
    clock_gettime(CLOCK_REALTIME, &Now);
    for (auto It = FReported.begin(); It != FReported.end();)
        It = Now.tv_sec - It->tv_sec > ReportMemorySeconds ? FReported.erase(It) : std::next(It);
    FPruneAt = 2 * FReported.size() + 64;
}

void TWaitThread::CheckFiles()
{
    TReadyQueue& Queue = TReadyQueue::Instance();
    std::lock_guard Lock(Queue.PendingLock);
    // Oldest first, so that files found complete at one check are delivered
    // in the order they arrived.
    for (auto It = FPending.begin(); It != FPending.end();) {
        TfileWaiter& Waiter = *It;
        const std::optional<struct stat> Info = Status(Waiter.FileName);
        const int64_t Size = Info ? FileSize(*Info) : 0;
        bool Done = !Info;
        if (Size != 0 && Size == Waiter.LastSize && !HasWriter(Waiter.FileName)) {
            if (++Waiter.StableCount < FRequiredChecks) {
                ++It;
                continue;
            }
            Queue.Append(Waiter.FileName, FMonitor);
            Remember(LowerTrim(Waiter.FileName), Info->st_ctim);
            Done = true;
        }
        if (Done) {
            FPendingKeys.remove(LowerTrim(Waiter.FileName));
            It = FPending.erase(It);
            continue;
        }
        Waiter.LastSize = Size;
        Waiter.StableCount = 0;
        ++It;
    }
}

} // namespace app

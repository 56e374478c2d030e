// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirectoryMonitor.h"

#include "FolderWatch.h"
#include "app/engine/system/PathUtils.h"
#include "ReadyQueue.h"
#include "WaitThread.h"
#include "audio/core/AuException.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

DirectoryMonitor::DirectoryMonitor(std::unique_ptr<TTickSource> CheckTicks)
    : FCheckTicks(CheckTicks ? std::move(CheckTicks) : std::make_unique<TTimerTicks>(TWaitThread::CheckInterval))
{
}

DirectoryMonitor::~DirectoryMonitor()
{
    Stop();
    TReadyQueue::Instance().Forget(this);
}

void DirectoryMonitor::Start()
{
    Stop();
    FDirectory = Trim(FDirectory);
    // Non-blocking, so that a named pipe given as the folder cannot hang us.
    const int Fd = open(QFile::encodeName(FDirectory).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Fd < 0)
        throw au::EAuException(strerror(errno));
    struct stat Info;
    const bool IsDirectory = fstat(Fd, &Info) == 0 && S_ISDIR(Info.st_mode);
    close(Fd);
    if (!IsDirectory)
        throw au::EAuException(NotADirectoryText);

    auto Thread = std::make_unique<TWaitThread>(this, std::make_unique<TFolderWatch>(FDirectory, FWatchSubtree),
                                                FDirectory, *FCheckTicks);
    Thread->SetRequiredChecks(FRequiredChecks);
    Thread->SetExtensions(FExtensions);
    Thread->Start();
    FWaitThread = std::move(Thread);
    TReadyQueue::Instance().EnableDispatch();
}

void DirectoryMonitor::Stop()
{
    if (!FWaitThread)
        return;
    FWaitThread.reset();
    TReadyQueue::Instance().DisableDispatch();
}

int DirectoryMonitor::PendingCount() const
{
    return FWaitThread ? FWaitThread->PendingCount() : 0;
}

} // namespace app

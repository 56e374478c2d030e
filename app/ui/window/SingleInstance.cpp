// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

TSingleInstance::TSingleInstance(const QString& Name)
{
    const QByteArray Path = QFile::encodeName(LockFilePath(Name));
    FDescriptor = ::open(Path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FDescriptor < 0)
        return;
    int Result = 0;
    do
        Result = ::flock(FDescriptor, LOCK_EX | LOCK_NB);
    while (Result != 0 && errno == EINTR);
    FAlreadyRunning = Result != 0 && errno == EWOULDBLOCK;
}

TSingleInstance::~TSingleInstance()
{
    // Closing drops the lock; the file stays for the next start to lock again,
    // since removing it could race with a copy that has just opened it.
    if (FDescriptor >= 0)
        ::close(FDescriptor);
}

QString TSingleInstance::LockFilePath(const QString& Name)
{
    QString Folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
        Folder = QDir::tempPath();
    return QDir(Folder).filePath(Name + QStringLiteral(".lock"));
}

} // namespace app

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace app {

// Keeps a second copy of the program from starting: an exclusive lock on a file
// named Name + ".lock" in $XDG_RUNTIME_DIR (the temporary folder when that is not
// set). The system drops the lock when the holder ends, however it ends, so a
// crashed copy never blocks the next start. Programs the window starts (a text
// viewer) do not inherit it. Beside the lock, the holder listens on a local
// socket (Name + ".socket", for this user only) where a second copy hands over
// the files it was started with. User-interface thread.
class TSingleInstance : public QObject {
    Q_OBJECT

public:
    explicit TSingleInstance(const QString& Name);
    ~TSingleInstance() override;
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Another process holds the lock. False as well when the lock file cannot be
    // made at all: a program that runs twice beats one that never starts.
    bool AlreadyRunning() const { return FAlreadyRunning; }

    // The holder: starts listening for second copies. False when the socket
    // cannot be made; the program then runs without hand-over.
    bool Listen();
    // A second copy: sends Paths (absolute; none asks only for the window) to
    // the holder and waits, a few seconds at most, until they are delivered.
    // False when no holder answers.
    bool HandOver(const QStringList& Paths) const;

    static QString LockFilePath(const QString& Name);
    static QString SocketPath(const QString& Name);

signals:
    // A second copy started with Paths (perhaps none): the window should take
    // them and come to the front.
    void Requested(const QStringList& Paths);

private:
    void Accept();
    void Receive(QLocalSocket* Socket);

    QString FName;
    int FDescriptor = -1;
    bool FAlreadyRunning = false;
    QLocalServer* FServer = nullptr;
};

} // namespace app

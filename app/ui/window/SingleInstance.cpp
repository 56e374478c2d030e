// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {
namespace {

// A hand-over is a list of paths, one per line in UTF-8; anything longer than
// this is not from a second copy of ours and is dropped unread.
constexpr qint64 MaxMessageBytes = 4 * 1024 * 1024;
// A holder busy with a modal dialog still reads its socket in the dialog's
// event loop; one that does not answer in this time is not there.
constexpr int HandOverMilliseconds = 5000;

QString RuntimeFile(const QString& Name, const char* Suffix)
{
    QString Folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
        Folder = QDir::tempPath();
    return QDir(Folder).filePath(Name + QLatin1String(Suffix));
}

} // namespace

TSingleInstance::TSingleInstance(const QString& Name) : FName(Name)
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
    // The socket goes before the lock, so that a copy that takes the lock next
    // never finds a server of ours still there.
    delete FServer;
    // Closing drops the lock; the file stays for the next start to lock again,
    // since removing it could race with a copy that has just opened it.
    if (FDescriptor >= 0)
        ::close(FDescriptor);
}

bool TSingleInstance::Listen()
{
    if (FServer != nullptr || FAlreadyRunning || FDescriptor < 0)
        return FServer != nullptr;
    const QString Path = SocketPath(FName);
    // Only the lock's holder gets here: a socket file left there is a crashed
    // holder's, and nobody listens on it.
    QLocalServer::removeServer(Path);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(Path)) {
        delete FServer;
        FServer = nullptr;
        return false;
    }
    connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
    return true;
}

void TSingleInstance::Accept()
{
    while (QLocalSocket* Socket = FServer->nextPendingConnection()) {
        connect(Socket, &QLocalSocket::disconnected, this, [this, Socket] { Receive(Socket); });
        connect(Socket, &QLocalSocket::readyRead, this, [this, Socket] {
            if (Socket->bytesAvailable() <= MaxMessageBytes)
                return;
            Socket->disconnect(this);
            Socket->abort();
            Socket->deleteLater();
        });
        if (Socket->state() != QLocalSocket::ConnectedState)
            Receive(Socket);
    }
}

// The sender closes its end once everything is written: the message is whole
// only then.
void TSingleInstance::Receive(QLocalSocket* Socket)
{
    Socket->disconnect(this);
    Socket->deleteLater();
    const QByteArray Message = Socket->read(MaxMessageBytes + 1);
    if (Message.size() > MaxMessageBytes || (!Message.isEmpty() && !Message.endsWith('\n')))
        return; // not a whole message of ours
    QStringList Paths;
    for (const QByteArray& Line : Message.split('\n'))
        if (!Line.isEmpty() && QDir::isAbsolutePath(QString::fromUtf8(Line)))
            Paths << QString::fromUtf8(Line);
    emit Requested(Paths);
}

bool TSingleInstance::HandOver(const QStringList& Paths) const
{
    QByteArray Message;
    for (const QString& Path : Paths)
        if (!Path.contains(QLatin1Char('\n')))
            Message += Path.toUtf8() + '\n';
    QLocalSocket Socket;
    Socket.connectToServer(SocketPath(FName));
    if (!Socket.waitForConnected(HandOverMilliseconds))
        return false;
    Socket.write(Message);
    while (Socket.bytesToWrite() > 0)
        if (!Socket.waitForBytesWritten(HandOverMilliseconds))
            return false;
    Socket.disconnectFromServer();
    return Socket.state() == QLocalSocket::UnconnectedState || Socket.waitForDisconnected(HandOverMilliseconds);
}

QString TSingleInstance::LockFilePath(const QString& Name)
{
    return RuntimeFile(Name, ".lock");
}

QString TSingleInstance::SocketPath(const QString& Name)
{
    return RuntimeFile(Name, ".socket");
}

} // namespace app

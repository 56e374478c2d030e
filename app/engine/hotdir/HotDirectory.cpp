// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotDirectory.h"

#include "app/engine/batch/RunClaim.h"
#include "AfterConversion.h"
#include "app/engine/settings/CdSettings.h"
#include "audio/core/AuException.h"
#include "app/engine/system/PathUtils.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

void TStringValues::Add(const QString& Name, const QString& Value)
{
    FItems << Name << Value;
}

QString TStringValues::Names(int Index) const
{
    return Index >= 0 && Index < Count() ? FItems[2 * Index] : QString();
}

QString TStringValues::Values(int Index) const
{
    return Index >= 0 && Index < Count() ? FItems[2 * Index + 1] : QString();
}

void TStringValues::SetValue(int Index, const QString& Value)
{
    if (Index >= 0 && Index < Count())
        FItems[2 * Index + 1] = Value;
}

QString AppendLogLine(const QString& Text, const QString& LogFile, TLogFileState* Known)
{
    const auto Lines = [](QString Part) {
        Part.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return Part.split(QLatin1Char('\n')).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    };
    const QByteArray Added = Lines(Text).toUtf8();
    bool Appending = Known != nullptr && Known->Path == LogFile && Known->Size >= 0 &&
                     QFileInfo(LogFile).size() == Known->Size;
    QByteArray Bytes = Added;
    if (!Appending) {
        QFile File(LogFile);
        QByteArray Old;
        if (File.open(QIODevice::ReadOnly)) {
            Old = File.readAll();
            File.close();
        }
        QString OldText = QString::fromUtf8(Old);
        OldText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (OldText.endsWith(QLatin1Char('\n')))
            OldText.chop(1);
        const QByteArray Whole = OldText.isEmpty() ? QByteArray() : Lines(OldText).toUtf8();
        Appending = Old == Whole;
        if (!Appending)
            Bytes = Whole + Added;
    }
    if (Known != nullptr)
        *Known = TLogFileState();
    // Written directly: the system's own reason (a full disk) is what the user needs.
    const int Descriptor = ::open(QFile::encodeName(LogFile).constData(),
                                  O_WRONLY | O_CREAT | O_CLOEXEC | (Appending ? O_APPEND : O_TRUNC), 0644);
    if (Descriptor < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    qsizetype Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t Part = ::write(Descriptor, Bytes.constData() + Done, static_cast<size_t>(Bytes.size() - Done));
        if (Part < 0 && errno == EINTR)
            continue;
        if (Part <= 0) {
            const int Error = Part < 0 ? errno : ENOSPC;
            ::close(Descriptor);
            return QString::fromLocal8Bit(std::strerror(Error));
        }
        Done += Part;
    }
    struct stat Written {};
    const bool Sized = ::fstat(Descriptor, &Written) == 0;
    if (::close(Descriptor) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (Known != nullptr && Sized)
        *Known = {LogFile, static_cast<qint64>(Written.st_size)};
    return QString();
}

QString DayLogFile(const QString& LogDir)
{
    return AddTrailingBackslash(LogDir) + QDate::currentDate().toString(QStringLiteral("yy-MM-dd")) +
           QStringLiteral(".log");
}

QString RelativeToFolder(const QString& Folder, const QString& Path)
{
    // Cut at the trimmed folder's length: the folder as typed may carry blanks.
    const QString Prefix = AddTrailingBackslash(Trim(Folder));
    if (!Prefix.isEmpty() && Path.toLower().startsWith(Prefix.toLower()))
        return Path.mid(Prefix.size());
    return QFileInfo(Path).fileName();
}

THotDirectory::THotDirectory(TcdSettings& Settings, TRunClaim& Claim, QObject* Parent)
    : QObject(Parent), FSettings(Settings), FClaim(Claim)
{
    connect(&FRunner, &TBatchRunner::ItemStarted, this, [this](int Index) { FileStarted(FRunItems[Index]); });
    connect(&FRunner, &TBatchRunner::ItemFinished, this, [this](int Index, TConversionResult Result) {
        FileEnded(FRunItems[Index], Result, FRunner.Message(Index), FRunner.Output(Index));
    });
    connect(&FRunner, &TBatchRunner::Finished, this, [this] {
        // Files queued while a stopped run wound down wait for no other.
        Submit();
        ReleaseClaimWhenIdle();
        if (!Busy())
            emit Idle();
    });
    FMonitor.SetOnFileReady([this](const QString& Path, void*) { QueueReadyFile(Path); });
}

THotDirectory::~THotDirectory()
{
    FMonitor.Stop();
    FClaim.Release(this);
}

int THotDirectory::CheckFolders(const QString& Input, const QString& Output, const QString& Log)
{
    // The folder the monitor will watch, trimmed as it trims it.
    const QString Watched = Trim(Input);
    if (Watched.isEmpty() || !QFileInfo(Watched).isDir())
        return StrNoInput;
    if (Output.isEmpty() || !QFileInfo(Output).isDir())
        return StrNoOutput;
    if (Log.isEmpty() || !QFileInfo(Log).isDir())
        return StrNoLog;
    if (WithinFolder(Output, Watched))
        return StrOutputInsideInput;
    return 0;
}

void THotDirectory::Start(const QString& Input, const QString& Output, const QString& Log, bool SubDirs)
{
    if (!FClaim.Claim(this))
        throw au::EAuException(MsgChainInUse);
    FHalted = false;
    FMonitor.SetDirectory(Input);
    FMonitor.SetWatchSubtree(SubDirs);
    FMonitor.SetExtensions(QStringLiteral(".wma"));
    try {
        FMonitor.Start();
    } catch (...) {
        ReleaseClaimWhenIdle();
        throw;
    }
    FSettings.SetIndir(Input);
    FSettings.SetOutDir(Output);
    FSettings.SetLogDir(Log);
    FSettings.SetSubDir(SubDirs);
    Submit();
}

void THotDirectory::Stop()
{
    FMonitor.Stop();
    ReleaseClaimWhenIdle();
}

void THotDirectory::Halt()
{
    FMonitor.Stop();
    FHalted = true;
    FRunner.RequestStop();
    ReleaseClaimWhenIdle();
}

void THotDirectory::StopNow()
{
    Halt();
    FRunner.StopNow();
}

void THotDirectory::ReleaseClaimWhenIdle()
{
    if (Watching() || Busy())
        return;
    bool Queued = false;
    for (int Index = 0; Index < FQueue.Count() && !Queued; ++Index)
        Queued = FQueue.Values(Index).isEmpty();
    if (FHalted || !Queued)
        FClaim.Release(this);
}

TBatchRunner::TItem THotDirectory::RunItem(const QString& Path) const
{
    const QString Folder = QFileInfo(RelativeToFolder(FSettings.Indir(), Path)).path();
    return {Path, Folder == QLatin1String(".") ? QString() : AddTrailingBackslash(Folder)};
}

void THotDirectory::QueueReadyFile(const QString& Path)
{
    FQueue.Add(Path, QString());
    if (!FRunner.Running()) {
        Submit();
        return;
    }
    // A stopping run starts it no more; its end submits it again.
    FRunItems << FQueue.Count() - 1;
    FRunner.Append({RunItem(Path)});
}

void THotDirectory::Submit()
{
    if (FHalted || FRunner.Running())
        return;
    QList<TBatchRunner::TItem> Items;
    FRunItems.clear();
    for (int Index = 0; Index < FQueue.Count(); ++Index) {
        if (!FQueue.Values(Index).isEmpty())
            continue;
        FRunItems << Index;
        Items << RunItem(FQueue.Names(Index));
    }
    if (Items.isEmpty())
        return;
    FRunner.SetOptions(FSettings, FSettings.OutDir());
    FRunner.Start(Items);
}

QString THotDirectory::TimeText()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

void THotDirectory::Log(const QString& Text)
{
    const QString LogFile = DayLogFile(FSettings.LogDir());
    const QString Error = AppendLogLine(Text, LogFile, &FLogState);
    // Said once while the log cannot be written; the conversions go on.
    if (!Error.isEmpty() && !FLogFailing)
        emit LogUnwritable(LogFile, Error);
    FLogFailing = !Error.isEmpty();
    for (const QString& Line : QString(Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split('\n'))
        emit LogLine(Line);
}

void THotDirectory::FileStarted(int Item)
{
    FGroups.insert(Item, QStringLiteral("Start: [") + TimeText() + QStringLiteral("]\r\nExcute File: ") +
                             FQueue.Names(Item));
}

void THotDirectory::FileEnded(int Item, TConversionResult Result, const QString& Message, const QString& Output)
{
    static const char* const Marks[] = {" [Success]", " [Failed]", " [Skipped]", " [Failed]"};
    FQueue.SetValue(Item, Result == crConverted ? QStringLiteral("1") : QStringLiteral("2"));
    // A failure's reason follows on a line of its own, as in the batch log; what
    // a converted file's tags lost stays on its line.
    const QString Before = Result == crConverted ? QStringLiteral(" ") : QStringLiteral("\r\n");
    QString Group = FGroups.take(Item);
    Group += QStringLiteral("\r\nSave to: ") + Output + QLatin1String(Marks[Result]) +
             (Message.isEmpty() ? QString() : Before + Message);
    const QString After = TAfterConversion::FromSettings(FSettings).Apply(FQueue.Names(Item), Result);
    if (!After.isEmpty())
        Group += QStringLiteral("\r\n") + After;
    Group += QStringLiteral("\r\nFinish: [") + TimeText() + QStringLiteral("]");
    Log(Group);
    emit FileFinished(FQueue.Names(Item), Result);
}

} // namespace app

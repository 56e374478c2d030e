// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotDirectory.h"

#include "app/engine/settings/CdSettings.h"
#include "app/engine/chain/ConversionChain.h"
#include "app/engine/system/PathUtils.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

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

void AppendLogLine(const QString& Text, const QString& LogFile)
{
    QStringList Lines;
    QFile File(LogFile);
    if (File.open(QIODevice::ReadOnly)) {
        QString Old = QString::fromUtf8(File.readAll());
        File.close();
        Old.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (Old.endsWith(QLatin1Char('\n')))
            Old.chop(1);
        if (!Old.isEmpty())
            Lines = Old.split(QLatin1Char('\n'));
    }
    QString Added = Text;
    Added.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Lines << Added.split(QLatin1Char('\n'));
    if (File.open(QIODevice::WriteOnly | QIODevice::Truncate))
        File.write((Lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

QString DayLogFile(const QString& LogDir)
{
    return AddTrailingBackslash(LogDir) + QDate::currentDate().toString(QStringLiteral("yy-MM-dd")) +
           QStringLiteral(".log");
}

QString RelativeToFolder(const QString& Folder, const QString& Path)
{
    const QString Prefix = AddTrailingBackslash(LowerTrim(Folder));
    if (!Prefix.isEmpty() && LowerTrim(Path).startsWith(Prefix))
        return Path.mid(AddTrailingBackslash(Folder).size());
    return QFileInfo(Path).fileName();
}

THotDirectory::THotDirectory(TcdSettings& Settings, TConversionChain& Chain, QObject* Parent)
    : QObject(Parent), FSettings(Settings), FChain(Chain)
{
    SetUpWriter(FWavOut);
    FWavOut.SetOnDone([this](au::TAuComponent*) { Finish(FWavOut.ExceptionMessage().empty()); });
    FTimer.setInterval(TimerInterval);
    connect(&FTimer, &QTimer::timeout, this, &THotDirectory::TimerStep);
    FMonitor.SetOnFileReady([this](const QString& Path, void*) { QueueReadyFile(Path); });
}

THotDirectory::~THotDirectory()
{
    FMonitor.Stop();
    FWavOut.SetOnDone(nullptr);
    FWavOut.Stop(false);
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
    FMonitor.SetDirectory(Input);
    FMonitor.SetWatchSubtree(SubDirs);
    FMonitor.SetExtensions(QStringLiteral(".wma"));
    FMonitor.Start();
    FSettings.SetIndir(Input);
    FSettings.SetOutDir(Output);
    FSettings.SetLogDir(Log);
    FSettings.SetSubDir(SubDirs);
}

void THotDirectory::Stop()
{
    FMonitor.Stop();
}

void THotDirectory::Halt()
{
    FMonitor.Stop();
    FTimer.stop();
    FHalted = true;
}

void THotDirectory::QueueReadyFile(const QString& Path)
{
    FQueue.Add(Path, QString());
    FTimer.start();
}

QString THotDirectory::TimeText()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

void THotDirectory::Log(const QString& Text)
{
    AppendLogLine(Text, DayLogFile(FSettings.LogDir()));
    for (const QString& Line : QString(Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split('\n'))
        emit LogLine(Line);
}

void THotDirectory::TimerStep()
{
    if (FHotBusy || FHalted)
        return;
    for (int Index = 0; Index < FQueue.Count(); ++Index) {
        if (!FQueue.Values(Index).isEmpty())
            continue;
        const QString Path = FQueue.Names(Index);
        const QString Relative = RelativeToFolder(FSettings.Indir(), Path);
        const QString Folder = QFileInfo(Relative).path();
        const QString Middle = Folder == QLatin1String(".") ? QString() : AddTrailingBackslash(Folder);
        FOutput = AddTrailingBackslash(FSettings.OutDir()) + Middle + FileBaseName(Relative) + QStringLiteral(".wav");
        if (FSettings.SubDir())
            QDir().mkpath(QFileInfo(FOutput).path());
        Log(QStringLiteral("Start: [") + TimeText() + QStringLiteral("]\r\nExcute File: ") + Path);
        FHotItem = Index;
        FHotBusy = true;
        try {
            FChain.PrepareChain(Path, FOutput, FDecoders.ForFile(Path), FWavOut, FSettings);
        } catch (const std::exception&) {
            // A file whose chain cannot start ends as failed; the queue goes on.
            Finish(false);
        }
        return;
    }
    if (FQueue.Count() == 0)
        FTimer.stop();
}

void THotDirectory::Finish(bool Succeeded)
{
    FQueue.SetValue(FHotItem, Succeeded ? QStringLiteral("1") : QStringLiteral("2"));
    Log(QStringLiteral("Save to: ") + FOutput + (Succeeded ? QStringLiteral(" [Success]") : QStringLiteral(" [Failed]")));
    Log(QStringLiteral("Finish: [") + TimeText() + QStringLiteral("]"));
    FHotBusy = false;
    emit FileFinished(FQueue.Names(FHotItem), Succeeded);
}

} // namespace app

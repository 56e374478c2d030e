// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/DecoderSet.h"
#include "app/engine/monitor/DirectoryMonitor.h"
#include "audio/wave/WaveOut.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace app {

class TConversionChain;
class TcdSettings;

// An ordered list of (name, value) pairs; out-of-range reads give empty texts
// and out-of-range writes are ignored.
class TStringValues {
public:
    void Add(const QString& Name, const QString& Value);
    int Count() const { return static_cast<int>(FItems.size() / 2); }
    QString Names(int Index) const;
    QString Values(int Index) const;
    void SetValue(int Index, const QString& Value);

private:
    QStringList FItems; // name, value, name, value, ...
};

// Appends Text (a line break in it makes two lines) to LogFile, rewriting the
// whole file with CR LF line ends.
void AppendLogLine(const QString& Text, const QString& LogFile);
// The log file of the day in LogDir: "yy-mm-dd.log".
QString DayLogFile(const QString& LogDir);
// Path relative to Folder when it lies below it (compared without regard to
// case), in Path's own spelling; else the file name of Path.
QString RelativeToFolder(const QString& Folder, const QString& Path);

// The hot directory: the monitor reports each complete file of the input
// folder, the queue keeps it, and a 1000 ms timer converts the queue one file
// at a time through the shared chain with its own writer and decoders, writing
// the day's log. User-interface thread only.
class THotDirectory : public QObject {
    Q_OBJECT

public:
    static constexpr int TimerInterval = 1000;
    // Language strings of the start checks.
    static constexpr int StrNoInput = 22, StrNoOutput = 23, StrNoLog = 24, StrOutputInsideInput = 25;

    THotDirectory(TcdSettings& Settings, TConversionChain& Chain, QObject* Parent = nullptr);
    ~THotDirectory() override;

    // The four start checks, in order: 0 when they pass, else the language
    // string to show (22 to 25). Input is trimmed as the monitor trims it; the
    // output folder may not be the input folder or lie below it (WithinFolder).
    static int CheckFolders(const QString& Input, const QString& Output, const QString& Log);
    // Takes the folders into the settings (in memory; saving is the caller's
    // choice) and starts watching Input for ".wma" files. Throws EAuException
    // with the monitor's text when the folder cannot be watched.
    void Start(const QString& Input, const QString& Output, const QString& Log, bool SubDirs);
    // Ends watching; the file in progress and the files still queued go on
    // converting.
    void Stop();
    // Stops watching and converting for good: the file in progress ends,
    // nothing queued starts.
    void Halt();
    bool Watching() const { return FMonitor.Started(); }
    bool Busy() const { return FHotBusy; }

    // The monitor's report: queues Path and starts the timer.
    void QueueReadyFile(const QString& Path);
    void TimerStep();

    const TStringValues& Queue() const { return FQueue; }
    au::TWaveOut& WavOut() { return FWavOut; }
    DirectoryMonitor& Monitor() { return FMonitor; }

signals:
    // A line written to the day's log.
    void LogLine(const QString& Line);
    void FileFinished(const QString& Path, bool Succeeded);

private:
    void Log(const QString& Text);
    void Finish(bool Succeeded);
    static QString TimeText();

    TcdSettings& FSettings;
    TConversionChain& FChain;
    TDecoderSet FDecoders;
    au::TWaveOut FWavOut;
    DirectoryMonitor FMonitor;
    QTimer FTimer;
    TStringValues FQueue;
    bool FHotBusy = false;
    bool FHalted = false;
    int FHotItem = 0;
    QString FOutput;
};

} // namespace app

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/BatchRunner.h"
#include "app/engine/monitor/DirectoryMonitor.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace app {

class TRunClaim;
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

// The size a log file was left at by AppendLogLine: a file that still has it
// holds nothing but what was written there, and is not read again.
struct TLogFileState {
    QString Path;
    qint64 Size = -1;
};

// Appends Text (a line break in it makes two lines) to LogFile, rewriting the
// whole file with CR LF line ends.
// Returns an empty text, or the system's reason when the file could not be
// written. A file whose lines already end in CR LF is appended to, so a write
// that fails (a full disk) leaves its earlier lines as they were. With Known,
// a file that still has the size Known gives is appended to unread (a day's
// log of thousands of files was read whole for every line), and Known takes
// the size the file is left at.
QString AppendLogLine(const QString& Text, const QString& LogFile, TLogFileState* Known = nullptr);
// The log file of the day in LogDir: "yy-mm-dd.log".
QString DayLogFile(const QString& LogDir);
// Path relative to Folder when it lies below it (compared without regard to
// case), in Path's own spelling; else the file name of Path.
QString RelativeToFolder(const QString& Folder, const QString& Path);

// The hot directory: the monitor reports each complete file of the input
// folder, the queue keeps it, and the batch runner converts it at once, as
// many files at a time as the settings' parallel choice says. Each file's
// lines of the day's log (Start, Excute File, Save to, Finish) are written
// together when it ends, so that files ending in any order never mix their
// lines. It holds the claim it shares with the batch list from its start
// until it neither watches nor converts. User-interface thread only.
class THotDirectory : public QObject {
    Q_OBJECT

public:
    // Language strings of the start checks.
    static constexpr int StrNoInput = 22, StrNoOutput = 23, StrNoLog = 24, StrOutputInsideInput = 25;

    THotDirectory(TcdSettings& Settings, TRunClaim& Claim, QObject* Parent = nullptr);
    ~THotDirectory() override;

    // The four start checks, in order: 0 when they pass, else the language
    // string to show (22 to 25). Input is trimmed as the monitor trims it; the
    // output folder may not be the input folder or lie below it (WithinFolder).
    static int CheckFolders(const QString& Input, const QString& Output, const QString& Log);
    // LogUnwritable's words: the log file and why.
    static constexpr const char* MsgLogUnwritable = "The day log %1 cannot be written: %2";
    static constexpr int StrLogUnwritable = 67;
    // Start throws it in English; the window shows string StrChainInUse.
    static constexpr const char* MsgChainInUse = "The batch list is converting; start watching once it is done.";
    static constexpr int StrChainInUse = 66;

    // Takes the folders into the settings (in memory; saving is the caller's
    // choice) and starts watching Input for ".wma" files. Throws EAuException
    // when the batch list holds the claim, or with the monitor's text when the
    // folder cannot be watched.
    void Start(const QString& Input, const QString& Output, const QString& Log, bool SubDirs);
    // Ends watching; the files in progress and the files still queued go on
    // converting.
    void Stop();
    // Stops watching and starts nothing more; the files in progress finish.
    void Halt();
    // Stops watching and converting now: the files in progress are stopped,
    // leave nothing under their names and end their log groups as failed.
    void StopNow();
    bool Watching() const { return FMonitor.Started(); }
    bool Busy() const { return FRunner.Running(); }

    // The monitor's report: queues Path and converts it as soon as a slot is free.
    void QueueReadyFile(const QString& Path);

    const TStringValues& Queue() const { return FQueue; }
    DirectoryMonitor& Monitor() { return FMonitor; }

signals:
    // A line written to the day's log.
    void LogLine(const QString& Line);
    // The day's log LogFile cannot be written, for the reason Error; said once
    // until a write succeeds again, before the lines that were not written.
    void LogUnwritable(const QString& LogFile, const QString& Error);
    void FileFinished(const QString& Path, app::TConversionResult Result);
    // Nothing converts any more, and nothing waits that may start.
    void Idle();

private:
    TBatchRunner::TItem RunItem(const QString& Path) const;
    // Starts a run over the waiting entries unless one goes on.
    void Submit();
    void FileStarted(int Item);
    // Queue entry Item's conversion has ended with Result into Output.
    void FileEnded(int Item, TConversionResult Result, const QString& Message, const QString& Output);
    void Log(const QString& Text);
    void ReleaseClaimWhenIdle();
    static QString TimeText();

    TcdSettings& FSettings;
    TRunClaim& FClaim;
    TBatchRunner FRunner;
    DirectoryMonitor FMonitor;
    TStringValues FQueue;
    QList<int> FRunItems;        // the queue entry of each item of the runner's run
    QHash<int, QString> FGroups; // the day-log lines of the files converting, by queue entry
    bool FHalted = false;
    bool FLogFailing = false; // the last write of the day log failed, and it was said
    TLogFileState FLogState;
};

} // namespace app

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchLog.h"
#include "RunProgress.h"
#include "app/engine/chain/FileConversion.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace app {

class TConversionChain;
class TFileListModel;
class TPreviewPlayer;
class TcdSettings;

// Converts the rows of the batch list one after another: a 500 ms timer takes
// the next row without a status and starts its conversion; its end marks the
// row and frees the timer for the next one. What the user sees goes out as
// signals: log lines, status texts, progress, the state of the controls, and
// the questions to ask. The run holds the chain it shares with the hot
// directory from its start to its end. User-interface thread only.
class TBatchDriver : public QObject {
    Q_OBJECT

public:
    static constexpr int TimerInterval = 500;
    // Language strings it says things with.
    static constexpr int StrStarting = 13, StrMissingFile = 14, StrOpenOutput = 15, StrStopped = 16;
    // The window's texts, English when the language file lacks them.
    static constexpr int StrChainInUse = 39, StrRunSummary = 40, StrFailedNames = 41, StrOpenFolder = 42,
                         StrMoreNames = 43, StrConverting = 44, StrKept = 45;
    static constexpr const char* MsgChainInUse =
        "The hot directory is still watching or converting. Stop it on the hot directory page and let its "
        "last file finish before converting the list.";
    // The end of a run that did not convert every row: converted, failed,
    // skipped and all rows, then the first failed names.
    static constexpr const char* MsgRunSummary = "Converted %1 of %2 files: %3 failed, %4 skipped.";
    static constexpr const char* MsgFailedNames = "Failed: %1";
    static constexpr const char* MsgOpenFolder = "Open the output folder?";
    static constexpr const char* MsgMoreNames = "and %1 more";
    static constexpr const char* MsgConverting = "Converting: ";
    // How many failed names the summary lists before "and N more".
    static constexpr int SummaryNames = 5;

    TBatchDriver(TFileListModel& Files, TcdSettings& Settings, TConversionChain& Chain, QObject* Parent = nullptr);
    ~TBatchDriver() override;

    // A preview player that a run stops when it is playing (a paused one is
    // left as it is).
    void SetPreview(TPreviewPlayer* Preview) { FPreview = Preview; }

    // Starts a run into OutputFolder (the folder the user chose). Every row is
    // reset; when the chain is held by the hot directory, or a listed file no
    // longer exists, StartRefused is emitted, the controls return to idle and
    // false is returned.
    bool StartRun(const QString& OutputFolder);
    // False while the hot directory holds the chain (MsgChainInUse says so):
    // a run would be refused.
    bool CanStart() const;
    // The run ends after the file being converted.
    void RequestStop();
    // The run ends now: the file being converted is stopped and leaves nothing
    // under its name (closing the window, SIGTERM).
    void StopNow();
    // One step of the loop; the timer calls it, and a caller that wants no pause
    // between files may call it when a file is done.
    void TimerStep();

    bool Running() const { return FTimer.isActive() || FConversion.Busy(); }
    QString OutputFolder() const { return FOutputFolder; }
    int CurrentItem() const { return FCurrentItem; }

signals:
    void LogLine(const QString& Line);
    // Panel 0: the batch status; panel 4: the percentage of the current file.
    void StatusText(int Panel, const QString& Text);
    // The current file's progress in percent; ProgressHidden when it is done.
    void ProgressChanged(int Percent);
    void ProgressHidden();
    // The batch controls (buttons, list) are enabled or disabled.
    void ControlsEnabled(bool Enabled);
    // "Convert To Wav" is shown (true) or "Stop Convert" in its place (false).
    void ConvertButtonShown(bool Shown);
    // The run did not start: show Message.
    void StartRefused(const QString& Message);
    // The run went through every row: ask Message (OK and Cancel) and, on OK,
    // open the file manager on LastOutput (or its folder when it does not exist).
    void RunFinished(const QString& Message, const QString& LastOutput);
    // A stopped run ended.
    void RunStopped();
    void ItemFinished(int Row, app::TConversionResult Result);
    // Where the whole run stands: when a file starts, moves on and ends.
    void RunProgress(const app::TRunSnapshot& Progress);

private:
    void StartRow(int Row);
    void FinishRow(TConversionResult Result, const QString& Message);
    void EndStoppedRun();
    void FinishRun();
    void EmitRunProgress();
    QString SummaryMessage() const;

    TFileListModel& FFiles;
    TcdSettings& FSettings;
    TConversionChain& FChain;
    TFileConversion FConversion;
    TOutputLedger FLedger;
    TRunProgress FProgress;
    QElapsedTimer FElapsed;
    TPreviewPlayer* FPreview = nullptr;
    QTimer FTimer;
    QString FOutputFolder;
    bool FStopRequested = false;
    int FCurrentItem = 0;
    int FCounts[4] = {}; // by TConversionResult
    QStringList FFailedNames;
};

} // namespace app

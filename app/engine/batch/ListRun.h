// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchRunner.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

namespace app {

class TFileListModel;
class TPreviewPlayer;
class TRunClaim;
class TcdSettings;

// The batch list's run: hands every row to the batch runner with the settings'
// format and parallel choice, and shows on the rows where each one stands
// (converting with its percentage, then its result). What the user sees goes
// out as signals: log lines, status texts, progress, the state of the
// controls, and the questions to ask. The run holds the claim it shares with
// the hot directory from its start to its end. User-interface thread only.
class TListRun : public QObject {
    Q_OBJECT

public:
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
    // Rows and the status show a run's progress at most this often: a file of
    // a few milliseconds reports a hundred steps, and every step shown costs
    // the window a repaint and a screen reader an event, which made the window
    // convert short files at half the engine's speed.
    static constexpr int ProgressIntervalMs = 100;

    TListRun(TFileListModel& Files, TcdSettings& Settings, TRunClaim& Claim, QObject* Parent = nullptr);
    ~TListRun() override;

    // A preview player that a run stops when it is playing (a paused one is
    // left as it is).
    void SetPreview(TPreviewPlayer* Preview) { FPreview = Preview; }

    // Starts a run into OutputFolder (the folder the user chose). Every row is
    // reset; when the hot directory holds the claim, or a listed file no
    // longer exists, StartRefused is emitted, the controls return to idle and
    // false is returned.
    bool StartRun(const QString& OutputFolder);
    // False while the hot directory holds the claim (MsgChainInUse says so):
    // a run would be refused.
    bool CanStart() const;
    // The run ends once the files in progress have; no other starts.
    void RequestStop();
    // The run ends now: the files in progress are stopped and leave nothing
    // under their names (closing the window, SIGTERM).
    void StopNow();

    bool Running() const { return FRunner.Running(); }
    QString OutputFolder() const { return FOutputFolder; }

signals:
    void LogLine(const QString& Line);
    // Panel 0: the batch status.
    void StatusText(int Panel, const QString& Text);
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
    // Where the whole run stands: when a file starts, moves on and ends, at
    // most every ProgressIntervalMs (the latest state, never a stale one).
    void RunProgress(const app::TRunSnapshot& Progress);

private:
    void OnItemStarted(int Row);
    void OnItemFinished(int Row, TConversionResult Result);
    void OnRunnerFinished(bool Stopped);
    void QueueProgress();
    void ShowProgress();
    QString SummaryMessage() const;

    TFileListModel& FFiles;
    TcdSettings& FSettings;
    TRunClaim& FClaim;
    TBatchRunner FRunner;
    TPreviewPlayer* FPreview = nullptr;
    QString FOutputFolder;
    // Progress not yet shown: each converting row's percentage, the run's state.
    QHash<int, int> FPercents;
    std::optional<TRunSnapshot> FSnapshot;
    QTimer FShowTimer;
    QElapsedTimer FShown;
};

} // namespace app

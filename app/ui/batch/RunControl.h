// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/RunProgress.h"

#include <QObject>
#include <QString>

class QAction;
class QPushButton;
class QWidget;

namespace app {

class TListRun;
class TcdSettings;
class TBatchStatusBar;
class TDialogs;
class TLogPanel;
class TShell;

// The conversion run as the window shows it: "Convert To Wav" asks for the
// output folder and starts the list's run; "Stop Convert" takes its place
// while the run lasts. The run's log lines go to the log panel, its texts
// and progress to the status bar, its questions to the dialogs, and the end
// question's OK to the file manager. The cursor is the hourglass and the
// window's title starts with the run's percentage ("37% - " ...) from the
// start of a run to its end. User-interface thread only.
class TRunControl final : public QObject {
    Q_OBJECT

public:
    TRunControl(TListRun& Batch, TcdSettings& Settings, TDialogs& Dialogs, TShell& Shell, TBatchStatusBar& Status,
                TLogPanel& Log, QWidget* Window);
    ~TRunControl() override;

    QAction* Convert() const { return FConvert; }
    QAction* StopConvert() const { return FStopConvert; }
    // The two buttons share one place: one of them shows.
    QPushButton* ConvertButton() const { return FConvertButton; }
    QPushButton* StopConvertButton() const { return FStopConvertButton; }

private:
    void OnConvert();
    void OnRunFinished(const QString& Message, const QString& LastOutput);
    void ShowConvertButton(bool Shown);
    void SetBusyCursor(bool Busy);
    void ShowRunProgress(const TRunSnapshot& Progress);
    // The status bar and the title without the run's progress.
    void EndRunProgress();

    TListRun& FBatch;
    TcdSettings& FSettings;
    TDialogs& FDialogs;
    TShell& FShell;
    TBatchStatusBar& FStatus;
    TLogPanel& FLog;
    QWidget* FWindow;
    QAction* FConvert;
    QAction* FStopConvert;
    QPushButton* FConvertButton;
    QPushButton* FStopConvertButton;
    bool FBusyCursor = false;
    bool FShowingRun = false;
    QString FPlainTitle; // the title before the run
};

} // namespace app

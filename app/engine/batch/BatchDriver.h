// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/wave/WaveOut.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace au {
class TAuOutput;
}

namespace app {

class TConversionChain;
class TDecoderSet;
class TFileListModel;
class TcdSettings;

// Converts the rows of the batch list one after another: a 500 ms timer takes
// the next row without a status, wires its chain and starts the writer; the
// writer's completion marks the row and frees the timer for the next one. What
// the user sees goes out as signals: log lines, status texts, progress, the
// state of the controls, and the questions to ask. User-interface thread only.
class TBatchDriver : public QObject {
    Q_OBJECT

public:
    static constexpr int TimerInterval = 500;
    // Language strings it says things with.
    static constexpr int StrStarting = 13, StrMissingFile = 14, StrOpenOutput = 15, StrStopped = 16;

    TBatchDriver(TFileListModel& Files, TcdSettings& Settings, TConversionChain& Chain, TDecoderSet& Decoders,
                 QObject* Parent = nullptr);
    ~TBatchDriver() override;

    // The batch writer.
    au::TWaveOut& WavOut() { return FWavOut; }
    // A preview output that a run stops when it is playing.
    void SetPreview(au::TAuOutput* Preview) { FPreview = Preview; }

    // Starts a run into OutputFolder (the folder the user chose). Every row is
    // reset; when a listed file no longer exists, MissingFile is emitted, the
    // controls return to idle and false is returned.
    bool StartRun(const QString& OutputFolder);
    // The run ends after the file being converted.
    void RequestStop();
    // One step of the loop; the timer calls it, and a caller that wants no pause
    // between files may call it when a file is done.
    void TimerStep();

    bool Running() const { return FTimer.isActive() || FItemBusy; }
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
    // A listed file is missing: show Message; the run did not start.
    void MissingFile(const QString& Message);
    // The run converted every row: ask the end question (Message) and, on OK,
    // open the file manager on LastOutput (or its folder when it does not exist).
    void RunFinished(const QString& Message, const QString& LastOutput);
    // A stopped run ended after its current file.
    void RunStopped();
    // Row finished, successfully or not.
    void ItemFinished(int Row, bool Succeeded);

private:
    void StartRow(int Row, const QString& OutputPath);
    void FinishRow(const QString& Error);
    void OnWavOutDone();
    void OnWavOutProgress();
    void FinishRun(const QString& LastOutput);
    QString OutputPathFor(int Row) const;

    TFileListModel& FFiles;
    TcdSettings& FSettings;
    TConversionChain& FChain;
    TDecoderSet& FDecoders;
    au::TWaveOut FWavOut;
    au::TAuOutput* FPreview = nullptr;
    QTimer FTimer;
    QString FOutputFolder;
    bool FStopRequested = false;
    bool FItemBusy = false;
    int FCurrentItem = 0;
};

} // namespace app

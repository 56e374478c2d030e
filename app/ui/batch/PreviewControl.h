// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QItemSelectionModel;
class QProgressBar;

namespace au {
class TAuFileIn;
class TDXAudioOut;
} // namespace au

namespace app {

class TBatchDriver;
class TBatchStatusBar;
class TDecoderSet;
class TFileListModel;

// The strip `pnlPlay` above the list: "Play", "Pause"/"Resume", "Stop" and the
// bar `pbPlay` that shows how far the preview got and seeks where it is
// clicked. The preview plays a listed file in its own format through the
// preview output `dxdt`; panel 1 of the status bar says what plays. After a
// file ends, the next row plays while it is below the count of selected rows,
// unless "Pause" was ever used. User-interface thread only.
class TPreviewControl final : public QWidget {
    Q_OBJECT

public:
    TPreviewControl(const TFileListModel& Files, const TBatchDriver& Batch, const TDecoderSet& Decoders,
                    au::TDXAudioOut& Preview, QItemSelectionModel& Selection, TBatchStatusBar& Status,
                    QWidget* Parent = nullptr);
    ~TPreviewControl() override;

    QAction* Play() const { return FPlay; }
    QAction* Pause() const { return FPause; }
    QAction* Stop() const { return FStop; }
    QProgressBar* Bar() const { return FBar; }

    // Whether the output is playing (not paused, not idle).
    bool Playing() const;
    // Whether it is playing and Path is the file of one of the preview decoders.
    bool Plays(const QString& Path) const;
    // Stops a playing preview without waiting, and disables Pause and Stop, as
    // removing rows does.
    void StopForRemoval();
    // Stops and waits, paused or playing.
    void StopForClose();

private:
    void OnPlay();
    void OnPause();
    void OnStop();
    void PlayItem();
    void OnDone();
    void OnProgress();
    void Seek(int X);
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    const TFileListModel& FFiles;
    const TBatchDriver& FBatch;
    const TDecoderSet& FDecoders;
    au::TDXAudioOut& FOutput;
    QItemSelectionModel& FSelection;
    TBatchStatusBar& FStatus;
    QAction* FPlay;
    QAction* FPause;
    QAction* FStop;
    QProgressBar* FBar;
    int FPreviewItem = 0;
    bool FPreviewPaused = false;
    // The file that plays, for the status text and seeking, whatever became of
    // its row since.
    au::TAuFileIn* FDecoder = nullptr;
    QString FName;
    // A stop of ours: its completion starts no other row.
    bool FStopRequested = false;
};

} // namespace app

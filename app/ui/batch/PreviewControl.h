// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/player/PreviewPlayer.h"

#include <QString>
#include <QWidget>

class QAction;
class QItemSelectionModel;
class QProgressBar;

namespace app {

class TBatchStatusBar;

// The strip `pnlPlay` above the list: "Play", "Pause"/"Resume", "Stop" and the
// bar `pbPlay` that shows how far the preview got and seeks where it is
// clicked, over the preview player. Play plays the last selected row; panel 1
// of the status bar says what plays, or why it cannot. Pause and Stop are
// enabled only while something plays or is paused. User-interface thread only.
class TPreviewControl final : public QWidget {
    Q_OBJECT

public:
    // RowPath gives the path of a list row; the selection is of that list.
    TPreviewControl(TPreviewPlayer& Player, TPreviewPlayer::TRowPath RowPath, QItemSelectionModel& Selection,
                    TBatchStatusBar& Status, QWidget* Parent = nullptr);
    ~TPreviewControl() override;

    QAction* Play() const { return FPlay; }
    QAction* Pause() const { return FPause; }
    QAction* Stop() const { return FStop; }
    QProgressBar* Bar() const { return FBar; }

    // For a conversion run (false) and after it (true): Play follows Enabled;
    // Pause and Stop besides need something that plays or is paused.
    void EnableControls(bool Enabled);

private:
    void OnPlay();
    void OnPause();
    void ShowState();
    void ShowPosition(int Percent);
    void Seek(int X);
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    TPreviewPlayer& FPlayer;
    QItemSelectionModel& FSelection;
    TBatchStatusBar& FStatus;
    QAction* FPlay;
    QAction* FPause;
    QAction* FStop;
    QProgressBar* FBar;
    bool FEnabled = true;
};

} // namespace app

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/RunProgress.h"

#include <QStatusBar>
#include <array>

class QLabel;
class QProgressBar;

namespace app {

// The batch page's status bar `stat1`: panel 0 the run's status, panel 1 what
// the preview plays, panel 2 the place of the current file's progress bar
// (hidden except while a file converts), panel 3 where the whole run stands
// (shown only while a run goes on), panel 4 the current file's percentage.
// User-interface thread only.
class TBatchStatusBar final : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int PanelCount = 5;

    explicit TBatchStatusBar(QWidget* Parent = nullptr);

    void SetPanelText(int Panel, const QString& Text);
    QString PanelText(int Panel) const;
    // Shows the bar at Percent.
    void ShowProgress(int Percent);
    void HideProgress();
    // "File 3 of 20, 37% done, 0:42 elapsed, 1:10 left" in panel 3.
    void ShowRunProgress(const TRunSnapshot& Progress);
    void HideRunProgress();
    QProgressBar* Progress() const { return FProgress; }

private:
    std::array<QLabel*, PanelCount> FPanels{};
    QProgressBar* FProgress;
};

} // namespace app

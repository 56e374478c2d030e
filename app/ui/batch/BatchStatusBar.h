// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/RunProgress.h"

#include <QStatusBar>
#include <array>

class QLabel;
class QProgressBar;

namespace app {

// The batch page's status bar `stat1`: panel 0 the run's status, panel 1 what
// the preview plays, panel 2 the place of the run's progress bar, panel 3
// where the whole run stands, panel 4 the run's percentage; panels 2 to 4 show
// only while a run goes on.
// User-interface thread only.
class TBatchStatusBar final : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int PanelCount = 5;

    explicit TBatchStatusBar(QWidget* Parent = nullptr);

    void SetPanelText(int Panel, const QString& Text);
    QString PanelText(int Panel) const;
    // "Converting 2 files, 12 of 40 done, 0:05 left" in panel 3, the share
    // done on the bar and in panel 4.
    void ShowRunProgress(const TRunSnapshot& Progress);
    void HideRunProgress();
    QProgressBar* Progress() const { return FProgress; }

private:
    std::array<QLabel*, PanelCount> FPanels{};
    QProgressBar* FProgress;
};

} // namespace app

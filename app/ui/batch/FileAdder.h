// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileLoader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

class QProgressDialog;
class QWidget;

namespace app {

// Adds files to the batch list through the loader and shows how far it got:
// when an addition lasts longer than ProgressDelay, a progress dialog over
// Window counts the files and offers Cancel, which keeps the rows added so far.
// Input to the window waits until then. User-interface thread only.
class TFileAdder final : public QObject {
    Q_OBJECT

public:
    static constexpr int ProgressDelay = 500; // ms

    TFileAdder(TFileListModel& Files, QWidget* Window);
    ~TFileAdder() override;

    // Returns when every file has its row or the user cancelled. KeepRepeats
    // as the list's AddRows takes it.
    void AddFiles(const QStringList& Paths, bool KeepRepeats = false);
    bool Busy() const { return FLoader.Busy(); }
    // Ends the addition in progress after the file being probed.
    void Cancel() { FLoader.Cancel(); }

private:
    void ShowProgress(int Done, int Total);

    TFileLoader FLoader;
    QWidget* FWindow;
    QProgressDialog* FProgress = nullptr;
    QElapsedTimer FClock;
};

} // namespace app

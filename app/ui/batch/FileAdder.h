// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>

class QProgressBar;
class QWidget;

namespace app {

class TFileLoader;

// Shows how far the loader got while files come into the batch list: the
// hourglass for the whole load, and when it lasts longer than ProgressDelay a
// progress dialog over Window that counts the files and offers Cancel, which
// keeps the rows added so far. The dialog never runs events of its own, so
// that nothing the loader delivers can reach it half-updated or gone.
// User-interface thread only.
class TFileAdder final : public QObject {
    Q_OBJECT

public:
    static constexpr int ProgressDelay = 500; // ms

    TFileAdder(TFileLoader& Loader, QWidget* Window);
    ~TFileAdder() override;

private:
    void OnStarted();
    void OnProgress(int Done, int Total);
    void OnFinished();

    TFileLoader& FLoader;
    QWidget* FWindow;
    QPointer<QProgressDialog> FProgress;
    QProgressBar* FBar = nullptr; // the dialog's, living as long as it
    QElapsedTimer FClock;
    bool FWaiting = false; // the hourglass is ours
};

} // namespace app

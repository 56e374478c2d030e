// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileAdder.h"

#include "app/engine/settings/AppTitle.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace app {

TFileAdder::TFileAdder(TFileListModel& Files, QWidget* Window)
    : QObject(Window), FLoader(Files), FWindow(Window)
{
    connect(&FLoader, &TFileLoader::Progress, this, [this](int Done, int Total) {
        if (FProgress != nullptr || FClock.elapsed() >= ProgressDelay)
            ShowProgress(Done, Total);
    });
}

TFileAdder::~TFileAdder() = default;

void TFileAdder::ShowProgress(int Done, int Total)
{
    if (FProgress == nullptr) {
        FProgress = new QProgressDialog(FWindow);
        FProgress->setObjectName(QStringLiteral("dlgAddProgress"));
        FProgress->setWindowTitle(QString::fromUtf8(ApplicationTitle));
        FProgress->setWindowModality(Qt::WindowModal);
        FProgress->setMinimumDuration(0);
        FProgress->setAutoClose(false);
        FProgress->setAutoReset(false);
        FProgress->setRange(0, Total);
        connect(FProgress, &QProgressDialog::canceled, &FLoader, &TFileLoader::Cancel);
        FProgress->show();
    }
    FProgress->setLabelText(QStringLiteral("Adding files: %1 of %2").arg(Done).arg(Total));
    FProgress->setValue(Done);
}

void TFileAdder::AddFiles(const QStringList& Paths, bool KeepRepeats)
{
    FClock.start();
    if (!FLoader.Start(Paths, KeepRepeats))
        return;
    while (FLoader.Busy()) {
        // Until the progress dialog shows, clicks and keys wait for the end of
        // the addition; the dialog then takes them while the window is blocked.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        (FProgress != nullptr ? QEventLoop::AllEvents
                                                              : QEventLoop::ExcludeUserInputEvents));
    }
    delete FProgress;
    FProgress = nullptr;
}

} // namespace app

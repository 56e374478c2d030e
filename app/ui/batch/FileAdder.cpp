// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileAdder.h"

#include "app/engine/batch/FileLoader.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/Language.h"

#include <QApplication>
#include <QProgressBar>

namespace app {
namespace {

constexpr int StrAdding = 59;

} // namespace

TFileAdder::TFileAdder(TFileLoader& Loader, QWidget* Window) : QObject(Window), FLoader(Loader), FWindow(Window)
{
    connect(&FLoader, &TFileLoader::Started, this, &TFileAdder::OnStarted);
    connect(&FLoader, &TFileLoader::Progress, this, &TFileAdder::OnProgress);
    connect(&FLoader, &TFileLoader::Finished, this, &TFileAdder::OnFinished);
}

// A page closed mid-load leaves no hourglass behind.
TFileAdder::~TFileAdder()
{
    if (FWaiting)
        QApplication::restoreOverrideCursor();
}

void TFileAdder::OnStarted()
{
    FClock.start();
    if (!FWaiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    FWaiting = true;
}

void TFileAdder::OnProgress(int Done, int Total)
{
    // Over a dialog the user has open (Option), the progress would block it
    // until the load ends; it shows once that dialog has closed.
    if (FProgress == nullptr && (FClock.elapsed() < ProgressDelay || QApplication::activeModalWidget() != nullptr))
        return;
    if (FProgress == nullptr) {
        FProgress = new QProgressDialog(FWindow);
        FProgress->setObjectName(QStringLiteral("dlgAddProgress"));
        FProgress->setWindowTitle(QString::fromUtf8(ApplicationTitle));
        FProgress->setWindowModality(Qt::WindowModal);
        FProgress->setMinimumDuration(0);
        FProgress->setAutoClose(false);
        FProgress->setAutoReset(false);
        // A modal progress dialog's setValue runs the event loop, and in it the
        // loader's next report, which may end the load and delete the dialog
        // under the call: the bar is set directly instead.
        FBar = new QProgressBar(FProgress);
        FProgress->setBar(FBar);
        connect(FProgress, &QProgressDialog::canceled, &FLoader, &TFileLoader::Cancel);
        FProgress->show();
    }
    FBar->setRange(0, Total);
    FProgress->setLabelText(LangText(StrAdding, "Adding files: %1 of %2").arg(Done).arg(Total));
    FBar->setValue(Done);
}

void TFileAdder::OnFinished()
{
    delete FProgress;
    FBar = nullptr;
    if (FWaiting)
        QApplication::restoreOverrideCursor();
    FWaiting = false;
}

} // namespace app

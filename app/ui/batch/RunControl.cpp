// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunControl.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/engine/batch/BatchDriver.h"
#include "app/ui/desktop/Dialogs.h"
#include "LogPanel.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>

namespace app {
namespace {

constexpr int StrOutputFolder = 12;

} // namespace

TRunControl::TRunControl(TBatchDriver& Batch, TcdSettings& Settings, TDialogs& Dialogs, TShell& Shell,
                         TBatchStatusBar& Status, TLogPanel& Log, QWidget* Window)
    : QObject(Window), FBatch(Batch), FSettings(Settings), FDialogs(Dialogs), FShell(Shell), FStatus(Status), FLog(Log),
      FWindow(Window), FConvert(new QAction(QStringLiteral("Convert &To Wav"), this)),
      FStopConvert(new QAction(QStringLiteral("Stop Con&vert"), this)),
      FConvertButton(new TActionButton(FConvert, QStringLiteral("btnConvert"), Window)),
      FStopConvertButton(new TActionButton(FStopConvert, QStringLiteral("btnStopConvert"), Window))
{
    FConvert->setObjectName(QStringLiteral("actConvert"));
    FStopConvert->setObjectName(QStringLiteral("actStopConvert"));
    FStopConvertButton->hide();
    connect(FConvert, &QAction::triggered, this, &TRunControl::OnConvert);

    TBatchDriver& Driver = FBatch;
    connect(FStopConvert, &QAction::triggered, &Driver, &TBatchDriver::RequestStop);
    connect(&Driver, &TBatchDriver::LogLine, &FLog, &TLogPanel::Append);
    connect(&Driver, &TBatchDriver::StatusText, &FStatus, &TBatchStatusBar::SetPanelText);
    connect(&Driver, &TBatchDriver::ProgressChanged, &FStatus, &TBatchStatusBar::ShowProgress);
    connect(&Driver, &TBatchDriver::ProgressHidden, &FStatus, &TBatchStatusBar::HideProgress);
    connect(&Driver, &TBatchDriver::ConvertButtonShown, this, &TRunControl::ShowConvertButton);
    connect(&Driver, &TBatchDriver::StartRefused, this, [this](const QString& Message) {
        SetBusyCursor(false);
        FDialogs.Message(FWindow, QMessageBox::Information, Message, QMessageBox::Ok);
    });
    connect(&Driver, &TBatchDriver::RunStopped, this, [this] {
        SetBusyCursor(false);
        EndRunProgress();
    });
    connect(&Driver, &TBatchDriver::RunProgress, this, &TRunControl::ShowRunProgress);
    connect(&Driver, &TBatchDriver::RunFinished, this, &TRunControl::OnRunFinished);
}

TRunControl::~TRunControl()
{
    SetBusyCursor(false);
}

void TRunControl::SetBusyCursor(bool Busy)
{
    if (Busy == FBusyCursor)
        return;
    FBusyCursor = Busy;
    if (Busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TRunControl::ShowRunProgress(const TRunSnapshot& Progress)
{
    FStatus.ShowRunProgress(Progress);
    QWidget* Window = FWindow->window();
    if (!FShowingRun)
        FPlainTitle = Window->windowTitle();
    FShowingRun = true;
    // The percentage first, where a task bar that cuts the title still shows it.
    Window->setWindowTitle(QStringLiteral("%1% - %2").arg(Progress.Percent).arg(FPlainTitle));
}

void TRunControl::EndRunProgress()
{
    FStatus.HideRunProgress();
    if (FShowingRun)
        FWindow->window()->setWindowTitle(FPlainTitle);
    FShowingRun = false;
}

void TRunControl::ShowConvertButton(bool Shown)
{
    FConvertButton->setVisible(Shown);
    FStopConvertButton->setVisible(!Shown);
}

void TRunControl::OnConvert()
{
    // Asked before the folder browser, which would be wasted on a refusal.
    if (!FBatch.CanStart()) {
        FDialogs.Message(FWindow, QMessageBox::Warning, LangText(TBatchDriver::StrChainInUse, TBatchDriver::MsgChainInUse),
                         QMessageBox::Ok);
        return;
    }
    QString Start = FSettings.SavePath();
    if (!QFileInfo(Start).isDir())
        Start.clear();
    const QString Folder = FDialogs.BrowseForFolder(FWindow, LangStrings()[StrOutputFolder], Start);
    if (Folder.isEmpty())
        return;
    // The hourglass from here to the end of the run, not over the folder browser.
    SetBusyCursor(true);
    FLog.ShowLog(true);
    FBatch.StartRun(Folder);
}

void TRunControl::OnRunFinished(const QString& Message, const QString& LastOutput)
{
    SetBusyCursor(false);
    EndRunProgress();
    const auto Answer = FDialogs.Message(FWindow, QMessageBox::Information, Message,
                                         QMessageBox::Ok | QMessageBox::Cancel);
    if (Answer != QMessageBox::Ok)
        return;
    if (QFileInfo(LastOutput).isFile())
        FShell.ShowItem(LastOutput);
    else
        FShell.OpenFolder(QFileInfo(LastOutput).path());
}

} // namespace app

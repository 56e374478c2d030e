// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunControl.h"

#include "ActionButton.h"
#include "BatchStatusBar.h"
#include "app/engine/batch/ListRun.h"
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

TRunControl::TRunControl(TListRun& Batch, TcdSettings& Settings, TDialogs& Dialogs, TShell& Shell,
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

    TListRun& Run = FBatch;
    connect(FStopConvert, &QAction::triggered, &Run, &TListRun::RequestStop);
    connect(&Run, &TListRun::LogLine, &FLog, &TLogPanel::Append);
    connect(&Run, &TListRun::StatusText, &FStatus, &TBatchStatusBar::SetPanelText);
    connect(&Run, &TListRun::ConvertButtonShown, this, &TRunControl::ShowConvertButton);
    connect(&Run, &TListRun::StartRefused, this, [this](const QString& Message) {
        SetBusyCursor(false);
        FDialogs.Message(FWindow, QMessageBox::Information, Message, QMessageBox::Ok);
    });
    connect(&Run, &TListRun::RunStopped, this, [this] {
        SetBusyCursor(false);
        EndRunProgress();
    });
    connect(&Run, &TListRun::RunProgress, this, &TRunControl::ShowRunProgress);
    connect(&Run, &TListRun::RunFinished, this, &TRunControl::OnRunFinished);
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
        FDialogs.Message(FWindow, QMessageBox::Warning, LangText(TListRun::StrChainInUse, TListRun::MsgChainInUse),
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

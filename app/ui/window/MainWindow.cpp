// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "app/ui/batch/BatchPage.h"
#include "app/ui/desktop/Dialogs.h"
#include "app/ui/help/AboutDialog.h"
#include "app/ui/help/DocumentViewer.h"
#include "app/ui/hotdir/HotDirPage.h"
#include "app/ui/language/LanguageApply.h"
#include "app/ui/mode/ModePage.h"
#include "app/ui/option/OptionDialog.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/batch/BatchRunner.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>

namespace app {

Tfrmsondrix::Tfrmsondrix(TcdSettings& Settings, const QString& LanguageFile, TDialogs& Dialogs, TShell& Shell,
                         bool TrayAvailable)
    : FSettings(Settings), FLanguageFile(LanguageFile), FShell(Shell), FDialogs(Dialogs), FLoader(FFiles),
      FBatchRun(FFiles, Settings, FClaim), FHotDirectory(Settings, FClaim), FPages(new QStackedWidget(this)),
      FMode(new TModePage(FPages)),
      FBatch(new TBatchPage(FFiles, FLoader, FBatchRun, Settings, FPlayer, Dialogs, Shell, FPages)),
      FHotDir(new THotDirPage(FHotDirectory, Settings, Dialogs, Shell, FPages)), FTray(this, TrayAvailable)
{
    FBatchRun.SetPreview(&FPlayer);
    FLoader.SetProbeThreads(ParallelJobs(FSettings.Parallel()));
    setObjectName(QStringLiteral("frmsondrix"));
    setWindowIcon(QIcon(QStringLiteral(":/kelvaro/org.trevalin.Kelvaro.svg")));
    FPages->setObjectName(QStringLiteral("pgcMain"));
    FPages->addWidget(FMode);
    FPages->addWidget(FBatch);
    FPages->addWidget(FHotDir);
    setCentralWidget(FPages);
    const QScreen* Screen = QGuiApplication::primaryScreen();
    resize(OpeningSize(Screen != nullptr ? Screen->availableGeometry().size() : QSize(1280, 800)));
    // Return presses the button that has the focus, as in a dialog; outside
    // one, Qt's buttons answer only Space.
    for (QPushButton* Button : findChildren<QPushButton*>())
        Button->setAutoDefault(true);
    Connect();
    FormCreate();
}

QSize Tfrmsondrix::OpeningSize(const QSize& Available)
{
    // The batch list's nine columns with a 40-character name whole and room
    // for its path want about 1200 pixels; a smaller screen gets what it has,
    // less the frame the window manager draws.
    const QSize Wanted(1200, 700);
    const QSize Frame(40, 60);
    return Wanted.boundedTo(Available - Frame);
}

// The pages refer to the engine objects, which as members go before the widget's
// children would: the pages go first.
Tfrmsondrix::~Tfrmsondrix()
{
    delete FPages;
}

void Tfrmsondrix::FormCreate()
{
    ApplyLanguage(this, FLanguageFile);
    const QString Title = QString::fromUtf8(ApplicationTitle);
    QGuiApplication::setApplicationDisplayName(Title);
    setWindowTitle(Title);
    FPageMode = 0;
    ShowPage(FMode);
}

void Tfrmsondrix::Connect()
{
    connect(FMode, &TModePage::NextRequested, this, &Tfrmsondrix::actNextExecute);
    connect(FMode, &TModePage::ExitRequested, this, &Tfrmsondrix::close);
    connect(FMode, &TModePage::AboutRequested, this, &Tfrmsondrix::OpenAbout);
    connect(FMode, &TModePage::CommandLineRequested, this, &Tfrmsondrix::lblcmdlinkClick);
    connect(FBatch, &TBatchPage::OptionRequested, this, &Tfrmsondrix::actOptionExecute);
    connect(FBatch, &TBatchPage::HotDirModeRequested, this, &Tfrmsondrix::actHotDirExecute);
    connect(FBatch, &TBatchPage::HelpRequested, this, &Tfrmsondrix::OpenReadme);
    connect(FHotDir, &THotDirPage::OptionRequested, this, &Tfrmsondrix::actOptionExecute);
    connect(FHotDir, &THotDirPage::ReturnRequested, this, &Tfrmsondrix::actReturntoBatchModeExecute);
    connect(FHotDir, &THotDirPage::MinimizeRequested, &FTray, &TTray::Minimize);
    connect(FHotDir, &THotDirPage::HelpRequested, this, &Tfrmsondrix::OpenAbout);
    connect(&FTray, &TTray::OptionRequested, this, &Tfrmsondrix::actOptionExecute);
    connect(&FTray, &TTray::AboutRequested, this, &Tfrmsondrix::OpenAbout);
    connect(&FTray, &TTray::CloseRequested, this, &Tfrmsondrix::close);
}

QWidget* Tfrmsondrix::CurrentPage() const
{
    return FPages->currentWidget();
}

void Tfrmsondrix::ShowPage(QWidget* Page)
{
    // The stack hands the focus from the old page to the new page's first control.
    FPages->setCurrentWidget(Page);
}

void Tfrmsondrix::showEvent(QShowEvent* Event)
{
    QWidget* const Pages[] = {FMode, FBatch, FHotDir};
    ShowPage(Pages[FPageMode]);
    QMainWindow::showEvent(Event);
}

void Tfrmsondrix::actNextExecute()
{
    if (FMode->HotDirChosen()) {
        FPageMode = 2;
        ShowPage(FHotDir);
    } else {
        FPageMode = 1;
        ShowPage(FBatch);
    }
}

void Tfrmsondrix::actHotDirExecute()
{
    FPageMode = 2;
    ShowPage(FHotDir);
}

// The hot directory page has stored and saved its fields by now.
void Tfrmsondrix::actReturntoBatchModeExecute()
{
    FPageMode = 1;
    ShowPage(FBatch);
}

// Centred on the window, also while the window hides behind its icon.
void Tfrmsondrix::actOptionExecute()
{
    TfrmOption Dialog(FSettings, FLanguageFile, this);
    // The list probes on as many threads as files convert at once.
    if (Dialog.exec() == QDialog::Accepted)
        FLoader.SetProbeThreads(ParallelJobs(FSettings.Parallel()));
}

void Tfrmsondrix::lblcmdlinkClick()
{
    ShowDocument(ExeFolderFile(QStringLiteral("Command line.txt")));
}

void Tfrmsondrix::OpenReadme()
{
    ShowDocument(ExeFolderFile(QStringLiteral("README.md")));
}

// Modeless, so that the help stays open beside the page it explains.
void Tfrmsondrix::ShowDocument(const QString& Path)
{
    auto* Viewer = new TDocumentViewer(Path, this);
    Viewer->setAttribute(Qt::WA_DeleteOnClose);
    ApplyLanguage(Viewer, FLanguageFile);
    Viewer->show();
}

void Tfrmsondrix::OpenAbout()
{
    auto* About = new TfrmAbout(this);
    About->setAttribute(Qt::WA_DeleteOnClose);
    ApplyLanguage(About, FLanguageFile);
    About->show();
}

void Tfrmsondrix::OpenFiles(const QStringList& Paths)
{
    if (isHidden() || isMinimized()) {
        FTray.Restore();
    } else {
        raise();
        activateWindow();
    }
    if (Paths.isEmpty())
        return;
    if (FPageMode == 0) {
        FPageMode = 1;
        ShowPage(FBatch);
    }
    FBatch->OpenFiles(Paths);
}

void Tfrmsondrix::CloseWithoutAsking()
{
    FAsked = true;
    close();
}

void Tfrmsondrix::closeEvent(QCloseEvent* Event)
{
    if (!FAsked && (FBatch->Converting() || FHotDirectory.Busy()) &&
        FDialogs.Message(this, QMessageBox::Question, LangText(StrStopAndQuit, MsgStopAndQuit),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        Event->ignore();
        return;
    }
    FAsked = true;
    // The files in progress are stopped: nothing of them stays under their names.
    FBatch->StopForClose();
    FHotDir->StopForClose();
    FTray.RemoveIcon();
    Event->accept();
    emit Closed();
}

// Minimising hides the window behind the notification icon; deferred, since
// hiding while the window system is still changing the state confuses it.
void Tfrmsondrix::changeEvent(QEvent* Event)
{
    QMainWindow::changeEvent(Event);
    if (Event->type() == QEvent::WindowStateChange && isMinimized() && FTray.Available())
        QTimer::singleShot(0, &FTray, &TTray::Minimize);
}

} // namespace app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "app/ui/batch/BatchPage.h"
#include "app/ui/desktop/Dialogs.h"
#include "app/ui/help/AboutDialog.h"
#include "app/ui/help/DocumentViewer.h"
#include "app/ui/hotdir/HotDirPage.h"
#include "app/ui/language/LanguageApply.h"
#include "ModePage.h"
#include "app/ui/option/OptionDialog.h"
#include "app/ui/desktop/Shell.h"
#include "app/engine/settings/AppTitle.h"
#include "app/engine/settings/Language.h"
#include "app/engine/system/PathUtils.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>

namespace app {
namespace {

QStringList LocalFiles(const QMimeData* Data)
{
    QStringList Paths;
    if (Data == nullptr)
        return Paths;
    const QList<QUrl> Urls = Data->urls();
    for (const QUrl& Url : Urls)
        if (Url.isLocalFile())
            Paths << Url.toLocalFile();
    return Paths;
}

} // namespace

Tfrmsondrix::Tfrmsondrix(TcdSettings& Settings, const QString& LanguageFile, TDialogs& Dialogs, TShell& Shell,
                         bool TrayAvailable)
    : FSettings(Settings), FLanguageFile(LanguageFile), FShell(Shell), FDialogs(Dialogs), FComponents(Settings),
      FPages(new QStackedWidget(this)), FMode(new TModePage(FPages)),
      FBatch(new TBatchPage(FComponents, Dialogs, Shell, FPages)),
      FHotDir(new THotDirPage(FComponents, Dialogs, Shell, FPages)), FTray(this, TrayAvailable)
{
    setObjectName(QStringLiteral("frmsondrix"));
    setWindowIcon(QIcon(QStringLiteral(":/kelvaro/org.trevalin.Kelvaro.svg")));
    FPages->setObjectName(QStringLiteral("pgcMain"));
    FPages->addWidget(FMode);
    FPages->addWidget(FBatch);
    FPages->addWidget(FHotDir);
    setCentralWidget(FPages);
    // The batch list's nine columns want about a thousand pixels; a smaller
    // screen gets most of what it has.
    const QSize Wanted(1080, 640);
    const QScreen* Screen = QGuiApplication::primaryScreen();
    resize(Screen != nullptr ? Wanted.boundedTo(Screen->availableGeometry().size() * 0.9) : Wanted);
    // Return presses the button that has the focus, as in a dialog; outside
    // one, Qt's buttons answer only Space.
    for (QPushButton* Button : findChildren<QPushButton*>())
        Button->setAutoDefault(true);
    Connect();
    FormCreate();
}

// The pages refer to the components, which as members go before the widget's
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
    setAcceptDrops(true);
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
    Dialog.exec();
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
    FBatch->AddDroppedFiles(Paths);
}

void Tfrmsondrix::CloseWithoutAsking()
{
    FAsked = true;
    close();
}

void Tfrmsondrix::closeEvent(QCloseEvent* Event)
{
    if (!FAsked && (FBatch->Converting() || FComponents.HotDir.Busy()) &&
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

void Tfrmsondrix::dragEnterEvent(QDragEnterEvent* Event)
{
    if (!LocalFiles(Event->mimeData()).isEmpty())
        Event->acceptProposedAction();
}

void Tfrmsondrix::dropEvent(QDropEvent* Event)
{
    const QStringList Paths = LocalFiles(Event->mimeData());
    if (Paths.isEmpty())
        return;
    Event->acceptProposedAction();
    FBatch->AddDroppedFiles(Paths);
}

} // namespace app

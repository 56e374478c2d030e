// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Tray.h"
#include "app/engine/batch/ListRun.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/batch/FileLoader.h"
#include "app/engine/batch/RunClaim.h"
#include "app/engine/player/PreviewPlayer.h"
#include "app/engine/hotdir/HotDirectory.h"

#include <QMainWindow>

class QStackedWidget;

namespace app {

class TBatchPage;
class TDialogs;
class THotDirPage;
class TModePage;
class TShell;
class TcdSettings;

// The main window (objectName "frmsondrix"): the mode page, the batch page and
// the hot directory page in a stack (never tabs), the engine objects they
// show, and the notification-area icon. The window builds the engine objects
// and hands each page those it shows. Closing it stops running work first and
// ends the program. User-interface thread only.
class Tfrmsondrix : public QMainWindow {
    Q_OBJECT

public:
    // The question before closing while work runs: language string
    // StrStopAndQuit, this text where the language file has none.
    static constexpr int StrStopAndQuit = 35;
    static constexpr const char* MsgStopAndQuit = "A conversion is running. Stop it and quit?";

    // LanguageFile: the run's language file, applied now and to the Option
    // dialog. Dialogs and Shell serve the pages and must outlive the window.
    Tfrmsondrix(TcdSettings& Settings, const QString& LanguageFile, TDialogs& Dialogs, TShell& Shell,
                bool TrayAvailable);
    ~Tfrmsondrix() override;

    // The window's size when it opens on a screen with Available room (the
    // screen minus its panels).
    static QSize OpeningSize(const QSize& Available);

    const QString& LanguageFile() const { return FLanguageFile; }
    // 0 mode page, 1 batch page, 2 hot directory page.
    int PageMode() const { return FPageMode; }
    QWidget* CurrentPage() const;
    TModePage* ModePage() const { return FMode; }
    TBatchPage* BatchPage() const { return FBatch; }
    THotDirPage* HotDirPage() const { return FHotDir; }
    TTray& Tray() { return FTray; }

    void ShowPage(QWidget* Page);
    void actNextExecute();
    void actHotDirExecute();
    void actReturntoBatchModeExecute();
    void actOptionExecute();
    void lblcmdlinkClick();
    // "&Help" on the batch page: the README inside the program.
    void OpenReadme();
    // "&About" and "A&bout" on the pages, "&About..." in the tray menu.
    void OpenAbout();
    // Files from the desktop (the command line, a second start): the batch list
    // takes them as it takes dropped files, from the mode page on the batch
    // page; the window comes to the front, also with no files.
    void OpenFiles(const QStringList& Paths);
    // Closes without asking, stopping what converts (SIGTERM, SIGINT, SIGHUP).
    void CloseWithoutAsking();

signals:
    // The window has closed and its work has stopped; the program may end.
    void Closed();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void FormCreate();
    void Connect();
    void ShowDocument(const QString& Path);

    TcdSettings& FSettings;
    QString FLanguageFile;
    TShell& FShell;
    TDialogs& FDialogs;
    // The engine. Members are destroyed in reverse order: the preview player
    // (declared last) stops first, the loader before the list it fills, and
    // the batch run and the hot directory before the claim they share.
    TRunClaim FClaim;
    TFileListModel FFiles;
    TFileLoader FLoader;
    TListRun FBatchRun;
    THotDirectory FHotDirectory;
    TPreviewPlayer FPlayer;
    QStackedWidget* FPages;
    TModePage* FMode;
    TBatchPage* FBatch;
    THotDirPage* FHotDir;
    TTray FTray;
    int FPageMode = 0;
    bool FAsked = false; // the closing needs no question
};

} // namespace app

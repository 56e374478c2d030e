// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

class QPushButton;

namespace app {

class TListRun;
class TBatchStatusBar;
class TDialogs;
class TFileListModel;
class TFileLoader;
class TPreviewPlayer;
class TcdSettings;
class TFileListActions;
class TFileListView;
class TLogPanel;
class TPreviewControl;
class TRunControl;
class TShell;

// The batch page (`tsConvert`): the list's buttons, the preview strip, the file
// list, the log, the run's buttons and the status bar `stat1`, each piece its
// own class; the page lays them out and switches the run's controls on and off.
// Files dropped on the page join the list. User-interface thread only.
class TBatchPage : public QWidget {
    Q_OBJECT

public:
    // The list, the loader that fills it and the driver that converts it; the
    // preview plays through its own decoders and output.
    TBatchPage(TFileListModel& Files, TFileLoader& Loader, TListRun& Batch, TcdSettings& Settings,
               TPreviewPlayer& Player, TDialogs& Dialogs, TShell& Shell,
               QWidget* Parent = nullptr);
    ~TBatchPage() override;

    // Files dropped on the page: the files of the kinds the list takes are
    // appended.
    void AddDroppedFiles(const QStringList& Paths);
    // Files another start of the program hands over. A drop during a load or
    // a run is refused where the user sees it; these were asked for from
    // elsewhere, so they wait for the list to be free instead of being lost.
    void OpenFiles(const QStringList& Paths);
    // Whether a conversion run is active.
    bool Converting() const;
    // Before the window closes: stops a running conversion (its file leaves
    // nothing under its name) and the preview, and waits for both.
    void StopForClose();

    TFileListView& FileList() const { return *FView; }
    TFileListActions& ListActions() const { return *FListActions; }
    TPreviewControl& Preview() const { return *FPreview; }
    TRunControl& Run() const { return *FRun; }
    TBatchStatusBar& StatusBar() const { return *FStatus; }
    TLogPanel& Log() const { return *FLog; }

signals:
    void OptionRequested();
    void HotDirModeRequested();
    void HelpRequested();

protected:
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // While files come in, nothing may start another load or a run over the
    // half-filled list.
    void EnableAdding(bool Enabled);
    void AddWaitingFiles();
    // Enables or disables the run's controls (the playback and list buttons,
    // Option, Convert, the list, Hot Directories Mode, the list-file button); on
    // enabling, the list-dependent actions follow the rows.
    void EnableBatchControls(bool Enabled);
    void SetTabOrder();
    QLayout* BuildButtonBar();
    QLayout* BuildBottomBar();

    TFileLoader& FLoader;
    TListRun& FBatch;
    TPreviewPlayer& FPlayer;
    QStringList FWaitingFiles;
    TBatchStatusBar* FStatus;
    TLogPanel* FLog;
    TFileListView* FView;
    TPreviewControl* FPreview;
    TRunControl* FRun;
    TFileListActions* FListActions;
    QPushButton* FOption;
    QPushButton* FHotDir;
    QPushButton* FListFile;
};

} // namespace app

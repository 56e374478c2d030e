// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileListModel.h"

#include <QObject>
#include <QStringList>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace app {

class TListRun;
class TBatchStatusBar;
class TDialogs;
class TFileListView;
class TFileLoader;
class TPreviewPlayer;
class TShell;

// What the user does to the batch list: add files, a folder, dropped files, a
// list file or the example; remove the selected, all, the failed or the
// succeeded rows; export the list; open a row's folder; sort by a column; and
// the list's popup menu `pmFiles` and the list-file menu `poplistfile`. Files
// come in through the loader, of the kinds it takes; the list-dependent
// actions follow the rows once a load has finished. User-interface thread only.
class TFileListActions final : public QObject {
    Q_OBJECT

public:
    TFileListActions(TFileListModel& Files, TFileLoader& Loader, const TListRun& Batch, TDialogs& Dialogs,
                     TShell& Shell, TFileListView& View, TPreviewPlayer& Player, QAction* Play, TBatchStatusBar& Status,
                     QAction* Convert, QWidget* Window);
    ~TFileListActions() override;

    QAction* Add() const { return FAdd; }
    QAction* AddFolder() const { return FAddFolder; }
    QAction* Remove() const { return FRemove; }
    QAction* Clear() const { return FClear; }
    QAction* SelectAll() const { return FSelectAll; }
    QAction* RemoveFailedItems() const { return FRemoveFailed; }
    QAction* RemoveSucceededItems() const { return FRemoveSucceeded; }
    QAction* OpenFolder() const { return FOpenFolder; }
    QAction* ImportList() const { return FImportList; }
    QAction* ExportList() const { return FExportList; }
    QMenu* ListFileMenu() const { return FListFileMenu; }
    QMenu* FilesMenu() const { return FFilesMenu; }

    // Appends the existing files of the loader's kinds among Paths, unless
    // the list is busy converting or loading.
    void AddDroppedFiles(const QStringList& Paths);
    // Enables what needs rows by whether there are any, and shows the
    // empty-list panel when there are none.
    void UpdateListActions();

private:
    QAction* NewAction(const char* Text, const char* Name, void (TFileListActions::*Handler)());
    void OnAdd();
    void OnAddFolder();
    void OnImportList();
    void OnExportList();
    void OnExample();
    void OnRemove();
    void OnClear();
    void OnSelectAll();
    void OnRemoveFailed();
    void OnRemoveSucceeded();
    void OnOpenFolder();
    void OnColumnClick(int Column);
    void RemoveInState(TFileListModel::TRowState State);
    void BuildFilesMenu();
    void OnFilesPopup();
    // "Audio files" with every kind, then WMA, then one filter a kind.
    QString AddFilter() const;

    TFileListModel& FFiles;
    TFileLoader& FLoader;
    const TListRun& FBatch;
    TDialogs& FDialogs;
    TShell& FShell;
    TFileListView& FView;
    TPreviewPlayer& FPlayer;
    QAction* FPlay;
    TBatchStatusBar& FStatus;
    QAction* FConvert;
    QWidget* FWindow;
    QAction* FAdd;
    QAction* FAddFolder;
    QAction* FRemove;
    QAction* FClear;
    QAction* FSelectAll;
    QAction* FRemoveFailed;
    QAction* FRemoveSucceeded;
    QAction* FOpenFolder;
    QAction* FImportList;
    QAction* FExportList;
    QMenu* FListFileMenu;
    QMenu* FFilesMenu;
    // Menu items of pmFiles whose enabling the popup decides: Play, Open
    // Folder and Remove need a selection, Clear and Select All rows.
    std::vector<std::pair<QAction*, QAction*>> FMenuItems; // item, the action it triggers
    QList<QAction*> FNeedSelection;
    QList<QAction*> FNeedRows;
    bool FSortAscending = false;
    bool FAddSubFolders = false; // the last choice of Add Folder's check box
};

} // namespace app
